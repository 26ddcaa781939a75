#include "devices/OVControlState.h"

namespace ov {

std::atomic<int> ClickArmed[ControlCount + 1] = {};
std::atomic<int> ClickLatch[ControlCount + 1] = {};
std::atomic<int> TextBoxMultiLine[ControlCount + 1] = {};
std::atomic<int> ControlScreenOpen{0};
int ControlWindowLeft = 400, ControlWindowTop = 0;
int ControlScreenWidth = 0, ControlScreenHeight = 0;
ColorValue ControlBackColor = 0;

} // namespace ov
