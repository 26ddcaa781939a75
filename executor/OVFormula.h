// Run-time formulas and diagnostics.
#pragma once

#include <cstdint>

namespace ov {

extern int LanguageVersion;  // chosen by SETVERSION; 12 after a reset

// Runs the formula and diagnostic statement with this value (STRTOFORM,
// EVALFORM, MOUSE, SLEEP, SETVERSION, HELP and its listings); false when the
// value is not one of them.
bool DispatchFormulaStatement(int32_t s);

} // namespace ov
