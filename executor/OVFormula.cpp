#include "executor/OVFormula.h"

namespace ov {

int LanguageVersion = 12;

bool DispatchFormulaStatement(int32_t) { return false; }

} // namespace ov
