// The mixer backend over ALSA. Its devices are "default" first, then each
// sound card (hw:N), each opened through the simple mixer and kept open
// while its handle is; a device that cannot be opened reads as failing.
// Every call first takes the device's pending events without waiting, so
// that changes made outside are seen. A device opened with notices is
// watched on the opening thread's event loop (when it has one): its changes
// reach the notices from there, never from inside a call.
#pragma once

#include "platform/OVMixerDevice.h"

#include <memory>

namespace ov {

std::unique_ptr<MixerBackend> MakeAlsaMixerBackend();

} // namespace ov
