// Finding and adding variables across the numeric, string, Boolean and
// formula tables. A hash index beside each table keeps the first-match order
// of a search from entry 1 upwards, so lookups stay cheap in large programs.
#pragma once

#include "language/OVHeader.h"

namespace ov {

// The type argument of FindVar, AddVar and MakeVarCell.
enum VarTypeCode : int {
    vtNumber = 0,
    vtReal = 1,  // AS REAL: numeric too
    vtString = 2,
    vtBoolean = 3,
    vtFormula = 4,
};

// Index of the name in the table of that type, 0 when absent.
int32_t FindVar(const QString &name, int type);
// Appends a variable and returns its cell; kind 0 (and ErrorNumber) on failure.
CodeType AddVar(const QString &name, int type);
CodeType MakeVarCell(int32_t index, int type);

// Drops the index of one table; called when the table is reset.
void ForgetVarNames(int type);

} // namespace ov
