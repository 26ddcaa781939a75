#include "executor/OVEventRun.h"

#include "executor/OVMThread.h"
#include "executor/OVRunHost.h"
#include "language/OVDeclared.h"

namespace ov {

// The worker rebuilds the declared names and reads the run request while it
// runs: both are touched only once no run is active.
bool StartEventRun(RunController &runs, const QString &sub)
{
    if (RunThreadActive.load() != 0 || !IsDeclaredVar(sub.toUpper()))
        return false;
    RunCommand = QStringLiteral("Call ") + sub;
    RunMode = 1;
    EventSubRun = 1;
    ProgramRunning = 1;
    Host().SetButtonMode(ButtonMode::Run);
    Host().ShowRunForm();
    return runs.Start();
}

} // namespace ov
