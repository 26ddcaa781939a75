#include "language/OVNumTbl.h"

#include "language/OVCode.h"
#include "language/OVTranslator.h"
#include "language/OVVarTable.h"

namespace ov {

std::vector<NumVarType> NumVars;
int32_t NumVarCount = 0;
std::vector<long double> NumLiterals;
int32_t NumLiteralCount = 0;
std::vector<long double> NumArrayData;
int32_t NumArrayCount = 0;
std::vector<FormVarType> FormVars;
int32_t FormVarCount = 0;
std::vector<NumVarType> LocalNumVars;
int32_t LocalNumCount = 0;
int32_t DataCount = 0;
int32_t LineNumberCount = 0;
NumVarType WorkNumVars[3];

void InitNumTables()
{
    NumLiteralCount = NumVarCount = NumArrayCount = FormVarCount = 0;
    LineNumberCount = DataCount = 0;
    NumVars.assign(1, NumVarType{});
    NumLiterals.assign(1, 0.0L);
    NumArrayData.assign(1, 0.0L);
    FormVars.assign(1, FormVarType{});
    DataLines.assign(1, 0);
    LineNumbers.assign(1, LineNumberType{});
    ForgetVarNames(vtNumber);
    CodeChanged();
    ForgetVarNames(vtFormula);
}

void InitLocalNumTable()
{
    LocalNumCount = 0;
    LocalNumVars.assign(1, NumVarType{});
}

} // namespace ov
