// Boolean symbol tables: Boolean variables, arrays and routine names and the
// elements of all Boolean arrays. Entry 0 of every table is unused.
#pragma once

#include "language/OVNumTbl.h"

namespace ov {

// Kinds of a Boolean variable record.
enum BoolVarKind : uint8_t {
    bvSimple = 0, bvFunction = 1, bvArrayParam = 3, bvArray = 4,
};

struct BoolVarType {
    QString Name;
    uint8_t Value = 0;  // 0 false, 1 true
    int32_t FirstElement = 0;  // index in BoolArrayData
    uint8_t Kind = bvSimple;
    uint8_t Dimensions = 0;
    Bounds Bound{};
    uint8_t ArrayParam = 0;
};

extern std::vector<BoolVarType> BoolVars;
extern int32_t BoolVarCount;
extern std::vector<uint8_t> BoolArrayData;
extern int32_t BoolArrayCount;
extern BoolVarType WorkBoolVars[3];

void InitBoolTables();

} // namespace ov
