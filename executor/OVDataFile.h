// Data files on channels 1 to 8.
#pragma once

#include <cstdint>

namespace ov {

constexpr int ChannelCount = 8;

// 0 closed; otherwise the mode the channel was opened in. Index 0 is unused.
extern int ChannelMode[ChannelCount + 1];

// Closes channel n, or every channel for 0.
void CloseFileChannel(int channel);

// Runs the channel statement with this value (OPEN, CLOSE, INPUT #,
// LINE INPUT #, PRINT #, SETENCODING, FILES ...); false when it is none.
bool DispatchDataFileStatement(int32_t s);
// The separator cells of PRINT # (kind 52).
void DispatchFilePrintSeparator(int32_t value);

} // namespace ov
