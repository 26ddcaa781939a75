// Console output and the INPUT reply: state shared with the run driver.
#pragma once

#include <QString>

namespace ov {

extern int PrintPrecision;    // significant digits of printed numbers
extern int InputRestartPos;   // code position to return to when INPUT asks again
extern int InputRetry;        // 1 while INPUT repeats its question
extern QString InputReply;    // the reply being cut into items
extern int ConsoleLineCount;  // lines written to the console in this session

} // namespace ov
