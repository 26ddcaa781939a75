// Text encodings of program and data files.
#pragma once

namespace ov {

extern int CurrentEncoding;  // the encoding SETENCODING chose; 0 detects it

} // namespace ov
