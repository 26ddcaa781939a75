// File-system built-in functions and whole-file input and output.
#pragma once

#include <cstdint>

namespace ov {

// Runs the file-system built-in with this function value; false when it is none.
bool DispatchFileFunction(int32_t f);
// Runs the whole-file statement with this value (WRITEALLLINES,
// WRITEALLTEXT, APPENDALLTEXT, READALLLINES into an array, FINDFILECLOSE,
// SYSCMD ...); false when it is none.
bool DispatchFileSystemStatement(int32_t s);

} // namespace ov
