// The picture statements: LOADPICTURE and SAVEPICTURE in all their forms
// (picture files, and rectangles copied through the picture buffer) and the
// size read GETIMAGESIZE$. Like the drawing statements they run on the
// worker, each with one lock on the surface, and the window shows the change
// through the dirty rectangle; decoding and encoding happen outside the lock.
#pragma once

#include <cstdint>

namespace ov {

// Runs the picture statement with this value; false when it is not one.
bool DispatchPictureStatement(int32_t s);
// GETIMAGESIZE$; false for other function values.
bool DispatchPictureFunction(int32_t f);

} // namespace ov
