// The run request and the run flags that the user-interface thread and the
// worker thread of a run share.
#pragma once

#include <QString>
#include <atomic>
#include <cstdint>

namespace ov {

// Both threads read and write these while a run is active.
extern std::atomic<int> ProgramRunning;      // 1 while a program runs or is stopped mid-run
extern std::atomic<int> StopRequested;       // set by Stop, Exit, the data-input box and STOP
extern std::atomic<int> SavedStopRequested;  // the stop request kept across a synchronised step
extern std::atomic<int> RunThreadActive;     // 1 while a worker thread exists

// The run request: written by the user-interface thread before it starts the
// worker, read by the worker only.
extern uint8_t RunMode;      // 0 program, 1 command line, 2 RUN, 3 continue
extern QString RunCommand;   // "Run", "Cont", "Call CButton1_Click" or a console line
extern QString SourceText;   // the program text, CR LF line ends

// Worker-side state of the end-of-run report.
extern int EchoOn;               // notices and "OK" are written while set
extern int CloseAppAtEnd;        // close the application when the run ends
extern int GraphicsOpenedInRun;  // the run opened the graphics screen

} // namespace ov
