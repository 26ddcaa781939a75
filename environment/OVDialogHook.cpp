#include "environment/OVDialogHook.h"

#include <QDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
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

// Widens a dialog so that the title bar shows its whole title. Dialogs that
// size themselves from their layouts when shown (message and input boxes)
// keep a width their layouts hold: an empty item that wide.
void WidenForTitle(QDialog &dialog)
{
    const int least = TitleBarWidth(dialog.windowTitle());
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

int RunDialog(QDialog &dialog)
{
    WidenForTitle(dialog);
    return Hook() ? Hook()(dialog) : dialog.exec();
}

} // namespace ov
