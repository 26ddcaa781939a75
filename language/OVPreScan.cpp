#include "language/OVPreScan.h"

#include "language/OVDeclared.h"
#include "language/OVGetTokenUnit.h"
#include "language/OVLineScanner.h"
#include "language/OVStrTbl.h"
#include "platform/OVTextEncoding.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace ov {

namespace {

// Token kinds that the lexer gives a newly declared routine name in mode 0.
constexpr int32_t kFunctionNameToken = 4;  // FUNCTION or DEF
constexpr int32_t kSubNameToken = 5;

// A declaration context that the end of its line closes.
constexpr uint8_t kLineContext = 10;

// Where the text of the last INCLUDE ends (1-based, exclusive). Included files
// are spliced in at the reading position and may not include others, so an
// INCLUDE that begins before this position lies inside included text.
int32_t SpliceEnd = 0;
int32_t SpliceStart = 0;

bool IsOperator(const CodeType &cell, int32_t op)
{
    return cell.FirstCode == ckOperator && cell.SecondCode == op;
}

bool IsStatement(const CodeType &cell, int32_t statement)
{
    return cell.FirstCode == ckStatement && cell.SecondCode == statement;
}

// The words a declaration may carry besides names: AS and the type names.
bool IsTypeWord(const CodeType &cell)
{
    return IsStatement(cell, stAS) || IsStatement(cell, stBOOLEAN) || IsStatement(cell, stREAL)
        || IsStatement(cell, stSTRING);
}

bool IsVariableToken(const CodeType &cell)
{
    return cell.FirstCode == ckNumVar || cell.FirstCode == ckStrVar || cell.FirstCode == ckBoolVar
        || cell.FirstCode == ckFormVar;
}

void NextToken()
{
    // A fault in a spliced file is reported at the INCLUDE that brought it in.
    InIncludeText = LinePos >= SpliceStart && LinePos < SpliceEnd ? 1 : 0;
    GetToken(TokenCell, tmDeclare);
}

// Reads the current token again as the next one.
void LeaveToken()
{
    LinePos = TokenStart;
}

void AtLineEnd()
{
    if (DeclContext == kLineContext) {
        DeclContext = dcNone;
        ScopePrefix.clear();
    }
}

// ------------------------------------------------------------- raw skipping
// Comments and the parts of a statement that declare nothing are passed over
// character by character, never as tokens, so that any text may stand there.

// Up to and including the line end; false when the text (or a lone CR)
// ended first.
bool SkipToLineEnd()
{
    CodeType raw;
    while (LinePos <= ScanTextLength) {
        GetRawToken(raw);
        if (IsOperator(raw, opEndOfLine))
            return true;
        if (raw.FirstCode == ckNone)
            return false;
    }
    return false;
}

void SkipRestOfLine()
{
    if (SkipToLineEnd())
        AtLineEnd();
}

// Up to and including ":" or the line end, up to a line comment (read next as
// a token), or to the end of the text.
void SkipRestOfStatement()
{
    if (SkipStatementRest() == StatementRestEnd::LineEnd)
        AtLineEnd();
}

// Whether "(" comes next, where the lexer would read the next token (past
// comments and continuations: SUB S _ on one line, (A) on the next).
bool OpenParenFollows()
{
    const int32_t at = SpacingEnd(LinePos);
    return at <= ScanTextLength && ScanText.at(at - 1) == u'(';
}

// ------------------------------------------------------------- routines

void CloseRoutine()
{
    DeclContext = dcNone;
    ScopePrefix.clear();
}

// The parameter list of a SUB or FUNCTION, read up to its closing ")", with
// the names at its first bracket depth counted. False when ":", the line end,
// a comment or the end of the text came first, which ends the statement.
bool ReadParameterList(uint8_t context, int32_t &count)
{
    DeclContext = context;
    int depth = 0;
    for (;;) {
        NextToken();
        if (ErrorNumber != 0 || TokenCell.FirstCode == ckNone)
            return false;
        if (IsLineCommentMark(TokenCell)) {
            LeaveToken();
            return false;
        }
        if (TokenCell.FirstCode == ckStatement) {
            if (!IsTypeWord(TokenCell)) {
                SetError(50024);
                return false;
            }
            continue;
        }
        if (IsVariableToken(TokenCell) && depth == 1)
            ++count;
        if (TokenCell.FirstCode != ckOperator)
            continue;
        switch (TokenCell.SecondCode) {
        case opLParen:
            ++depth;
            break;
        case opRParen:
            if (--depth <= 0)
                return true;
            break;
        case opColon:
        case opEndOfLine:
            return false;
        default:
            break;
        }
    }
}

// SUB, FUNCTION or DEF; after END it closes the routine instead.
void RoutineHeader(int32_t keyword)
{
    if (IsStatement(PrevToken, stEND)) {
        CloseRoutine();
        return;
    }
    DeclContext = keyword == stSUB ? dcSubName : keyword == stFUNCTION ? dcFunctionName : dcDefName;
    ++RoutineCount;
    ScopePrefix = ScopePrefixFor(RoutineCount);
    NextToken();
    const int32_t nameToken = keyword == stSUB ? kSubNameToken : kFunctionNameToken;
    if (ErrorNumber == 0 && TokenCell.FirstCode != nameToken)
        SetError(54102);
    const int32_t routine = TokenCell.SecondCode;
    int32_t parameters = 0;
    bool statementGoesOn = true;
    if (ErrorNumber == 0 && keyword != stDEF && OpenParenFollows())
        statementGoesOn = ReadParameterList(keyword == stSUB ? dcSubParams : dcFunctionParams, parameters);
    if (ErrorNumber != 0) {
        ErrorSubject = keyword;
        return;
    }
    if (keyword != stDEF)  // a DEF FN's parameters are counted by the line scanner
        DcVarTable[routine].Parameters = parameters;
    DeclContext = dcNone;
    if (statementGoesOn)
        SkipRestOfStatement();
    if (keyword == stSUB) {
        DeclContext = dcSubBody;
    } else if (keyword == stFUNCTION) {
        DeclContext = dcFunctionBody;
    } else {
        DeclContext = dcNone;
        ScopePrefix.clear();
    }
}

// ------------------------------------------------------------- DIM and PUBLIC

// After "(": the bounds up to ")", read in the context outside the statement.
void ReadBounds()
{
    for (;;) {
        NextToken();
        if (ErrorNumber != 0 || IsOperator(TokenCell, opRParen))
            return;
        if (!IsOperator(TokenCell, opComma) && TokenCell.FirstCode != ckNumLiteral
            && !IsVariableToken(TokenCell)) {
            SetError(50024);
            return;
        }
    }
}

void ReadDeclarations(int32_t keyword, uint8_t outer)
{
    for (bool first = true;; first = false) {
        NextToken();
        const CodeType token = TokenCell;
        if (ErrorNumber != 0 || token.FirstCode == ckNone)
            return;
        if (first && keyword == stPUBLIC && IsStatement(token, stCONST)) {
            SkipRestOfStatement();  // PUBLIC CONST is left to the line scanner
            return;
        }
        if (IsLineCommentMark(token)) {
            LeaveToken();
            return;
        }
        if (token.FirstCode == ckFunction || token.FirstCode == kFunctionNameToken
            || token.FirstCode == kSubNameToken || (token.FirstCode == ckStatement && !IsTypeWord(token))) {
            SetError(54102);
            return;
        }
        if (token.FirstCode != ckOperator)
            continue;
        switch (token.SecondCode) {
        case opComma:
            break;
        case opColon:
        case opEndOfLine:
            return;
        case opLParen: {
            const uint8_t context = DeclContext;
            DeclContext = outer;
            ReadBounds();
            DeclContext = context;
            if (ErrorNumber != 0)
                return;
            break;
        }
        default:
            SetError(50024);
            return;
        }
    }
}

void DeclarationList(int32_t keyword)
{
    const uint8_t outer = DeclContext;
    uint8_t context = 0;
    if (keyword == stPUBLIC)
        context = outer == dcNone ? dcPublic : 0;
    else if (outer == dcNone)
        context = dcDim;
    else if (outer == dcSubBody)
        context = dcSubParams;
    else if (outer == dcFunctionBody)
        context = dcFunctionParams;
    if (context == 0) {
        SetError(50024, keyword);
        return;
    }
    DeclContext = context;
    ReadDeclarations(keyword, outer);
    DeclContext = outer;
    if (ErrorNumber != 0)
        ErrorSubject = keyword;
}

// ------------------------------------------------------------- other statements

void CheckExit()
{
    NextToken();
    if (ErrorNumber != 0)
        return;
    if (!IsStatement(TokenCell, stDO) && !IsStatement(TokenCell, stFOR)
        && !IsStatement(TokenCell, stFUNCTION) && !IsStatement(TokenCell, stSUB))
        SetError(54109);
}

// OPTION EXPLICIT [ON | OFF]; other options are left to the line scanner.
void ReadOption(bool allowed)
{
    if (!allowed) {
        SetError(55004);
        return;
    }
    NextToken();
    if (ErrorNumber != 0)
        return;
    if (!IsStatement(TokenCell, stEXPLICIT)) {
        LeaveToken();
        return;
    }
    NextToken();
    if (ErrorNumber != 0 || IsStatement(TokenCell, stOFF))
        return;
    if (!IsStatement(TokenCell, stON))
        LeaveToken();
    OptionExplicitOn = 1;
}

// The file an INCLUDE names: a relative name beside the including program
// first, then in the current folder; empty when neither holds it.
QString IncludeFilePath(const QString &name)
{
    QString path = name;
    path.replace(u'\\', u'/');
    if (path.isEmpty())
        return QString();
    if (QDir::isRelativePath(path) && !IncludeFolder.isEmpty()) {
        const QString beside = QDir(IncludeFolder).filePath(path);
        if (QFileInfo(beside).isFile())
            return beside;
    }
    return QFileInfo(path).isFile() ? path : QString();
}

bool ReadIncludeFile(const QString &name, QString &text)
{
    const QString path = IncludeFilePath(name);
    return !path.isEmpty() && ReadTextFile(path, text);
}

// INCLUDE "file": the file's lines go into ScanText right after the name.
void SpliceInclude()
{
    if (TokenStart < SpliceEnd) {
        SetError(54053);
        return;
    }
    const int32_t includePos = ReadPos;
    NextToken();
    if (ErrorNumber != 0)
        return;
    if (TokenCell.FirstCode != ckStrLiteral) {
        SetError(54051);
        return;
    }
    QString content;
    if (!ReadIncludeFile(StrLiterals[1], content)) {
        SetError(54052);
        return;
    }
    const QString lineEnd = QStringLiteral("\r\n");
    QString splice = lineEnd;
    for (const QString &line : SplitTextLines(content))
        splice += line + lineEnd;
    splice += QStringLiteral(":IncludeOff:\r\n");
    const int32_t at = std::min<int32_t>(LinePos, int32_t(ScanText.size()) + 1);
    ScanText.insert(at - 1, splice);
    ScanTextLength = int32_t(ScanText.size());
    IncludeSourcePos = includePos;
    IncludeOffset += int32_t(splice.size());
    SpliceStart = at;
    SpliceEnd = at + int32_t(splice.size());
}

void ActOnStatement(int32_t statement)
{
    // OPTION may only come before the first statement; REM is no statement.
    const bool optionAllowed = OptionAllowed != 0;
    if (statement != stREM)
        OptionAllowed = 0;
    switch (statement) {
    case stSUB:
    case stFUNCTION:
    case stDEF:
        RoutineHeader(statement);
        break;
    case stDIM:
    case stPUBLIC:
        DeclarationList(statement);
        break;
    case stENDSUB:
    case stENDFUNCTION:
        CloseRoutine();
        break;
    case stEXIT:
        CheckExit();
        break;
    case stINCLUDE:
        SpliceInclude();
        break;
    case stOPTION:
        ReadOption(optionAllowed);
        break;
    case stREM:
        SkipRestOfLine();
        break;
    default:
        break;
    }
}

void ActOnToken()
{
    const CodeType token = TokenCell;
    if (token.FirstCode == ckStatement) {
        ActOnStatement(token.SecondCode);
        return;
    }
    if (IsOperator(token, opApostrophe))
        SkipRestOfLine();
    else if (IsOperator(token, opEndOfLine))
        AtLineEnd();
}

} // namespace

QString IncludeFolder;

void PreScanDeclarations()
{
    DeclContext = dcNone;
    RoutineCount = 0;
    ScopePrefix.clear();
    IncludeOffset = 0;
    SpliceStart = SpliceEnd = 0;
    NextToken();
    while (ErrorNumber == 0 && LinePos <= ScanTextLength) {
        ActOnToken();
        if (ErrorNumber != 0)
            break;
        NextToken();
    }
    InIncludeText = 0;
}

} // namespace ov
