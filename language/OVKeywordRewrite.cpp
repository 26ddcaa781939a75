#include "language/OVKeywordRewrite.h"

#include "language/OVBoolTbl.h"
#include "language/OVDeclared.h"
#include "language/OVGetTokenUnit.h"
#include "language/OVLineScanner.h"
#include "language/OVPreCode.h"
#include "language/OVStrTbl.h"

#include <array>

namespace ov {

namespace {

CodeType Cell(int32_t kind, int32_t value) { return CodeType{kind, value, 0}; }
bool IsOp(const CodeType &cell, int32_t op) { return cell.FirstCode == ckOperator && cell.SecondCode == op; }
bool IsSt(const CodeType &cell, int32_t s) { return cell.FirstCode == ckStatement && cell.SecondCode == s; }

void Emit(const CodeType &cell) { EmitPreCode(cell); LastToken = cell; }

// Reading ahead leaves the scanner as it found it: the position, the current
// and the previous token, the positions an error would name, the member-dot
// switch, and any error met on the way (the scan meets it again when it reads
// that far). Literals and names met are registered, as by the scan.
class LookAhead {
public:
    LookAhead()
        : linePos_(LinePos), tokenStart_(TokenStart), sourcePos_(TokenSourcePos), readPos_(ReadPos),
          nameStart_(NameStartPos), token_(TokenCell), prev_(PrevToken), memberDot_(MemberDotActive),
          error_(ErrorNumber), subject_(ErrorSubject), errorReadPos_(ErrorReadPos), subjectText_(ErrorSubjectText)
    {
    }
    ~LookAhead()
    {
        LinePos = linePos_;
        TokenStart = tokenStart_;
        TokenSourcePos = sourcePos_;
        ReadPos = readPos_;
        NameStartPos = nameStart_;
        TokenCell = token_;
        PrevToken = prev_;
        MemberDotActive = memberDot_;
        ErrorNumber = error_;
        ErrorSubject = subject_;
        ErrorReadPos = errorReadPos_;
        ErrorSubjectText = subjectText_;
    }
    LookAhead(const LookAhead &) = delete;
    LookAhead &operator=(const LookAhead &) = delete;

private:
    int32_t linePos_;
    int32_t tokenStart_;
    int32_t sourcePos_;
    int32_t readPos_;
    int32_t nameStart_;
    CodeType token_;
    CodeType prev_;
    uint8_t memberDot_;
    int32_t error_;
    int32_t subject_;
    int32_t errorReadPos_;
    QString subjectText_;
};

// Reads a member or property word as plain text: such words never become
// variables. What stands for a blank may come before it, as before a token.
QString ReadMemberWord()
{
    QString word;
    LinePos = SpacingEnd(LinePos);
    char16_t c = GetCharUpper();
    while ((c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_') {
        word += c;
        c = GetCharUpper();
    }
    UngetChar();
    return word;
}

bool IsMemberObject(const CodeType &cell)
{
    return IsSt(cell, stAUDIOMIXER) || IsSt(cell, stCLIPBOARD) || IsSt(cell, stMEDIAPLAYER);
}

// One token of a look-ahead, read as the scan reads it: "." after a member
// object or after ")" is the member dot, and the member or property word
// after it is plain text, never a name or a number.
CodeType ReadAhead()
{
    const uint8_t memberDot = MemberDotActive;
    if (IsMemberObject(TokenCell))
        MemberDotActive = 1;
    GetToken(TokenCell, tmRegister);
    MemberDotActive = memberDot;
    if (IsOp(TokenCell, opDot))
        ReadMemberWord();
    return TokenCell;
}

CodeType PeekOne()
{
    LookAhead keep;
    return ReadAhead();
}

std::array<CodeType, 2> PeekTwo()
{
    LookAhead keep;
    const CodeType first = ReadAhead();
    return {first, ReadAhead()};
}

void Consume()
{
    CodeType skipped;
    GetToken(skipped, tmRegister);
}

// ---------------------------------------------------------------- two-word forms

void RewriteHash()
{
    const CodeType last = LastWritten();
    if (IsSt(last, stPRINT) || IsSt(last, stINPUT) || IsSt(last, stLINEINPUT)) {
        CodeType fused = last;
        fused.SecondCode = IsSt(last, stPRINT) ? stPRINT_FILE : IsSt(last, stINPUT) ? stINPUT_FILE : stLINEINPUT_FILE;
        OverwriteLast(fused);
    } else if (IsSt(last, stAS) || IsOp(last, opComma) || IsSt(last, stSEEK) || IsSt(last, stCLOSE)) {
        Emit(EmitCell);
    } else {
        SetError(52371);
    }
}

void RewriteUsing()
{
    const CodeType last = LastWritten();
    if (IsSt(last, stPRINT)) {
        CodeType fused = last;
        fused.SecondCode = stPRINTUSING;
        OverwriteLast(fused);
        return;
    }
    const CodeType channel = WrittenBack(2);
    if (IsOp(last, opComma) && channel.FirstCode == ckNumLiteral && IsSt(WrittenBack(3), stPRINT_FILE)) {
        CodeType fused = WrittenBack(3);
        fused.SecondCode = isPrintFileUsing;
        DropLast();
        DropLast();
        OverwriteLast(fused);
        Emit(channel);
        return;
    }
    SetError(52370);
}

void RewriteExplicit()
{
    if (!IsSt(LastWritten(), stOPTION))
        return;  // dropped
    DropLast();
    const CodeType next = PeekOne();
    if (IsSt(next, stON) || IsSt(next, stOFF)) {
        Consume();
        EmitCell.SecondCode = IsSt(next, stON) ? isOptionExplicitOn : isOptionExplicitOff;
        Emit(EmitCell);
    } else if (next.FirstCode != ckStatement || IsLineCommentMark(next)) {
        EmitCell.SecondCode = stOPTIONEXPLICIT;
        Emit(EmitCell);
    }
}

void DropLastIf(int32_t statement)
{
    if (IsSt(LastWritten(), statement))
        DropLast();
}

// ---------------------------------------------------------------- argument counts

// Offsets by argument count 0..3; kNo marks a count that is an error.
constexpr int kNo = -1;

void ApplyArgumentForm(std::array<int, 4> offsets)
{
    const bool isFunction = EmitCell.FirstCode == ckFunction;
    const int32_t keyword = EmitCell.SecondCode;
    const int n = CountArguments();
    if (n == -1) {
        Emit(EmitCell);
        return;
    }
    if (n > 3 || offsets[size_t(n)] == kNo) {
        SetError(isFunction ? 50011 : 50024, keyword);
        return;
    }
    EmitCell.SecondCode = keyword + offsets[size_t(n)];
    Emit(EmitCell);
}

// Forms whose "()" is the plain keyword and whose single argument is a variant.
void ApplyEmptyBracketForm(int32_t oneArgument, std::array<int, 4> offsets)
{
    const auto next = PeekTwo();
    if (IsOp(next[0], opLParen) && IsOp(next[1], opRParen)) {
        Consume();
        Consume();
        Emit(EmitCell);
        return;
    }
    if (IsOp(next[0], opLParen) && CountArguments() == 0) {
        EmitCell.SecondCode += oneArgument;  // the "(" follows as usual
        Emit(EmitCell);
        return;
    }
    ApplyArgumentForm(offsets);
}

void RewriteReadAllLines()
{
    const CodeType eq = LastWritten();
    const CodeType array = WrittenBack(2);
    if (!IsOp(eq, opEq) || array.FirstCode != ckStrArrVar) {
        SetError(50011, fnREADALLLINES);
        return;
    }
    DropLast();
    DropLast();
    DropLastIf(stLET);
    const int n = CountArguments();
    if (n != 0 && n != 1) {
        SetError(50011, fnREADALLLINES);
        return;
    }
    EmitCell.SecondCode = n == 0 ? fnREADALLLINES : OneMoreArgBase + fnREADALLLINES;
    Emit(EmitCell);
    Emit(array);
}

void RewriteNoArgumentFunction()
{
    Emit(EmitCell);
    if (!IsOp(PeekOne(), opLParen))
        return;
    Consume();
    if (IsOp(PeekOne(), opRParen))
        Consume();
}

void RewriteSplit()
{
    Emit(EmitCell);
    if (!IsOp(PeekOne(), opLParen))
        return;
    GetToken(TokenCell, tmRegister);
    Emit(TokenCell);
    // The index of the string variable the call cuts, when the first argument
    // is that variable alone (a "," follows it); 0 for any other argument.
    const auto next = PeekTwo();
    const bool loneVariable = next[0].FirstCode == ckStrVar && IsOp(next[1], opComma);
    const CodeType index = AddNumLiteralValue(loneVariable ? next[0].SecondCode : 0);
    if (ErrorNumber != 0)
        return;
    Emit(index);
    Emit(Cell(ckOperator, opComma));
}

// ---------------------------------------------------------------- "(" and SEEK(

void RewriteParen()
{
    if (RewriteWholeArray(false))
        return;
    if (IsSt(LastWritten(), stSEEK)) {
        CodeType function = LastWritten();
        function.FirstCode = ckFunction;
        function.SecondCode = fnSEEK;
        OverwriteLast(function);
    }
    Emit(EmitCell);
}

// ---------------------------------------------------------------- settings as functions

void RewriteSetting()
{
    if (!IsStatementPosition(false)) {
        EmitCell.FirstCode = ckFunction;
        EmitCell.SecondCode += SettingReadBase;
    }
    Emit(EmitCell);
}

// ---------------------------------------------------------------- member statements

struct Member {
    int32_t Object;
    const char16_t *Word;
    int32_t Value;
};

constexpr Member kMembers[] = {
    {stAUDIOMIXER, u"MASTERVOLUME", isMixerMasterVolume},
    {stAUDIOMIXER, u"MASTERMUTE", isMixerMasterMute},
    {stCLIPBOARD, u"CLEAR", isClipboardClear},
    {stCLIPBOARD, u"GETTEXT", fnClipboardGetText},
    {stCLIPBOARD, u"SETTEXT", isClipboardSetText},
    {stMEDIAPLAYER, u"CLOSE", isMediaPlayerClose},
    {stMEDIAPLAYER, u"OPEN", isMediaPlayerOpen},
    {stMEDIAPLAYER, u"STOP", isMediaPlayerStop},
    {stMEDIAPLAYER, u"PLAY", isMediaPlayerPlay},
    {stMEDIAPLAYER, u"PAUSE", isMediaPlayerPause},
    {stMEDIAPLAYER, u"MODE", isMediaPlayerMode},
};

int32_t MemberValue(int32_t object, const QString &word)
{
    for (const Member &m : kMembers) {
        if (m.Object == object && word == QStringView(m.Word))
            return m.Value;
    }
    return 0;
}

// The token after an object or a control's index, read with "." as an operator.
CodeType PeekMemberDot()
{
    MemberDotActive = 1;
    const CodeType next = PeekOne();
    MemberDotActive = 0;
    return next;
}

void RewriteMember()
{
    const bool statementPosition = IsStatementPosition(true);
    const int32_t object = EmitCell.SecondCode;
    const CodeType next = PeekMemberDot();
    int32_t value = 0;
    if (IsOp(next, opDot)) {
        MemberDotActive = 1;
        Consume();
        MemberDotActive = 0;
        value = MemberValue(object, ReadMemberWord());
    } else if (!EndsStatement(next)) {
        Consume();  // the token after the object goes in every case but a statement end
    }
    if (value == 0) {
        Emit(EmitCell);
        return;
    }
    if (value == fnClipboardGetText) {
        EmitCell.FirstCode = ckFunction;
    } else if (!statementPosition && (value == isMediaPlayerMode || value == isMixerMasterVolume
                                      || value == isMixerMasterMute)) {
        EmitCell.FirstCode = ckFunction;
        value += SettingReadBase;
    }
    EmitCell.SecondCode = value;
    Emit(EmitCell);
}

// ---------------------------------------------------------------- control properties

struct Property {
    int32_t Control;
    const char16_t *Word;
    int32_t Code;
};

constexpr Property kProperties[] = {
    {stCBUTTON, u"CAPTION", 196}, {stCBUTTON, u"TEXT", 196}, {stCBUTTON, u"CLICK", 197},
    {stCBUTTON, u"COLOR", 198}, {stCBUTTON, u"FONTCHARSET", 199}, {stCBUTTON, u"FONTCOLOR", 200},
    {stCBUTTON, u"FONTNAME", 201}, {stCBUTTON, u"FONTSIZE", 202}, {stCBUTTON, u"FONTSTYLE", 203},
    {stCBUTTON, u"HEIGHT", 204}, {stCBUTTON, u"LEFT", 205}, {stCBUTTON, u"TOP", 206},
    {stCBUTTON, u"VISIBLE", 207}, {stCBUTTON, u"WIDTH", 208},
    {stCLABEL, u"CAPTION", 209}, {stCLABEL, u"TEXT", 209}, {stCLABEL, u"COLOR", 210},
    {stCLABEL, u"FONTCHARSET", 211}, {stCLABEL, u"FONTCOLOR", 212}, {stCLABEL, u"FONTNAME", 213},
    {stCLABEL, u"FONTSIZE", 214}, {stCLABEL, u"FONTSTYLE", 215}, {stCLABEL, u"HEIGHT", 216},
    {stCLABEL, u"LEFT", 217}, {stCLABEL, u"TOP", 218}, {stCLABEL, u"VISIBLE", 219},
    {stCLABEL, u"WIDTH", 220},
    {stCTEXTBOX, u"COLOR", 224}, {stCTEXTBOX, u"FONTCHARSET", 225}, {stCTEXTBOX, u"FONTCOLOR", 226},
    {stCTEXTBOX, u"FONTNAME", 227}, {stCTEXTBOX, u"FONTSIZE", 228}, {stCTEXTBOX, u"FONTSTYLE", 229},
    {stCTEXTBOX, u"HEIGHT", 230}, {stCTEXTBOX, u"LEFT", 231}, {stCTEXTBOX, u"MULTILINE", 232},
    {stCTEXTBOX, u"TEXT", 233}, {stCTEXTBOX, u"TOP", 234}, {stCTEXTBOX, u"VISIBLE", 235},
    {stCTEXTBOX, u"WIDTH", 236},
};

constexpr int32_t kClickProperty = 197;

int32_t PropertyCode(int32_t control, const QString &word)
{
    for (const Property &p : kProperties) {
        if (p.Control == control && word == QStringView(p.Word))
            return p.Code;
    }
    return 0;
}

// Copies the control's index in brackets; false on a fault.
bool CopyControlIndex(int32_t control)
{
    int depth = 0;
    do {
        GetToken(TokenCell, tmRegister);
        if (TokenCell.FirstCode == ckNone || IsOp(TokenCell, opColon) || IsOp(TokenCell, opEndOfLine)
            || (IsOp(TokenCell, opComma) && depth == 1)) {
            SetError(50022, control);
            return false;
        }
        if (IsOp(TokenCell, opLParen))
            ++depth;
        else if (IsOp(TokenCell, opRParen))
            --depth;
        HandleToken();
        if (ErrorNumber != 0)
            return false;
    } while (depth > 0);
    return true;
}

void RewriteControl()
{
    const int32_t control = EmitCell.SecondCode;
    const bool set = IsStatementPosition(true);
    const int32_t placeholder = PreCodePos;
    Emit(EmitCell);
    if (!IsOp(PeekOne(), opLParen) || !CopyControlIndex(control))
        return;
    if (!IsOp(PeekMemberDot(), opDot))
        return;  // a form without a property: the statement keeps its number
    MemberDotActive = 1;
    Consume();
    MemberDotActive = 0;
    const int32_t code = PropertyCode(control, ReadMemberWord());
    if (code == 0 || (code == kClickProperty && set)) {
        SetError(50022, control);
        return;
    }
    int32_t value = (set ? PropertyWriteBase : PropertyReadBase) + code;
    if (code == kClickProperty)
        value = PropertyWriteBase + code;  // the click latch is read as 1197
    PreCodeArray[size_t(placeholder)].FirstCode = ckFunction;
    PreCodeArray[size_t(placeholder)].SecondCode = value;
}

// ---------------------------------------------------------------- HELP options

void RewriteHelp()
{
    if (IsOp(PeekOne(), opSub)) {
        Consume();
        QString word;
        ReadWord(word);
        UngetChar();
        if (word == u"RW") EmitCell.SecondCode = isHelpReservedWords;
        else if (word == u"UV") EmitCell.SecondCode = isHelpVariables;
        else if (word == u"CR") EmitCell.SecondCode = isHelpCrossRef;
        else if (word == u"ORVANEC") EmitCell.SecondCode = isHelpTranslatorDump;
    }
    Emit(EmitCell);
}

// ---------------------------------------------------------------- dispatch

bool RewriteStatement()
{
    const int32_t s = EmitCell.SecondCode;
    switch (s) {
    case stCSCREEN:
    case stGSCREEN: {
        const CodeType last = LastWritten();
        if (IsSt(last, stCLOSE)) {
            CodeType fused = last;
            fused.SecondCode = s == stCSCREEN ? stCLOSECSCREEN : stCLOSEGSCREEN;
            OverwriteLast(fused);
            return true;
        }
        DropLastIf(stOPEN);
        ApplyArgumentForm(s == stCSCREEN ? std::array<int, 4>{kNo, 0, kNo, kNo}
                                         : std::array<int, 4>{kNo, 0, kNo, 1000});
        return true;
    }
    case stINPUT:
        if (IsSt(LastWritten(), stLINE)) {
            CodeType fused = LastWritten();
            fused.SecondCode = stLINEINPUT;
            OverwriteLast(fused);
        } else {
            Emit(EmitCell);
        }
        return true;
    case stUSING: RewriteUsing(); return true;
    case stEXPLICIT: RewriteExplicit(); return true;
    case stANGLE:
        DropLastIf(stOPTION);
        EmitCell.SecondCode = stOPTIONANGLE;
        Emit(EmitCell);
        return true;
    case stDEGREES:
    case stRADIANS:
        DropLastIf(stOPTIONANGLE);
        Emit(EmitCell);
        return true;
    case stOPENCSCREEN: ApplyArgumentForm({kNo, 0, kNo, kNo}); return true;
    case stOPENGSCREEN: ApplyArgumentForm({kNo, 0, kNo, 1000}); return true;
    case stAPPENDALLTEXT:
    case stWRITEALLLINES:
    case stWRITEALLTEXT: ApplyArgumentForm({kNo, 0, 1000, kNo}); return true;
    case stLOADPICTURE:
    case stSAVEPICTURE: ApplyEmptyBracketForm(1000, {0, 2000, 3000, kNo}); return true;
    case stRANDOMIZE:
    case stRUN:
        if (!EndsStatement(PeekOne()))
            EmitCell.SecondCode += 1000;
        Emit(EmitCell);
        return true;
    case stAUDIOMIXER:
    case stCLIPBOARD:
    case stMEDIAPLAYER: RewriteMember(); return true;
    case stCBUTTON:
    case stCLABEL:
    case stCTEXTBOX: RewriteControl(); return true;
    case stHELP: RewriteHelp(); return true;
    default:
        if (!IsSettingStatement(s))
            return false;
        RewriteSetting();
        return true;
    }
}

bool RewriteFunction()
{
    switch (EmitCell.SecondCode) {
    case fnNORMALIZE:
    case fnREADALLTEXT:
    case fnROUND: ApplyArgumentForm({0, OneMoreArgBase, kNo, kNo}); return true;
    case fnINPUTBOX:
    case fnMSGBOX: ApplyArgumentForm({0, OneMoreArgBase, TwoMoreArgsBase, kNo}); return true;
    case fnINPUT_STR:
    case fnSELECTOPENFILE:
    case fnSELECTSAVEFILE: ApplyEmptyBracketForm(OneMoreArgBase, {0, TwoMoreArgsBase, kNo, kNo}); return true;
    case fnRND:
        if (IsOp(PeekOne(), opLParen))
            EmitCell.SecondCode = OneMoreArgBase + fnRND;
        Emit(EmitCell);
        return true;
    case fnREADALLLINES: RewriteReadAllLines(); return true;
    case fnGETCURRENTDIR: case fnGETHOUR: case fnGETMINUTE: case fnGETMSECOND:
    case fnGETSECOND: case fnINKEY_STR:
        RewriteNoArgumentFunction();
        return true;
    case fnSPLIT_STR: RewriteSplit(); return true;
    default: return false;
    }
}

} // namespace

bool RewriteWholeArray(bool parameter)
{
    const CodeType last = LastWritten();
    const auto index = size_t(last.SecondCode);
    uint8_t *kind = nullptr;
    uint8_t *flag = nullptr;
    int32_t arrayKind = 0;
    bool simple = false;
    if (last.FirstCode == ckNumVar && index < NumVars.size()) {
        kind = &NumVars[index].Kind;
        flag = &NumVars[index].ArrayParam;
        arrayKind = ckNumArrVar;
        simple = *kind == nvSimple || *kind == nvArrayParam;
    } else if (last.FirstCode == ckStrVar && index < StrVars.size()) {
        kind = &StrVars[index].Kind;
        flag = &StrVars[index].ArrayParam;
        arrayKind = ckStrArrVar;
        simple = *kind == svSimple || *kind == svArrayParam;
    } else if (last.FirstCode == ckBoolVar && index < BoolVars.size()) {
        kind = &BoolVars[index].Kind;
        flag = &BoolVars[index].ArrayParam;
        arrayKind = ckBoolArrVar;
        simple = *kind == bvSimple || *kind == bvArrayParam;
    }
    // F() calls a FUNCTION even before its header has given the name its kind.
    if (!simple || FindDeclaredRoutine(last) != 0 || !IsOp(PeekOne(), opRParen))
        return false;
    Consume();
    CodeType whole = last;
    whole.FirstCode = arrayKind;
    OverwriteLast(whole);
    *flag = 1;
    if (parameter)
        *kind = last.FirstCode == ckNumVar ? uint8_t(nvArrayParam) : uint8_t(svArrayParam);
    return true;
}

int CountArguments()
{
    LookAhead keep;
    CodeType cell = ReadAhead();
    if (EndsStatement(cell))
        return -1;
    if (!IsOp(cell, opLParen))
        return 0;
    int depth = 1;
    int commas = 0;
    while (depth > 0) {
        cell = ReadAhead();  // block comments are passed over as blanks
        if (cell.FirstCode == ckNone || IsOp(cell, opEndOfLine) || IsLineCommentMark(cell)
            || ErrorNumber != 0)
            break;
        if (IsOp(cell, opLParen))
            ++depth;
        else if (IsOp(cell, opRParen))
            --depth;
        else if (IsOp(cell, opComma) && depth == 1)
            ++commas;
    }
    return commas;
}

QString StripScopeDigits(const QString &name)
{
    qsizetype i = 0;
    while (i < name.size() && (name[i].isDigit() || name[i] == u' '))
        ++i;
    return name.mid(i);
}

bool RewriteKeyword()
{
    switch (EmitCell.FirstCode) {
    case ckOperator:
        if (EmitCell.SecondCode == opLParen) {
            RewriteParen();
            return true;
        }
        if (EmitCell.SecondCode == opHash) {
            RewriteHash();
            return true;
        }
        return false;
    case ckStatement:
        return RewriteStatement();
    case ckFunction:
        return RewriteFunction();
    default:
        return false;
    }
}

} // namespace ov
