// The data-input box of INPUT: what the worker and the box exchange.
#pragma once

#include <QString>

namespace ov {

extern QString LastInputAnswer;  // the reply last given, offered again
extern int LineInputActive;      // 1 while LINE INPUT asks

} // namespace ov
