// Run-control statements: switches a program sets for the rest of its run.
#pragma once

namespace ov {

extern int ChkMsgOn;  // ask before closing while set

} // namespace ov
