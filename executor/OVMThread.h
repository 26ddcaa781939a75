// The worker thread of a run and its driver: the run request, the run flags
// that the user-interface thread and the worker share, the phases of a run
// and the end-of-run report.
#pragma once

#include "language/OVRunMode.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <thread>

namespace ov {

// Both threads read and write these while a run is active.
extern std::atomic<int> ProgramRunning;      // 1 while a program runs or is stopped mid-run
extern std::atomic<int> StopRequested;       // set by Stop, Exit, the data-input box and STOP
extern std::atomic<int> SavedStopRequested;  // the stop request kept across a console line
extern std::atomic<int> RunThreadActive;     // 1 while a worker thread exists

// The run request: written by the user-interface thread before it starts the
// worker, read by the worker. RunMode, which the translator reads too, is in
// language/OVRunMode.h.
extern QString RunCommand;   // "Run", "Cont", "Call CButton1_Click" or a console line
extern QString SourceText;   // the program text, CR LF line ends
extern uint8_t EventSubRun;  // the command line calls an event sub of the program

extern int32_t ContPosition;      // code position at which CONT resumes
extern long double LastRandom;    // the last value drawn from the random generator
extern int FormulaErrorMode;      // EVALFORM stores errors in FormulaErrorVar instead of ending
extern int32_t FormulaErrorVar;   // the numeric variable that receives the error number

// Worker-side state of the end-of-run report.
extern std::atomic<int> EchoOn; // notices, "OK" and captions are written while set
extern int CloseAppAtEnd;        // close the application when the run ends
extern int GraphicsOpenedInRun;  // the run opened the graphics screen
// 1 when the last run ended with an error, which the report of a console
// line clears; read once the worker has been joined.
extern int RunEndedWithError;

// The worker of one run: Execute translates as the request says, runs the
// code and writes the end-of-run report; RUN and CONT repeat its cycle.
class TOVMTHread {
public:
    void Execute();
};

// Owns the worker thread on the user-interface thread: one run at a time,
// joined before the next starts and when the program ends.
class RunController {
public:
    ~RunController() { Join(); }
    // Starts a worker for the request already filled in; false while one is active.
    bool Start();
    // Waits for the worker to end.
    void Join();

private:
    std::thread worker_;
};

// For tests: a stop is requested after this many more steps (0: never).
// A step is a cell fetched by the loop, or one more plan or cell that a
// short cut of the loop runs without going back to it, so that a stop can
// be made to land anywhere, inside the short cuts too. Only the worker
// reads it.
extern int64_t StopAfterCells;
inline void CountStep()
{
    if (StopAfterCells > 0 && --StopAfterCells == 0) [[unlikely]]
        StopRequested = 1;
}

// For tests: false makes the loop run every cell through the full dispatch,
// one by one, without the worked-out short cuts (expression plans, in-place
// appends, the common cells handled in the loop), so that the two can be
// compared. Read when a run's loop begins.
extern bool RunFastPaths;

// Called when INPUT was cancelled by a stop, so that CONT asks again.
void NoteInputCancelled();

// The line and column of position p + 1 of SourceText, as the report writes them.
QString FormatErrorPosition(int32_t p);
// The same position as two numbers.
void OffsetToLineColumn(int32_t p, int32_t &line, int32_t &column);

} // namespace ov
