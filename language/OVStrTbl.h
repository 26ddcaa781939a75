// String symbol tables: string variables, arrays and routine names, the
// string literals, the DEF FN string parameters and the elements of all
// string arrays. Entry 0 of every table is unused.
#pragma once

#include "language/OVNumTbl.h"

namespace ov {

// Kinds of a string variable record.
enum StrVarKind : uint8_t {
    svSimple = 0, svFunction = 1, svDefFn = 2, svArrayParam = 3, svArray = 4,
};

struct StrVarType {
    QString Name;
    QString Value;
    int32_t FirstElement = 0;  // index in StrArrayData
    uint8_t Kind = svSimple;
    uint8_t Dimensions = 0;
    Bounds Bound{};
    uint8_t ArrayParam = 0;
};

extern std::vector<StrVarType> StrVars;
extern int32_t StrVarCount;
extern std::vector<QString> StrLiterals;  // a literal cell with value v names entry v
extern int32_t StrLiteralCount;
extern std::vector<QString> StrArrayData;
extern int32_t StrArrayCount;
extern std::vector<StrVarType> LocalStrVars;  // DEF FN parameters (name only)
extern int32_t LocalStrCount;
extern StrVarType WorkStrVars[3];

void InitStrTables();
void InitLocalStrTable();

} // namespace ov
