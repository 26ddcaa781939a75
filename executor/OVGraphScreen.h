// The statements of the graphics screen: opening, sizing, closing,
// scrolling and stretching it, world coordinates, the console size, text and
// the refresh. Drawing runs on the worker; only window steps are handed to
// the user-interface thread.
#pragma once

#include <cstdint>

namespace ov {

// 50006 when no graphics screen is open.
void CheckGraphicsScreen();
// The guard of the graphics statements: false (and 50006 naming the
// statement's own cell) when no graphics screen is open.
bool GraphicsGuard();

// The size steps of GSCREEN and OPENGSCREEN (two and four numbers) and the
// open step that follows them (synchronised).
void ExecGScreen();
void ExecGScreenStretched();
void OpenGraphScreen();

// Runs the graphics-screen statement with this value; false when it is not one.
bool DispatchGraphScreenStatement(int32_t s);

} // namespace ov
