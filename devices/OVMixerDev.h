// A mixer device of the mixer component's tree: its open handle, what the
// platform says of it, and its lines (each destination followed by its
// sources). The handle is closed with the device.
#pragma once

#include "devices/OVMixerItem.h"

#include <memory>

namespace ov {

class TMixer;

class TMixerDev {
public:
    TMixerDev(TMixer *owner, MixerHandle handle) : Owner(owner), Handle(handle) {}
    ~TMixerDev();
    TMixerDev(const TMixerDev &) = delete;
    TMixerDev &operator=(const TMixerDev &) = delete;

    TMixer *const Owner;
    const MixerHandle Handle;
    QString Name;  // at most 32 characters
    quint16 ManufacturerID = 0;
    quint16 ProductID = 0;
    quint32 DriverVersion = 0;
    std::vector<std::unique_ptr<TMixerItem>> Items;

    MixerBackend &Backend() const;
    // The first line of the type; null when there is none.
    TMixerItem *FindItemByType(TMixerLineType type) const;
    TMixerItem *FindItemByLineID(quint32 lineId) const;
    // The line holding the control, with the control; null when none does.
    TMixerItem *FindItemByControlID(quint32 controlId, TMixerCtrl *&control) const;
};

} // namespace ov
