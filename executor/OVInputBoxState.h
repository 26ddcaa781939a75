// The data-input box of INPUT and LINE INPUT: what the worker and the box
// exchange, and the box's steps that are not widgets.
#pragma once

#include <QString>

namespace ov {

extern QString LastInputAnswer;  // the reply last given, offered again
extern int LineInputActive;      // 1 while LINE INPUT asks

// Asks for the reply of the INPUT or LINE INPUT statement whose cell was
// just dispatched: reads its prompt cells, writes the waiting console line,
// shows the box through the host and then either stores the reply and
// replaces the waiting line by the echo, or (Cancel) requests a stop so
// that CONT asks again. Runs inside a synchronised step.
void ShowInputNumForm();

// Adds the pending console output line, extended by s, to the memo as one
// line. On the user-interface thread, while the worker waits.
void AppendConsoleText(const QString &s);

} // namespace ov
