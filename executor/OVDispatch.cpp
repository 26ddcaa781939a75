#include "executor/OVDispatch.h"

#include "devices/OVKeySetting.h"
#include "executor/OVCalls.h"
#include "executor/OVConsoleOut.h"
#include "executor/OVControlFlow.h"
#include "executor/OVControlProperties.h"
#include "executor/OVControlScreen.h"
#include "executor/OVDataFile.h"
#include "executor/OVDialogs.h"
#include "executor/OVDrawing.h"
#include "executor/OVFileFunc.h"
#include "executor/OVFormula.h"
#include "executor/OVGraphScreen.h"
#include "executor/OVInputBoxState.h"
#include "executor/OVMThread.h"
#include "executor/OVMediaStatements.h"
#include "executor/OVNumFunc.h"
#include "executor/OVOperators.h"
#include "executor/OVPenBrush.h"
#include "executor/OVPictures.h"
#include "executor/OVRunCommands.h"
#include "executor/OVRunHost.h"
#include "executor/OVStack.h"
#include "executor/OVStrFunc.h"
#include "executor/OVTimeFunc.h"
#include "executor/OVWindowSettings.h"
#include "language/OVBoolTbl.h"
#include "language/OVCode.h"
#include "language/OVGetTokenUnit.h"
#include "language/OVStrTbl.h"

#include <QDir>

