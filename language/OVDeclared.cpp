#include "language/OVDeclared.h"

#include "language/OVBoolTbl.h"
#include "language/OVNumTbl.h"
#include "language/OVStrTbl.h"

#include <QHash>

namespace ov {

DcVarType DcVarTable[DcVarCapacity + 1];
int32_t DcVarCount = 0;

namespace {

QHash<QString, int32_t> DeclaredIndex;  // first index of each name

bool IsVisibleInRoutine(uint8_t kind)
{
    return (kind >= 1 && kind <= 5) || (kind >= 10 && kind <= 13) || (kind >= 22 && kind <= 24);
}

bool IsRoutineKind(uint8_t kind)
{
    return kind == dkSub || (kind >= dkFunction && kind < dkDim);
}

// The name of the variable record a name cell stands for; empty for others.
QString NameOfCell(const CodeType &cell)
{
    const auto index = size_t(cell.SecondCode);
    if (cell.SecondCode < 1)
        return {};
    switch (cell.FirstCode) {
    case ckNumVar:
    case ckNumArrVar:
        return index < NumVars.size() ? NumVars[index].Name : QString();
    case ckStrVar:
    case ckStrArrVar:
        return index < StrVars.size() ? StrVars[index].Name : QString();
    case ckBoolVar:
    case ckBoolArrVar:
        return index < BoolVars.size() ? BoolVars[index].Name : QString();
    default:
        return {};
    }
}

} // namespace

int32_t FindDeclaredRoutine(const CodeType &nameCell)
{
    const QString name = NameOfCell(nameCell);
    const int32_t index = name.isEmpty() ? 0 : FindDeclared(name);
    return index != 0 && IsRoutineKind(DeclaredKind(index)) ? index : 0;
}

bool ArgumentCountFits(const CodeType &nameCell, int count)
{
    const int32_t routine = FindDeclaredRoutine(nameCell);
    return routine == 0 || DcVarTable[routine].Parameters < 0 || DcVarTable[routine].Parameters == count;
}

int32_t FindDeclared(const QString &name)
{
    const int32_t index = DeclaredIndex.value(name, 0);
    return index <= DcVarCount ? index : 0;
}

int32_t FindDeclaredGlobal(const QString &name)
{
    const int32_t first = FindDeclared(name);
    if (first == 0)
        return 0;
    for (int32_t i = first; i <= DcVarCount; ++i) {
        if (DcVarTable[i].Name == name && IsVisibleInRoutine(DeclaredKind(i)))
            return i;
    }
    return 0;
}

bool IsDeclaredVar(const QString &name)
{
    const int32_t index = FindDeclared(name);
    return index != 0 && DeclaredKind(index) == dkSub;
}

int32_t AddDeclared(const QString &name, uint8_t kind)
{
    if (DcVarCount >= DcVarCapacity)
        return 0;
    ++DcVarCount;
    DcVarTable[DcVarCount] = DcVarType{name, kind, 0};
    const auto known = DeclaredIndex.constFind(name);
    const bool stale = known == DeclaredIndex.cend() || *known >= DcVarCount
        || DcVarTable[*known].Name != name;
    if (stale)  // an earlier live entry of the same name wins
        DeclaredIndex.insert(name, DcVarCount);
    return DcVarCount;
}

void ClearDeclared()
{
    DcVarCount = 0;
    for (DcVarType &record : DcVarTable)
        record = DcVarType{};
    DeclaredIndex.clear();
}

} // namespace ov
