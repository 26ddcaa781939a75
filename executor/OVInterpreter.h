// The full reset of the interpreter before a whole program is translated.
#pragma once

namespace ov {

struct RunStartSettings;

// Resets the run-time settings, the code stores, the value stacks, all symbol
// tables, the declared names, the channels and the shared input state; the
// graphics font, the windows' places and the close question come from
// `settings`. A worker passes the copy it took on the user-interface thread.
void InitInterpreter(const RunStartSettings &settings);
// The same with the settings as they are now, where nothing changes them
// meanwhile: on the user-interface thread, or before any run.
void InitInterpreter();

// The program's own start-up, in the order the units depend on each other:
// name tables, run flags and settings, pre-code store, symbol tables, stacks,
// a full reset, code store.
void InitializeInterpreterUnits();

} // namespace ov
