#include "executor/OVMThread.h"

#include "devices/OVGraphState.h"
#include "executor/OVConsoleOut.h"
#include "executor/OVControlFlow.h"
#include "executor/OVDataFile.h"
#include "executor/OVDispatch.h"
#include "executor/OVRunHost.h"
#include "executor/OVStack.h"
#include "language/OVCode.h"
#include "language/OVErrorMessage.h"
#include "language/OVGetTokenUnit.h"
#include "language/OVInterpreter.h"
#include "language/OVNumTbl.h"
#include "language/OVPreCode.h"
#include "language/OVTranslate.h"
#include "language/OVTranslator.h"
#include "resources/OVInterfaceTexts.h"

#include <algorithm>

#if defined(__i386__) || defined(__x86_64__)
#include <fpu_control.h>
#endif

namespace ov {

std::atomic<int> ProgramRunning{0};
std::atomic<int> StopRequested{0};
std::atomic<int> SavedStopRequested{0};
std::atomic<int> RunThreadActive{0};

uint8_t RunMode = 0;
QString RunCommand;
QString SourceText;
uint8_t EventSubRun = 0;

int32_t ContPosition = 101;
long double LastRandom = 0;
int FormulaErrorMode = 0;
int32_t FormulaErrorVar = 0;

int64_t StopAfterCells = 0;

int EchoOn = 1;
int CloseAppAtEnd = 0;
int GraphicsOpenedInRun = 0;

namespace {

constexpr uint32_t kStartSeed = 12345678;

// Numbers are x87 extended values: full 64-bit mantissa, exceptions masked.
void SetExtendedPrecision()
{
#if defined(__i386__) || defined(__x86_64__)
    fpu_control_t word;
    _FPU_GETCW(word);
    word = (word & ~fpu_control_t(_FPU_EXTENDED)) | _FPU_EXTENDED | _FPU_MASK_IM | _FPU_MASK_DM
        | _FPU_MASK_ZM | _FPU_MASK_OM | _FPU_MASK_UM | _FPU_MASK_PM;
    _FPU_SETCW(word);
#endif
}

bool IsStopped() { return StopRequested.load(std::memory_order_relaxed) != 0; }

// The value-stack depths a cycle started with: a stopped program's own
// values stay below them for CONT.
struct StackBase {
    int Tags = 0, Numbers = 0, Strings = 0, Bools = 0;
};

StackBase RunBase;
bool ResumeAtInput = false;

void CaptureStackBase()
{
    RunBase = {TagStackTop, NumStackTop, StrStackTop, BoolStackTop};
}

void DropValuesOfThisRun()
{
    TagStackTop = std::min(TagStackTop, RunBase.Tags);
    NumStackTop = std::min(NumStackTop, RunBase.Numbers);
    StrStackTop = std::min(StrStackTop, RunBase.Strings);
    BoolStackTop = std::min(BoolStackTop, RunBase.Bools);
}

void WriteLine(const QString &text) { PrintLine(text); }

// ---------------------------------------------------------------- translation

// Run modes 0 and 2: the whole program. False when the report follows at once.
bool PrepareProgram()
{
    if (!SetProgramText(SourceText))
        return false;
    Synchronised([] { Host().CloseMediaPlayer(); });
    InitInterpreter();
    Synchronised([] { Host().RestoreRunFormLayout(); });
    if (!TranslateProgram())
        return false;
    ContPosition = ProgramStart;
    Synchronised([] { Host().SetButtonMode(ButtonMode::Run); });
    CloseFileChannel(0);
    return true;
}

// Run mode 1: a console line, a button command or an event sub.
bool PrepareCommandLine()
{
    if (!TranslateCommandLine(RunCommand))
        return false;
    CodePos = 1;
    SavedStopRequested = StopRequested.load();
    StopRequested = 0;
    Synchronised([] { Host().SetRunButtons(false, false, true, false); });
    CodeType first;
    PeekCode(first);
    if (!(first.FirstCode == ckStatement && first.SecondCode == stCONT))
        CloseFileChannel(0);
    return true;
}

void PrepareContinue()
{
    if (EchoOn) {
        Synchronised([] { Host().SetConsoleCaption(QStringLiteral(u"Orvane 実行画面（再開）")); });
        WriteLine(QStringLiteral(u"実行再開しました。"));
    }
    CodePos = ContPosition;
    ContPosition = ScratchEnd;
}

// The position of the block CheckOpenBlocks found open.
int32_t OpenBlockPosition()
{
    if (ErrorNumber == 555 && !ForStack.Empty())
        return ForStack.Top().Variable.SourcePos;
    const auto cellPos = [](int32_t index) {
        return index >= 0 && index < int32_t(CodeArray.size()) ? CodeArray[size_t(index)].SourcePos : 0;
    };
    if (ErrorNumber == 557 && !LoopStack.Empty())
        return cellPos(LoopStack.Top().LoopTop);
    if (ErrorNumber == 567 && !IfStack.Empty() && IfStack.Count() >= 2)
        return cellPos(IfStack.Items[size_t(IfStack.Count()) - 2]);
    return CurrentCell.SourcePos;
}

bool SetUpRun()
{
    ResetOutputLine();
    SeedRandom(kStartSeed);
    LastRandom = NextRandom();
    CheckOpenBlocks();
    if (ErrorNumber != 0) {
        ErrorPos = OpenBlockPosition();
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- the loop

void StoreFormulaError()
{
    if (FormulaErrorVar >= 1 && FormulaErrorVar <= NumVarCount)
        NumVars[size_t(FormulaErrorVar)].Value = ErrorNumber;
    ClearError();
}

LoopExit RunLoop()
{
    SetExtendedPrecision();
    FetchCurrentCell();
    bool finished = CurrentCell.FirstCode == ckEof || IsStopped() || CodePos > CodeEnd;
    while (!finished) {
        const int32_t faultPos = CurrentCell.SourcePos;
        const LoopExit exit = DispatchCell(CurrentCell);
        if (exit != LoopExit::None)
            return exit;
        if (ImmediateError) {
            ImmediateError = false;
            ErrorPos = faultPos;
            return LoopExit::None;
        }
        FetchCurrentCell();
        if (StopAfterCells > 0 && --StopAfterCells == 0)
            StopRequested = 1;
        finished = CurrentCell.FirstCode == ckEof || IsStopped() || CodePos > CodeEnd;
        if (ErrorNumber != 0) {
            ErrorPos = std::max(0, faultPos);
            if (FormulaErrorMode == 0)
                return LoopExit::None;
            StoreFormulaError();
        }
    }
    return LoopExit::None;
}

// ---------------------------------------------------------------- the report

void ReportStop()
{
    if (EchoOn && RunMode != 1)
        WriteLine(InterfaceText(65170));
    ProgramRunning = 0;
    Synchronised([] { Host().SetButtonMode(ButtonMode::Stop); });
    if (RunMode != 1)  // resume at the cell that was fetched but not run
        ContPosition = ResumeAtInput ? InputRestartPos : CodePos - 1;
    else if (EventSubRun)
        ContPosition = ScratchEnd;
    if (EchoOn)
        Synchronised([] { Host().SetConsoleCaption(InterfaceText(65171)); });
}

void ReportError()
{
    QString text = InterfaceText(65199) + u':' + BuildErrorMessage(ErrorNumber);
    if (RunMode == 0)
        text += u'(' + FormatErrorPosition(ErrorPos - 1) + u')';
    else
        ClearError();
    DropValuesOfThisRun();
    if (EchoOn)
        WriteLine(text);
}

void EndOfRun()
{
    Synchronised([] {});
    if (SavedStopRequested)
        StopRequested = 1;
    const bool stopped = IsStopped();
    if (!stopped) {
        CloseFileChannel(0);
        Synchronised([] { Host().SetButtonMode(ButtonMode::End); });
        GraphicsOpenedInRun = 0;
    } else {
        ReportStop();
    }
    if (ErrorNumber > 0) {
        ReportError();
    } else if (!stopped && TagStackTop > RunBase.Tags) {
        WriteLine(InterfaceText(65168));  // written even with ECHO OFF
        DropValuesOfThisRun();
    }
    if (EchoOn)
        WriteLine(QStringLiteral("OK"));
    PrintLine(QString());
    FlushConsoleLines();
    Synchronised([] { Host().Memo().SetReadOnly(false); });
    ProgramRunning = 0;
    const bool closeApp = CloseAppAtEnd != 0;
    CloseAppAtEnd = 0;
    RunThreadActive = 0;
    if (closeApp)
        Synchronised([] { Host().CloseMainForm(); });
}

// One cycle of the run; true when RUN or CONT asks for another.
bool RunCycle()
{
    SetExtendedPrecision();
    Synchronised([] { Host().Memo().SetReadOnly(true); });
    ClearError();
    FormulaErrorMode = 0;
    ResetLinePos();
    ResumeAtInput = false;
    bool ready = true;
    switch (RunMode) {
    case 0:
    case 2:
        RunBase = StackBase{};
        ready = PrepareProgram();
        break;
    case 1:
        CaptureStackBase();
        ready = PrepareCommandLine();
        break;
    default:
        CaptureStackBase();
        PrepareContinue();
        break;
    }
    if (ready && RunMode != 3)
        ready = SetUpRun();
    if (!ready)
        return false;
    const LoopExit exit = RunLoop();
    if (exit == LoopExit::Run || exit == LoopExit::Cont)
        return true;
    if (exit == LoopExit::System)
        CloseAppAtEnd = 1;
    return false;
}

} // namespace

// Marks that the stop of this run came while INPUT was asking, so that CONT asks again.
void NoteInputCancelled() { ResumeAtInput = true; }

void TOVMTHread::Execute()
{
    while (RunCycle()) {
    }
    EndOfRun();
}

bool RunController::Start()
{
    if (RunThreadActive.load() != 0)
        return false;
    Join();
    RunThreadActive = 1;
    worker_ = std::thread([] { TOVMTHread().Execute(); });
    return true;
}

void RunController::Join()
{
    if (worker_.joinable())
        worker_.join();
}

void OffsetToLineColumn(int32_t p, int32_t &line, int32_t &column)
{
    const int32_t q = std::min<int32_t>(p, int32_t(SourceText.size()));
    line = 1;
    column = q;
    int32_t lastLf = 0;
    for (int32_t i = 1; i < q; ++i) {
        if (SourceText.at(i - 1) == u'\n') {
            ++line;
            lastLf = i;
        }
    }
    column = q - lastLf;
}

QString FormatErrorPosition(int32_t p)
{
    int32_t line = 1;
    int32_t column = 1;
    OffsetToLineColumn(std::max(1, p + 1), line, column);
    return QString::number(line) + QStringLiteral(u"行,　") + QString::number(column) + QStringLiteral(u" 桁");
}

} // namespace ov
