#include "devices/OVMixerListing.h"

#include "devices/OVMixer.h"
#include "devices/OVMixerError.h"

#include <functional>

namespace ov {

namespace {

QString Hex(quint32 value, int width)
{
    return QStringLiteral("%1").arg(value, width, 16, QLatin1Char('0'));
}

// The value, "-" without the control, or the text of the backend's failure.
QString Reading(bool present, const std::function<QString()> &read)
{
    if (!present)
        return QStringLiteral("-");
    try {
        return read();
    } catch (const EMixerError &error) {
        return QStringLiteral("(%1)").arg(error.Message());
    }
}

QString DeviceLine(const TMixerDev &device)
{
    return QStringLiteral("%1 (manufacturer %2, product %3, driver 0x%4)")
        .arg(device.Name, Hex(device.ManufacturerID, 4), Hex(device.ProductID, 4), Hex(device.DriverVersion, 6));
}

QString ItemLine(TMixerItem &item, int indent)
{
    const bool volume = item.VolumeControl >= 0;
    const bool mute = item.MuteControl >= 0;
    return QStringLiteral("%1%2 \"%3\" %4 channels: volume %5, balance %6, mute %7")
        .arg(QString(indent, u' '), MixerLineTypeName(item.LineType), item.Name)
        .arg(item.Channels)
        .arg(Reading(volume, [&] { return QString::number(item.GetVolume()); }),
             Reading(volume, [&] { return QString::number(item.GetBalance()); }),
             Reading(mute, [&] { return QString::fromLatin1(item.GetMute() ? "on" : "off"); }));
}

QString ControlLine(const TMixerCtrl &control, int indent)
{
    QString line = QStringLiteral("%1%2 \"%3\" id %4, %5..%6")
                       .arg(QString(indent, u' '), MixerControlTypeName(control.ControlType), control.Name)
                       .arg(control.ControlID)
                       .arg(control.Bounds[0])
                       .arg(control.Bounds[1]);
    if (control.Metrics[0] != 0)
        line += QStringLiteral(", %1 steps").arg(control.Metrics[0]);
    if (control.Flags.Contains(mcfUniform))
        line += QStringLiteral(", uniform");
    if (control.Flags.Contains(mcfMultiple))
        line += QStringLiteral(", %1 items").arg(control.MultipleItems);
    if (control.Flags.Contains(mcfDisabled))
        line += QStringLiteral(", disabled");
    return line;
}

} // namespace

QStringList ListMixerTree(TMixer &mixer)
{
    QStringList lines;
    for (int d = 0; d < mixer.DeviceCount(); ++d) {
        const TMixerDev &device = *mixer.Device(d);
        lines << DeviceLine(device);
        for (const auto &item : device.Items) {
            const int indent = item->Parent != nullptr ? 4 : 2;
            lines << ItemLine(*item, indent);
            for (const TMixerCtrl &control : item->Controls)
                lines << ControlLine(control, indent + 2);
        }
    }
    return lines;
}

} // namespace ov
