// The control screen's window statements (CSCREEN, OPENCSCREEN,
// CLOSECSCREEN), the click latch read CBUTTON(n).CLICK and a click on a
// button: the latch, then the event sub "CButton"n"_Click".
#pragma once

#include <cstdint>

namespace ov {

class RunController;

// Runs the statement s when it is one of these or a switch statement (true).
bool DispatchControlScreenStatement(int32_t s);
// CBUTTON(n).CLICK (worker thread).
void FnCButtonClick();

// Whether button n of the open screen is shown (the runner clicks only those).
bool ControlButtonClickable(int n);
// A click during a run: the latch alone, when the button's read armed it.
void LatchControlButton(int n);
// A click on button n (user-interface thread): the latch, then the event run
// when no run is active and the program declares the sub; true when it started.
bool ClickControlButton(RunController &runs, int n);

} // namespace ov
