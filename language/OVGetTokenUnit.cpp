#include "language/OVGetTokenUnit.h"

#include "language/OVBoolTbl.h"
#include "language/OVCode.h"
#include "language/OVDeclared.h"
#include "language/OVStrTbl.h"
#include "language/OVVarTable.h"
#include "platform/OVDecimalText.h"

#include <new>
#include <stdexcept>

namespace ov {

QString ScanText;
int32_t ScanTextLength = 0;
int32_t LinePos = 1;
int32_t TokenStart = 1;
CodeType TokenCell;
CodeType PrevToken;
int32_t TokenSourcePos = 0;
int32_t NameStartPos = 0;
int32_t IncludeOffset = 0;
int32_t IncludeAnchor = 0;
int32_t IncludeSourcePos = 0;
uint8_t InIncludeText = 0;
uint8_t DeclContext = 0;
QString ScopePrefix;
uint8_t OptionExplicitOn = 0;
uint8_t DefLocalsActive = 0;
uint8_t MemberDotActive = 0;
QString ErrorSubjectText;

namespace {

constexpr char16_t kNul = 0;
constexpr char16_t kTab = 9;
constexpr char16_t kLf = 10;
constexpr char16_t kCr = 13;
constexpr int kMaxNameLength = 30;
constexpr int kMaxLocalNameLength = 40;

CodeType Cell(int32_t kind, int32_t value) { return CodeType{kind, value, 0}; }
CodeType OperatorCell(int32_t op) { return Cell(ckOperator, op); }

bool IsLetter(char16_t c) { return c >= u'A' && c <= u'Z'; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsHexDigit(char16_t c) { return IsDigit(c) || (c >= u'A' && c <= u'F'); }
char16_t FoldUpper(char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; }

// The character at a 1-based position, NUL outside the text.
char16_t CharAt(int32_t pos)
{
    return pos >= 1 && pos <= ScanTextLength ? ScanText.at(pos - 1).unicode() : kNul;
}

// After "{" at pos - 1: the position after the closing "}", or after the
// first NUL when the text ends first.
int32_t BlockCommentEnd(int32_t pos)
{
    for (;;) {
        const char16_t c = CharAt(pos++);
        if (c == u'}' || c == kNul)
            return pos;
    }
}

// "_" at pos continues the statement on the next line when a blank stands
// before it and only blanks after it up to CR LF: the position after the LF,
// or 0 when pos holds no such continuation.
int32_t ContinuationEnd(int32_t pos)
{
    if (CharAt(pos) != u'_' || CharAt(pos - 1) != u' ')
        return 0;
    ++pos;
    while (CharAt(pos) == u' ')
        ++pos;
    return CharAt(pos) == kCr && CharAt(pos + 1) == kLf ? pos + 2 : 0;
}

bool Grow(auto &table, size_t size)
{
    try {
        table.resize(size);
        return true;
    } catch (const std::bad_alloc &) {
    } catch (const std::length_error &) {
    }
    SetError(30101);
    return false;
}

// A CR must be followed by LF; checked where a token ends at a CR.
void RequireLfAfterCr(char16_t c, int32_t error)
{
    if (c == kCr && CharAt(LinePos + 1) != kLf)
        SetError(error);
}

// ------------------------------------------------------------- type rules

// Types of declared-name groups: 0 numeric, 1 string, 2 Boolean, 3 formula.
constexpr int kGroupTypes[4] = {vtNumber, vtString, vtBoolean, vtFormula};

int TypeOfSuffix(const QString &name)
{
    if (name.endsWith(u'$'))
        return vtString;
    if (name.endsWith(u'@'))
        return vtFormula;
    return vtNumber;
}

// The type of a declared name from its suffix and AS clause; 54097 when they disagree.
int DeclaredType(const QString &name, bool readsAs)
{
    const int asType = readsAs ? ReadAsType() : 0;
    const int suffix = TypeOfSuffix(name);
    if (asType == 0)
        return suffix;
    const int fromAs = asType == 1 ? vtNumber : asType == 2 ? vtString : vtBoolean;
    if (suffix != vtNumber && suffix != fromAs)
        SetError(54097);
    return suffix != vtNumber ? suffix : fromAs;
}

int GroupOf(int type)
{
    switch (type) {
    case vtString: return 1;
    case vtBoolean: return 2;
    case vtFormula: return 3;
    default: return 0;
    }
}

bool ReadsAsClauseWhenDeclaring(uint8_t context)
{
    return context == dcPublic || context == dcSubName || context == dcSubParams
        || context == dcFunctionName || context == dcFunctionParams || context == dcDim
        || (context >= dcConst && context <= dcPublicConst);
}

bool ReadsAsClauseWhenRegistering(uint8_t context)
{
    return context == dcPublic || context == dcSubName || context == dcSubParams
        || context == dcFunctionName || context == dcFunctionParams || context == dcDim;
}

bool IsScopedDeclaration(uint8_t context)
{
    return context == dcSubParams || context == dcFunctionParams || context == dcDefParams
        || context == dcDim || context == dcSubConst || context == dcFunctionConst;
}

bool IsDeclaringContext(uint8_t context)
{
    return context == dcPublic || context == dcSubName || context == dcSubParams
        || context == dcFunctionName || context == dcFunctionParams || context == dcDefName
        || context == dcDefParams || context == dcDim
        || (context >= dcConst && context <= dcPublicConst);
}

// The declared-name kind for a context and a type.
uint8_t DeclaredKindFor(uint8_t context, int type)
{
    const int group = GroupOf(type);
    switch (context) {
    case dcSubName: return dkSub;
    case dcFunctionName:
    case dcDefName: return uint8_t(dkFunction + group);
    case dcDim: return uint8_t(dkDim + group);
    case dcPublic: return uint8_t(dkPublic + group);
    case dcPublicConst: return uint8_t(dkPublicConst + group);
    case dcConst:
    case dcSubConst:
    case dcFunctionConst: return uint8_t(dkConst + group);
    default: return uint8_t(dkLocal + group);
    }
}

bool IsConstantKind(uint8_t kind) { return kind >= dkConst && kind <= dkPublicConst + 2; }

// The variable type that a declared kind names; -1 for a kind no rule expects.
int TypeOfDeclaredKind(uint8_t kind)
{
    if (kind == dkSub)
        return vtNumber;
    if (kind >= dkFunction && kind < dkPublicConst)
        return kGroupTypes[(kind - dkFunction) % 4];
    if (kind >= dkPublicConst && kind <= dkPublicConst + 2)
        return kGroupTypes[kind - dkPublicConst];
    return -1;
}

// The literal cell of a declared constant, or kind 0 when it is a formula.
CodeType ConstantCell(const DcVarType &record)
{
    switch (TypeOfDeclaredKind(record.Kind & 0x7F)) {
    case vtNumber: return Cell(ckNumLiteral, record.Value - 1);
    case vtString: return Cell(ckStrLiteral, record.Value);
    case vtBoolean: return Cell(ckBoolConst, record.Value);
    default: return CodeType{};
    }
}

CodeType FindOrAddVar(const QString &name, int type)
{
    const int32_t index = FindVar(name, type);
    return index != 0 ? MakeVarCell(index, type) : AddVar(name, type);
}

// A name used where OPTION EXPLICIT may forbid creating it.
CodeType UseOrCreateVar(const QString &name, int type)
{
    const int32_t index = FindVar(name, type);
    if (index != 0)
        return MakeVarCell(index, type);
    if (OptionExplicitOn != 0) {
        SetError(55005);
        return MakeVarCell(0, type);
    }
    return AddVar(name, type);
}

// A declared name found in the table: its constant's cell, or its variable.
CodeType CellOfDeclared(int32_t index, const QString &varName)
{
    const DcVarType &record = DcVarTable[index];
    const uint8_t kind = record.Kind & 0x7F;
    const int type = TypeOfDeclaredKind(kind);
    if (type < 0) {
        SetError(50001);
        return Cell(ckNumVar, 0);
    }
    if (IsConstantKind(kind) && type != vtFormula)
        return ConstantCell(record);
    return FindOrAddVar(varName, type);
}

// PUBLIC, DIM and parameter names: a new variable whose index the declared
// record keeps.
CodeType RegisterDeclaration(const QString &name, int type)
{
    if (FindVar(name, type) != 0) {
        SetError(54098);
        return MakeVarCell(0, type);
    }
    const CodeType cell = AddVar(name, type);
    const int32_t declared = FindDeclared(name);
    if (declared == 0)
        SetError(50001);
    else
        DcVarTable[declared].Value = cell.SecondCode;
    return cell;
}

CodeType RegisterInRoutineBody(const QString &name)
{
    const QString scoped = ScopePrefix + name;
    if (const int32_t local = FindDeclared(scoped))
        return CellOfDeclared(local, scoped);
    if (const int32_t global = FindDeclaredGlobal(name))
        return CellOfDeclared(global, name);
    return UseOrCreateVar(scoped, TypeOfSuffix(name));
}

CodeType RegisterAtTopLevel(const QString &name)
{
    if (const int32_t declared = FindDeclared(name))
        return CellOfDeclared(declared, name);
    return UseOrCreateVar(name, TypeOfSuffix(name));
}

// ------------------------------------------------------------- token readers

void ReadStringLiteral(CodeType &cell, int mode)
{
    const int32_t start = LinePos;
    int32_t end = start;
    for (;;) {
        const char16_t c = GetChar();
        if (c == u'"') {
            end = LinePos - 1;
            break;
        }
        if (c == kCr || c == kNul) {  // unclosed on its line, or at the end of the text
            UngetChar();
            end = LinePos;
            SetError(55001);
            break;
        }
    }
    const QString text = ScanText.mid(start - 1, end - start);
    if (mode == tmDeclare) {
        StrLiterals[1] = text;
        cell = Cell(ckStrLiteral, 1);
    } else {
        cell = AddStrLiteral(text);
    }
}

void ReadNumber(CodeType &cell, int mode, char16_t first)
{
    QString text(first);
    for (;;) {
        const char16_t c = GetCharUpper();
        if (IsDigit(c) || c == u'.') {
            text += c;
        } else if (c == u'E') {
            text += c;
            const char16_t sign = GetCharUpper();
            if (sign != u'+' && sign != u'-' && !IsDigit(sign)) {
                UngetChar();
                SetError(54101);
                cell = CodeType{};
                return;
            }
            text += sign;
        } else {
            UngetChar();
            RequireLfAfterCr(c, 30002);
            break;
        }
    }
    cell = mode == tmDeclare ? Cell(ckNumLiteral, 0) : AddNumLiteral(text);
}

void ReadHexLiteral(CodeType &cell, int mode)
{
    QString digits;
    for (;;) {
        const char16_t c = GetCharUpper();
        if (!IsHexDigit(c)) {
            UngetChar();
            RequireLfAfterCr(c, 30002);
            break;
        }
        digits += c;
    }
    cell = mode == tmDeclare ? Cell(ckNumLiteral, 0) : AddHexLiteral(digits);
}

enum class NameEnd { Plain, Dollar, At, Paren };

CodeType LookupName(const QString &name, NameEnd end, int mode)
{
    if (end == NameEnd::At) {
        switch (mode) {
        case tmDeclare: return DeclareName(name);
        case tmRegister: return RegisterName(name);
        default: return ClassifyName(name);  // a look ahead enters no formula variable
        }
    }
    if (end == NameEnd::Dollar) {
        if (const int f = LookupFunction(name))
            return Cell(ckFunction, f);
        if (mode == tmRegister && DefLocalsActive != 0) {
            const CodeType local = FindLocalName(name);
            if (local.FirstCode != ckNone)
                return local;
        }
    } else if (end == NameEnd::Paren) {
        // NOT(, AND( ... are operators: no array can take an operator's name.
        if (const int op = LookupOperator(name))
            return OperatorCell(op);
        if (const int f = LookupFunction(name))
            return Cell(ckFunction, f);
        if (const int s = LookupStatement(name))
            return Cell(ckStatement, s);
    } else {
        if (const int op = LookupOperator(name))
            return OperatorCell(op);
        if (const int b = LookupBoolConst(name))
            return Cell(ckBoolConst, b);
        if (const int f = LookupFunction(name))
            return Cell(ckFunction, f);
        if (const int s = LookupStatement(name))
            return Cell(ckStatement, s);
        if (mode == tmRegister && DefLocalsActive != 0) {
            const CodeType local = FindLocalName(name);
            if (local.FirstCode != ckNone)
                return local;
        }
    }
    switch (mode) {
    case tmDeclare: return DeclareName(name);
    case tmRegister: return RegisterName(name);
    default: return ClassifyName(name);
    }
}

void ReadName(CodeType &cell, int mode, char16_t first)
{
    NameStartPos = LinePos;
    QString name(first);
    NameEnd end = NameEnd::Plain;
    for (;;) {
        const char16_t c = GetCharUpper();
        if (IsLetter(c) || IsDigit(c) || c == u'_') {
            name += c;
            continue;
        }
        if (c == u'$' || c == u'@') {
            name += c;
            end = c == u'$' ? NameEnd::Dollar : NameEnd::At;
            break;  // a "(" after the suffix is left for the next token
        }
        UngetChar();
        if (c == u'(')
            end = NameEnd::Paren;
        RequireLfAfterCr(c, 30003);
        break;
    }
    cell = LookupName(name, end, mode);
}

// The single-character and two-character operators.
bool ReadOperator(char16_t c, CodeType &cell)
{
    switch (c) {
    case u'#': cell = OperatorCell(opHash); return true;
    case u'\'': cell = OperatorCell(opApostrophe); return true;
    case u'(': cell = OperatorCell(opLParen); return true;
    case u')': cell = OperatorCell(opRParen); return true;
    case u'*': cell = OperatorCell(opMul); return true;
    case u'+': cell = OperatorCell(opAdd); return true;
    case u',': cell = OperatorCell(opComma); return true;
    case u'-': cell = OperatorCell(opSub); return true;
    case u'/': cell = OperatorCell(opDiv); return true;
    case u':': cell = OperatorCell(opColon); return true;
    case u';': cell = OperatorCell(opSemicolon); return true;
    case u'\\': cell = OperatorCell(opIntDiv); return true;
    case u'^': cell = OperatorCell(opPow); return true;
    case u'}': cell = OperatorCell(opRBrace); return true;
    case u'?': cell = Cell(ckStatement, stPRINT); return true;
    default: break;
    }
    if (c != u'<' && c != u'=' && c != u'>')
        return false;
    const char16_t next = CharAt(LinePos);
    int32_t op = c == u'<' ? opLt : c == u'=' ? opEq : opGt;
    if (c == u'<' && next == u'=') op = opLe;
    else if (c == u'<' && next == u'>') op = opNe;
    else if (c == u'=' && next == u'<') op = opLe;
    else if (c == u'=' && next == u'>') op = opGe;
    else if (c == u'>' && next == u'<') op = opNe;
    else if (c == u'>' && next == u'=') op = opGe;
    if (op != opLt && op != opEq && op != opGt)
        GetChar();
    cell = OperatorCell(op);
    return true;
}

// The position of the character just read, in the user's text: spliced
// INCLUDE files do not count, and their own tokens stand at the INCLUDE.
int32_t UserTextPos()
{
    return InIncludeText == 1 ? IncludeSourcePos : LinePos - IncludeOffset - 1;
}

void ReadToken(CodeType &cell, int mode)
{
    LinePos = SpacingEnd(LinePos);
    const char16_t c = GetCharUpper();
    ReadPos = UserTextPos();  // the position of the token's first character
    if (mode == tmRegister && InIncludeText <= 1)
        TokenSourcePos = ReadPos;
    if (c == u'_') {  // a "_" that continues no line
        SetError(30004);
        cell = OperatorCell(opUnderscore);
        return;
    }
    if (IsNonAsciiChar(c)) {
        SetError(30001);
        cell = CodeType{};
        return;
    }
    if (ReadOperator(c, cell))
        return;
    if (IsLetter(c)) {
        ReadName(cell, mode, c);
        return;
    }
    if (IsDigit(c)) {
        ReadNumber(cell, mode, c);
        return;
    }
    switch (c) {
    case kNul:
        cell = CodeType{};
        return;
    case kLf:
        cell = OperatorCell(opLineFeed);
        SetError(30002);
        return;
    case kCr:
        if (CharAt(LinePos) == kLf)
            GetChar();
        else
            SetError(30003);
        cell = OperatorCell(opEndOfLine);
        return;
    case u'"':
        ReadStringLiteral(cell, mode);
        return;
    case u'&':
        if (FoldUpper(CharAt(LinePos)) == u'H') {
            GetChar();
            ReadHexLiteral(cell, mode);
        } else {
            cell = OperatorCell(opConcat);
        }
        return;
    case u'.':
        if ((PrevToken.FirstCode == ckOperator && PrevToken.SecondCode == opRParen) || MemberDotActive != 0)
            cell = OperatorCell(opDot);
        else
            ReadNumber(cell, mode, c);
        return;
    default:
        SetError(1);
        ErrorSubjectText = QString::number(c);
        cell = OperatorCell(opIllegal);
        return;
    }
}

} // namespace

// ------------------------------------------------------------- reading

int32_t SpacingEnd(int32_t pos)
{
    for (;;) {
        const char16_t c = CharAt(pos);
        if (c == u' ' || c == kTab) {
            ++pos;
        } else if (c == u'{') {
            pos = BlockCommentEnd(pos + 1);
        } else if (const int32_t next = ContinuationEnd(pos)) {
            pos = next;
        } else {
            return pos;
        }
    }
}

void ResetLinePos()
{
    LinePos = 1;
    TokenStart = 1;
}

char16_t GetChar()
{
    if (LinePos < 1) {
        SetError(50001);
        return kNul;
    }
    const char16_t c = CharAt(LinePos);
    ++LinePos;
    return c;
}

char16_t GetCharUpper()
{
    return FoldUpper(GetChar());
}

void GetToken(CodeType &cell, int mode)
{
    PrevToken = TokenCell;
    TokenStart = LinePos;
    ReadToken(cell, mode);
    cell.SourcePos = LinePos;
}

// A peek leaves the position an error would name at the token taken up last.
void PeekToken(CodeType &cell)
{
    const int32_t readPos = ReadPos;
    GetToken(cell, tmRegister);
    LinePos = TokenStart;
    ReadPos = readPos;
}

void PeekTokenClass(CodeType &cell)
{
    const int32_t readPos = ReadPos;
    GetToken(cell, tmClassify);
    LinePos = TokenStart;
    ReadPos = readPos;
}

namespace {

bool ReadRawCommon(char16_t c, CodeType &cell)
{
    switch (c) {
    case u'{': cell = OperatorCell(opLBrace); return true;
    case u'}': cell = OperatorCell(opRBrace); return true;
    case kLf: cell = OperatorCell(opLineFeed); return true;
    case kNul: cell = CodeType{}; return true;
    case kCr:
        if (GetChar() == kLf)
            cell = OperatorCell(opEndOfLine);
        else
            cell = CodeType{};
        return true;
    default: return false;
    }
}

} // namespace

void GetRawToken(CodeType &cell)
{
    if (!ReadRawCommon(GetChar(), cell))
        cell = OperatorCell(opIllegal);
}

void ReadWord(QString &text)
{
    text.clear();
    for (;;) {
        const char16_t c = GetCharUpper();
        if (IsNonAsciiChar(c)) {
            SetError(2);
            return;
        }
        if (!IsLetter(c))
            return;
        text += c;
    }
}

void ReadDefParameter(CodeType &cell)
{
    LinePos = SpacingEnd(LinePos);
    char16_t c = GetCharUpper();
    if (IsNonAsciiChar(c)) {
        SetError(2);
        cell = CodeType{};
        return;
    }
    if (!IsLetter(c)) {
        SetError(1);
        ErrorSubjectText = QString::number(c);
        cell = OperatorCell(opIllegal);
        return;
    }
    NameStartPos = LinePos;
    QString name(c);
    for (;;) {
        c = GetCharUpper();
        if (IsLetter(c) || IsDigit(c)) {
            name += c;
        } else if (c == u'$' || c == u'@') {
            name += c;
            break;
        } else {
            UngetChar();
            break;
        }
    }
    cell = AddLocalName(name);
    cell.SourcePos = NameStartPos;
}

bool IsTokenStatementEnd(const CodeType &cell)
{
    if (cell.FirstCode == ckNone)
        return true;
    if (IsLineCommentMark(cell)) {
        LinePos = TokenStart;
        return true;
    }
    if (cell.FirstCode != ckOperator)
        return false;
    return cell.SecondCode == opColon || cell.SecondCode == opEndOfLine;
}

// ------------------------------------------------------------- comments

bool IsLineCommentMark(const CodeType &cell)
{
    return (cell.FirstCode == ckOperator && cell.SecondCode == opApostrophe)
        || (cell.FirstCode == ckStatement && cell.SecondCode == stREM);
}

namespace {

bool IsWordChar(char16_t c)
{
    c = FoldUpper(c);
    return IsLetter(c) || IsDigit(c) || c == u'_';
}

// The word REM at a position, read as the lexer reads it: "REM$", "REM@" and
// "XREM" are names.
bool IsRemWordAt(int32_t pos)
{
    if (IsWordChar(CharAt(pos - 1)))
        return false;
    for (int i = 0; i < 3; ++i) {
        if (FoldUpper(CharAt(pos + i)) != u"REM"[i])
            return false;
    }
    const char16_t after = CharAt(pos + 3);
    return !IsWordChar(after) && after != u'$' && after != u'@';
}

} // namespace

StatementRestEnd SkipStatementRest()
{
    bool inString = false;
    for (;;) {
        if (!inString)
            LinePos = SpacingEnd(LinePos);
        const int32_t at = LinePos;
        const char16_t c = GetChar();
        if (c == kNul)
            return StatementRestEnd::TextEnd;
        if (c == kCr) {
            if (CharAt(LinePos) == kLf)
                GetChar();
            return StatementRestEnd::LineEnd;
        }
        if (c == u'"')
            inString = !inString;
        if (inString)
            continue;
        if (c == u':')
            return StatementRestEnd::Colon;
        if (c == u'\'' || IsRemWordAt(at)) {
            LinePos = at;
            return StatementRestEnd::LineComment;
        }
    }
}

long double GetNumLiteralValue(const CodeType &cell)
{
    if (cell.FirstCode != ckNumLiteral)
        return 0.0L;
    const int64_t index = int64_t(cell.SecondCode) + 1;
    return index >= 0 && index < int64_t(NumLiterals.size()) ? NumLiterals[size_t(index)] : 0.0L;
}

// ------------------------------------------------------------- lookups

int LookupOperator(const QString &word) { return SearchOperatorName(word); }
int LookupStatement(const QString &word) { return SearchStatementName(word); }
int LookupFunction(const QString &word) { return SearchFunctionName(word); }

int LookupBoolConst(const QString &word)
{
    if (word == u"TRUE")
        return 1;
    if (word == u"FALSE")
        return 2;
    return 0;
}

CodeType DeclareName(const QString &rawName)
{
    const int type = DeclaredType(rawName, ReadsAsClauseWhenDeclaring(DeclContext));
    const CodeType varCell = MakeVarCell(1, type);
    if (!IsDeclaringContext(DeclContext))
        return Cell(varCell.FirstCode, 0);
    if (rawName.size() > kMaxNameLength)  // only a declaration must fit; uses are cut
        SetError(30005);
    const QString name = IsScopedDeclaration(DeclContext) ? ScopePrefix + rawName : rawName;
    if (DcVarCount >= DcVarCapacity) {
        SetError(52316);
        return Cell(varCell.FirstCode, 0);
    }
    if (FindDeclared(name) != 0) {
        SetError(52315);
        return Cell(varCell.FirstCode, 0);
    }
    if (DeclContext == dcSubName && type != vtNumber) {
        SetError(52322);
        return Cell(varCell.FirstCode, 0);
    }
    const int32_t index = AddDeclared(name, DeclaredKindFor(DeclContext, type));
    if (DeclContext == dcSubName)
        return Cell(5, index);
    if (DeclContext == dcFunctionName || DeclContext == dcDefName)
        return Cell(4, index);
    if (DeclContext >= dcConst && DeclContext <= dcPublicConst) {
        constexpr int32_t constantKinds[4] = {15, 25, 35, 72};
        return Cell(constantKinds[GroupOf(type)], index);
    }
    return Cell(varCell.FirstCode, index);
}

CodeType RegisterName(const QString &rawName)
{
    const QString plain = rawName.left(kMaxNameLength);
    const bool scoped = DeclContext == dcSubParams || DeclContext == dcFunctionParams;
    const QString name = scoped ? ScopePrefix + plain : plain;
    const int type = DeclaredType(plain, ReadsAsClauseWhenRegistering(DeclContext));
    switch (DeclContext) {
    case dcNone:
        return RegisterAtTopLevel(name);
    case dcPublic:
    case dcSubParams:
    case dcFunctionParams:
    case dcDim:
        return RegisterDeclaration(name, type);
    case dcSubName:
    case dcFunctionName:
        return FindOrAddVar(name, type);
    case dcSubBody:
    case dcFunctionBody:
        return RegisterInRoutineBody(name);
    case dcConst:
    case dcSubConst:
    case dcFunctionConst:
    case dcPublicConst:
        // Where CONST wants a value or the end of its list: the CONST reader
        // refuses the name, which is not entered anywhere.
        return ClassifyName(plain);
    default:
        SetError(50001);
        return MakeVarCell(0, type);
    }
}

CodeType ClassifyName(const QString &name)
{
    if (name.endsWith(u'$'))
        return Cell(ckStrVar, 1);
    return name.endsWith(u'@') ? Cell(ckFormVar, 1) : Cell(ckNumVar, 1);
}

bool ParseDecimal(QStringView text, long double &value)
{
    if (text.isEmpty() || text.size() > 4096)
        return false;
    char buffer[4097];
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 128)
            return false;
        buffer[i] = char(c);
    }
    const char *end = buffer + text.size();
    if (buffer[0] == '+' || buffer[0] == '-')
        return false;
    return ReadDecimal(std::string_view(buffer, size_t(end - buffer)), value);
}

