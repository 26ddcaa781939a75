// The console's history of typed commands: a ring of 100 lines.
#pragma once

#include <QString>

namespace ov {

constexpr int HistorySize = 100;

extern QString CommandHistory[HistorySize];
extern int HistoryCount;   // entries stored, 0..100
extern int HistoryStart;   // ring origin; entry k (1 = oldest) is slot (start + k) mod 100
extern int HistoryCursor;  // recall position; shows slot (cursor + start) mod 100

// Empties the history; both positions start at 0.
void ClearCommandHistory();

} // namespace ov
