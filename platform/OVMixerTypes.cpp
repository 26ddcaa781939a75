#include "platform/OVMixerTypes.h"

#include <iterator>

namespace ov {

namespace {

#define OV_MIXER_NAME(name) #name,
constexpr const char *kLineTypeNames[] = {OV_MIXER_LINE_TYPES(OV_MIXER_NAME)};
constexpr const char *kControlTypeNames[] = {OV_MIXER_CONTROL_TYPES(OV_MIXER_NAME)};
#undef OV_MIXER_NAME

static_assert(std::size(kLineTypeNames) == 21 && std::size(kControlTypeNames) == 31);

} // namespace

QString MixerLineTypeName(TMixerLineType type)
{
    return QString::fromLatin1(kLineTypeNames[type]);
}

QString MixerControlTypeName(TMixerControlType type)
{
    return QString::fromLatin1(kControlTypeNames[type]);
}

} // namespace ov