CodeType AddNumLiteralValue(long double value)
{
    if (!Grow(NumLiterals, size_t(NumLiteralCount) + 2))
        return CodeType{};
    ++NumLiteralCount;
    NumLiterals[size_t(NumLiteralCount)] = value;
    CodeChanged();
    return Cell(ckNumLiteral, NumLiteralCount - 1);
}

CodeType AddNumLiteral(const QString &text)
{
    long double value = 0;
    if (!ParseDecimal(text, value)) {
        SetError(54101);
        return CodeType{};
    }
    return AddNumLiteralValue(value);
}

CodeType AddHexLiteral(const QString &digits)
{
    qsizetype first = 0;
    while (first < digits.size() && digits[first] == u'0')
        ++first;
    const qsizetype significant = digits.size() - first;
    if (digits.isEmpty() || significant > 8) {
        SetError(110);
        return CodeType{};
    }
    uint32_t bits = 0;
    for (qsizetype i = first; i < digits.size(); ++i) {
        const char16_t c = digits[i].unicode();
        bits = bits * 16 + uint32_t(IsDigit(c) ? c - u'0' : c - u'A' + 10);
    }
    return AddNumLiteralValue(static_cast<int32_t>(bits));
}

CodeType AddStrLiteral(const QString &text)
{
    if (!Grow(StrLiterals, std::max<size_t>(StrLiterals.size(), size_t(StrLiteralCount) + 2)))
        return CodeType{};
    ++StrLiteralCount;
    StrLiterals[size_t(StrLiteralCount)] = text;
    return Cell(ckStrLiteral, StrLiteralCount);
}

