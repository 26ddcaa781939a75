#include "language/OVCodeListing.h"

#include "language/OVBoolTbl.h"
#include "language/OVCode.h"
#include "language/OVGetTokenUnit.h"
#include "language/OVPreCode.h"
#include "language/OVStrTbl.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace ov {

namespace {

const QString CrLf = QStringLiteral("\r\n");

// The record a cell names, or null when the value names no entry
// (entry 0 is unused, entries above the count are not in use).
template <typename Record>
const Record *Entry(const std::vector<Record> &table, int32_t index, int32_t count)
{
    if (index < 1 || index > count || size_t(index) >= table.size())
        return nullptr;
    return &table[size_t(index)];
}

template <typename Record>
QString NameOf(const std::vector<Record> &table, int32_t index, int32_t count)
{
    const Record *r = Entry(table, index, count);
    return r ? r->Name : QString();
}

// A name from a fixed 1-based name table; empty outside it.
template <size_t N>
QString TableName(const QString (&table)[N], int32_t index)
{
    return index >= 0 && size_t(index) < N ? table[index] : QString();
}

// The nearest integer, halves to even, as a whole number without exponent.
QString RoundedText(long double value)
{
    const long double r = std::nearbyintl(value);
    // 2^63 is exact in the extended format; below it the value fits a 64-bit integer.
    constexpr long double Limit = 9223372036854775808.0L;
    if (r > -Limit && r < Limit)
        return QString::number(static_cast<qlonglong>(r));
    const int length = std::snprintf(nullptr, 0, "%.0Lf", r);
    if (length <= 0)
        return QString();
    std::string text(size_t(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), "%.0Lf", r);
    text.resize(size_t(length));
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

QString StatementText(int32_t v)
{
    if (v < 192)
        return TableName(StatementNames, v);
    switch (v) {
    case isFunctionEnd: return QStringLiteral("FunctionEnd");
    case isGlPop: return QStringLiteral("GlPop");
    case isGlPush: return QStringLiteral("GlPush");
    case isLoPop: return QStringLiteral("LoPop");
    case isLoPopAll: return QStringLiteral("LoPopAll");
    case isLoPush: return QStringLiteral("LoPush");
    case isLoPushAll: return QStringLiteral("LoPushAll");
    case isSubEnd: return QStringLiteral("SubEnd");
    case isSubJump: return QStringLiteral("SubJump");
    case isSubStart: return QStringLiteral("SubStart");
    default: return QStringLiteral("InnerSt") + QString::number(v);
    }
}

QString NumVarText(int32_t v)
{
    const NumVarType *r = Entry(NumVars, v, NumVarCount);
    if (!r)
        return QString();
    switch (r->Kind) {
    case 0: return u'#' + r->Name;
    case 1: return u'*' + r->Name;
    case 3: return u'%' + r->Name;
    case 4: return u'&' + r->Name;
    default: return r->Name;
    }
}

QString BoolVarText(int32_t v)
{
    const BoolVarType *r = Entry(BoolVars, v, BoolVarCount);
    if (!r)
        return QString();
    switch (r->Kind) {
    case 0: return u'@' + r->Name;
    case 1: return u'%' + r->Name;
    case 2: return u'&' + r->Name;
    default: return r->Name;
    }
}

QString ListingEntry(int32_t index, const CodeType &cell)
{
    return u'[' + QString::number(index) + u':' + QString::number(cell.SourcePos) + u']' +
           CodeToText(cell);
}

} // namespace

// Names keep the suffix they were written with; it is added only when missing.
static QString WithSuffix(const QString &name, char16_t suffix)
{
    return name.endsWith(suffix) ? name : name + suffix;
}

QString CodeToText(const CodeType &cell)
{
    const int32_t v = cell.SecondCode;
    const QString n = QString::number(v);
    switch (cell.FirstCode) {
    case ckEof: return v == opEndOfLine ? QStringLiteral("EOF") + CrLf : QStringLiteral("EOF");
    case ckOperator: {
        const QString name = TableName(OperatorNames, v);
        return v == opEndOfLine ? name + CrLf : name;
    }
    case ckFunction:
        return v < fnChangeSign ? TableName(FunctionNames, v) : QStringLiteral("InnerFn") + n;
    case ckStatement: return StatementText(v);
    case ckNumConst: return v >= 0 && v < 11 ? RoundedText(NumConstants[v]) : QString();
    case ckNumLiteral: return RoundedText(GetNumLiteralValue(cell));
    case ckNumVar: return NumVarText(v);
    case ckLocalNumVar: return u'L' + n;
    case ckNumArrVar: return QStringLiteral("NumArrVar(") + NameOf(NumVars, v, NumVarCount) + u')';
    case ckStrLiteral: {
        const qsizetype count = qMin(qsizetype(StrLiteralCount), qsizetype(StrLiterals.size()) - 1);
        return v >= 1 && v <= count ? StrLiterals[size_t(v)] : QString();
    }
    case ckStrVar: return WithSuffix(NameOf(StrVars, v, StrVarCount), u'$');
    case ckLocalStrVar: return u'L' + n + u'$';
    case ckStrArrVar: return QStringLiteral("StrArrVar(") + NameOf(StrVars, v, StrVarCount) + u')';
    case ckBoolConst:
        return v == 1 ? QStringLiteral("BCTrue") : v == 2 ? QStringLiteral("BCFalse") : QString();
    case ckBoolVar: return BoolVarText(v);
    case ckExprBegin:
    case ckExprEnd: return QStringLiteral("$");
    case ckCodeAddr: return n;
    case ckPrintSep: return v == stPRINT ? QStringLiteral("^PrintCR") : u'^' + n;
    case ckFilePrintSep:
        return v == opComma ? QStringLiteral("^Print#,")
               : v == stPRINT ? QStringLiteral("^Print#CR")
                              : QString();
    case ckWorkNumVar: return QStringLiteral("ANV") + n;
    case ckWorkStrVar: return QStringLiteral("ASV") + n;
    case ckFormVar: return WithSuffix(NameOf(FormVars, v, FormVarCount), u'@');
    case ckPopLocalNum: return QStringLiteral("PoPL") + n;
    case ckPopLocalStr: return QStringLiteral("PoPL") + n + u'$';
    case ckLocalBoolCount: return QStringLiteral("NLBV") + n;
    case ckLocalNumCount: return QStringLiteral("NLNV") + n;
    case ckLocalStrCount: return QStringLiteral("NLSV") + n;
    case ckBoolVarRange: return QStringLiteral("LBVP") + n;
    case ckNumVarRange: return QStringLiteral("LNVP") + n;
    case ckStrVarRange: return QStringLiteral("LSVP") + n;
    case ckSubBegin: return QStringLiteral("SubBegin");
    case ckSubEnd: return QStringLiteral("SubEnd");
    case ckDummyCode: return QStringLiteral("DummyCode");
    default:
        return QStringLiteral("FirstCode=") + QString::number(cell.FirstCode) +
               QStringLiteral(",SecondCode=") + n;
    }
}

QString DumpCode()
{
    QString result;
    CodePos = ProgramStart;
    for (;;) {
        const int32_t index = CodePos;
        CodeType cell;  // a read past the end sets only the kind
        // GetNextCode trusts CodeEnd; never let it index past the array.
        if (CodePos >= 0 && size_t(CodePos) < CodeArray.size())
            GetNextCode(cell);
        result += ListingEntry(index, cell);
        // A kind-0 cell also ends the listing: past CodeEnd the fetch does not advance.
        if (cell.FirstCode == ckEof || cell.FirstCode == ckNone || CodePos > CodeCapacity)
            break;
    }
    result += CrLf;
    return result;
}

QString DumpPreCode()
{
    QString result;
    PreCodePos = ProgramStart;
    for (;;) {
        const int32_t index = PreCodePos;
        CodeType cell;
        GetNextPreCode(cell);
        if (PreCodePos > PreCodeMax)
            break;  // the store's last cell (normally its end cell) is not listed
        result += ListingEntry(index, cell);
    }
    result += CrLf;
    return result;
}

} // namespace ov
