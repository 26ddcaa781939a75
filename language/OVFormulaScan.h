// Compiling a formula given as text at run time: the text is scanned into the
// scratch area of the pre-code store and translated as one expression.
#pragma once

#include "language/OVHeader.h"

#include <vector>

namespace ov {

// A formula may take this many cells, its brackets included.
constexpr int FormulaCellLimit = 95;

// Compiles the formula text. On success `cells` holds (41), the postfix cells
// and (42), each cell's position word its own number counted from 1, and
// ErrorNumber is 0. Otherwise `cells` is empty and ErrorNumber tells why:
// the errors of scanning and translation, 138 for a statement word, an empty
// formula or anything left over after it (151 for a ")", 153 for a ","),
// and 30103 for a formula longer than FormulaCellLimit cells.
//
// Only the pre-code store's scratch cells 1 to 100 are written; the code
// store is left alone. Names the formula uses are registered as in a
// console line (new variables are created unless OPTION EXPLICIT is in force).
void CompileFormula(const QString &text, std::vector<CodeType> &cells);

} // namespace ov