CodeType FindLocalName(const QString &rawName)
{
    const QString name = rawName.left(kMaxLocalNameLength);
    if (name.endsWith(u'$')) {
        for (int32_t i = 1; i <= LocalStrCount; ++i) {
            if (LocalStrVars[size_t(i)].Name == name)
                return Cell(ckLocalStrVar, i);
        }
    } else {
        for (int32_t i = 1; i <= LocalNumCount; ++i) {
            if (LocalNumVars[size_t(i)].Name == name)
                return Cell(ckLocalNumVar, i);
        }
    }
    return CodeType{};
}

CodeType AddLocalName(const QString &name)
{
    if (FindLocalName(name).FirstCode != ckNone) {
        SetError(161);
        return CodeType{};
    }
    if (name.endsWith(u'$')) {
        StrVarType record;
        record.Name = name;
        if (!Grow(LocalStrVars, size_t(LocalStrCount) + 2))
            return CodeType{};
        ++LocalStrCount;
        LocalStrVars[size_t(LocalStrCount)] = std::move(record);
        return Cell(ckLocalStrVar, LocalStrCount);
    }
    NumVarType record;
    record.Name = name;
    if (!Grow(LocalNumVars, size_t(LocalNumCount) + 2))
        return CodeType{};
    ++LocalNumCount;
    LocalNumVars[size_t(LocalNumCount)] = std::move(record);
    return Cell(ckLocalNumVar, LocalNumCount);
}

