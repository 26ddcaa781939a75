// The signal a write to a pipe whose reader has gone raises. Both programs
// ignore it, so that such a write fails with EPIPE and the statement that
// made it reports its error, rather than the process ending with nothing
// said (and, in the editor, its unsaved work lost). Programs they start get
// the default back: QProcess restores it in the child.
#pragma once

namespace ov {

// Called first thing in main().
void IgnoreBrokenPipes();
// Ends the process as a command-line program does when its own output is a
// pipe that has closed: by the signal, without a message.
[[noreturn]] void EndByBrokenPipe();

} // namespace ov
