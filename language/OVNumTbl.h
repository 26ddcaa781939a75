// Numeric symbol tables: numeric variables, arrays and routine names, the
// numeric literals, the formula variables, the DEF FN numeric parameters and
// the elements of all numeric arrays. Entry 0 of every table is unused.
#pragma once

#include "language/OVHeader.h"

#include <array>
#include <vector>

namespace ov {

using Bounds = std::array<int32_t, 5>;

// Kinds of a numeric variable record.
enum NumVarKind : uint8_t {
    nvSimple = 0, nvLabel = 1, nvFunction = 2, nvSub = 3, nvDefFn = 4,
    nvArrayParam = 5, nvArray = 6,
};

struct NumVarType {
    QString Name;              // upper case, at most 30 characters
    long double Value = 0;     // value of a simple variable
    int32_t FirstElement = 0;  // index in NumArrayData of an array's first element
    uint8_t Kind = nvSimple;
    uint8_t Dimensions = 0;    // at most 5
    Bounds Bound{};            // bound of each dimension
    uint8_t ArrayParam = 0;    // declared as "name()"
};

constexpr int FormulaCells = 100;

struct FormVarType {
    QString Name;                                  // ends in "@"
    std::array<CodeType, FormulaCells + 1> Cells{};  // cells 1..100: the compiled formula
    int32_t CellCount = 0;
};

extern std::vector<NumVarType> NumVars;
extern int32_t NumVarCount;
extern std::vector<long double> NumLiterals;  // a literal cell with value v names entry v + 1
extern int32_t NumLiteralCount;
extern std::vector<long double> NumArrayData;
extern int32_t NumArrayCount;
extern std::vector<FormVarType> FormVars;
extern int32_t FormVarCount;
extern std::vector<NumVarType> LocalNumVars;  // DEF FN parameters (name only)
extern int32_t LocalNumCount;
extern int32_t DataCount;        // DATA items collected by the translators
extern int32_t LineNumberCount;  // line numbers collected by the translators
extern NumVarType WorkNumVars[3];  // working variables 1 and 2

void InitNumTables();
void InitLocalNumTable();

} // namespace ov
