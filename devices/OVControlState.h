// State of the control screen shared by its window and the worker.
#pragma once

#include "devices/OVGraphState.h"

#include <atomic>

namespace ov {

constexpr int ControlCount = 40;  // labels, buttons and text boxes are numbered 1..40

// Index 0 is unused. A click on button n sets its latch while ClickArmed[n].
extern std::atomic<int> ClickArmed[ControlCount + 1];
extern std::atomic<int> ClickLatch[ControlCount + 1];
// 1 when text box n shows its multi-line face; the worker's reset clears it.
extern std::atomic<int> TextBoxMultiLine[ControlCount + 1];
extern std::atomic<int> ControlScreenOpen;
extern int ControlWindowLeft, ControlWindowTop;
// The client size the last CSCREEN gave (0 by 0 before the first).
extern int ControlScreenWidth, ControlScreenHeight;
extern ColorValue ControlBackColor;  // CBACKCOLOR; black until set, kept across runs

} // namespace ov
