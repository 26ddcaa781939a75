#include "devices/OVMixerError.h"

#include "platform/OVMixerTypes.h"

namespace ov {

EMixerError::EMixerError(int code) : message_(MixerErrorText(code)), utf8_(message_.toUtf8()), code_(code) {}

QString MixerErrorText(int code)
{
    switch (code) {
    case mrBadDeviceId: return QStringLiteral(u"デバイスIDは不正です");
    case mrInvalidHandle: return QStringLiteral(u"無効なハンドルです");
    case mrNoDriver: return QStringLiteral(u"デバイスドライバがありません");
    case mrNoMemory: return QStringLiteral(u"メモリを割り当てられないかメモリをロックできません");
    case mrInvalidFlag: return QStringLiteral(u"無効なフラグです");
    case mrInvalidParam: return QStringLiteral(u"無効なパラメータです");
    case mrInvalidLine: return QStringLiteral(u"無効なラインです");
    case mrInvalidControl: return QStringLiteral(u"無効なコントロールです");
    default: return QStringLiteral(u"不明なエラー:") + QString::number(code);
    }
}

bool MixerCheck(int result, bool raise)
{
    if (result == mrOk)
        return true;
    if (raise)
        throw EMixerError(result);
    return false;
}

} // namespace ov
