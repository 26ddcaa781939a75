// Strings used as buffers: emptied without giving up their memory, and
// added to without the library's general append, so that a loop of lines
// or writes reuses one allocation.
#pragma once

#include <QString>
#include <QStringView>

namespace ov {

// Empties s, keeping its buffer for the next text when no one else holds it.
void EmptyKeepingBuffer(QString &s);
// Appends the units of text to s (which grows as append would grow it).
void AppendUnits(QString &s, QStringView text);

} // namespace ov
