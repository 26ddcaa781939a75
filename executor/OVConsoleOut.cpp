#include "executor/OVConsoleOut.h"

namespace ov {

int PrintPrecision = 18;
int InputRestartPos = 0;
int InputRetry = 0;
QString InputReply;
int ConsoleLineCount = 0;

} // namespace ov
