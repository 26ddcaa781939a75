// A line of the mixer component's tree and its controls: volume in percent
// with a kept balance, balance, mute, and the raw details of any control.
// Every operation reads or writes through the owner device's backend and
// raises EMixerError when the backend fails.
#pragma once

#include "platform/OVMixerDevice.h"

#include <array>
#include <vector>

namespace ov {

class TMixerDev;

class TMixerCtrl {
public:
    quint32 ControlID = 0;
    TMixerControlType ControlType = ctUnknown;
    TMixerControlFlags Flags;
    int MultipleItems = 0;
    QString Name;       // at most 64 characters
    QString ShortName;  // at most 16
    std::array<qint32, 6> Bounds{};
    std::array<qint32, 6> Metrics{};
};

class TMixerItem {
public:
    TMixerItem(TMixerDev *owner, TMixerItem *parent) : Owner(owner), Parent(parent) {}
    virtual ~TMixerItem() = default;
    TMixerItem(const TMixerItem &) = delete;
    TMixerItem &operator=(const TMixerItem &) = delete;

    TMixerDev *const Owner;
    TMixerItem *const Parent;  // null for a destination
    int Destination = 0;
    quint32 LineID = 0;
    int Channels = 1;
    TMixerLineType LineType = ltUnknown;
    QString Name;        // at most 64 characters
    QString ShortName;   // at most 16
    QString TargetName;  // at most 32
    std::vector<TMixerCtrl> Controls;
    int VolumeControl = -1;  // index in Controls, -1 when there is none
    int MuteControl = -1;
    // The right level over the left, kept so that a volume written to a
    // quiet or silent line keeps the balance it had.
    float BalanceRatio = 1.0f;

    // The volume control's values: left and right, one for a uniform control.
    virtual std::vector<qint32> ReadChannelValues();
    virtual void WriteChannelValues(const std::vector<qint32> &values);
    // 0..100; -1 without a volume control.
    virtual int GetVolume();
    // Clamped to 0..100; written only when the levels change.
    virtual void SetVolume(int percent);
    // False without a mute control.
    virtual bool GetMute();
    virtual void SetMute(bool muted);
    // 0 all left, 50 centred, 100 all right.
    virtual int GetBalance();
    virtual void SetBalance(int balance);
    // Every channel of every item, item by item (one channel when uniform).
    virtual std::vector<qint32> GetControlDetails(const TMixerCtrl &control);
    virtual void SetControlDetails(const TMixerCtrl &control, const std::vector<qint32> &values);

private:
    int DetailChannels(const TMixerCtrl &control) const;
    void LearnBalance(const std::vector<qint32> &levels);
    void WriteVolume(int percent, const std::vector<qint32> &levels);
};

} // namespace ov
