#include "executor/OVFormula.h"

#include "devices/OVGraphState.h"
#include "devices/OVWorldCoord.h"
#include "executor/OVConsoleOut.h"
#include "executor/OVMThread.h"
#include "executor/OVRunHost.h"
#include "executor/OVStack.h"
#include "language/OVBoolTbl.h"
#include "language/OVCode.h"
#include "language/OVCodeListing.h"
#include "language/OVDeclared.h"
#include "language/OVFormulaScan.h"
#include "language/OVKeywordRewrite.h"
#include "language/OVPreCode.h"
#include "language/OVStrTbl.h"

#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <iterator>
#include <thread>

namespace ov {

int LanguageVersion = 12;

static bool PixelToWorld(int32_t px, int32_t py, long double &x, long double &y)
{
    DeviceToWorld(px, py, x, y);
    return true;
}

bool (*MouseToWorld)(int32_t, int32_t, long double &, long double &) = PixelToWorld;

namespace {

using namespace std::chrono_literals;

// ---------------------------------------------------------------- operand cells

// The code cell n places after the program counter, kind 0 where none may be fetched.
CodeType Ahead(int32_t n)
{
    const int64_t index = int64_t(CodePos) + n;
    if (index < 0 || index > CodeEnd || size_t(index) >= CodeArray.size())
        return CodeType{};
    return CodeArray[size_t(index)];
}

bool IsFormulaVar(const CodeType &cell)
{
    return cell.FirstCode == ckFormVar && cell.SecondCode >= 1 && cell.SecondCode <= FormVarCount;
}

// A numeric variable a handler may store a number into: a plain variable or
// a FUNCTION's result, never an array, a label or a routine name, whose
// record holds other things.
bool IsAssignableNumber(const CodeType &cell)
{
    if (cell.FirstCode != ckNumVar || cell.SecondCode < 1 || cell.SecondCode > NumVarCount)
        return false;
    const NumVarType &record = NumVars[size_t(cell.SecondCode)];
    return (record.Kind == nvSimple || record.Kind == nvFunction) && record.Dimensions == 0;
}

bool IsFormulaText(const CodeType &cell)
{
    if (cell.FirstCode == ckStrLiteral)
        return cell.SecondCode >= 0 && size_t(cell.SecondCode) < StrLiterals.size();
    return cell.FirstCode == ckStrVar && cell.SecondCode >= 1 && cell.SecondCode <= StrVarCount;
}

QString FormulaText(const CodeType &cell)
{
    return cell.FirstCode == ckStrLiteral ? StrLiterals[size_t(cell.SecondCode)]
                                          : StrVars[size_t(cell.SecondCode)].Value;
}

long double &NumberOf(const CodeType &cell) { return NumVars[size_t(cell.SecondCode)].Value; }

// Operand cells of the wrong shape: the statement is skipped, so that none of
// them is run as a value when the error is caught by a formula in progress.
void RefuseStatement(int32_t error)
{
    SetError(error);
    SkipToStatementEnd();
}

// ---------------------------------------------------------------- STRTOFORM

void ExecStrToForm()
{
    const CodeType text = Ahead(0);
    const CodeType formula = Ahead(1);
    const CodeType errorVar = Ahead(2);
    if (!IsFormulaText(text) || !IsFormulaVar(formula) || !IsAssignableNumber(errorVar)) {
        RefuseStatement(5001);
        return;
    }
    CodePos += 3;
    const int32_t resume = CodePos;
    std::vector<CodeType> cells;
    CompileFormula(FormulaText(text), cells);
    const int32_t error = ErrorNumber;
    ClearError();  // a translation error goes to the variable, not to the run
    if (error == 0) {
        FormVarType &target = FormVars[size_t(formula.SecondCode)];
        target.Cells.fill(CodeType{});
        std::copy(cells.begin(), cells.end(), target.Cells.begin() + 1);
        target.CellCount = int32_t(cells.size());
    }
    NumberOf(errorVar) = error;
    CodePos = resume;
}

// ---------------------------------------------------------------- EVALFORM

// The operand cells of a formula's return, in order: where the run goes on
// and the state EVALFORM found. The value-stack depths let the return drop
// what the formula left, such as the operand of a failed operator.
enum SavedSlot {
    ReturnPos, SavedCodeEnd, SavedErrorMode, SavedErrorVar,
    SavedTags, SavedNumbers, SavedStrings, SavedBools, SavedCount
};

// Writes the region's cells from `base` on, growing the store as needed.
// Unchanged cells (the same formula run again from the same place) leave the
// executor's expression plans valid.
bool WriteRegion(int32_t base, const std::vector<CodeType> &region)
{
    const int32_t last = base + int32_t(region.size()) - 1;
    if (last >= int32_t(CodeArray.size()) && !ResizeStore(CodeArray, last + 1))
        return false;
    CodeCapacity = std::max(CodeCapacity, last);
    bool changed = false;
    for (size_t i = 0; i < region.size(); ++i) {
        CodeType &cell = CodeArray[size_t(base) + i];
        if (!(cell == region[i])) {
            cell = region[i];
            changed = true;
        }
    }
    if (changed)
        CodeChanged();
    return true;
}

// Runs the formula in a code region of its own just beyond the end of the
// code in force, so that the console line or event sub in cells 1 to 100
// and any formula already running (EVALFORM inside a FUNCTION the formula
// calls) stay intact. The region holds the formula with a check after each
// cell, then LET of the result and the return, whose operand cells carry
// everything to restore; an end cell closes it.
void ExecEvalForm()
{
    const int32_t sourcePos = CurrentCell.SourcePos;
    const CodeType formula = Ahead(0);
    const CodeType result = Ahead(1);
    const CodeType errorVar = Ahead(2);
    if (!IsFormulaVar(formula) || !IsAssignableNumber(result) || !IsAssignableNumber(errorVar)) {
        RefuseStatement(5011);
        return;
    }
    CodePos += 3;
    const FormVarType &compiled = FormVars[size_t(formula.SecondCode)];
    if (compiled.CellCount < 2 || compiled.CellCount > FormulaCells) {
        NumberOf(errorVar) = 5011;  // no STRTOFORM has given it a formula
        return;
    }

    std::vector<CodeType> region;
    region.reserve(size_t(compiled.CellCount) * 2 + 12);
    const auto add = [&](int32_t kind, int32_t value) { region.push_back(CodeType{kind, value, sourcePos}); };
    for (int32_t i = 1; i <= compiled.CellCount; ++i) {
        const CodeType &cell = compiled.Cells[size_t(i)];
        add(cell.FirstCode, cell.SecondCode);
        const bool bracket = cell.FirstCode == ckExprBegin || cell.FirstCode == ckExprEnd;
        const bool callJump = cell.FirstCode == ckStatement && cell.SecondCode == isSubJump;  // its operand follows
        if (!bracket && !callJump)
            add(ckStatement, isFormulaCheck);
    }
    add(ckStatement, stLET);
    add(ckNumVar, result.SecondCode);
    add(ckStatement, isFormulaReturn);
    int32_t saved[SavedCount];
    saved[ReturnPos] = CodePos;
    saved[SavedCodeEnd] = CodeEnd;
    saved[SavedErrorMode] = FormulaErrorMode;
    saved[SavedErrorVar] = FormulaErrorVar;
    saved[SavedTags] = TagStackTop;
    saved[SavedNumbers] = NumStackTop;
    saved[SavedStrings] = StrStackTop;
    saved[SavedBools] = BoolStackTop;
    for (const int32_t value : saved)
        add(ckCodeAddr, value);
    add(ckEof, 0);

    const int32_t base = CodeEnd + 1;
    if (!WriteRegion(base, region))
        return;
    CodeEnd = base + int32_t(region.size()) - 1;
    FormulaErrorVar = errorVar.SecondCode;
    FormulaErrorMode = 1;
    NumberOf(errorVar) = 0;
    CodePos = base;
}

// After a formula cell: once an error has been stored, later errors (mostly
// consequences of the first) are still cleared but no longer stored.
void CheckFormulaError()
{
    if (FormulaErrorVar >= 1 && FormulaErrorVar <= NumVarCount && NumVars[size_t(FormulaErrorVar)].Value != 0)
        FormulaErrorVar = 0;
}

void ReturnFromFormula()
{
    int32_t saved[SavedCount];
    for (int32_t &value : saved) {
        FetchCurrentCell();
        if (CurrentCell.FirstCode != ckCodeAddr) {
            SetError(50001);
            return;
        }
        value = CurrentCell.SecondCode;
    }
    TagStackTop = std::min(TagStackTop, saved[SavedTags]);
    NumStackTop = std::min(NumStackTop, saved[SavedNumbers]);
    StrStackTop = std::min(StrStackTop, saved[SavedStrings]);
    BoolStackTop = std::min(BoolStackTop, saved[SavedBools]);
    FormulaErrorMode = saved[SavedErrorMode];
    FormulaErrorVar = saved[SavedErrorVar];
    CodeEnd = saved[SavedCodeEnd];
    CodePos = saved[ReturnPos];
}

// ---------------------------------------------------------------- MOUSE, SLEEP, SETVERSION, HELP

void ExecMouse()
{
    const CodeType event = Ahead(0);
    const CodeType x = Ahead(1);
    const CodeType y = Ahead(2);
    if (!IsAssignableNumber(event) || !IsAssignableNumber(x) || !IsAssignableNumber(y)) {
        RefuseStatement(53030);
        return;
    }
    CodePos += 3;
    const MouseSample mouse = TakeMouseEvent();  // an event that comes meanwhile is kept for the next MOUSE
    NumberOf(event) = mouse.Event;
    long double worldX = 0;
    long double worldY = 0;
    if (GraphScreenOpen.load() != 0 && MouseToWorld && MouseToWorld(mouse.X, mouse.Y, worldX, worldY)) {
        NumberOf(x) = worldX;
        NumberOf(y) = worldY;
    }
    std::this_thread::sleep_for(5ms);
}

// SLEEP n: n milliseconds, truncated, at most 10 seconds, none for n <= 0.
// The pause is taken in short slices so that Stop ends it.
void ExecSleep()
{
    if (!IsNumberTag(TopTag())) {
        SetError(50022, stSLEEP);
        return;
    }
    const long double n = std::trunc(std::min(PopNumber(), 10000.0L));
    if (ErrorNumber != 0 || !(n >= 1))
        return;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(int64_t(n));
    while (StopRequested.load() == 0) {
        const auto left = until - std::chrono::steady_clock::now();
        if (left <= decltype(left)::zero())
            break;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(left, 20ms));
    }
}

void ExecSetVersion()
{
    if (!IsNumberTag(TopTag())) {
        SetError(50022, stSETVERSION);
        return;
    }
    const long double n = PopNumber();
    if (ErrorNumber == 0)
        LanguageVersion = int(std::trunc(std::min(std::fabs(n), 100.0L) * 10));
}

void ExecHelp()
{
    Synchronised([] { Host().OpenHelp(QString()); });
}

// ---------------------------------------------------------------- listings

// Writes a listing whose lines end in CR LF, one console line each.
void PrintListing(const QString &text)
{
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();  // the CR LF that ends the listing
    for (const QString &line : lines)
        PrintLine(line);
}

// The listings that read the code to its end leave the run there: the run
// ends after them.
void EndRunAfterListing() { CodePos = CodeEnd + 1; }

void ExecListKeywords()
{
    PrintLine(QStringLiteral(u"予約語"));
    const auto list = [](const QString *names, int count) {
        for (int i = 1; i <= count; ++i) {
            if (!names[i].isEmpty() && names[i].toUpper() == names[i])
                PrintLine(names[i]);
        }
    };
    list(OperatorNames, OperatorCount);
    list(StatementNames, StatementCount);
    list(FunctionNames, FunctionCount);
}

QString ListedName(const QString &name) { return QStringLiteral("  ") + StripScopeDigits(name) + QStringLiteral(" : "); }

QString DeclaredKindText(int kind)
{
    static const char16_t *const texts[] = {
        u"Skip",
        u"Sub", u"NumberFunction", u"StringFunction", u"BooleanFunction", u"FormulaFunction",
        u"NumberVariable", u"StringVariable", u"BooleanVariable", u"FormulaVariable",
        u"NumberPublicVariable", u"StringPublicVariable", u"BooleanPublicVariable", u"FormulaPublicVariable",
        u"NumberLocalVariable", u"StringLocalVariable", u"BooleanLocalVariable", u"FormulaLocalVariable",
        u"NumberConstant", u"StringConstant", u"BooleanConstant", u"FormulaConstant",
        u"NumberPublicConstant", u"StringPublicConstant", u"BooleanPublicConstant",
    };
    constexpr int last = int(std::size(texts)) - 1;
    return QString::fromUtf16(texts[kind >= 1 && kind <= last ? kind : 0]);
}

// The values of the simple variables and arrays (an array shows the value
// word of its record), then the declared names with what declared them.
void ExecListNames()
{
    PrintLine(QStringLiteral(u"Boole変数・Boole配列変数"));
    for (int32_t i = 1; i <= BoolVarCount; ++i) {
        const BoolVarType &v = BoolVars[size_t(i)];
        if (v.Kind != bvSimple && v.Kind != bvArray)
            continue;
        const QString value = v.Value == 1 ? QStringLiteral("TRUE")
                              : v.Value == 0 ? QStringLiteral("FALSE")
                                             : QStringLiteral("ERROR");
        PrintLine(ListedName(v.Name) + value);
    }
    PrintLine(QStringLiteral(u"数値変数・数値配列変数"));
    for (int32_t i = 1; i <= NumVarCount; ++i) {
        const NumVarType &v = NumVars[size_t(i)];
        if (v.Kind == nvSimple || v.Kind == nvArray)
            PrintLine(ListedName(v.Name) + FormatPrintNumber(v.Value).trimmed());
    }
    PrintLine(QStringLiteral(u"文字列変数・文字列配列変数"));
    for (int32_t i = 1; i <= StrVarCount; ++i) {
        const StrVarType &v = StrVars[size_t(i)];
        if (v.Kind == svSimple || v.Kind == svArray)
            PrintLine(ListedName(v.Name) + v.Value);
    }
    PrintLine(QStringLiteral(u"宣言定数・変数・配列変数"));
    for (int32_t i = 1; i <= DcVarCount; ++i)
        PrintLine(ListedName(DcVarTable[i].Name) + DeclaredKindText(DeclaredKind(i)));
}

// For each variable of the kind, where the program's code names it, as
// "line:column" of the cell; a place equal to the one before is left out.
// Reads the cells themselves up to the program's end cell, so a store that
// holds no program (after a failed translation) lists no places.
void ListReferences(int32_t kind, int32_t count, const auto &nameOf)
{
    const int32_t last = std::min<int64_t>(CodeEnd, int64_t(CodeArray.size()) - 1);
    for (int32_t v = 1; v <= count; ++v) {
        PrintLine(QString());
        PrintLine(nameOf(v));
        QString previous;
        for (int32_t i = ProgramStart; i <= last; ++i) {
            const CodeType &cell = CodeArray[size_t(i)];
            if (cell.FirstCode == ckEof)
                break;
            if (cell.FirstCode != kind || cell.SecondCode != v)
                continue;
            int32_t line = 1;
            int32_t column = 1;
            OffsetToLineColumn(cell.SourcePos, line, column);
            const QString place = QStringLiteral("   ") + QString::number(line) + u':' + QString::number(column);
            if (place != previous)
                PrintLine(place);
            previous = place;
        }
    }
}

void ExecListCrossReference()
{
    PrintLine(QStringLiteral(u"数値変数クロスリファレンス"));
    ListReferences(ckNumVar, NumVarCount, [](int32_t v) { return NumVars[size_t(v)].Name; });
    PrintLine(QString());
    PrintLine(QStringLiteral(u"文字列変数クロスリファレンス"));
    ListReferences(ckStrVar, StrVarCount, [](int32_t v) { return StrVars[size_t(v)].Name; });
    EndRunAfterListing();
}

void ExecListCounters()
{
    PrintListing(DumpPreCode());
    PrintListing(DumpCode());
    const auto count = [](int64_t n, const char *label) { PrintLine(QString::number(n) + QLatin1String(label)); };
    count(PreCodeMax, " : CurrentmaxPreCodeNum");
    count(CodeCapacity, " : CurrentmaxCodeNum");
    count(DataCount, " : NumofRegisteredDataPtr");
    count(NumLiteralCount, " : NumofRegisteredNumCon");
    count(NumVarCount, " : NumofRegisteredNumVar");
    count(NumArrayCount, " : NumofRegisteredANumVar");
    count(StrLiteralCount, " : NumofRegisteredStrCon");
    count(StrVarCount, " : NumofRegisteredStrVar");
    count(StrArrayCount, " : NumofRegisteredAStrVar");
    EndRunAfterListing();
}

} // namespace

bool DispatchFormulaStatement(int32_t s)
{
    switch (s) {
    case stSTRTOFORM: ExecStrToForm(); return true;
    case stEVALFORM: ExecEvalForm(); return true;
    case isFormulaCheck: CheckFormulaError(); return true;
    case isFormulaReturn: ReturnFromFormula(); return true;
    case stMOUSE: ExecMouse(); return true;
    case stSLEEP: ExecSleep(); return true;
    case stSETVERSION: ExecSetVersion(); return true;
    case stHELP: ExecHelp(); return true;
    case isHelpCrossRef: ExecListCrossReference(); return true;
    case isHelpReservedWords: ExecListKeywords(); return true;
    case isHelpTranslatorDump: ExecListCounters(); return true;
    case isHelpVariables: ExecListNames(); return true;
    default: return false;
    }
}

} // namespace ov
