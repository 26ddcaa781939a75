// A diagnostic view of the two code stores.
#pragma once

#include "language/OVHeader.h"

namespace ov {

// The text of one cell.
QString CodeToText(const CodeType &cell);
// The code store from cell 101: "[index:position]text" per cell.
QString DumpCode();
// The pre-code store from cell 101.
QString DumpPreCode();

} // namespace ov
