#include "executor/OVControlScreen.h"

#include "devices/OVControlModel.h"
#include "executor/OVControlProperties.h"
#include "executor/OVDispatch.h"
#include "executor/OVEventRun.h"
#include "executor/OVRunHost.h"
#include "executor/OVStack.h"

#include <QThread>
#include <cmath>

namespace ov {

namespace {

// A side of the client area: at least 10 (also for NaN), at most `limit`.
int ScreenSide(long double v, int limit)
{
    if (!(v > 10))
        return 10;
    return v > limit ? limit : int(std::trunc(v));
}

// A fresh form in place of the shown one: every control in its design state.
void ShowControlForm()
{
    if (ControlScreenOpen.load() != 0) {
        Host().CloseControlScreen();
        ControlScreenOpen = 0;
    }
    Controls().Reset();
    Host().ShowControlScreen();
    ControlScreenOpen = 1;
}

// Arguments that are not both numbers are an error, but the window still
// shows, with the last size.
void ExecOpenCScreen()
{
    if (TopTag() != tagNumber || SecondTag() != tagNumber) {
        SetError(50024, stCSCREEN);
    } else {
        ControlScreenHeight = ScreenSide(PopNumber(), 960);
        ControlScreenWidth = ScreenSide(PopNumber(), 1280);
    }
    Synchronised(ShowControlForm);
}

void ExecCloseCScreen()
{
    Synchronised([] {
        if (ControlScreenOpen.load() == 0)
            return;
        Host().CloseControlScreen();
        ControlScreenOpen = 0;
    });
}

} // namespace

bool DispatchControlScreenStatement(int32_t s)
{
    switch (s) {
    case stCSCREEN: case stOPENCSCREEN: ExecOpenCScreen(); return true;
    case stCLOSECSCREEN: ExecCloseCScreen(); return true;
    default: return DispatchControlOnOff(s);
    }
}

// The first read of a button arms its latch and yields false; after that a
// read yields whether a click came since the last read. The pause paces a
// polling loop.
void FnCButtonClick()
{
    const int n = PopControlIndex();
    if (n != 0) {
        if (ClickArmed[n].load() != 0) {
            PushBool(ClickLatch[n].exchange(0) != 0);
        } else {
            PushBool(false);
            ClickArmed[n] = 1;
        }
    }
    QThread::msleep(10);
}

bool ControlButtonClickable(int n)
{
    return n >= 1 && n <= ControlCount && ControlScreenOpen.load() != 0
           && Controls().Record(ControlKind::Button, n).Visible;
}

void LatchControlButton(int n)
{
    if (ClickArmed[n].load() != 0)
        ClickLatch[n] = 1;
}

bool ClickControlButton(RunController &runs, int n)
{
    LatchControlButton(n);
    return StartEventRun(runs, QStringLiteral("CButton%1_Click").arg(n));
}

} // namespace ov
