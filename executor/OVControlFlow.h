// Assignment and control flow: state of DATA reading and GOSUB.
#pragma once

namespace ov {

extern int DataPointer;  // the next DATA item to READ
extern int GosubDepth;   // open GOSUB calls

} // namespace ov
