// The full reset of the interpreter before a whole program is translated.
#pragma once

namespace ov {

// Resets the run-time settings, the code stores, the value stacks, all symbol
// tables, the declared names, the channels and the shared input state.
void InitInterpreter();

// The program's own start-up, in the order the units depend on each other:
// name tables, run flags and settings, pre-code store, symbol tables, stacks,
// a full reset, code store.
void InitializeInterpreterUnits();

} // namespace ov
