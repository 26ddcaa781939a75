#include "language/OVVarTable.h"

#include "language/OVBoolTbl.h"
#include "language/OVCode.h"
#include "language/OVGetTokenUnit.h"
#include "language/OVStrTbl.h"

#include <QHash>
#include <new>
#include <stdexcept>

namespace ov {

namespace {

// Tables by type: 0 numeric, 1 string, 2 Boolean, 3 formula.
QHash<QString, int32_t> NameIndex[4];

int TableOf(int type)
{
    switch (type) {
    case vtString: return 1;
    case vtBoolean: return 2;
    case vtFormula: return 3;
    default: return 0;
    }
}

constexpr int32_t kVarCellKind[4] = {ckNumVar, ckStrVar, ckBoolVar, ckFormVar};

template <typename Record>
bool AppendRecord(std::vector<Record> &table, int32_t &count, Record record)
{
    try {
        table.resize(size_t(count) + 1);
        table.push_back(std::move(record));
    } catch (const std::bad_alloc &) {
        SetError(30101);
        return false;
    } catch (const std::length_error &) {
        SetError(30101);
        return false;
    }
    ++count;
    return true;
}

bool AppendVar(const QString &name, int table)
{
    switch (table) {
    case 0: {
        NumVarType r;
        r.Name = name;
        if (DeclContext == dcSubName)
            r.Kind = nvSub;
        else if (DeclContext == dcFunctionName)
            r.Kind = nvFunction;
        return AppendRecord(NumVars, NumVarCount, std::move(r));
    }
    case 1: {
        StrVarType r;
        r.Name = name;
        if (DeclContext == dcFunctionName)
            r.Kind = svFunction;
        return AppendRecord(StrVars, StrVarCount, std::move(r));
    }
    case 2: {
        BoolVarType r;
        r.Name = name;
        return AppendRecord(BoolVars, BoolVarCount, std::move(r));
    }
    default: {
        FormVarType r;
        r.Name = name;
        return AppendRecord(FormVars, FormVarCount, std::move(r));
    }
    }
}

int32_t CountOf(int table)
{
    const int32_t counts[4] = {NumVarCount, StrVarCount, BoolVarCount, FormVarCount};
    return counts[table];
}

} // namespace

int32_t FindVar(const QString &name, int type)
{
    return NameIndex[TableOf(type)].value(name, 0);
}

CodeType AddVar(const QString &name, int type)
{
    const int table = TableOf(type);
    if (!AppendVar(name, table))
        return CodeType{};
    const int32_t index = CountOf(table);
    CodeChanged();
    if (!NameIndex[table].contains(name))  // an earlier entry of the same name wins
        NameIndex[table].insert(name, index);
    return CodeType{kVarCellKind[table], index, 0};
}

CodeType MakeVarCell(int32_t index, int type)
{
    return CodeType{kVarCellKind[TableOf(type)], index, 0};
}

void ForgetVarNames(int type)
{
    NameIndex[TableOf(type)].clear();
}

} // namespace ov
