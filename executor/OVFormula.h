// Run-time formulas and diagnostics.
#pragma once

namespace ov {

extern int LanguageVersion;  // chosen by SETVERSION; 12 after a reset

} // namespace ov
