#include "executor/OVRunCommands.h"

#include "executor/OVMThread.h"
#include "executor/OVRunHost.h"
#include "language/OVCode.h"

namespace ov {

int ChkMsgOn = 1;

namespace {

// The buttons while a run goes on: Edit, Run and Cont off, Stop on.
void SetRunningButtons()
{
    Host().SetRunButtons(false, false, true, false);
}

// ON or OFF in the next cell; -1 for any other cell, which changes nothing.
int ReadOnOff()
{
    FetchCurrentCell();
    if (CurrentCell.FirstCode != ckStatement)
        return -1;
    if (CurrentCell.SecondCode == stON)
        return 1;
    return CurrentCell.SecondCode == stOFF ? 0 : -1;
}

} // namespace

void ExecStop()
{
    StopRequested = 1;
    ContPosition = CodePos + 1;
    Host().SetRunButtons(true, true, false, true);
}

void ExecCont()
{
    RunMode = 3;
    ProgramRunning = 1;
    StopRequested = 0;
    SavedStopRequested = 0;  // a continued program ends as a normal run
    SetRunningButtons();
}

void ExecRun()
{
    RunMode = 2;
    ProgramRunning = 1;
    StopRequested = 0;
    SavedStopRequested = 0;
    Synchronised(SetRunningButtons);
}

void ExecEcho()
{
    const int value = ReadOnOff();
    if (value >= 0)
        EchoOn = value;
}

void ExecChkMsg()
{
    const int value = ReadOnOff();
    if (value >= 0)
        ChkMsgOn = value;
}

bool DispatchFileStatement(int32_t) { return false; }

} // namespace ov
