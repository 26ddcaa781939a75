#include "executor/OVDataFile.h"

namespace ov {

int ChannelMode[ChannelCount + 1] = {};

void CloseFileChannel(int channel)
{
    for (int n = 1; n <= ChannelCount; ++n) {
        if (channel == 0 || channel == n)
            ChannelMode[n] = 0;
    }
}

bool DispatchDataFileStatement(int32_t) { return false; }
void DispatchFilePrintSeparator(int32_t) {}

} // namespace ov
