#include "executor/OVFormula.h"

namespace ov {

int LanguageVersion = 12;

} // namespace ov
