#include "executor/OVInterpreter.h"

#include "devices/OVControlState.h"
#include "devices/OVGraphState.h"
#include "devices/OVKeySetting.h"
#include "devices/OVMediaState.h"
#include "devices/OVWindowState.h"
#include "devices/OVWorldCoord.h"
#include "executor/OVCalls.h"
#include "executor/OVConsoleOut.h"
#include "executor/OVControlFlow.h"
#include "executor/OVDataFile.h"
#include "executor/OVFormula.h"
#include "executor/OVInputBoxState.h"
#include "executor/OVMThread.h"
#include "executor/OVNumFunc.h"
#include "executor/OVRunCommands.h"
#include "executor/OVStack.h"
#include "language/OVBoolTbl.h"
#include "language/OVCode.h"
#include "language/OVDeclared.h"
#include "language/OVGetTokenUnit.h"
#include "language/OVLineScanner.h"
#include "language/OVPreCode.h"
#include "language/OVStrTbl.h"
#include "platform/UCS4Encoding.h"

namespace ov {

namespace {

void ResetWindowPlacement(const RunStartSettings &settings)
{
    RunFormLeft = settings.TScreenPosAuto ? 0 : settings.TScreenLeft;
    RunFormTop = settings.TScreenPosAuto ? 0 : settings.TScreenTop;
    GraphWindowLeft = settings.GScreenPosAuto ? 0 : settings.GScreenLeft;
    GraphWindowTop = settings.GScreenPosAuto ? settings.TScreenHeight + 59 : settings.GScreenTop;
    ControlWindowLeft = 400;
    ControlWindowTop = GraphWindowTop;
}

void ResetGraphicsState(const FontSetting &editorFont)
{
    GLocateX = GLocateY = GFLocateX = GFLocateY = 0;
    ResetWorldCoordinates();
    DrawMode = 13;
    DrawStyle = 0;
    DrawWidth = 1;
    FillStyle = 0;
    GraphForeColor = 0;
    GraphBackColor = 0xFFFFFF;
    GraphBorderColor = 0;
    BorderColorSet = 0;
    GraphFontSize = editorFont.Size;
    GraphFontName = editorFont.Name;
    GraphFontCharset = editorFont.Charset;
    GraphFontStyle = editorFont.Style;
    GraphFontColor = editorFont.Color;
}

void ResetConsoleFont()
{
    ConsoleFontColor = 0;
    ConsoleFontCharset = 128;
    ConsoleFontName = QStringLiteral(u"ＭＳ Ｐゴシック");
    ConsoleFontSize = 9;
    ConsoleFontStyle = 0;
}

void ResetInputAndCalls()
{
    PrintPrecision = 18;
    InputRestartPos = 0;
    InputRetry = 0;
    LastInputAnswer.clear();
    InputReply.clear();
    DcVarCount = 0;
    GosubDepth = 0;
    FunctionReturnDepth = 0;
    ResetSubFrames();
    DefLocalsActive = 0;
    LocalNumBase = 0;
    LocalStrBase = 0;
}

void ResetRunSwitches(int exitMsgCheck)
{
    CloseAppAtEnd = 0;
    RadiansMode = 1;
    InputBoxTitle.clear();
    InputBoxPositionSet = 0;
    LineInputActive = 0;
    InputBoxLeft = InputBoxTop = 0;
    DataPointer = 0;
    ChkMsgOn = exitMsgCheck;
    EchoOn = 1;
    GraphicsOpenedInRun = 0;
    GraphWindowSized = 0;
    MathGraphOn = 0;
    StopRequested = 0;
    SavedStopRequested = 0;
}

void ResetSharedInput()
{
    LastKeyCode = 0;
    LastKeyChar = 0;
    ClearMouse();
    for (int i = 0; i <= ControlCount; ++i) {
        ClickArmed[i] = 0;
        ClickLatch[i] = 0;
        TextBoxMultiLine[i] = 0;
    }
    MediaFileOpen = 0;
}

// The start-up state of the run flags and the settings, once per program.
void ResetRunState()
{
    ProgramRunning = 0;
    StopRequested = 0;
    SavedStopRequested = 0;
    RunThreadActive = 0;
    ErrorNumber = 0;
    ErrorSubjectText.clear();
    DefLocalsActive = 0;
    MemberDotActive = 0;
    LocalNumBase = 0;
    LocalStrBase = 0;
}

void SetEnvironmentDefaults()
{
    EditorFontSize = 10;
    TScreenFontSize = 10;
    FormatCheckOn = 1;
    ProgramDir.clear();
    PrintPrecision = 18;
    GraphWindowSized = 0;
    GraphScreenOpen = 0;
    ControlScreenOpen = 0;
    GraphWidth = 0;
    GraphHeight = 0;
    CodeCapacity = 0;
    PreCodeMax = 0;
    ConsoleLineCount = 0;
}

} // namespace

void InitInterpreter(const RunStartSettings &settings)
{
    LanguageVersion = 12;
    CurrentEncoding = 0;
    OptionExplicitOn = 0;
    OptionAllowed = 1;
    ResetWindowPlacement(settings);
    ResetGraphicsState(settings.EditorFont);
    ResetConsoleFont();
    ResetInputAndCalls();
    ResetRunSwitches(settings.ExitMsgCheck);
    InitPreCode();
    InitCode();
    InitStacks();
    InitNumTables();
    InitStrTables();
    InitBoolTables();
    ClearDeclared();
    for (int &mode : ChannelMode)
        mode = 0;
    LastToken = CodeType{};
    RoutineCount = 0;
    InitStacks();
    ResetSharedInput();
}

void InitInterpreter()
{
    InitInterpreter(CurrentRunStartSettings());
}

void InitializeInterpreterUnits()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    InitKeywordTables();
    ResetRunState();
    SetEnvironmentDefaults();
    InitPreCode();
    InitNumTables();
    InitStrTables();
    InitBoolTables();
    InitStacks();
    InitInterpreter();
    InitCode();
}

} // namespace ov