namespace {

// Blanks and what stands for them: block comments and line continuations.
void SkipBlanks()
{
    LinePos = SpacingEnd(LinePos);
}

// What may follow a type word: a blank, the end of the statement or of its
// line, a comment, or the ")", "," or "=" of the declaration.
bool EndsTypeWord(char16_t c)
{
    return c == u' ' || c == kTab || c == kCr || c == kNul || c == u')' || c == u',' || c == u'='
        || c == u':' || c == u'\'' || c == u'{';
}

// Skips a parenthesised group, nested groups included, up to the end of the
// line; its comments and continuations are blanks.
void SkipBracketGroup()
{
    int depth = 0;
    for (;;) {
        SkipBlanks();
        const char16_t c = CharAt(LinePos);
        if (c == kNul || c == kCr || c == kLf)
            return;
        ++LinePos;
        if (c == u'(')
            ++depth;
        else if (c == u')' && --depth == 0)
            return;
    }
}

bool MatchWord(const char16_t *word)
{
    int32_t pos = LinePos;
    for (; *word; ++word, ++pos) {
        if (FoldUpper(CharAt(pos)) != *word)
            return false;
    }
    LinePos = pos;
    return true;
}

} // namespace

int ReadAsType()
{
    const int32_t saved = LinePos;
    SkipBlanks();
    if (CharAt(LinePos) == u'(') {
        SkipBracketGroup();
        SkipBlanks();
    }
    int result = 0;
    const char16_t afterAs = CharAt(LinePos + 2);
    if ((afterAs == u' ' || afterAs == kTab || afterAs == u'{') && MatchWord(u"AS")) {
        SkipBlanks();
        if (MatchWord(u"BOOLEAN"))
            result = 3;
        else if (MatchWord(u"REAL"))
            result = 1;
        else if (MatchWord(u"STRING"))
            result = 2;
        if (!EndsTypeWord(CharAt(LinePos)))
            result = 0;
    }
    const bool keepClause = result != 0 && DeclContext >= dcConst && DeclContext <= dcPublicConst;
    if (!keepClause)
        LinePos = saved;
    return result;
}

} // namespace ov
