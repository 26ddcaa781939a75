#include "executor/OVRunHost.h"

#include "executor/OVConsoleOut.h"
#include "executor/OVHeadlessHost.h"

namespace ov {

namespace {

RunHost *TheHost = nullptr;

} // namespace

void SetRunHost(RunHost *host)
{
    TheHost = host;
}

RunHost &Host()
{
    static HeadlessHost fallback;  // a silent host until the program installs its own
    return TheHost != nullptr ? *TheHost : fallback;
}

void Synchronised(const std::function<void()> &step)
{
    FlushConsoleLines();
    Host().Synchronise(step);
}

} // namespace ov
