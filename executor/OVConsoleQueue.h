// Console lines on their way from the worker to the console's memo. The
// worker queues each finished line; the user-interface thread adds them to
// the memo within its limits, a slice of a few milliseconds at a time, so
// that it stays free for the user (Stop, the menus) while a program prints
// as fast as it can. Lines that the memo would drop again before the last
// queued line arrives never reach it. Every line is in the memo, in order,
// before the run's next synchronised step.
#pragma once

#include <QString>

namespace ov {

// A finished line, from any thread; a prompt leaves the memo's caret just
// before the line's end.
void QueueConsoleLine(QString line, bool prompt);

// Returns once every line queued so far is in the memo; called before every
// synchronised step and at the end of a run.
void FlushConsoleLines();

// On the user-interface thread: the lines not yet in the memo are dropped
// (the console is cleared, the program ends).
void DiscardConsoleLines();

// The most lines one slice adds to or deletes from the memo.
constexpr int ConsoleSliceLines = 4096;

} // namespace ov
