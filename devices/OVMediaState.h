// The media player's state as the worker sees it.
#pragma once

namespace ov {

extern int MediaFileOpen;  // 1 while MEDIAPLAYER OPEN has a file

} // namespace ov
