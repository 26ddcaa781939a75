#include "language/OVTranslateOther.h"

#include "language/OVBoolTbl.h"
#include "language/OVCode.h"
#include "language/OVGetTokenUnit.h"
#include "language/OVNumTbl.h"
#include "language/OVPreCode.h"
#include "language/OVStrTbl.h"

#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <limits>
#include <new>
#include <stdexcept>

namespace ov {

namespace {

constexpr int MaxUnknownSubscripts = 9;  // an array parameter's record gives no count
constexpr int MaxDimensions = 5;
constexpr int32_t EmptyStringConst = 1;  // StrConstants: ""
constexpr int32_t PromptConst = 2;       // StrConstants: "? "
constexpr int32_t ZeroConst = 1;         // NumConstants: 0.0, "all channels"
constexpr int32_t OneConst = 2;          // NumConstants: 1.0
constexpr int32_t MinusOneConst = 3;     // NumConstants: -1.0, "not given"

// ---------------------------------------------------------------- reading

CodeType PeekNext()
{
    CodeType cell;
    PeekPreCode(cell);
    return cell;
}

CodeType ReadNext()
{
    GetNextPreCode(ReadCell);
    return ReadCell;
}

bool IsComma(const CodeType &cell) { return IsOperatorCell(cell, opComma); }
bool IsSemicolon(const CodeType &cell) { return IsOperatorCell(cell, opSemicolon); }
bool IsStringSource(const CodeType &cell) { return cell.FirstCode == ckStrLiteral || cell.FirstCode == ckStrVar; }
bool IsFormulaName(const CodeType &cell) { return cell.FirstCode == ckFormVar; }
bool IsNumericName(const CodeType &cell) { return cell.FirstCode == ckNumVar; }

// A channel number: a numeric literal holding one of the whole numbers 1 to 8.
bool IsChannelLiteral(const CodeType &cell)
{
    if (cell.FirstCode != ckNumLiteral)
        return false;
    const long double n = GetNumLiteralValue(cell);
    return n >= 1 && n <= 8 && n == std::trunc(n);
}

// ---------------------------------------------------------------- names and arrays

template <typename Record>
Record *RecordOf(std::vector<Record> &table, int32_t index)
{
    return index >= 1 && size_t(index) < table.size() ? &table[size_t(index)] : nullptr;
}

// 1 numeric, 2 string, 3 Boolean for a variable or whole-array name; 0 otherwise.
int NameType(const CodeType &cell)
{
    switch (cell.FirstCode) {
    case ckNumVar: case ckNumArrVar: return 1;
    case ckStrVar: case ckStrArrVar: return 2;
    case ckBoolVar: case ckBoolArrVar: return 3;
    default: return 0;
    }
}

int32_t WorkingKind(int nameType)
{
    return nameType == 1 ? ckWorkNumVar : nameType == 2 ? ckWorkStrVar : ckWorkBoolVar;
}

// The dimension count of an array name: the record's own count, 0 when the
// record gives none (an array parameter), -1 when the name is no array.
int ArrayDimensions(const CodeType &cell)
{
    const auto dims = [](const auto *record, uint8_t arrayKind, uint8_t paramKind) {
        if (!record)
            return -1;
        if (record->Kind == arrayKind)
            return int(record->Dimensions);
        return record->Kind == paramKind ? 0 : -1;
    };
    switch (NameType(cell)) {
    case 1: return dims(RecordOf(NumVars, cell.SecondCode), nvArray, nvArrayParam);
    case 2: return dims(RecordOf(StrVars, cell.SecondCode), svArray, svArrayParam);
    case 3: return dims(RecordOf(BoolVars, cell.SecondCode), bvArray, bvArrayParam);
    default: return -1;
    }
}

// The dimension count stored in a name's record; 0 for a plain variable.
int RecordDimensions(const CodeType &cell)
{
    const auto dims = [](const auto *record) { return record ? int(record->Dimensions) : 0; };
    switch (NameType(cell)) {
    case 1: return dims(RecordOf(NumVars, cell.SecondCode));
    case 2: return dims(RecordOf(StrVars, cell.SecondCode));
    case 3: return dims(RecordOf(BoolVars, cell.SecondCode));
    default: return 0;
    }
}

// Reads "(" subscripts ")" of an array element and pushes each translated
// subscript on the stack, emitting it at once when asked. A dimension count
// of 0 accepts up to 9 subscripts. A missing bracket or separator sets
// shapeError, a count that does not fit countError. Returns the count, or -1.
int ReadSubscripts(TranslatorStack<ExprBuffer> &stack, int dimensions, int32_t shapeError, int32_t countError,
                   bool emitNow)
{
    if (!IsOperatorCell(ReadNext(), opLParen)) {
        SetError(shapeError);
        return -1;
    }
    const int limit = dimensions > 0 ? dimensions : MaxUnknownSubscripts;
    int count = 0;
    for (;;) {
        ExprBuffer subscript;
        TranslateExpression(subscript);
        if (ErrorNumber != 0)
            return -1;
        if (subscript.empty()) {
            SetError(shapeError);
            return -1;
        }
        if (count == limit) {
            ReadPos = subscript.front().SourcePos;  // the subscript too many
            SetError(countError);
            return -1;
        }
        if (emitNow)
            EmitExpression(subscript);
        stack.Push(std::move(subscript));
        if (ErrorNumber != 0)
            return -1;
        ++count;
        const CodeType next = ReadNext();
        if (IsOperatorCell(next, opRParen))
            break;
        if (!IsComma(next)) {
            SetError(shapeError);
            return -1;
        }
    }
    if (dimensions > 0 && count != dimensions) {
        SetError(countError);
        return -1;
    }
    return count;
}

// Pops and emits count buffers: the one pushed last comes first.
void EmitPopped(TranslatorStack<ExprBuffer> &stack, int count)
{
    for (int i = 0; i < count && ErrorNumber == 0; ++i)
        EmitExpression(stack.Pop());
}

// One PRINT item. Every cell that reaches here starts an expression, so an
// empty result only guards against a reader that did not move on.
bool TranslateItem(ExprBuffer &item, int32_t error)
{
    TranslateExpression(item);
    if (ErrorNumber != 0)
        return false;
    if (item.empty()) {
        SetError(error);
        return false;
    }
    return true;
}

// After a variable of INPUT, INPUT # or READ: "," goes on to the next one;
// the statement's ending is consumed (never the end cell of the pre-code).
enum class ListStep { Next, Done, Fault };

ListStep AfterListItem(int32_t error, int32_t subject = 0)
{
    const CodeType next = PeekNext();
    if (IsComma(next) || IsOperatorCell(next, opColon) || IsOperatorCell(next, opEndOfLine)) {
        ReadNext();
        return IsComma(next) ? ListStep::Next : ListStep::Done;
    }
    if (next.FirstCode == ckEof || next.FirstCode == ckNone)
        return ListStep::Done;
    SetError(error, subject);
    return ListStep::Fault;
}

// ---------------------------------------------------------------- PRINT

// What ended the item list: the line end comes only after an item or nothing.
enum class Ending { LineEnd, Comma, Semicolon };

void TranslateRunFile()
{
    TranslateLastArg();
    if (ErrorNumber != 0)
        return;
    EmitAt(ckStatement, stLOAD);
    EmitColon();
    EmitAt(ckStatement, stRUN);
}

void TranslateFiles()
{
    EmitAt(ckStatement, stFILES);
    const CodeType next = PeekNext();
    if (IsStatementEnd(next)) {
        EmitAt(ckStrConst, EmptyStringConst);
        return;
    }
    if (next.FirstCode != ckStrLiteral) {
        SetError(701);
        return;
    }
    EmitCode(ReadNext());
    ExpectStatementEnd();
}

// ---------------------------------------------------------------- drawing

// The statement cell and the defaults of its optional places, then whatever
// values the program gives over them.
void EmitWithOptionalValues(int32_t statement, int32_t defaultConst, int places)
{
    EmitAt(ckStatement, statement);
    for (int i = 0; i < places; ++i)
        EmitAt(ckNumConst, defaultConst);
    if (ErrorNumber == 0 && places > 0)
        ReadOptionalLiterals(places);
}

void TranslateCls()
{
    // The optional value is read like one after a fixed part: the keyword's
    // own cell stands in for the "," before it while it is read.
    const size_t keyword = size_t(PreCodePos - 1);
    if (PreCodePos < 1 || keyword >= PreCodeArray.size()) {
        SetError(700);
        return;
    }
    const CodeType saved = PreCodeArray[keyword];
    PreCodeArray[keyword] = CodeType{ckOperator, opComma, saved.SourcePos};
    --PreCodePos;
    EmitWithOptionalValues(stCLS, OneConst, 1);
    PreCodeArray[keyword] = saved;
    if (ErrorNumber == 0)
        ExpectStatementEnd();
}

// (x1, y1) "-" (x2, y2), the "-" missing giving dashError.
bool TranslateTwoPoints(int32_t dashError)
{
    TranslateParenArgs(2);
    if (ErrorNumber != 0)
        return false;
    if (!IsOperatorCell(ReadNext(), opSub)) {
        SetError(dashError);
        return false;
    }
    TranslateParenArgs(2);
    return ErrorNumber == 0;
}

void TranslateDrawing(int32_t statement)
{
    switch (statement) {
    case stCIRCLE:
        TranslateParenArgs(2);
        if (ErrorNumber != 0)
            return;
        if (!IsComma(ReadNext())) {
            SetError(50024, stCIRCLE);
            return;
        }
        TranslateArg();
        if (ErrorNumber == 0)
            EmitWithOptionalValues(stCIRCLE, MinusOneConst, 6);
        break;
    case stLINE:
        if (TranslateTwoPoints(811))
            EmitWithOptionalValues(stLINE, MinusOneConst, 2);
        break;
    case stWINDOW:
        if (TranslateTwoPoints(801))
            EmitAt(ckStatement, stWINDOW);
        break;
    default:  // PAINT, PSET, PRESET: one point
        TranslateParenArgs(2);
        if (ErrorNumber == 0)
            EmitWithOptionalValues(statement, MinusOneConst, statement == stPAINT ? 2 : 1);
        break;
    }
    if (ErrorNumber == 0)
        ExpectStatementEnd();
}

// ---------------------------------------------------------------- name lists

using NameTest = bool (*)(const CodeType &);

// "(" names separated by "," ")", each passing its test; emitted after the
// statement cell. Any fault sets the statement's error.
void TranslateNameList(int32_t statement, std::initializer_list<NameTest> tests, int32_t error)
{
    std::vector<CodeType> names;
    bool ok = IsOperatorCell(ReadNext(), opLParen);
    for (const NameTest test : tests) {
        if (ok && !names.empty())
            ok = IsComma(ReadNext());
        if (!ok)
            break;
        names.push_back(ReadNext());
        ok = test(names.back());
    }
    if (!ok || !IsOperatorCell(ReadNext(), opRParen)) {
        SetError(error);
        return;
    }
    EmitAt(ckStatement, statement);
    for (const CodeType &name : names)
        EmitCode(name);
    ExpectStatementEnd();
}

// ---------------------------------------------------------------- DIM

struct ArrayShape {
    int Dimensions = 0;
    Bounds Bound{};
    int64_t Elements = 1;  // saturates at the int64 maximum
};

// A bound rounded to a whole number; false when it lies below 0 or beyond
// 32 bits (tested before the conversion, which would be undefined there).
bool RoundBound(long double value, int32_t &bound)
{
    const long double rounded = std::nearbyint(value);
    if (!(rounded >= 0 && rounded <= std::numeric_limits<int32_t>::max()))
        return false;
    bound = int32_t(rounded);
    return true;
}

// The bounds after "(" up to and including ")".
bool ReadArrayShape(ArrayShape &shape)
{
    for (;;) {
        const CodeType cell = ReadNext();
        if (cell.FirstCode != ckNumLiteral) {
            SetError(611);
            return false;
        }
        if (shape.Dimensions == MaxDimensions) {
            SetError(54090);
            return false;
        }
        int32_t bound = 0;
        if (!RoundBound(GetNumLiteralValue(cell), bound)) {
            SetError(611);
            return false;
        }
        shape.Bound[size_t(shape.Dimensions++)] = bound;
        if (__builtin_mul_overflow(shape.Elements, int64_t(bound) + 1, &shape.Elements))
            shape.Elements = std::numeric_limits<int64_t>::max();
        const CodeType next = ReadNext();
        if (IsOperatorCell(next, opRParen))
            return true;
        if (!IsComma(next)) {
            SetError(611);
            return false;
        }
    }
}

// The elements of all arrays together take at most this many bytes (1 GiB),
// so that a DIM the machine cannot hold is refused before it is laid out.
constexpr int64_t ArrayMemoryLimit = int64_t(1) << 30;

// The bytes the element stores take now.
int64_t ArrayMemoryUsed()
{
    return int64_t(NumArrayData.size() * sizeof(long double) + StrArrayData.size() * sizeof(QString)
                   + BoolArrayData.size() * sizeof(uint8_t));
}

// Appends count cleared elements to an element store; 30101 when the indices
// would leave 32 bits, the arrays would pass their memory limit or the
// memory runs out.
template <typename T>
bool GrowElements(std::vector<T> &data, int32_t &used, int64_t count, const T &zero)
{
    if (count > int64_t(std::numeric_limits<int32_t>::max()) - used - 1
        || count > (ArrayMemoryLimit - ArrayMemoryUsed()) / int64_t(sizeof(T))) {
        SetError(30101);
        return false;
    }
    const size_t first = size_t(used) + 1;
    const size_t end = first + size_t(count);
    try {
        if (data.size() < end)
            data.resize(end, zero);
        std::fill(data.begin() + std::ptrdiff_t(first), data.begin() + std::ptrdiff_t(end), zero);
    } catch (const std::bad_alloc &) {
        SetError(30101);
        return false;
    } catch (const std::length_error &) {
        SetError(30101);
        return false;
    }
    used += int32_t(count);
    return true;
}

template <typename Record, typename T>
void LayOutArray(Record &record, uint8_t arrayKind, const ArrayShape &shape, std::vector<T> &data, int32_t &used,
                 const T &zero)
{
    const int32_t first = used + 1;
    if (!GrowElements(data, used, shape.Elements, zero))
        return;
    record.FirstElement = first;
    record.Kind = arrayKind;
    record.Dimensions = uint8_t(shape.Dimensions);
    record.Bound = shape.Bound;
}

void DimItem(const CodeType &name)
{
    NumVarType *num = name.FirstCode == ckNumVar ? RecordOf(NumVars, name.SecondCode) : nullptr;
    StrVarType *str = name.FirstCode == ckStrVar ? RecordOf(StrVars, name.SecondCode) : nullptr;
    BoolVarType *boolean = name.FirstCode == ckBoolVar ? RecordOf(BoolVars, name.SecondCode) : nullptr;
    uint8_t *kind = num ? &num->Kind : str ? &str->Kind : boolean ? &boolean->Kind : nullptr;
    if (!kind && name.FirstCode != ckFormVar) {
        SetError(501, stDIM);
        return;
    }
    if (!IsOperatorCell(PeekNext(), opLParen)) {
        if (kind)
            *kind = 0;
        return;
    }
    if (kind && *kind != 0) {
        SetError(618);
        return;
    }
    ReadNext();
    ArrayShape shape;
    if (!ReadArrayShape(shape))
        return;
    if (num)
        LayOutArray(*num, nvArray, shape, NumArrayData, NumArrayCount, 0.0L);
    else if (str)
        LayOutArray(*str, svArray, shape, StrArrayData, StrArrayCount, QString());
    else if (boolean)
        LayOutArray(*boolean, bvArray, shape, BoolArrayData, BoolArrayCount, uint8_t(0));
    // a formula name is read like an array and keeps what it was
}

} // namespace

// ---------------------------------------------------------------- assignment

void TranslateLet()
{
    const CodeType target = ReadNext();
    if (target.FirstCode != ckNumVar && target.FirstCode != ckStrVar && target.FirstCode != ckBoolVar) {
        SetError(601);
        return;
    }
    int subscripts = 0;
    const int dimensions = ArrayDimensions(target);
    if (dimensions >= 0) {
        subscripts = ReadSubscripts(PrintBufferStack, dimensions, 612, 612, false);
        if (subscripts < 0)
            return;
    }
    if (!IsOperatorCell(ReadNext(), opEq)) {
        SetError(602);
        return;
    }
    if (IsStatementEnd(PeekNext())) {
        SetError(603);
        return;
    }
    ExprBuffer value;
    TranslateExpression(value);
    if (ErrorNumber != 0)
        return;
    EmitExpression(value);
    if (!IsStatementEnd(PeekNext())) {
        SetError(501, stLET);
        return;
    }
    EmitPopped(PrintBufferStack, subscripts);
    // A fault of the assignment itself (a subscript out of range) names the target.
    EmitCode(CodeType{ckStatement, stLET, target.SourcePos});
    EmitCode(target);
    EmitEndOfLineCell();
}

// ---------------------------------------------------------------- output

void TranslatePrint()
{
    Ending last = Ending::LineEnd;
    for (;;) {
        const CodeType next = PeekNext();
        if (IsStatementEnd(next)) {
            if (last == Ending::LineEnd)
                EmitCode(CodeType{ckPrintSep, stPRINT, next.SourcePos});
            return;
        }
        if (IsComma(next)) {
            ReadNext();
            EmitCode(CodeType{ckPrintSep, opComma, next.SourcePos});
            last = Ending::Comma;
        } else if (IsSemicolon(next)) {
            ReadNext();
            last = Ending::Semicolon;
        } else if (next.FirstCode == ckStatement) {
            SetError(604);
            return;
        } else {
            ExprBuffer item;
            if (!TranslateItem(item, 604))
                return;
            EmitExpression(item);
            EmitAt(ckStatement, stPRINT);
            last = Ending::LineEnd;
        }
        if (ErrorNumber != 0)
            return;
    }
}

void TranslatePrintFile()
{
    const CodeType channel = ReadNext();
    if (channel.FirstCode != ckNumLiteral) {
        SetError(650);
        return;
    }
    if (!IsChannelLiteral(channel)) {
        SetError(653);
        return;
    }
    if (!IsComma(ReadNext())) {
        SetError(651);
        return;
    }
    Ending last = Ending::LineEnd;
    int32_t lastItem = -1;  // index of the last item's statement cell
    for (;;) {
        const CodeType next = PeekNext();
        if (IsStatementEnd(next))
            break;
        if (IsComma(next)) {
            ReadNext();
            EmitAt(ckNumLiteral, channel.SecondCode);
            EmitAt(ckFilePrintSep, opComma);
            last = Ending::Comma;
        } else if (IsSemicolon(next)) {
            ReadNext();
            last = Ending::Semicolon;
        } else if (next.FirstCode == ckStatement) {
            SetError(604);
            return;
        } else {
            ExprBuffer item;
            if (!TranslateItem(item, 604))
                return;
            EmitExpression(item);
            EmitAt(ckNumLiteral, channel.SecondCode);
            lastItem = CodePos;
            EmitAt(ckStatement, stPRINT_FILE);
            last = Ending::LineEnd;
        }
        if (ErrorNumber != 0)
            return;
    }
    if (last != Ending::LineEnd)
        return;
    if (lastItem < 0) {
        EmitAt(ckNumLiteral, channel.SecondCode);
        EmitAt(ckFilePrintSep, stPRINT);
    } else {
        // the last item writes itself and ends the line
        CodeArray[size_t(lastItem)].SecondCode = isPrintFileItem;
    }
}

void TranslatePrintUsing(bool toFile)
{
    CodeType channel;
    if (toFile) {
        channel = ReadNext();
        if (channel.FirstCode != ckNumLiteral) {
            SetError(650);
            return;
        }
        if (!IsChannelLiteral(channel)) {
            SetError(653);
            return;
        }
    }
    const CodeType format = ReadNext();
    if (!IsStringSource(format)) {
        SetError(661);
        return;
    }
    if (!IsSemicolon(ReadNext())) {
        SetError(662);
        return;
    }
    // The items are gathered and emitted last first, below the picture.
    Ending last = Ending::LineEnd;
    int items = 0;
    for (;;) {
        const CodeType next = PeekNext();
        if (IsStatementEnd(next))
            break;
        if (IsComma(next)) {
            ReadNext();
            last = Ending::Comma;
        } else if (IsSemicolon(next)) {
            ReadNext();
            last = Ending::Semicolon;
        } else if (next.FirstCode == ckStatement) {
            SetError(660);
            return;
        } else {
            ExprBuffer item;
            if (!TranslateItem(item, 660))
                return;
            PrintBufferStack.Push(std::move(item));
            if (ErrorNumber != 0)
                return;
            ++items;
            last = Ending::LineEnd;
        }
    }
    EmitPopped(PrintBufferStack, items);
    EmitCode(format);
    if (toFile)
        EmitAt(ckNumLiteral, channel.SecondCode);
    EmitAt(ckStatement, toFile ? int32_t(isPrintFileUsing) : int32_t(stPRINTUSING));
    // The separator before the ":" tells how the line goes on.
    if (last == Ending::LineEnd)
        EmitAt(ckPrintSep, stPRINT);
    else if (last == Ending::Comma)
        EmitAt(ckPrintSep, opComma);
    EmitColon();
}

// ---------------------------------------------------------------- input

void TranslateInput()
{
    EmitAt(ckStatement, stINPUT);
    const CodeType first = PeekNext();
    if (first.FirstCode == ckStrLiteral) {
        ReadNext();
        const CodeType separator = ReadNext();
        if (!IsComma(separator) && !IsSemicolon(separator)) {
            SetError(621);
            return;
        }
        EmitCode(separator);
        EmitCode(first);
    } else {
        EmitAt(ckOperator, opComma);
        EmitAt(ckStrConst, PromptConst);
    }
    for (;;) {
        const CodeType variable = ReadNext();
        const bool numeric = variable.FirstCode == ckNumVar;
        if (!numeric && variable.FirstCode != ckStrVar) {
            SetError(620);
            return;
        }
        int subscripts = 0;
        const int dimensions = ArrayDimensions(variable);
        if (dimensions >= 0) {
            subscripts = ReadSubscripts(PrintBufferStack, dimensions, 612, 620, false);
            if (subscripts < 0)
                return;
        }
        // the next reply item into the working variable, then assigned
        EmitAt(ckStatement, numeric ? isInputNumItem : isInputStrItem);
        EmitColon();
        EmitAt(numeric ? ckWorkNumVar : ckWorkStrVar, 1);
        EmitPopped(PrintBufferStack, subscripts);
        EmitAt(ckStatement, stLET);
        EmitCode(variable);
        EmitColon();
        if (ErrorNumber != 0 || AfterListItem(620) != ListStep::Next)
            return;
    }
}

void TranslateLineInput(bool fromFile)
{
    if (fromFile) {
        EmitAt(ckStatement, stLINEINPUT_FILE);
        const CodeType channel = ReadNext();
        if (!IsChannelLiteral(channel)) {
            SetError(625);
            return;
        }
        EmitCode(channel);
        if (!IsComma(ReadNext())) {
            SetError(624);
            return;
        }
    } else {
        EmitAt(ckStatement, stLINEINPUT);
        if (PeekNext().FirstCode == ckStrLiteral) {
            const CodeType prompt = ReadNext();
            const CodeType separator = ReadNext();
            if (!IsComma(separator) && !IsSemicolon(separator)) {
                SetError(624);
                return;
            }
            EmitCode(prompt);
        }
    }
    const CodeType variable = ReadNext();
    if (variable.FirstCode != ckStrVar) {
        SetError(624);
        return;
    }
    EmitAt(ckWorkStrVar, 1);
    EmitColon();
    int subscripts = 0;
    const int dimensions = ArrayDimensions(variable);
    if (dimensions >= 0) {
        subscripts = ReadSubscripts(PrintBufferStack, dimensions, 623, 623, false);
        if (subscripts < 0)
            return;
    }
    EmitAt(ckWorkStrVar, 1);
    EmitPopped(PrintBufferStack, subscripts);
    EmitAt(ckStatement, stLET);
    EmitCode(variable);
    EmitEndOfLineCell();
    EmitColon();
    ExpectStatementEnd();
}

namespace {

// The variables of READ and INPUT #: a plain variable follows the statement
// cell (and the channel); an array element is read into the working
// variable and then assigned. The list's ending is consumed.
void TranslateTargetList(int32_t statement, const CodeType *channel)
{
    for (;;) {
        const CodeType variable = ReadNext();
        const bool numeric = variable.FirstCode == ckNumVar;
        if (!numeric && variable.FirstCode != ckStrVar) {
            SetError(501, statement);
            return;
        }
        int subscripts = -1;
        if (const int dimensions = ArrayDimensions(variable); dimensions >= 0) {
            subscripts = ReadSubscripts(PrintBufferStack, dimensions, 612, 612, false);
            if (subscripts < 0)
                return;
        }
        EmitAt(ckStatement, statement);
        if (channel)
            EmitAt(ckNumLiteral, channel->SecondCode);
        if (subscripts < 0) {
            EmitCode(variable);
        } else {
            const int32_t working = numeric ? ckWorkNumVar : ckWorkStrVar;
            EmitAt(working, 1);
            EmitColon();
            EmitAt(working, 1);
            EmitPopped(PrintBufferStack, subscripts);
            EmitAt(ckStatement, stLET);
            EmitCode(variable);
        }
        EmitColon();
        if (ErrorNumber != 0)
            return;
        const ListStep step = AfterListItem(501, statement);
        if (step == ListStep::Done)
            EmitEndOfLineCell();
        if (step != ListStep::Next)
            return;
    }
}

} // namespace

void TranslateInputFile()
{
    const CodeType channel = ReadNext();
    if (!IsChannelLiteral(channel) || !IsComma(ReadNext())) {
        SetError(625);
        return;
    }
    TranslateTargetList(stINPUT_FILE, &channel);
}

void TranslateRead() { TranslateTargetList(stREAD, nullptr); }

void TranslateData()
{
    try {
        if (DataLines.size() < size_t(DataCount) + 2)
            DataLines.resize(size_t(DataCount) + 2);
    } catch (const std::exception &) {
        SetError(30101);
        return;
    }
    ++DataCount;
    DataLines[size_t(DataCount)] = CodePos;
    EmitAt(ckStatement, stDATA);
    for (;;) {
        const CodeType next = PeekNext();
        if (IsStatementEnd(next)) {
            if (next.FirstCode == ckOperator)
                ReadNext();
            EmitEndOfLineCell();
            return;
        }
        ReadNext();
        if (next.FirstCode == ckNumLiteral || next.FirstCode == ckStrLiteral) {
            EmitCode(next);
        } else if (!IsComma(next)) {
            SetError(501, stDATA);
            return;
        }
        if (ErrorNumber != 0)
            return;
    }
}

// ---------------------------------------------------------------- declarations

void TranslateDim()
{
    for (;;) {
        const CodeType name = ReadNext();
        if (name.FirstCode != ckNumVar && name.FirstCode != ckStrVar && name.FirstCode != ckBoolVar
            && name.FirstCode != ckFormVar) {
            SetError(501, stDIM);
            return;
        }
        DimItem(name);
        if (ErrorNumber != 0)
            return;
        const CodeType next = PeekNext();
        if (IsStatementEnd(next))
            return;
        if (!IsComma(next)) {
            SetError(501, stDIM);
            return;
        }
        ReadNext();
    }
}

// ---------------------------------------------------------------- files

void TranslateOpen()
{
    EmitAt(ckStatement, stOPEN);
    const CodeType file = ReadNext();
    if (!IsStringSource(file)) {
        SetError(40002);
        return;
    }
    EmitCode(file);
    if (!IsStatementCellOf(ReadNext(), stFOR)) {
        SetError(40002);
        return;
    }
    const CodeType mode = ReadNext();
    if (!IsStatementCellOf(mode, stINPUT) && !IsStatementCellOf(mode, stOUTPUT)
        && !IsStatementCellOf(mode, stAPPEND)) {
        SetError(40002);
        return;
    }
    EmitCode(mode);
    if (!IsStatementCellOf(ReadNext(), stAS) || !IsOperatorCell(ReadNext(), opHash)) {
        SetError(40002);
        return;
    }
    const CodeType channel = ReadNext();
    if (!IsChannelLiteral(channel)) {
        SetError(40001);
        return;
    }
    EmitCode(channel);
    ExpectStatementEnd();
}

void TranslateClose()
{
    EmitAt(ckStatement, stCLOSE);
    if (IsStatementEnd(PeekNext())) {
        EmitAt(ckNumConst, ZeroConst);
        return;
    }
    // Each further channel is closed by a CLOSE cell of its own.
    for (;;) {
        if (!IsOperatorCell(ReadNext(), opHash)) {
            SetError(50024, stCLOSE);
            return;
        }
        const CodeType channel = ReadNext();
        if (!IsChannelLiteral(channel)) {
            SetError(40001);
            return;
        }
        EmitCode(channel);
        const CodeType next = PeekNext();
        if (IsStatementEnd(next))
            return;
        if (!IsComma(next)) {
            SetError(40003);
            return;
        }
        ReadNext();
        EmitColon();
        EmitAt(ckStatement, stCLOSE);
    }
}

// ---------------------------------------------------------------- SWAP

void TranslateSwap()
{
    // working := a : a := b : b := working, the subscripts of each element
    // emitted once to read it and again, from their stack, to assign it.
    const CodeType a = ReadNext();
    const int type = NameType(a);
    if (type == 0) {
        SetError(50024, stSWAP);
        return;
    }
    SwapStackA.Clear();
    SwapStackB.Clear();
    int aSubscripts = 0;
    if (ArrayDimensions(a) >= 0) {
        aSubscripts = ReadSubscripts(SwapStackA, 0, 612, 612, true);
        if (aSubscripts < 0)
            return;
    }
    const int32_t working = WorkingKind(type);
    EmitCode(a);
    EmitAt(ckStatement, stLET);
    EmitAt(working, 1);
    EmitColon();

    if (!IsComma(ReadNext())) {
        SetError(50024, stSWAP);
        return;
    }
    const CodeType b = ReadNext();
    if (NameType(b) != type) {
        SetError(50024, stSWAP);
        return;
    }
    int bSubscripts = 0;
    if (ArrayDimensions(b) >= 0) {
        bSubscripts = ReadSubscripts(SwapStackB, 0, 612, 612, true);
        if (bSubscripts < 0)
            return;
    }
    if (std::abs(RecordDimensions(a) - RecordDimensions(b)) > 1) {
        SetError(50024, stSWAP);
        return;
    }
    ExpectStatementEnd();
    if (ErrorNumber != 0)
        return;

    EmitCode(b);
    EmitPopped(SwapStackA, aSubscripts);
    EmitAt(ckStatement, stLET);
    EmitCode(a);
    EmitColon();

    EmitAt(working, 1);
    EmitPopped(SwapStackB, bSubscripts);
    EmitAt(ckStatement, stLET);
    EmitCode(b);
    EmitEndOfLineCell();
}

// ---------------------------------------------------------------- dispatch

void TranslateOtherStatement(int32_t statement)
{
    switch (statement) {
    case StatementVariant(1, stRUN): TranslateRunFile(); break;
    case stCIRCLE: case stLINE: case stPAINT: case stPRESET: case stPSET: case stWINDOW:
        TranslateDrawing(statement);
        break;
    case stCLS: TranslateCls(); break;
    case stCLOSE: TranslateClose(); break;
    case stDATA: TranslateData(); break;
    case stDIM: TranslateDim(); break;
    case stEVALFORM:
        TranslateNameList(stEVALFORM, {IsFormulaName, IsNumericName, IsNumericName}, 5011);
        break;
    case stFILECOPY:
        TranslateTwoArgs();
        if (ErrorNumber == 0)
            EmitAt(ckStatement, stFILECOPY);
        break;
    case stFILES: TranslateFiles(); break;
    case stINPUT: TranslateInput(); break;
    case stINPUT_FILE: TranslateInputFile(); break;
    case stLET: TranslateLet(); break;
    case stLINEINPUT: TranslateLineInput(false); break;
    case stLINEINPUT_FILE: TranslateLineInput(true); break;
    case stMOUSE:
        TranslateNameList(stMOUSE, {IsNumericName, IsNumericName, IsNumericName}, 53030);
        break;
    case stNAME:
        TranslateArgsAs();
        if (ErrorNumber == 0)
            EmitAt(ckStatement, stNAME);
        break;
    case stOPEN: TranslateOpen(); break;
    case stPRINT: TranslatePrint(); break;
    case stPRINT_FILE: TranslatePrintFile(); break;
    case stPRINTUSING: TranslatePrintUsing(false); break;
    case isPrintFileUsing: TranslatePrintUsing(true); break;
    case stREAD: TranslateRead(); break;
    case stSTRTOFORM:
        TranslateNameList(stSTRTOFORM, {IsStringSource, IsFormulaName, IsNumericName}, 5001);
        break;
    case stSWAP: TranslateSwap(); break;
    default: SetError(3, statement); break;
    }
}

} // namespace ov
