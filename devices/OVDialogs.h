// The dialogs programs show: message boxes, input boxes and file dialogs.
#pragma once

#include <cstdint>

namespace ov {

// Runs the dialog function with this value (MSGBOX, INPUTBOX,
// SELECTOPENFILE, SELECTSAVEFILE and their argument-count forms); false when
// it is none of them.
bool DispatchDialogFunction(int32_t f);

} // namespace ov
