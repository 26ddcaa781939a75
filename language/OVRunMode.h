// What a run does. The run driver sets it; the translator reads it, because
// a direct command is translated into the scratch cells and leaves the
// stored program's end where it was.
#pragma once

#include <atomic>
#include <cstdint>

namespace ov {

// Part of the run request: written by the user-interface thread before it
// starts the worker, and by the worker for RUN and CONT.
extern std::atomic<uint8_t> RunMode;  // 0 program, 1 command line, 2 RUN, 3 continue

} // namespace ov
