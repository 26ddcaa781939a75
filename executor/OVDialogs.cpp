#include "executor/OVDialogs.h"

#include "executor/OVRunHost.h"
#include "executor/OVStack.h"
#include "language/OVHeader.h"

#include <cmath>

namespace ov {

int MessageBoxStyle(long double n)
{
    if (!std::isfinite(n) || n < 0)
        return mbOK;
    const int low = int(std::fmod(std::trunc(n), 128.0L));  // higher bits dropped
    const int buttons = low % 8;
    return (buttons >= mbOKCancel && buttons <= mbRetryCancel ? buttons : mbOK) + (low & MsgBoxIconMask);
}

QStringList FileDialogFilters(const QString &filter)
{
    QStringList result;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString &pattern : patterns)
            pattern = pattern.trimmed();
        patterns.removeAll(QString());
        if (patterns.isEmpty())
            continue;
        const QString list = patterns.join(u' ');
        const QString description = parts[i].trimmed();
        result << (description.isEmpty() ? list : description) + QStringLiteral(" (") + list + u')';
    }
    return result;
}

namespace {

const QString MsgBoxCaption = QStringLiteral("Orvane Message Box");
const QString MsgBoxFlagsCaption = QStringLiteral("Orvane MsgBox");
const QString InputBoxCaption = QStringLiteral("Orvane Input Box");

int AskMessageBox(const QString &text, const QString &caption, int style)
{
    int button = 0;
    Synchronised([&] { button = Host().ShowMessageBox(text, caption, style); });
    return button;
}

// MSGBOX(text$): an OK box whose result is always 0.
void FnMsgBox()
{
    if (TopTag() != tagString) {
        SetError(50011, fnMSGBOX);
        return;
    }
    const QString text = PopString();
    AskMessageBox(text, MsgBoxCaption, mbOK);
    PushNumber(0);
}

// MSGBOX(text$, title$) or MSGBOX(text$, flags).
void FnMsgBoxFlags()
{
    const int32_t second = TopTag();
    if ((second != tagString && second != tagNumber) || SecondTag() != tagString) {
        SetError(50011, fnMSGBOX);
        return;
    }
    QString caption = MsgBoxFlagsCaption;
    int style = mbOK;
    if (second == tagString)
        caption = PopString();
    else
        style = MessageBoxStyle(PopNumber());
    const QString text = PopString();
    PushNumber(AskMessageBox(text, caption, style));
}

// MSGBOX(text$, flags, title$).
void FnMsgBoxFlagsTitle()
{
    if (TopTag() != tagString || SecondTag() != tagNumber || ThirdTag() != tagString) {
        SetError(50011, fnMSGBOX);
        return;
    }
    const QString caption = PopString();
    const int style = MessageBoxStyle(PopNumber());
    const QString text = PopString();
    PushNumber(AskMessageBox(text, caption, style));
}

// True when the top `count` entries are all strings.
bool TopStrings(int count)
{
    const int32_t tags[] = {TopTag(), SecondTag(), ThirdTag()};
    for (int i = 0; i < count; ++i)
        if (tags[i] != tagString)
            return false;
    return true;
}

// INPUTBOX with 1, 2 or 3 arguments: prompt$, then title$, then default$.
void FnInputBox(int count)
{
    if (!TopStrings(count)) {
        SetError(50011, fnINPUTBOX);
        return;
    }
    const QString defaultText = count >= 3 ? PopString() : QString();
    const QString caption = count >= 2 ? PopString() : InputBoxCaption;
    const QString prompt = PopString();
    QString answer;
    Synchronised([&] { answer = Host().ShowInputQuery(prompt, caption, defaultText, count >= 3); });
    PushString(std::move(answer));
}

// SELECTOPENFILE / SELECTSAVEFILE with 0, 1 or 2 arguments: filter$, name$.
void FnSelectFile(bool save, int count)
{
    if (!TopStrings(count)) {
        SetError(50011, save ? fnSELECTSAVEFILE : fnSELECTOPENFILE);
        return;
    }
    const QString name = count >= 2 ? PopString() : QString();
    const QString filter = count >= 1 ? PopString() : QString();
    QString chosen;
    Synchronised([&] { chosen = Host().SelectFile(save, filter, name); });
    PushString(std::move(chosen));
}

} // namespace

bool DispatchDialogFunction(int32_t f)
{
    switch (f) {
    case fnMSGBOX: FnMsgBox(); return true;
    case OneMoreArgBase + fnMSGBOX: FnMsgBoxFlags(); return true;
    case TwoMoreArgsBase + fnMSGBOX: FnMsgBoxFlagsTitle(); return true;
    case fnINPUTBOX: FnInputBox(1); return true;
    case OneMoreArgBase + fnINPUTBOX: FnInputBox(2); return true;
    case TwoMoreArgsBase + fnINPUTBOX: FnInputBox(3); return true;
    case fnSELECTOPENFILE: FnSelectFile(false, 0); return true;
    case OneMoreArgBase + fnSELECTOPENFILE: FnSelectFile(false, 1); return true;
    case TwoMoreArgsBase + fnSELECTOPENFILE: FnSelectFile(false, 2); return true;
    case fnSELECTSAVEFILE: FnSelectFile(true, 0); return true;
    case OneMoreArgBase + fnSELECTSAVEFILE: FnSelectFile(true, 1); return true;
    case TwoMoreArgsBase + fnSELECTSAVEFILE: FnSelectFile(true, 2); return true;
    default: return false;
    }
}

} // namespace ov
