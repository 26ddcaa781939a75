#include "environment/OVDialogHook.h"

#include <QDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <algorithm>

namespace ov {

namespace {

DialogHook &Hook()
{
    static DialogHook hook;
    return hook;
}

// The width a window manager's title bar needs for `title`: the text in a
// bold title font, and the room of a window menu, minimise, maximise and
// close button, each about as wide as the bar is high.
int TitleBarWidth(const QString &title)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    font.setBold(true);
    const QFontMetrics metrics(font);
    const int bar = metrics.height() + 10;
    return metrics.horizontalAdvance(title) + 4 * bar;
}

// Widens a dialog to at least `least`. Dialogs that size themselves from
// their layouts when shown (message and input boxes) keep a width their
// layouts hold: an empty item that wide.
void WidenTo(QDialog &dialog, int least)
{
    (void)dialog.sizeHint();  // an input box makes its layout only when asked its size
    QLayout *layout = dialog.layout();
    if (auto *grid = qobject_cast<QGridLayout *>(layout))
        grid->addItem(new QSpacerItem(least, 0), grid->rowCount(), 0, 1, std::max(1, grid->columnCount()));
    else if (layout != nullptr)
        layout->addItem(new QSpacerItem(least, 0));
    dialog.setMinimumWidth(std::max(dialog.minimumWidth(), least));
}

} // namespace

void SetDialogHook(DialogHook hook)
{
    Hook() = std::move(hook);
}

// A message box grows to about half the screen and then wraps its text,
// anywhere in a Japanese line; a text of one line is kept whole as far as
// the screen is wide: the box is made as wide as the layout needs for the
// unwrapped line.
void KeepTextOnOneLine(QMessageBox &box)
{
    auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    if (label == nullptr || box.layout() == nullptr || box.text().contains(u'\n'))
        return;
    label->setWordWrap(false);  // the layout's least width is then the whole line's
    int least = box.layout()->totalMinimumSize().width();
    if (const QScreen *screen = box.screen())
        least = std::min(least, screen->availableGeometry().width());
    WidenTo(box, least);
}

int RunDialog(QDialog &dialog)
{
    WidenTo(dialog, TitleBarWidth(dialog.windowTitle()));
    return Hook() ? Hook()(dialog) : dialog.exec();
}

} // namespace ov
