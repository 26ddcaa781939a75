// The start of an event run: a click on a control-screen button or a media
// notification calls the program's event sub as a console line, after the
// program has ended or while it is stopped, never during another run.
#pragma once

#include <QString>

namespace ov {

class RunController;

// Starts the run "Call <sub>" on the user-interface thread when no run is
// active and the program declares the sub (`sub` as the program spells it,
// "MediaPlayer_OnNotify"); false when nothing started. A stopped program
// stays stopped and can still be continued.
bool StartEventRun(RunController &runs, const QString &sub);

} // namespace ov
