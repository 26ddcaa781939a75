#include "devices/OVMixerDev.h"

#include "devices/OVMixer.h"

namespace ov {

TMixerDev::~TMixerDev()
{
    Backend().Close(Handle);
}

MixerBackend &TMixerDev::Backend() const
{
    return Owner->Backend();
}

TMixerItem *TMixerDev::FindItemByType(TMixerLineType type) const
{
    for (const auto &item : Items) {
        if (item->LineType == type)
            return item.get();
    }
    return nullptr;
}

TMixerItem *TMixerDev::FindItemByLineID(quint32 lineId) const
{
    for (const auto &item : Items) {
        if (item->LineID == lineId)
            return item.get();
    }
    return nullptr;
}

TMixerItem *TMixerDev::FindItemByControlID(quint32 controlId, TMixerCtrl *&control) const
{
    for (const auto &item : Items) {
        for (TMixerCtrl &candidate : item->Controls) {
            if (candidate.ControlID == controlId) {
                control = &candidate;
                return item.get();
            }
        }
    }
    control = nullptr;
    return nullptr;
}

} // namespace ov
