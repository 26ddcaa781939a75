// Run-time formulas and diagnostics: STRTOFORM compiles a formula from a
// string into a formula variable, EVALFORM evaluates it with its errors
// delivered into a variable; beside them MOUSE, SLEEP, SETVERSION, HELP and
// the listings HELP writes with an option.
#pragma once

#include <cstdint>

namespace ov {

extern int LanguageVersion;  // chosen by SETVERSION; 12 after a reset

// Cells of the code region in which EVALFORM runs a formula (beyond the end
// cell of the program, never in the scratch cells 1 to 100): after each
// formula cell a check that keeps the formula's first error, and at the end
// the return that restores the state EVALFORM found.
constexpr int32_t isFormulaCheck = 274;
constexpr int32_t isFormulaReturn = 279;

// Turns the mouse position (picture pixels) into world coordinates; false
// when it cannot. Tests replace it; while it is unset MOUSE reads only the event.
extern bool (*MouseToWorld)(int32_t px, int32_t py, long double &x, long double &y);

// Runs the formula and diagnostic statement with this value (STRTOFORM,
// EVALFORM, MOUSE, SLEEP, SETVERSION, HELP and its listings); false when the
// value is not one of them.
bool DispatchFormulaStatement(int32_t s);

} // namespace ov
