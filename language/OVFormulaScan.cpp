#include "language/OVFormulaScan.h"

#include "language/OVExpression.h"
#include "language/OVGetTokenUnit.h"
#include "language/OVLineScanner.h"
#include "language/OVPreCode.h"

#include <algorithm>
#include <climits>

namespace ov {

namespace {

// Statement words that the scanner turns into function cells inside an
// expression: settings read back, SEEK(n), control properties and the
// members read as values (MEDIAPLAYER MODE, CLIPBOARD GETTEXT ...).
bool MayStandInExpression(int32_t s)
{
    switch (s) {
    case stSEEK:
    case stCBUTTON: case stCLABEL: case stCTEXTBOX:
    case stAUDIOMIXER: case stCLIPBOARD: case stMEDIAPLAYER:
        return true;
    default:
        return IsSettingStatement(s);
    }
}

bool IsStatementEnd(const CodeType &cell)
{
    return cell.FirstCode == ckOperator && (cell.SecondCode == opColon || cell.SecondCode == opEndOfLine);
}

// Scans the formula into pre-code from cell 1, as the line scanner scans a
// console line, but refuses every other statement word before the scanner
// acts on it: SUB, DEF, DIM, CONST and the like would change the running
// program's tables, and none of them belongs in a formula.
void ScanFormula(const QString &text)
{
    // A scan of an empty text resets the line scanner, its own block stack
    // and its notion of where this scan starts included.
    ScanText.clear();
    ScanTextLength = 0;
    ResetPreCode();
    PreCodePos = 1;
    ScanLine();
    if (ErrorNumber != 0)
        return;

    ScanText = text + QChar(u':');
    ScanTextLength = int32_t(std::min<qsizetype>(ScanText.size(), INT32_MAX));
    ResetPreCode();
    PreCodePos = 1;
    ResetLinePos();
    TokenCell = CodeType{};
    GetToken(TokenCell, tmRegister);
    while (ErrorNumber == 0 && LinePos <= ScanTextLength) {
        if (TokenCell.FirstCode == ckStatement && !MayStandInExpression(TokenCell.SecondCode)) {
            SetError(138);
            break;
        }
        HandleToken();
        if (ErrorNumber != 0)
            break;
        GetToken(TokenCell, tmRegister);
    }
    if (ErrorNumber == 0)
        EmitPreCode(CodeType{ckEof, 0, 0});
    EmitEndOfLine();
}

} // namespace

void CompileFormula(const QString &text, std::vector<CodeType> &cells)
{
    cells.clear();
    const bool limited = ScratchLimited;
    ScratchLimited = true;  // a formula never spills into the program's pre-code
    ScanFormula(text);
    ScratchLimited = limited;
    if (ErrorNumber != 0)
        return;

    PreCodePos = 1;
    ExprBuffer buffer;
    TranslateExpression(buffer);
    if (ErrorNumber != 0)
        return;
    // Only statement ends may follow: "1+2)" or "1, 2" is no formula.
    for (;;) {
        CodeType rest;
        GetNextPreCode(rest);
        if (rest.FirstCode <= ckNone)
            break;
        if (IsStatementEnd(rest))
            continue;
        const bool isOperator = rest.FirstCode == ckOperator;
        SetError(isOperator && rest.SecondCode == opRParen ? 151
                 : isOperator && rest.SecondCode == opComma ? 153
                                                             : 138);
        return;
    }

    // The buffer holds (41), the postfix cells, (42) and perhaps empty cells.
    std::vector<CodeType> postfix;
    for (const CodeType &cell : buffer) {
        if (cell.FirstCode < 1)
            break;
        if (cell.FirstCode != ckExprBegin && cell.FirstCode != ckExprEnd)
            postfix.push_back(cell);
    }
    if (postfix.empty()) {
        SetError(138);  // nothing to evaluate
        return;
    }
    if (postfix.size() + 2 > size_t(FormulaCellLimit)) {
        SetError(30103);
        return;
    }
    cells.reserve(postfix.size() + 2);
    cells.push_back(CodeType{ckExprBegin, 0, 1});
    for (const CodeType &cell : postfix)
        cells.push_back(CodeType{cell.FirstCode, cell.SecondCode, int32_t(cells.size()) + 1});
    cells.push_back(CodeType{ckExprEnd, 0, int32_t(cells.size()) + 1});
}

} // namespace ov
