#include "language/OVStrTbl.h"

#include "language/OVVarTable.h"

namespace ov {

std::vector<StrVarType> StrVars;
int32_t StrVarCount = 0;
std::vector<QString> StrLiterals;
int32_t StrLiteralCount = 0;
std::vector<QString> StrArrayData;
int32_t StrArrayCount = 0;
std::vector<StrVarType> LocalStrVars;
int32_t LocalStrCount = 0;
StrVarType WorkStrVars[3];

void InitStrTables()
{
    StrLiteralCount = StrVarCount = StrArrayCount = 0;
    StrVars.assign(1, StrVarType{});
    StrLiterals.assign(2, QString());
    StrArrayData.assign(2, QString());
    ForgetVarNames(vtString);
}

void InitLocalStrTable()
{
    LocalStrCount = 0;
    LocalStrVars.assign(1, StrVarType{});
}

} // namespace ov
