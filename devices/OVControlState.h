// State of the control screen shared by its window and the worker.
#pragma once

#include "devices/OVGraphState.h"

#include <atomic>

namespace ov {

constexpr int ControlCount = 40;  // labels, buttons and text boxes are numbered 1..40

// Index 0 is unused. A click on button n sets its latch while ClickArmed[n].
extern std::atomic<int> ClickArmed[ControlCount + 1];
extern std::atomic<int> ClickLatch[ControlCount + 1];
extern int TextBoxMultiLine[ControlCount + 1];
extern std::atomic<int> ControlScreenOpen;
extern int ControlWindowLeft, ControlWindowTop;
extern ColorValue ControlBackColor;  // CBACKCOLOR; black until set, kept across runs

} // namespace ov
