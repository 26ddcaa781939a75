#include "language/OVBoolTbl.h"

#include "language/OVVarTable.h"

namespace ov {

std::vector<BoolVarType> BoolVars;
int32_t BoolVarCount = 0;
std::vector<uint8_t> BoolArrayData;
int32_t BoolArrayCount = 0;
BoolVarType WorkBoolVars[3];

void InitBoolTables()
{
    BoolVarCount = BoolArrayCount = 0;
    BoolVars.assign(1, BoolVarType{});
    BoolArrayData.assign(1, 0);
    ForgetVarNames(vtBoolean);
}

} // namespace ov
