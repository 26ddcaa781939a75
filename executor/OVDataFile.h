// Data files on channels 1 to 8.
#pragma once

namespace ov {

constexpr int ChannelCount = 8;

// 0 closed; otherwise the mode the channel was opened in. Index 0 is unused.
extern int ChannelMode[ChannelCount + 1];

// Closes channel n, or every channel for 0.
void CloseFileChannel(int channel);

} // namespace ov