namespace ov {

int32_t CurrentCode = 0;
bool ImmediateError = false;

namespace {

// ---------------------------------------------------------------- operands

void PushNumVar(const CodeType &cell)
{
    const NumVarType &record = NumVars[size_t(cell.SecondCode)];
    switch (record.Kind) {
    case nvSimple: PushNumber(record.Value); break;
    case nvDefFn: EnterUserFunction(cell); break;
    case nvArray: PushArrayElement(cell); break;
    default: break;  // labels and routines are operands of other cells
    }
}

void PushStrVar(const CodeType &cell)
{
    const StrVarType &record = StrVars[size_t(cell.SecondCode)];
    switch (record.Kind) {
    case svSimple: PushString(record.Value); break;
    case svDefFn: EnterUserFunction(cell); break;
    case svArray: PushArrayElement(cell); break;
    default: break;
    }
}

void PushBoolVar(const CodeType &cell)
{
    const BoolVarType &record = BoolVars[size_t(cell.SecondCode)];
    if (record.Kind == bvSimple)
        PushBool(record.Value != 0);
    else if (record.Kind == bvArray)
        PushArrayElement(cell);
}

void PushLocal(const CodeType &cell, bool isString)
{
    const int64_t slot = int64_t(isString ? LocalStrBase : LocalNumBase) + cell.SecondCode;
    if (isString) {
        PushString(slot >= 0 && slot < int64_t(LocalStrVars.size()) ? LocalStrVars[size_t(slot)].Value : QString());
    } else {
        PushNumber(slot >= 0 && slot < int64_t(LocalNumVars.size()) ? LocalNumVars[size_t(slot)].Value : 0.0L);
    }
}

void PushWorkVar(const CodeType &cell)
{
    const int32_t n = cell.SecondCode;
    if (n < 1 || n > 2)
        return;
    switch (cell.FirstCode) {
    case ckWorkNumVar: PushNumber(WorkNumVars[n].Value); break;
    case ckWorkStrVar: PushString(WorkStrVars[n].Value); break;
    default: PushBool(WorkBoolVars[n].Value != 0); break;
    }
}

// ---------------------------------------------------------------- operators

void DispatchOperator(int32_t op)
{
    switch (op) {
    case opEq: OpEqual(); break;
    case opNe: OpNotEqual(); break;
    case opLt: OpLess(); break;
    case opGt: OpGreater(); break;
    case opLe: OpLessEqual(); break;
    case opGe: OpGreaterEqual(); break;
    case opAdd: OpAdd(); break;
    case opSub: OpSubtract(); break;
    case opMul: OpMultiply(); break;
    case opDiv: OpDivide(); break;
    case opIntDiv: OpIntDivide(); break;
    case opMod: OpMod(); break;
    case opPow: OpPower(); break;
    case opNot: OpNot(); break;
    case opAnd: OpAnd(); break;
    case opOr: OpOr(); break;
    case opXor: OpXor(); break;
    case opImp: OpImp(); break;
    case opEqv: OpEqv(); break;
    case opConcat: OpConcat(); break;
    case opChgSgn: OpChgSgn(); break;
    default: break;
    }
}

// ---------------------------------------------------------------- functions

// TAB(n): the number on top becomes a column mark for PRINT.
void FnTab()
{
    if (TopTag() != tagNumber) {
        SetError(50011, fnTAB);
        return;
    }
    TagStack[size_t(TagStackTop)] = tagTabMark;
}


void DispatchFunction(int32_t f)
{
    switch (f) {
    case fnCSRLIN:
    case fnPOS: SetError(50023, f); break;
    case fnGETCURRENTDIR: PushString(QDir::toNativeSeparators(QDir::currentPath())); break;
    case fnGETPROGRAMDIR: PushString(ProgramDir); break;
    case fnTAB: FnTab(); break;
    default:
        if (DispatchNumericFunction(f) || DispatchStringFunction(f) || DispatchTimeFunction(f)
            || DispatchFileFunction(f) || DispatchDialogFunction(f) || DispatchControlFunction(f)
            || DispatchWindowSettingRead(f) || DispatchDrawingFunction(f) || DispatchPenBrushFunction(f)
            || DispatchMediaFunction(f) || DispatchPictureFunction(f))
            break;
        // A built-in that this version does not carry.
        SetError(50023, f <= FunctionCount ? f : 0);
        break;
    }
}

// ---------------------------------------------------------------- statements

void ExecInput(bool lineInput)
{
    InputRestartPos = CodePos - 1;
    if (lineInput)
        LineInputActive = 1;
    Synchronised(ShowInputNumForm);
    if (StopRequested.load() != 0)
        NoteInputCancelled();
    Synchronised([] { Host().ShowRunForm(); });
    LineInputActive = 0;
}

bool DispatchInternalStatement(int32_t s)
{
    switch (s) {
    case isDefFnReturn: ExecLeaveUserFunction(); return true;
    case isFunctionEnd: return true;  // a marker, passed on every FUNCTION call
    case isEvalFormEnd: FormulaErrorMode = 0; return true;
    case isInputNumItem: ExecInputNumberItem(); return true;
    case isInputStrItem: ExecInputStringItem(); return true;
    case isGlPop: ExecBindParameters(); return true;
    case isGlPush: ExecPushArguments(); return true;
    case isCaseList: ExecCaseValues(); return true;
    case isCaseIsEq: case isCaseIsLt: case isCaseIsLe: case isCaseIsGt: case isCaseIsGe:
    case isCaseIsNe:
        ExecCaseIs(s);
        return true;
    case isJumpIfTrue: ExecBranchIfTrue(); return true;
    case isCaseRange: ExecCaseRange(); return true;
    case isLoPopAll: ExecRestoreLocals(); return true;
    case isLoPushAll: ExecSaveLocals(); return true;
    case isSubJump: ExecCallRoutine(); return true;
    case StatementVariant(1, stRANDOMIZE): ExecRandomizeSeed(); return true;
    default: return false;
    }
}

LoopExit DispatchStatement(int32_t s)
{
    switch (s) {
    case stBEEP: ExecBeep(); break;
    case stCHKMSG: ExecChkMsg(); break;
    case stCLS: Synchronised(ExecCls); break;
    case stCONT:
        Synchronised(ExecCont);
        return LoopExit::Cont;
    case stDATA: case stDEF: case stDIM: ExecSkipStatement(); break;
    case stDEGREES: RadiansMode = 0; break;
    case stECHO: ExecEcho(); break;
    case stEND: ExecEnd(); break;
    case stENDFUNCTION: case stENDSUB: ExecEndSub(); break;
    case stGOSUB: ExecGotoGosub(true); break;
    case stGOTO: ExecGotoGosub(false); break;
    case stIF: ExecIf(); break;
    case stINPUT: ExecInput(false); break;
    case stLET: ExecLet(); break;
    case stLINEINPUT: ExecInput(true); break;
    case stNEW: SourceText.clear(); break;
    case stPRINT: ExecPrint(); break;
    case stPRINTUSING: ExecPrintUsing(); break;
    case stRADIANS: RadiansMode = 1; break;
    case stRANDOMIZE: ExecRandomize(); break;
    case stREAD: ExecRead(); break;
    case stRESTORE: ExecRestore(); break;
    case stRETURN: ExecReturn(); break;
    case stRUN:
        ExecRun();
        return LoopExit::Run;
    case stSTOP: Synchronised(ExecStop); break;
    case stSYSTEM:
        CloseAppAtEnd = 1;
        return LoopExit::System;
    case stON: case stOFF: case stCALL:
        break;
    // Markers of every SUB call, passed without looking through the tables below.
    case isCallStart: case isSubStart: case isSubEnd:
        break;
    default:
        // Drawing first after the internal statements: PSET in a loop is the hot case.
        if (DispatchInternalStatement(s) || DispatchDrawingStatement(s) || DispatchDataFileStatement(s)
            || DispatchFileStatement(s) || DispatchFormulaStatement(s) || DispatchFileSystemStatement(s)
            || DispatchGraphScreenStatement(s) || DispatchPenBrushStatement(s)
            || DispatchWindowSettingStatement(s) || DispatchMediaStatement(s)
            || DispatchPictureStatement(s) || DispatchControlScreenStatement(s))
            break;
        if (s <= StatementCount)
            SetError(50025, s);  // a statement this version does not carry
        break;  // the other internal values do nothing
        break;
    }
    return LoopExit::None;
}

} // namespace

LoopExit DispatchCell(const CodeType &cell)
{
    switch (cell.FirstCode) {
    case ckOperator: DispatchOperator(cell.SecondCode); break;
    case ckFunction: DispatchFunction(cell.SecondCode); break;
    case ckStatement: return DispatchStatement(cell.SecondCode);
    case ckNumConst: PushNumber(NumConstants[cell.SecondCode]); break;
    case ckStrConst: PushString(StrConstants[cell.SecondCode]); break;
    case ckNumLiteral: PushNumber(NumLiterals[size_t(cell.SecondCode) + 1]); break;
    case ckNumVar: PushNumVar(cell); break;
    case ckLocalNumVar: PushLocal(cell, false); break;
    case ckNumArrVar: PushNumVarRef(cell.SecondCode); break;
    case ckStrLiteral: PushString(StrLiterals[size_t(cell.SecondCode)]); break;
    case ckStrVar: PushStrVar(cell); break;
    case ckLocalStrVar: PushLocal(cell, true); break;
    case ckStrArrVar: PushStrVarRef(cell.SecondCode); break;
    case ckBoolConst: PushBool(BoolConstants[cell.SecondCode] != 0); break;
    case ckBoolVar: PushBoolVar(cell); break;
    case ckBoolArrVar: PushBoolVarRef(cell.SecondCode); break;
    case ckPrintSep:
        if (cell.SecondCode == opComma)
            PrintComma();
        else if (cell.SecondCode == stPRINT)
            PrintLine(QString());
        break;
    case ckFilePrintSep: DispatchFilePrintSeparator(cell.SecondCode); break;
    case ckWorkNumVar: case ckWorkStrVar: case ckWorkBoolVar: PushWorkVar(cell); break;
    case ckPopLocalNum: StoreLocalNumber(cell.SecondCode); break;
    case ckPopLocalStr: StoreLocalString(cell.SecondCode); break;
    case ckLocalNumCount: PushFrameSizes(cell.SecondCode); break;
    case ckBoolVarRange: LoadCallRecord(cell.SecondCode); break;
    default: break;  // brackets, addresses and markers are read by their handlers
    }
    return LoopExit::None;
}

} // namespace ov
