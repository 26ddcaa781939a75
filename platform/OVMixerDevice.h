// The platform's audio mixers as the mixer component reaches them: devices
// that open to a handle, each with destination lines that hold source lines,
// each line with controls whose values ("details") are read and written.
// Every call returns a MixerResult code (0 on success).
#pragma once

#include "platform/OVMixerTypes.h"

#include <QString>
#include <array>
#include <functional>
#include <vector>

namespace ov {

using MixerHandle = quint32;  // 0 is no handle

struct MixerCaps {
    QString Name;
    quint16 ManufacturerID = 0;
    quint16 ProductID = 0;
    quint32 DriverVersion = 0;
    int Destinations = 0;
};

struct MixerLineInfo {
    int Destination = 0;
    int Source = -1;  // -1 for the destination itself
    quint32 LineID = 0;
    int Channels = 1;
    int Connections = 0;  // the sources of a destination
    int Controls = 0;
    TMixerLineType LineType = ltUnknown;
    QString Name;
    QString ShortName;
    QString TargetName;
};

struct MixerControlInfo {
    quint32 ControlID = 0;
    TMixerControlType ControlType = ctUnknown;
    TMixerControlFlags Flags;
    int MultipleItems = 0;  // the items of a control flagged multiple
    QString Name;
    QString ShortName;
    std::array<qint32, 6> Bounds{};   // minimum, maximum, reserved
    std::array<qint32, 6> Metrics{};  // steps, reserved
};

// Where a device opened with notices reports its changes: a control's value,
// or a line added, removed or changed in kind. They arrive on the thread
// that opened the device, from its event loop.
struct MixerNotices {
    std::function<void(MixerHandle, quint32 controlId)> ControlChanged;
    std::function<void(MixerHandle, quint32 lineId)> LineChanged;
};

class MixerBackend {
public:
    virtual ~MixerBackend() = default;

    virtual int DeviceCount() = 0;
    virtual int GetDevCaps(int device, MixerCaps &caps) = 0;
    virtual int Open(int device, bool notify, MixerHandle &handle) = 0;
    virtual int Close(MixerHandle handle) = 0;
    virtual int GetLineInfo(MixerHandle handle, int destination, int source, MixerLineInfo &line) = 0;
    virtual int GetLineControls(MixerHandle handle, quint32 lineId, std::vector<MixerControlInfo> &controls) = 0;
    // Details: `channels` values for each item (one item unless the control
    // is flagged multiple), item by item. One channel reads the first
    // channel and writes every channel; at most the control's channels.
    virtual int GetControlDetails(MixerHandle handle, quint32 controlId, int channels,
                                  std::vector<qint32> &values) = 0;
    virtual int SetControlDetails(MixerHandle handle, quint32 controlId, int channels,
                                  const std::vector<qint32> &values) = 0;

    void SetNotices(MixerNotices notices) { notices_ = std::move(notices); }

protected:
    // A copy: a receiver may replace the notices while it is called.
    MixerNotices Notices() const { return notices_; }

private:
    MixerNotices notices_;
};

} // namespace ov
