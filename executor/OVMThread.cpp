#include "executor/OVMThread.h"

namespace ov {

std::atomic<int> ProgramRunning{0};
std::atomic<int> StopRequested{0};
std::atomic<int> SavedStopRequested{0};
std::atomic<int> RunThreadActive{0};

uint8_t RunMode = 0;
QString RunCommand;
QString SourceText;

int EchoOn = 1;
int CloseAppAtEnd = 0;
int GraphicsOpenedInRun = 0;

} // namespace ov
