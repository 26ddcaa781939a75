#include "language/OVTranslator.h"

#include "language/OVCode.h"
#include "language/OVDeclared.h"
#include "language/OVGetTokenUnit.h"
#include "language/OVNumTbl.h"
#include "language/OVPreCode.h"
#include "language/OVRunMode.h"

#include <cmath>

namespace ov {

CodeType ReadCell;
CodeType StatementCell;
uint8_t RoutineContext = 0;
int32_t RoutineSkipJump = 0;

TranslatorStack<int32_t> IfStack;
TranslatorStack<ForRecord> ForStack;
TranslatorStack<ExitRecord> ExitForStack;
TranslatorStack<int32_t> ExitRoutineStack;
TranslatorStack<LoopRecord> LoopStack;
TranslatorStack<ExprBuffer> SelectorStack;
TranslatorStack<int32_t> CaseNextStack;
TranslatorStack<int32_t> CaseEndStack;
TranslatorStack<CodeType> ParamStack;
TranslatorStack<CodeType> CallArgStack;
TranslatorStack<ExprBuffer> PrintBufferStack;
TranslatorStack<ExprBuffer> SwapStackA;
TranslatorStack<ExprBuffer> SwapStackB;

std::vector<int32_t> DataLines(1);
std::vector<LineNumberType> LineNumbers(1);

namespace {

template <typename T>
void ResetStack(TranslatorStack<T> &stack, int depth, int32_t pushError, int32_t popError)
{
    stack.Clear();
    stack.Depth = depth;
    stack.PushError = pushError;
    stack.PopError = popError;
}

// The keyword a message names for a statement value (and for a member read
// standing at a statement start): a variant 1000 * k + s names s, an inner
// statement the keyword it was written with; 0 when no keyword names it.
int32_t NamingStatement(int32_t value)
{
    const int32_t s = value % 1000;
    if (s >= 1 && s <= StatementCount)
        return s;
    switch (s) {
    case isMixerMasterMute:
    case isMixerMasterVolume: return stAUDIOMIXER;
    case isClipboardClear:
    case fnClipboardGetText:
    case isClipboardSetText: return stCLIPBOARD;
    case isHelpCrossRef:
    case isHelpReservedWords:
    case isHelpTranslatorDump:
    case isHelpVariables: return stHELP;
    case isMediaPlayerClose:
    case isMediaPlayerMode:
    case isMediaPlayerOpen:
    case isMediaPlayerPause:
    case isMediaPlayerPlay:
    case isMediaPlayerStop: return stMEDIAPLAYER;
    case isDoUntil: return stDO;
    case isLoopDo:
    case isLoopUntil:
    case isLoopWhile: return stLOOP;
    default: return 0;
    }
}

} // namespace

void ResetTranslatorStacks()
{
    ResetStack(IfStack, 256, 550, 567);
    ResetStack(ForStack, 256, 550, 556);
    ResetStack(ExitForStack, 256, 54107, 556);
    ResetStack(ExitRoutineStack, 256, 54107, 54107);
    ResetStack(LoopStack, 256, 550, 558);
    ResetStack(SelectorStack, 256, 550, 567);
    ResetStack(CaseNextStack, 256, 550, 584);
    ResetStack(CaseEndStack, 256, 550, 567);
    ResetStack(ParamStack, 256, 550, 567);
    ResetStack(CallArgStack, 256, 550, 567);
    ResetStack(PrintBufferStack, 256, 550, 567);
    ResetStack(SwapStackA, 6, 54131, 54130);
    ResetStack(SwapStackB, 6, 54131, 54130);
}

// ---------------------------------------------------------------- cell tests

bool IsOperatorCell(const CodeType &cell, int32_t op)
{
    return cell.FirstCode == ckOperator && cell.SecondCode == op;
}

bool IsStatementCellOf(const CodeType &cell, int32_t statement)
{
    return cell.FirstCode == ckStatement && cell.SecondCode == statement;
}

bool IsStatementEnd(const CodeType &cell)
{
    return cell.FirstCode == ckEof || cell.FirstCode == ckNone || IsOperatorCell(cell, opColon)
        || IsOperatorCell(cell, opEndOfLine);
}

void ExpectStatementEnd()
{
    CodeType next;
    PeekPreCode(next);
    // names the statement that should have ended; a label has no keyword to name
    if (!IsStatementEnd(next))
        SetError(501, StatementCell.FirstCode == ckStatement ? NamingStatement(StatementCell.SecondCode) : 0);
}

// ---------------------------------------------------------------- emitters

void EmitAt(int32_t kind, int32_t value)
{
    EmitCode(CodeType{kind, value, StatementSourcePos});
}

void EmitColon() { EmitAt(ckOperator, opColon); }
void EmitEndOfLineCell() { EmitAt(ckOperator, opEndOfLine); }
void EmitGlPush() { EmitAt(ckStatement, isGlPush); }
void EmitGlPop() { EmitAt(ckStatement, isGlPop); }

int32_t EmitJumpCell(int32_t sourcePos)
{
    const int32_t index = CodePos;
    EmitCode(CodeType{ckCodeAddr, 0, sourcePos});
    return index;
}

void PatchJumpPlus(int32_t offset, int32_t index)
{
    if (index < 0 || index > CodeCapacity || CodeArray[size_t(index)].FirstCode != ckCodeAddr) {
        SetError(53000);
        return;
    }
    CodeArray[size_t(index)].SecondCode = CodePos + offset;
}

void PatchJump(int32_t index) { PatchJumpPlus(0, index); }

// ---------------------------------------------------------------- argument readers

namespace {

// One expression, translated and emitted; false (and 700) when there is none.
bool TranslateOneExpression()
{
    ExprBuffer buffer;
    TranslateExpression(buffer);
    if (ErrorNumber != 0)
        return false;
    if (buffer.empty()) {
        SetError(700);
        return false;
    }
    EmitExpression(buffer);
    return ErrorNumber == 0;
}

bool NextIsStatementEnd()
{
    CodeType next;
    PeekPreCode(next);
    return IsStatementEnd(next);
}

// Consumes the next cell when it is the operator; else 700.
bool ExpectOperator(int32_t op)
{
    GetNextPreCode(ReadCell);
    if (IsOperatorCell(ReadCell, op))
        return true;
    SetError(700);
    return false;
}

void RequireStatementEnd()
{
    if (ErrorNumber == 0 && !NextIsStatementEnd())
        SetError(700);
}

} // namespace

void TranslateArg()
{
    if (NextIsStatementEnd()) {
        SetError(700);
        return;
    }
    TranslateOneExpression();
}

void TranslateLastArg()
{
    TranslateArg();
    RequireStatementEnd();
}

void TranslateArgThenComma()
{
    if (!TranslateOneExpression())
        return;
    CodeType next;
    PeekPreCode(next);
    if (!IsOperatorCell(next, opComma) && !IsStatementEnd(next))
        SetError(700);
}

void TranslateParenArgs(int n)
{
    if (!ExpectOperator(opLParen))
        return;
    for (int i = 0; i < n; ++i) {
        if (i > 0 && !ExpectOperator(opComma))
            return;
        if (!TranslateOneExpression())
            return;
    }
    ExpectOperator(opRParen);
}

void TranslateTwoArgs()
{
    if (!TranslateOneExpression() || !ExpectOperator(opComma) || !TranslateOneExpression())
        return;
    RequireStatementEnd();
}

void TranslateArgsAs()
{
    if (!TranslateOneExpression())
        return;
    GetNextPreCode(ReadCell);
    if (!IsStatementCellOf(ReadCell, stAS)) {
        SetError(700);
        return;
    }
    if (TranslateOneExpression())
        RequireStatementEnd();
}

void ReadOptionalLiterals(int n)
{
    CodePos -= n;
    bool valueGiven = true;  // the keyword or the fixed part: a "," must come first
    bool afterComma = false;
    int k = 1;
    while (k <= n) {
        CodeType next;
        PeekPreCode(next);
        if (IsStatementEnd(next)) {
            CodePos += n - k + 1;
            return;
        }
        GetNextPreCode(ReadCell);
        if (IsOperatorCell(ReadCell, opComma)) {
            if (afterComma) {  // an empty place keeps its default
                ++CodePos;
                ++k;
            }
            afterComma = true;
            valueGiven = false;
        } else if ((ReadCell.FirstCode == ckNumLiteral || ReadCell.FirstCode == ckNumVar) && !valueGiven) {
            EmitCode(ReadCell);
            ++k;
            valueGiven = true;
            afterComma = false;
        } else {
            SetError(700);
            return;
        }
    }
}

// ---------------------------------------------------------------- generic translators

namespace {

// A call in an argument with the wrong number of arguments keeps its own
// error, which names the call.
constexpr int32_t ArgumentCountError = 53132;

// Any other fault in a statement's arguments becomes 50022 naming the subject.
void ReportArgumentError(int32_t subject)
{
    if (ErrorNumber != 0 && ErrorNumber != ArgumentCountError) {
        ErrorNumber = 50022;
        ErrorSubject = subject;
    }
}

// 50022 naming the keyword of the statement value (or member read) s.
void ReportAsStatementError(int32_t s) { ReportArgumentError(NamingStatement(s)); }

void TranslateNoArgs(int32_t s)
{
    EmitAt(ckStatement, s);
    ExpectStatementEnd();
}

void TranslateOneArg(int32_t s)
{
    TranslateLastArg();
    ReportAsStatementError(s);
    if (ErrorNumber != 0)
        return;
    EmitAt(ckStatement, s);  // at the argument, which the statement's run-time faults name
    ExpectStatementEnd();
}

void TranslateAssignedArg(int32_t s)
{
    GetNextPreCode(ReadCell);
    if (!IsOperatorCell(ReadCell, opEq)) {
        SetError(52201, s);
        return;
    }
    TranslateOneArg(s);
}

void TranslateParenArgsStatement(int32_t s, int n)
{
    TranslateParenArgs(n);
    ReportAsStatementError(s);
    if (ErrorNumber != 0)
        return;
    EmitAt(ckStatement, s);
    ExpectStatementEnd();
}

void TranslateOnOff(int32_t s)
{
    EmitAt(ckStatement, s);
    GetNextPreCode(ReadCell);
    if (!IsStatementCellOf(ReadCell, stON) && !IsStatementCellOf(ReadCell, stOFF)) {
        SetError(802, s);
        return;
    }
    EmitAt(ckStatement, ReadCell.SecondCode);
    ExpectStatementEnd();
}

void TranslateControlOnOff(int32_t s)
{
    TranslateParenArgs(1);
    ReportAsStatementError(s);
    if (ErrorNumber != 0)
        return;
    CodeType next;
    PeekPreCode(next);
    if (IsStatementCellOf(next, stON) || IsStatementCellOf(next, stOFF)) {
        GetNextPreCode(ReadCell);
        EmitAt(ckStatement, s);
        EmitAt(ckStatement, ReadCell.SecondCode);
    }
}

// CLIPBOARD.GETTEXT or a mixer read at a statement start: its faults name the object.
void TranslateFunctionStatement(int32_t v)
{
    TranslateLastArg();
    ReportAsStatementError(v);
    if (ErrorNumber == 0)
        EmitAt(ckFunction, v);
}

// CBUTTON(n).CAPTION = value: the "=" is the assignment's own, not part of
// the value; without it the error is that of a property assignment.
void TranslateControlProperty(int32_t v)
{
    TranslateParenArgs(1);
    ReportArgumentError(v);  // the message names the property's control
    if (ErrorNumber != 0)
        return;
    GetNextPreCode(ReadCell);
    if (!IsOperatorCell(ReadCell, opEq)) {
        SetError(52201, v);
        return;
    }
    TranslateLastArg();
    ReportArgumentError(v);
    if (ErrorNumber == 0)
        EmitAt(ckFunction, v);
}

// Reads a whole string array cell; 50022 when the next cell is none (the
// caller names the statement or function).
bool ReadWholeStringArray(CodeType &array)
{
    GetNextPreCode(array);
    if (array.FirstCode == ckStrArrVar)
        return true;
    SetError(50022);
    return false;
}

// A$() = READALLLINES(...): a function, so the faults of its call name the
// function; anything after the call leaves the assignment unended.
void TranslateReadAllLines(bool withCodePage)
{
    CodeType array;
    if (ReadWholeStringArray(array))
        TranslateParenArgs(withCodePage ? 2 : 1);
    if (ErrorNumber != 0 && ErrorNumber != ArgumentCountError) {
        ErrorNumber = 50011;
        ErrorSubject = fnREADALLLINES;
    }
    if (ErrorNumber != 0)
        return;
    CodeType next;
    PeekPreCode(next);
    if (!IsStatementEnd(next)) {
        SetError(501, stLET);
        return;
    }
    EmitAt(ckStatement, withCodePage ? StatementVariant(1, isReadAllLinesToArray) : isReadAllLinesToArray);
    EmitCode(CodeType{ckStrArrVar, array.SecondCode, StatementSourcePos});
}

void TranslateWriteAllLines(bool withCodePage)
{
    const int32_t s = StatementCell.SecondCode;
    CodeType array;
    if (ExpectOperator(opLParen)) {
        TranslateArgThenComma();
        if (ErrorNumber == 0 && ExpectOperator(opComma) && ReadWholeStringArray(array)) {
            if (withCodePage && ExpectOperator(opComma))
                TranslateArg();
            if (ErrorNumber == 0)
                ExpectOperator(opRParen);
        }
    }
    ReportAsStatementError(s);
    if (ErrorNumber == 0)
        ExpectStatementEnd();
    if (ErrorNumber != 0)
        return;
    EmitAt(ckStatement, withCodePage ? StatementVariant(1, stWRITEALLLINES) : stWRITEALLLINES);
    EmitCode(CodeType{ckStrArrVar, array.SecondCode, StatementSourcePos});
}

void TranslateImplicitLet()
{
    --PreCodePos;
    TranslateLet();
}

// ---------------------------------------------------------------- statement ends, labels

void TranslateColon()
{
    CodeType last;
    if (CodePos > 1) {
        PeekCodeBack(1, last);
        if (!IsOperatorCell(last, opColon))
            EmitColon();
    }
}

void TranslateEndOfLine()
{
    CodeType last;
    PeekCodeBack(1, last);
    if (ErrorNumber == 10) {  // nothing before cell 0: the line end simply goes first
        ErrorNumber = 0;
        last = CodeType{};
    }
    if (!IsOperatorCell(last, opEndOfLine))
        EmitEndOfLineCell();
}

void TranslateLabel()
{
    GetNextPreCode(ReadCell);
    if (ReadCell.FirstCode != ckNumVar || ReadCell.SecondCode < 1 || ReadCell.SecondCode > NumVarCount) {
        SetError(510);
        return;
    }
    NumVarType &label = NumVars[size_t(ReadCell.SecondCode)];
    switch (label.Kind) {
    case nvSimple:
        label.Kind = nvLabel;
        label.FirstElement = CodePos;
        label.Value = DataCount;
        EmitCode(ReadCell);
        ExpectStatementEnd();
        return;
    case nvLabel: SetError(511); return;
    case nvFunction:
    case nvSub: SetError(513); return;
    case nvArray: SetError(512); return;
    default: SetError(510); return;
    }
}

// ---------------------------------------------------------------- dispatch

void DispatchFunctionCell(int32_t v)
{
    if (v == fnREADALLLINES)
        TranslateReadAllLines(false);
    else if (v == OneMoreArgBase + fnREADALLLINES)
        TranslateReadAllLines(true);
    else if (v == fnClipboardGetText || v == SettingReadBase + isMixerMasterMute
             || v == SettingReadBase + isMixerMasterVolume)
        TranslateFunctionStatement(v);
    else if (v == PropertyWriteBase + 196 || (v >= PropertyWriteBase + 198 && v <= PropertyWriteBase + 220)
             || (v >= PropertyWriteBase + 224 && v <= PropertyWriteBase + 236))
        TranslateControlProperty(v);
    // any other function value at a statement start emits nothing
}

void DispatchNameCell()
{
    if (ReadCell.FirstCode == ckNumVar && ReadCell.SecondCode >= 1 && ReadCell.SecondCode <= NumVarCount
        && IsDeclaredVar(NumVars[size_t(ReadCell.SecondCode)].Name)) {
        --PreCodePos;
        TranslateCall(false);
        return;
    }
    TranslateImplicitLet();
}

bool DispatchGenericStatement(int32_t s)
{
    if (IsSettingStatement(s)) {
        TranslateAssignedArg(s);
        return true;
    }
    switch (s) {
    case stBEEP: case stCLOSECSCREEN: case stCLOSEGSCREEN: case stCONT: case stDEGREES:
    case stEND: case stFINDFILECLOSE: case stGREFRESH: case stHELP: case stLIST:
    case stLOADPICTURE: case stNEW: case stRADIANS: case stRANDOMIZE: case stRUN:
    case stSAVEPICTURE: case stSTOP: case stSYSTEM: case isClipboardClear:
    case isHelpCrossRef: case isHelpReservedWords: case isHelpTranslatorDump: case isHelpVariables:
    case isMediaPlayerClose: case isMediaPlayerPause: case isMediaPlayerPlay: case isMediaPlayerStop:
        TranslateNoArgs(s);
        return true;
    case stCHDIR: case stFILEPSET: case stGPRINT: case stKILL: case stLOAD: case stPRINTCTITLE:
    case stPRINTGTITLE: case stPRINTITITLE: case stPRINTTITLE: case stSYSCMD:
    case isMediaPlayerOpen: case StatementVariant(1, stRANDOMIZE):
        TranslateOneArg(s);
        return true;
    case isMixerMasterMute: case isMixerMasterVolume:
        TranslateAssignedArg(s);
        return true;
    case stSETENCODING: case stSETVERSION: case stSLEEP: case isClipboardSetText:
    case StatementVariant(1, stLOADPICTURE): case StatementVariant(1, stSAVEPICTURE):
        TranslateParenArgsStatement(s, 1);
        return true;
    case stCSCREEN: case stOPENCSCREEN: case stCWPOSITION: case stEWPOSITION: case stGFLOCATE: case stGLOCATE:
    case stGSCREEN: case stGWPOSITION: case stIBPOSITION: case stOPENGSCREEN: case stTSCREEN:
    case stTWPOSITION: case stWRITEALLTEXT: case stAPPENDALLTEXT: case StatementVariant(2, stLOADPICTURE):
    case StatementVariant(2, stSAVEPICTURE):
        TranslateParenArgsStatement(s, 2);
        return true;
    case StatementVariant(1, stWRITEALLTEXT): case StatementVariant(1, stAPPENDALLTEXT):
    case StatementVariant(3, stLOADPICTURE):
    case StatementVariant(3, stSAVEPICTURE):
        TranslateParenArgsStatement(s, 3);
        return true;
    case StatementVariant(1, stGSCREEN): case StatementVariant(1, stOPENGSCREEN):
        TranslateParenArgsStatement(s, 4);
        return true;
    case stCHKMSG: case stECHO: case stGSCROLL: case stGSTRETCH: case stMATHGRAPH:
        TranslateOnOff(s);
        return true;
    case stCBUTTON: case stCLABEL: case stCTEXTBOX:
        TranslateControlOnOff(s);
        return true;
    case stWRITEALLLINES:
        TranslateWriteAllLines(false);
        return true;
    case StatementVariant(1, stWRITEALLLINES):
        TranslateWriteAllLines(true);
        return true;
    case stCOLOR: case stCONSOLE: case stDELETE: case stEDIT: case stLLIST: case stLOCATE:
    case stLPRINT: case stMERGE: case stRENUM: case stSAVE: case stSEEK: case stVIEW:
        SetError(50025, s);
        return true;
    case stINCLUDE: case stOPTIONEXPLICIT: case stREM: case isOptionExplicitOff: case isOptionExplicitOn:
        return true;
    default:
        return false;
    }
}

bool IsControlFlowStatement(int32_t s)
{
    switch (s) {
    case stCALL: case stCASE: case stCASEELSE: case stDEF: case stDO: case stELSE: case stELSEIF:
    case stENDFUNCTION: case stENDIF: case stENDSELECT: case stENDSUB: case stEXITDO: case stEXITFOR:
    case stEXITFUNCTION: case stEXITSUB: case stFOR: case stFUNCTION: case stGOSUB: case stGOTO:
    case stIF: case stLOOP: case stNEXT: case stRESTORE: case stRETURN: case stSELECTCASE:
    case stSUB: case stWEND: case stWHILE: case isLoopDo: case isDoUntil: case isLoopUntil:
    case isLoopWhile:
        return true;
    default:
        return false;
    }
}

bool IsOtherStatement(int32_t s)
{
    switch (s) {
    case StatementVariant(1, stRUN): case stCIRCLE: case stCLOSE: case stCLS: case stDATA: case stDIM:
    case stEVALFORM: case stFILECOPY: case stFILES: case stINPUT: case stINPUT_FILE: case stLET:
    case stLINE: case stLINEINPUT: case stLINEINPUT_FILE: case stMOUSE: case stNAME: case stOPEN:
    case stPAINT: case stPRESET: case stPRINT: case stPRINT_FILE: case stPRINTUSING: case stPSET:
    case stREAD: case stSTRTOFORM: case stSWAP: case stWINDOW: case isPrintFileUsing:
        return true;
    default:
        return false;
    }
}

void DispatchStatement(int32_t s)
{
    if (DispatchGenericStatement(s))
        return;
    if (s == stCALL)
        TranslateCall(true);
    else if (IsControlFlowStatement(s))
        TranslateControlFlow(s);
    else if (IsOtherStatement(s))
        TranslateOtherStatement(s);
    else
        SetError(3, s);
}

void DispatchCell()
{
    switch (ReadCell.FirstCode) {
    case ckOperator:
        if (ReadCell.SecondCode == opMul)
            TranslateLabel();
        else if (ReadCell.SecondCode == opColon)
            TranslateColon();
        else if (ReadCell.SecondCode == opEndOfLine)
            TranslateEndOfLine();
        else
            SetError(53000);
        break;
    case ckNumLiteral:
        TranslateLineNumber();
        break;
    case ckNumVar:
    case ckStrVar:
    case ckBoolVar:
        DispatchNameCell();
        break;
    case ckFunction:
        DispatchFunctionCell(ReadCell.SecondCode);
        break;
    case ckStatement:
        DispatchStatement(ReadCell.SecondCode);
        break;
    case ckNone:
        break;
    default:
        SetError(50027);
        break;
    }
}

void ReadStatementStart()
{
    GetNextPreCode(ReadCell);
    StatementSourcePos = ReadCell.SourcePos;
    StatementCell = ReadCell;
}

bool IsPastTheEnd()
{
    if (ReadCell.FirstCode == ckEof)
        return true;
    if (RunMode != 1 && PreCodePos > PreCodeScanEnd)
        return true;
    // A direct command runs to its own end cell; never read past the store.
    return ReadCell.FirstCode == ckNone && PreCodePos > PreCodeMax;
}

} // namespace

void TranslateLineNumber()
{
    const long double number = GetNumLiteralValue(ReadCell);
    const int32_t position = ReadCell.SourcePos;
    if (!(number >= 1) || number != std::floor(number)) {
        SetError(54103);
        return;
    }
    try {
        LineNumbers.resize(size_t(LineNumberCount) + 2);
    } catch (const std::exception &) {
        SetError(30101);
        return;
    }
    ++LineNumberCount;
    LineNumbers[size_t(LineNumberCount)] = LineNumberType{number, CodePos, DataCount};
    EmitCode(CodeType{ckOperator, opColon, position});
    if (LineNumberCount >= 2 && number <= LineNumbers[size_t(LineNumberCount) - 1].Number)
        SetError(54103);
}

void TranslateStatements()
{
    RoutineContext = 0;
    ResetTranslatorStacks();
    ReadStatementStart();
    while (!IsPastTheEnd()) {
        DispatchCell();
        if (ErrorNumber != 0)
            break;
        ReadStatementStart();
    }
    if (RunMode != 1)
        CodeEnd = CodePos;
    EmitCode(CodeType{ckEof, 0, ScanTextLength});
}

void CheckOpenBlocks()
{
    if (!ForStack.Empty())
        ErrorNumber = 555;
    if (!LoopStack.Empty())
        ErrorNumber = 557;
    if (!IfStack.Empty())
        ErrorNumber = 567;
}

} // namespace ov
