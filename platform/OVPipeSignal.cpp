#include "platform/OVPipeSignal.h"

#include <csignal>
#include <cstdlib>

namespace ov {

void IgnoreBrokenPipes()
{
    std::signal(SIGPIPE, SIG_IGN);
}

void EndByBrokenPipe()
{
    std::signal(SIGPIPE, SIG_DFL);
    std::raise(SIGPIPE);
    std::_Exit(128 + SIGPIPE);  // only when the signal is blocked
}

} // namespace ov
