// The pen and brush settings of the graphics screen: DRAWMODE, DRAWSTYLE,
// DRAWWIDTH, FILLSTYLE and their G forms, and their reads, which return what
// the canvas holds.
#pragma once

#include <cstdint>

namespace ov {

bool DispatchPenBrushStatement(int32_t s);
bool DispatchPenBrushFunction(int32_t f);

} // namespace ov
