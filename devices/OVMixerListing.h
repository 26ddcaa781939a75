// The mixer component's tree as text, one line per device, line and
// control, each line indented under its device (a source under its
// destination) and each control under its line; a line shows its current
// volume, balance and mute ("-" where it has no such control).
#pragma once

#include <QStringList>

namespace ov {

class TMixer;

QStringList ListMixerTree(TMixer &mixer);

} // namespace ov
