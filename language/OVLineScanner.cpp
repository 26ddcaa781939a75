#include "language/OVLineScanner.h"

#include "language/OVBoolTbl.h"
#include "language/OVDeclared.h"
#include "language/OVGetTokenUnit.h"
#include "language/OVKeywordRewrite.h"
#include "language/OVPreCode.h"
#include "language/OVRunMode.h"
#include "language/OVStrTbl.h"
#include "language/OVVarTable.h"

namespace ov {

CodeType LastToken;
int32_t RoutineCount = 0;
uint8_t OptionAllowed = 1;
BlockChkType LastBlockChk;
uint8_t SingleLineIfOpen = 0;
int32_t RoutineRangePos = 0;
CodeType EmitCell;

namespace {

std::vector<BlockChkType> BlockChkStack;
std::vector<CodeType> ParamCellStack;
int32_t ScanStartPos = 0;  // PreCodePos when this scan began

CodeType Cell(int32_t kind, int32_t value) { return CodeType{kind, value, 0}; }
bool IsOp(const CodeType &cell, int32_t op) { return cell.FirstCode == ckOperator && cell.SecondCode == op; }
bool IsSt(const CodeType &cell, int32_t s) { return cell.FirstCode == ckStatement && cell.SecondCode == s; }

void Emit(const CodeType &cell)
{
    EmitPreCode(cell);
    LastToken = cell;
}

// Reads the next token into TokenCell and EmitCell.
void NextToken()
{
    GetToken(TokenCell, tmRegister);
    EmitCell = TokenCell;
}

// The next token, read again later; the position of the next emitted cell stays.
CodeType PeekNext()
{
    const int32_t sourcePos = TokenSourcePos;
    const CodeType prev = PrevToken;
    CodeType next;
    PeekToken(next);
    TokenSourcePos = sourcePos;
    PrevToken = prev;
    return next;
}

// Block errors replace the "empty stack" error that the failed pop raised.
void BlockError(int32_t number, int32_t subject)
{
    ClearError();
    SetError(number, subject);
}

// The block record of DO WHILE; DO UNTIL's is the statement isDoUntil.
constexpr int32_t kDoWhileBlock = 240;

// The statement a block error names: a DO loop's records name DO.
int32_t SubjectOr(int32_t code, int32_t fallback)
{
    if (code == isDoUntil || code == kDoWhileBlock)
        return stDO;
    return code < 1 ? fallback : code;
}

// Pops a record that must be one of two codes; false (with the error) otherwise.
bool PopExpecting(int32_t a, int32_t b, int32_t error, int32_t fallbackSubject)
{
    const BlockChkType record = PopBlockChk();
    if (record.Code == a || record.Code == b)
        return true;
    BlockError(error, SubjectOr(record.Code, fallbackSubject));
    return false;
}

// The last cell becomes another statement (END IF -> ENDIF and the like).
void FuseLast(int32_t statement)
{
    CodeType cell = LastWritten();
    cell.FirstCode = ckStatement;
    cell.SecondCode = statement;
    OverwriteLast(cell);
}

// ---------------------------------------------------------------- IF blocks

void EmitGotoBeforeLineNumber()
{
    if (PeekNext().FirstCode == ckNumLiteral)
        Emit(Cell(ckStatement, stGOTO));
}

void HandleIf()
{
    if (IsSt(LastWritten(), stEND)) {
        FuseLast(stENDIF);
        PopExpecting(stTHEN, stELSE, 52360, 0);
        return;
    }
    Emit(Cell(ckStatement, stIF));
    PushBlockChk({stIF, {}});
}

void HandleThen()
{
    const CodeType next = PeekNext();
    const bool comment = IsLineCommentMark(next);
    SingleLineIfOpen = EndsStatement(next) ? 0 : 1;
    if (!PopExpecting(stIF, stELSEIF, 52361, 0)) {
        if (comment)
            SkipCommentToLineEnd();
        return;
    }
    Emit(EmitCell);
    EmitEndOfLine();
    if (next.FirstCode == ckNumLiteral)
        Emit(Cell(ckStatement, stGOTO));
    PushBlockChk({stTHEN, {}});
    if (comment)
        SkipCommentToLineEnd();
}

void HandleElse()
{
    if (IsSt(LastWritten(), stCASE)) {
        FuseLast(stCASEELSE);
        return;
    }
    if (!PopExpecting(stTHEN, stTHEN, 52362, stELSE))
        return;
    EmitEndOfLine();
    Emit(EmitCell);
    EmitEndOfLine();
    EmitGotoBeforeLineNumber();
    PushBlockChk({stELSE, {}});
}

void HandleElseIf()
{
    if (!PopExpecting(stTHEN, stTHEN, 52362, stELSEIF))
        return;
    EmitEndOfLine();
    Emit(EmitCell);
    PushBlockChk({stELSEIF, {}});
}

void HandleEndIf()
{
    if (PopExpecting(stTHEN, stELSE, 52360, stENDIF))
        Emit(EmitCell);
}

// ---------------------------------------------------------------- loops and SELECT

void HandleFor()
{
    const int32_t forPos = TokenSourcePos;
    Emit(EmitCell);
    NextToken();
    if (EmitCell.FirstCode == ckNumVar) {
        Emit(EmitCell);
        const auto index = size_t(EmitCell.SecondCode);
        PushBlockChk({stFOR, index < NumVars.size() ? NumVars[index].Name : QString(), forPos});
    } else if (IsSt(EmitCell, stAPPEND) || IsSt(EmitCell, stINPUT) || IsSt(EmitCell, stOUTPUT)) {
        Emit(EmitCell);
    } else {
        SetError(52330);
    }
}

void HandleNext()
{
    const BlockChkType record = PopBlockChk();
    if (record.Code != stFOR) {
        BlockError(52340, SubjectOr(record.Code, stNEXT));
        return;
    }
    Emit(EmitCell);
    NextToken();
    if (EmitCell.FirstCode != ckNone && EndsStatement(EmitCell)) {
        HandleToken();  // ":", the line end or a comment, handled as anywhere
    } else if (EmitCell.FirstCode == ckNumVar) {
        const auto index = size_t(EmitCell.SecondCode);
        if (index >= NumVars.size() || NumVars[index].Name != record.Text)
            BlockError(52342, SubjectOr(record.Code, stNEXT));
    } else {
        BlockError(52341, SubjectOr(record.Code, stNEXT));
    }
}

void HandleWhile()
{
    const CodeType last = LastWritten();
    if (IsSt(last, stDO)) {
        FuseLast(stWHILE);
        if (!BlockChkStack.empty())
            BlockChkStack.back().Code = kDoWhileBlock;
    } else if (IsSt(last, stLOOP)) {
        if (PopExpecting(stDO, stDO, 52383, 0))
            FuseLast(isLoopWhile);
    } else if (IsSt(last, stEND)) {
        if (PopExpecting(stWHILE, stWHILE, 52350, stWEND))
            FuseLast(stWEND);
    } else {
        Emit(EmitCell);
        PushBlockChk({stWHILE, {}});
    }
}

void HandleWend()
{
    if (PopExpecting(stWHILE, stWHILE, 52350, stWEND))
        Emit(EmitCell);
}

void HandleUntil()
{
    const CodeType last = LastWritten();
    if (IsSt(last, stDO)) {
        FuseLast(isDoUntil);
        if (!BlockChkStack.empty())
            BlockChkStack.back().Code = isDoUntil;
    } else if (IsSt(last, stLOOP)) {
        if (PopExpecting(stDO, stDO, 52381, 0))
            FuseLast(isLoopUntil);
    } else {
        SetError(52381, SubjectOr(LastBlockChk.Code, stUNTIL));
    }
}

void HandleLoop()
{
    const CodeType next = PeekNext();
    const BlockChkType record = PopBlockChk();
    const bool loopWhile = IsSt(next, stWHILE);
    if (loopWhile || IsSt(next, stUNTIL)) {
        if (record.Code != stDO) {
            BlockError(loopWhile ? 52383 : 52381, SubjectOr(record.Code, stLOOP));
            return;
        }
        GetToken(TokenCell, tmRegister);
        EmitCell.SecondCode = loopWhile ? isLoopWhile : isLoopUntil;
        Emit(EmitCell);
        return;
    }
    switch (record.Code) {
    case stDO: EmitCell.SecondCode = isLoopDo; break;
    case isDoUntil: EmitCell.SecondCode = stLOOP; break;
    case kDoWhileBlock: EmitCell.SecondCode = stWEND; break;
    default: BlockError(52382, SubjectOr(record.Code, stLOOP)); return;
    }
    Emit(EmitCell);
}

void HandleExit()
{
    const int32_t exitPos = TokenSourcePos;  // the fused statement stands at EXIT
    NextToken();
    int32_t fused = 0;
    if (IsSt(EmitCell, stDO)) fused = stEXITDO;
    else if (IsSt(EmitCell, stFOR)) fused = stEXITFOR;
    else if (IsSt(EmitCell, stFUNCTION)) fused = stEXITFUNCTION;
    else if (IsSt(EmitCell, stSUB)) fused = stEXITSUB;
    if (fused == 0) {
        SetError(52384, SubjectOr(LastBlockChk.Code, 0));
        return;
    }
    EmitCell.SecondCode = fused;
    TokenSourcePos = exitPos;
    Emit(EmitCell);
}

void HandleSelect()
{
    if (IsSt(LastWritten(), stEND)) {
        const BlockChkType record = PopBlockChk();
        if (record.Code != stCASE) {
            BlockError(50024, SubjectOr(record.Code, stSELECT));
            return;
        }
        FuseLast(stENDSELECT);
        return;
    }
    Emit(EmitCell);
    PushBlockChk({stCASE, {}});
}

void HandleCase()
{
    if (IsSt(LastWritten(), stSELECT)) {
        FuseLast(stSELECTCASE);
        return;
    }
    if (!PopExpecting(stCASE, stCASE, 50024, stCASE))
        return;
    Emit(EmitCell);
    PushBlockChk({stCASE, {}});
}

// ---------------------------------------------------------------- routines

// Skips the rest of a statement raw, up to and including ":" or the line end.
// A string literal is passed whole (INCLUDE "a:b.ovt"), and so is a comment,
// so that a ":" inside it ends nothing. With stopAtComment a line comment is
// left to be read next as a token.
void SkipRestOfStatement(bool stopAtComment = false)
{
    if (SkipStatementRest() == StatementRestEnd::LineComment && !stopAtComment)
        SkipCommentToLineEnd();
}

void SetRecordKindOf(const CodeType &cell, uint8_t numericKind, uint8_t otherKind)
{
    const auto index = size_t(cell.SecondCode);
    if (cell.FirstCode == ckNumVar && index < NumVars.size())
        NumVars[index].Kind = numericKind;
    else if (cell.FirstCode == ckStrVar && index < StrVars.size())
        StrVars[index].Kind = otherKind;
    else if (cell.FirstCode == ckBoolVar && index < BoolVars.size())
        BoolVars[index].Kind = otherKind;
}

// A routine defined in a typed line would take over the record of the
// program's routine of that name, and its code lives only until the next
// typed line overwrites the scratch cells: SUB, FUNCTION and DEF are refused
// there.
bool RefusedInTypedLine(int32_t statement)
{
    if (RunMode != 1)
        return false;
    SetError(20001, statement);
    return true;
}

bool IsDroppedTypeWord(const CodeType &cell)
{
    return IsSt(cell, stAS) || IsSt(cell, stBOOLEAN) || IsSt(cell, stREAL) || IsSt(cell, stSTRING);
}

void EmitRangeCells()
{
    Emit(Cell(ckBoolVarRange, BoolVarCount));
    RoutineRangePos = PreCodePos;
    Emit(Cell(ckBoolVarRange, BoolVarCount));
    Emit(Cell(ckNumVarRange, NumVarCount));
    Emit(Cell(ckNumVarRange, NumVarCount));
    Emit(Cell(ckStrVarRange, StrVarCount));
    Emit(Cell(ckStrVarRange, StrVarCount));
}

// Copies a routine's parameter list after its "("; false when it ended at a
// statement end (which has then been consumed and handled).
bool CopyParameterList(bool isSub)
{
    int depth = 1;
    while (ErrorNumber == 0) {
        NextToken();
        if (EmitCell.FirstCode == ckNone)
            return false;
        if (EndsStatement(EmitCell)) {
            HandleToken();
            return false;
        }
        if (IsDroppedTypeWord(EmitCell))
            continue;
        if (EmitCell.FirstCode == ckStatement) {
            SetError(50024, isSub ? stSUB : stFUNCTION);
            return false;
        }
        if (IsOp(EmitCell, opLParen)) {
            if (RewriteWholeArray(true))
                continue;
            ++depth;
        } else if (IsOp(EmitCell, opRParen) && --depth == 0) {
            Emit(EmitCell);
            return true;
        }
        Emit(EmitCell);
    }
    return false;
}

void OpenRoutine(int32_t code)
{
    const bool isSub = code == stSUB;
    if (RefusedInTypedLine(code))
        return;
    Emit(EmitCell);
    if (!BlockChkStack.empty()) {
        SetError(isSub ? 52321 : 52311, code);
        return;
    }
    PushBlockChk({code, {}});
    DeclContext = isSub ? dcSubName : dcFunctionName;
    NextToken();
    const int32_t kind = EmitCell.FirstCode;
    if (kind == ckNumVar)
        SetRecordKindOf(EmitCell, isSub ? nvSub : nvFunction, 0);
    else if (!isSub && (kind == ckStrVar || kind == ckBoolVar))
        SetRecordKindOf(EmitCell, 0, svFunction);
    else {
        SetError(isSub ? 52322 : 52312, code);
        return;
    }
    Emit(EmitCell);
    EmitRangeCells();
    ++RoutineCount;
    ScopePrefix = ScopePrefixFor(RoutineCount);
    bool restOfLine = true;
    if (IsOp(PeekNext(), opLParen)) {
        NextToken();
        Emit(EmitCell);
        DeclContext = isSub ? dcSubParams : dcFunctionParams;
        restOfLine = CopyParameterList(isSub);
    }
    if (ErrorNumber != 0)
        return;
    DeclContext = dcNone;
    if (restOfLine)
        SkipRestOfStatement(true);
    DeclContext = isSub ? dcSubBody : dcFunctionBody;
    EmitEndOfLine();
}

void CloseRoutine(int32_t code, bool fused)
{
    const int32_t endCode = code == stSUB ? stENDSUB : stENDFUNCTION;
    const BlockChkType record = PopBlockChk();
    if (record.Code != code) {
        BlockError(code == stSUB ? 52320 : 52310, SubjectOr(record.Code, endCode));
        return;
    }
    if (fused)
        FuseLast(endCode);
    else
        Emit(EmitCell);
    if (RoutineRangePos > 0 && RoutineRangePos + 4 <= PreCodeMax) {
        PreCodeArray[size_t(RoutineRangePos)].SecondCode = BoolVarCount;
        PreCodeArray[size_t(RoutineRangePos) + 2].SecondCode = NumVarCount;
        PreCodeArray[size_t(RoutineRangePos) + 4].SecondCode = StrVarCount;
    }
    ScopePrefix.clear();
    DeclContext = dcNone;
    if (fused)
        EmitEndOfLine();
}

void HandleRoutineKeyword(int32_t code)
{
    if (IsSt(LastWritten(), stEND))
        CloseRoutine(code, true);
    else
        OpenRoutine(code);
}

// Reads the DEF FN parameters up to ")" onto ParamCellStack.
bool ReadDefParameters()
{
    for (;;) {
        CodeType param;
        ReadDefParameter(param);
        if (ErrorNumber != 0)
            return false;
        ParamCellStack.push_back(param);
        CodeType separator;
        GetToken(separator, tmRegister);
        if (IsOp(separator, opRParen))
            return true;
        if (!IsOp(separator, opComma)) {
            SetError(591, stDEF);
            return false;
        }
    }
}

// The body is an expression like any other: its keywords are rewritten,
// its signs folded and its block comments skipped as anywhere else.
void ScanDefBody()
{
    while (ErrorNumber == 0) {
        NextToken();
        if (EmitCell.FirstCode == ckNone)
            return;
        const bool end = EndsStatement(EmitCell);
        HandleToken();
        if (end)
            return;
    }
}

void HandleDef()
{
    if (RefusedInTypedLine(stDEF))
        return;
    Emit(EmitCell);
    NextToken();
    SetRecordKindOf(EmitCell, nvDefFn, svDefFn);
    Emit(EmitCell);
    const CodeType name = EmitCell;
    ++RoutineCount;
    ScopePrefix = ScopePrefixFor(RoutineCount);
    NextToken();
    if (!IsOp(EmitCell, opLParen)) {
        SetError(163, stDEF);
        return;
    }
    ParamCellStack.clear();
    InitLocalNumTable();
    InitLocalStrTable();
    if (!ReadDefParameters())
        return;
    if (const int32_t routine = FindDeclaredRoutine(name))
        DcVarTable[routine].Parameters = int32_t(ParamCellStack.size());
    while (!ParamCellStack.empty()) {
        const CodeType param = ParamCellStack.back();
        ParamCellStack.pop_back();
        Emit(Cell(param.FirstCode == ckLocalStrVar ? ckPopLocalStr : ckPopLocalNum, param.SecondCode));
    }
    Emit(Cell(ckLocalNumCount, LocalNumCount));
    Emit(Cell(ckLocalStrCount, LocalStrCount));
    NextToken();
    if (!IsOp(EmitCell, opEq)) {
        SetError(591, stDEF);
        return;
    }
    Emit(EmitCell);
    DefLocalsActive = 1;
    ScanDefBody();
    DeclContext = dcNone;
    DefLocalsActive = 0;
    ScopePrefix.clear();
}

void HandleCall()
{
    Emit(EmitCell);
    const QString savedPrefix = ScopePrefix;
    ScopePrefix.clear();
    NextToken();
    ScopePrefix = savedPrefix;
    if (EmitCell.FirstCode != ckNumVar) {
        SetError(52322, stCALL);
        return;
    }
    const auto index = size_t(EmitCell.SecondCode);
    const QString name = index < NumVars.size() ? NumVars[index].Name : QString();
    const int32_t declared = FindDeclared(name);
    if (declared == 0 || DeclaredKind(declared) != dkSub) {
        SetError(53013, stCALL);
        return;
    }
    Emit(EmitCell);
    NumVars[index].Kind = nvSub;
}

// ---------------------------------------------------------------- declarations

// The context of DIM: outside routines, in a SUB, in a FUNCTION; 0 when out of place.
uint8_t DimContext()
{
    switch (DeclContext) {
    case dcNone: return dcDim;
    case dcSubBody: return dcSubParams;
    case dcFunctionBody: return dcFunctionParams;
    default: return 0;
    }
}

void CopyDeclarationList(uint8_t context, uint8_t outer, int32_t subject)
{
    int depth = 0;
    DeclContext = context;
    while (ErrorNumber == 0) {
        NextToken();
        if (EmitCell.FirstCode == ckNone)
            break;
        if (EndsStatement(EmitCell)) {
            DeclContext = outer;
            HandleToken();
            break;
        }
        if (IsDroppedTypeWord(EmitCell))
            continue;
        if (IsOp(EmitCell, opLParen) && ++depth == 1)
            DeclContext = outer;  // bounds are ordinary expressions
        else if (IsOp(EmitCell, opRParen) && depth > 0 && --depth == 0)
            DeclContext = context;
        Emit(EmitCell);
    }
    if (ErrorNumber != 0 && ErrorSubject == 0)
        ErrorSubject = subject;
    DeclContext = outer;
}

void HandleConstants(uint8_t context, int32_t subject);

void HandleDimOrPublic(bool isPublic)
{
    const uint8_t outer = DeclContext;
    CodeType next;
    PeekTokenClass(next);  // a look that registers no name: PUBLIC declares the names that follow
    if (isPublic && IsSt(next, stCONST)) {
        NextToken();
        HandleConstants(dcPublicConst, stPUBLICCONST);
        return;
    }
    // A typed line's names were never declared: the declaration pass reads
    // only a program.
    if (RefusedInTypedLine(isPublic ? stPUBLIC : stDIM))
        return;
    const uint8_t context = isPublic ? (outer == dcNone ? dcPublic : 0) : DimContext();
    if (context == 0) {
        SetError(50024, isPublic ? stPUBLIC : stDIM);
        return;
    }
    EmitCell.SecondCode = stDIM;
    Emit(EmitCell);
    CopyDeclarationList(context, outer, isPublic ? stPUBLIC : stDIM);
}

// One constant: name, "=", a literal of its type. False when the list ends or fails.
bool ReadOneConstant(int32_t subject)
{
    CodeType name;
    GetToken(name, tmDeclare);
    if (ErrorNumber != 0)
        return false;
    if (name.FirstCode != 15 && name.FirstCode != 25 && name.FirstCode != 35) {
        SetError(54102, subject);
        return false;
    }
    CodeType token;
    GetToken(token, tmRegister);
    if (!IsOp(token, opEq)) {
        SetError(50024, subject);
        return false;
    }
    GetToken(token, tmRegister);
    // A signed number is a literal too (CONST NEG = -5).
    const bool signed_ = IsOp(token, opAdd) || IsOp(token, opSub);
    const bool negative = IsOp(token, opSub);
    if (signed_)
        GetToken(token, tmRegister);
    const int32_t wanted = name.FirstCode == 15 ? ckNumLiteral : name.FirstCode == 25 ? ckStrLiteral : ckBoolConst;
    const bool isValue = token.FirstCode == ckNumLiteral || token.FirstCode == ckStrLiteral
        || token.FirstCode == ckBoolConst;
    if (signed_ && token.FirstCode != ckNumLiteral) {
        SetError(50024, subject);
        return false;
    }
    if (token.FirstCode != wanted) {
        SetError(isValue ? 50022 : 50024, subject);
        return false;
    }
    if (negative && AddNumLiteralValue(-GetNumLiteralValue(token)).FirstCode == ckNone)
        return false;
    int32_t value = token.SecondCode;  // the truth value of TRUE or FALSE
    if (wanted == ckNumLiteral)
        value = NumLiteralCount;
    else if (wanted == ckStrLiteral)
        value = StrLiteralCount;
    DcVarTable[name.SecondCode].Value = value;
    return true;
}

void HandleConstants(uint8_t context, int32_t subject)
{
    const uint8_t outer = DeclContext;
    DeclContext = context;
    while (ReadOneConstant(subject)) {
        NextToken();
        if (IsOp(EmitCell, opComma))
            continue;
        DeclContext = outer;
        if (EndsStatement(EmitCell))
            HandleToken();
        else
            SetError(50024, subject);
        break;
    }
    if (ErrorNumber != 0 && ErrorSubject == 0)
        ErrorSubject = subject;
    DeclContext = outer;
}

void HandleConst()
{
    uint8_t context = 0;
    switch (DeclContext) {
    case dcNone: context = dcConst; break;
    case dcSubBody: context = dcSubConst; break;
    case dcFunctionBody: context = dcFunctionConst; break;
    default: SetError(50024, stCONST); return;
    }
    HandleConstants(context, stCONST);
}

// ---------------------------------------------------------------- included text

void HandleInclude()
{
    if (InIncludeText != 0) {
        SetError(54053);
        return;
    }
    IncludeSourcePos = TokenSourcePos;
    Emit(EmitCell);
    SkipRestOfStatement();
    IncludeAnchor = LinePos - IncludeOffset;
    EmitEndOfLine();
    HandleEndOfLine();
    InIncludeText = 1;
}

void HandleIncludeOff()
{
    if (InIncludeText == 0) {
        SetError(54054);
        return;
    }
    InIncludeText = 0;
    IncludeOffset = LinePos - IncludeAnchor + 5;
}

// ---------------------------------------------------------------- dispatch

void HandleNumericLiteral()
{
    const CodeType sign = LastWritten();
    const CodeType before = WrittenBack(2);
    const bool signed_ = IsOp(sign, opAdd) || IsOp(sign, opSub);
    const bool foldable = IsOp(before, opEq) || IsOp(before, opComma) || IsSt(before, stDATA);
    // -2 ^ 2 is -(2 ^ 2): the sign stays an operator before a power.
    if (signed_ && foldable && !IsOp(PeekNext(), opPow)) {
        DropLast();
        if (IsOp(sign, opSub)) {
            // A new entry, so that a constant's literal is never changed in place.
            const CodeType negated = AddNumLiteralValue(-GetNumLiteralValue(EmitCell));
            if (ErrorNumber != 0)
                return;
            EmitCell.SecondCode = negated.SecondCode;
        }
    }
    Emit(EmitCell);
}

// The name the current token was read from (a constant's, when the token is
// a literal); empty when the token was no name. The lexer notes where the
// name began, past any comment or continuation before it.
QString NameOfToken()
{
    const int32_t first = NameStartPos - 1;  // the name's first letter
    if (first < TokenStart || first >= LinePos)
        return {};
    return ScanText.mid(first - 1, LinePos - first).toUpper();
}

// A constant's name where a statement begins (C = 2 after CONST C = 1): its
// literal would be taken for a line number or a misplaced value. The error
// names the constant.
bool RefuseConstantStatement()
{
    const bool constantCell = TokenCell.FirstCode == ckNumLiteral || TokenCell.FirstCode == ckStrLiteral
        || TokenCell.FirstCode == ckBoolConst;
    if (!constantCell || !IsStatementPosition(false))
        return false;
    const QString name = NameOfToken();
    if (name.isEmpty() || LookupBoolConst(name) != 0)
        return false;  // a number, or TRUE and FALSE, whose statement errors fit them
    SetError(53000);
    ErrorSubjectText = name;
    return true;
}

void HandleComment()
{
    if (SkipCommentToLineEnd()) {
        EmitEndOfLine();
        HandleEndOfLine();
    }
}

bool HandleStatementToken()
{
    switch (EmitCell.SecondCode) {
    case stIF: HandleIf(); return true;
    case stTHEN: HandleThen(); return true;
    case stELSE: HandleElse(); return true;
    case stELSEIF: HandleElseIf(); return true;
    case stENDIF: HandleEndIf(); return true;
    case stFOR: HandleFor(); return true;
    case stNEXT: HandleNext(); return true;
    case stDO: Emit(EmitCell); PushBlockChk({stDO, {}}); return true;
    case stWHILE: HandleWhile(); return true;
    case stWEND: HandleWend(); return true;
    case stUNTIL: HandleUntil(); return true;
    case stLOOP: HandleLoop(); return true;
    case stEXIT: HandleExit(); return true;
    case stSELECT: HandleSelect(); return true;
    case stCASE: HandleCase(); return true;
    case stSUB: HandleRoutineKeyword(stSUB); return true;
    case stFUNCTION: HandleRoutineKeyword(stFUNCTION); return true;
    case stENDSUB: CloseRoutine(stSUB, false); return true;
    case stENDFUNCTION: CloseRoutine(stFUNCTION, false); return true;
    case stDEF: HandleDef(); return true;
    case stCALL: HandleCall(); return true;
    case stDIM: HandleDimOrPublic(false); return true;
    case stPUBLIC: HandleDimOrPublic(true); return true;
    case stCONST: HandleConst(); return true;
    case stINCLUDE: HandleInclude(); return true;
    case stINCLUDEOFF: HandleIncludeOff(); return true;
    case stREM: HandleComment(); return true;
    default: return false;
    }
}

} // namespace

// ---------------------------------------------------------------- interface

QString ScopePrefixFor(int32_t routine)
{
    return QString::number(routine % 10000).rightJustified(4, u'0');
}

void EmitEndOfLine()
{
    Emit(Cell(ckOperator, opEndOfLine));
}

void PushBlockChk(const BlockChkType &record)
{
    LastBlockChk = record;
    if (LastBlockChk.SourcePos == 0)
        LastBlockChk.SourcePos = TokenSourcePos;
    if (int(BlockChkStack.size()) >= BlockChkDepth) {
        SetError(52303);
        return;
    }
    BlockChkStack.push_back(LastBlockChk);
}

BlockChkType PopBlockChk()
{
    if (BlockChkStack.empty()) {
        SetError(52304);
        LastBlockChk = BlockChkType{};
        return LastBlockChk;
    }
    LastBlockChk = BlockChkStack.back();
    BlockChkStack.pop_back();
    return LastBlockChk;
}

CodeType LastWritten() { return WrittenBack(1); }

CodeType WrittenBack(int32_t n)
{
    if (PreCodePos - n < ScanStartPos)
        return CodeType{};
    CodeType cell;
    PeekPreCodeBack(n, cell);
    return cell;
}

void OverwriteLast(const CodeType &cell)
{
    --PreCodePos;
    const uint8_t saved = InIncludeText;
    if (saved == 0)
        InIncludeText = 2;  // keep the position the caller gives the cell
    EmitPreCode(cell);
    InIncludeText = saved;
    LastToken = cell;
}

void DropLast()
{
    if (PreCodePos > ScanStartPos)
        --PreCodePos;
    LastToken = LastWritten();
}

bool IsStatementPosition(bool memberForm)
{
    if (PreCodePos <= ScanStartPos)
        return true;  // the first keyword of the text
    CodeType last = LastWritten();
    if (last.FirstCode == ckNumLiteral) {
        const CodeType before = WrittenBack(2);
        return IsOp(before, opColon) || IsOp(before, opEndOfLine) || PreCodePos - 1 <= ScanStartPos;
    }
    if (IsOp(last, opColon) || IsOp(last, opEndOfLine))
        return true;
    return memberForm && (IsSt(last, stTHEN) || IsSt(last, stELSE));
}

bool EndsStatement(const CodeType &cell)
{
    return cell.FirstCode == ckNone || IsOp(cell, opColon) || IsOp(cell, opEndOfLine)
        || IsLineCommentMark(cell);
}

bool SkipCommentToLineEnd()
{
    CodeType raw;
    for (;;) {
        GetRawToken(raw);
        if (IsOp(raw, opEndOfLine))
            return true;
        if (raw.FirstCode == ckNone)
            return false;
    }
}

void HandleEndOfLine()
{
    if (SingleLineIfOpen != 0) {
        Emit(Cell(ckOperator, opColon));
        SingleLineIfOpen = 0;
        const BlockChkType record = PopBlockChk();
        if (record.Code != stTHEN && record.Code != stELSE) {
            BlockError(52360, SubjectOr(record.Code, 0));
            return;
        }
        Emit(Cell(ckStatement, stENDIF));
    }
    EmitEndOfLine();
}

void HandleToken()
{
    EmitCell = TokenCell;
    switch (EmitCell.FirstCode) {
    case ckOperator:
        switch (EmitCell.SecondCode) {
        case opApostrophe: HandleComment(); return;
        case opEndOfLine: HandleEndOfLine(); return;
        default: break;
        }
        break;
    case ckNumLiteral:
        HandleNumericLiteral();
        return;
    case ckStatement:
        if (HandleStatementToken())
            return;
        break;
    default:
        break;
    }
    if (!RewriteKeyword())
        Emit(EmitCell);
}

void ScanLine()
{
    const bool wholeProgram = PreCodePos == ProgramStart;
    ScanStartPos = PreCodePos;
    RoutineCount = 0;
    ResetLinePos();
    InIncludeText = 0;
    DeclContext = dcNone;
    ScopePrefix.clear();
    IncludeAnchor = IncludeSourcePos = IncludeOffset = TokenSourcePos = 0;
    BlockChkStack.clear();
    LastBlockChk = BlockChkType{};
    SingleLineIfOpen = 0;
    TokenCell = CodeType{};
    NextToken();
    while (ErrorNumber == 0 && LinePos <= ScanTextLength) {
        if (!RefuseConstantStatement())
            HandleToken();
        if (ErrorNumber != 0)
            break;
        NextToken();
    }
    if (ErrorNumber == 0 && !BlockChkStack.empty()) {
        ReadPos = BlockChkStack.back().SourcePos;  // the innermost block left open
        SetError(52305, SubjectOr(LastBlockChk.Code, stDO));
    }
    if (ErrorNumber == 0) {
        Emit(Cell(ckEof, 0));
        EmitEndOfLine();
    } else {
        EmitEndOfLine();
    }
    if (wholeProgram)
        PreCodeScanEnd = PreCodePos;
}

} // namespace ov
