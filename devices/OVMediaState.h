// The media player's state as the statements see it.
#pragma once

#include <atomic>

namespace ov {

// 1 while MEDIAPLAYER OPEN has a file open. Changed inside the statements'
// synchronised steps and by the interpreter reset on the worker.
extern std::atomic<int> MediaFileOpen;

// The player's mode as the windows report it; Other covers not ready,
// loading and seeking.
enum class MediaState { Other, Stopped, Playing, Paused };

// The player's commands besides opening and closing.
enum class MediaCommand { Play, Pause, Stop };

} // namespace ov
