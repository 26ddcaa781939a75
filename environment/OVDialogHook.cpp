#include "environment/OVDialogHook.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QScreen>
#include <QShowEvent>
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

OneLineMessageBox::OneLineMessageBox(Icon icon, const QString &title, const QString &text,
                                     StandardButtons buttons, QWidget *parent, const QString &shortenable)
    : QMessageBox(icon, title, text, buttons, parent), shortenable_(shortenable)
{
    if (!text.contains(u'\n'))
        line_ = text;
}

// Qt sizes the box as it is shown, at each layout request and when its
// style or font changes, and wraps its text beyond half the screen (at most
// 500 pixels), anywhere in a Japanese line, and cuts it beyond the screen
// less 480. The line is fitted after it each time; a layout request of a
// box on the screen is not handed to Qt's sizing at all, so that the window
// does not change its size twice.
bool OneLineMessageBox::event(QEvent *event)
{
    if (event->type() != QEvent::LayoutRequest || !isVisible() || line_.isEmpty())
        return QMessageBox::event(event);
    const bool handled = QDialog::event(event);
    FitToLine();
    return handled;
}

void OneLineMessageBox::changeEvent(QEvent *event)
{
    QMessageBox::changeEvent(event);
    if (isVisible())
        FitToLine();
}

void OneLineMessageBox::showEvent(QShowEvent *event)
{
    QMessageBox::showEvent(event);
    FitToLine();
    if (!event->spontaneous() && !testAttribute(Qt::WA_Moved)) {
        PlaceOnScreen();
        setAttribute(Qt::WA_Moved, false);  // no place of the user's
    }
}

// The frame the window manager puts around a window, as it has around the
// window that owns the box; none when there is no owner.
QMargins OneLineMessageBox::OwnersFrame() const
{
    const QWidget *owner = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
    if (owner == nullptr)
        return {};
    const QRect inner = owner->geometry();
    const QRect outer = owner->frameGeometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

// The width the box may take: the screen's, less its frame.
int OneLineMessageBox::ScreenRoom() const
{
    const QScreen *shown = screen();
    const QMargins frame = OwnersFrame();
    return shown != nullptr ? shown->availableGeometry().width() - frame.left() - frame.right() : QWIDGETSIZE_MAX;
}

// Centred over its owner, as Qt places it, and moved so that its frame lies
// on the screen: Qt keeps only the left edge of the frame in view.
void OneLineMessageBox::PlaceOnScreen()
{
    adjustPosition(parentWidget());
    const QScreen *shown = screen();
    if (shown == nullptr)
        return;
    const QRect area = shown->availableGeometry();
    const QMargins frame = OwnersFrame();
    const QSize outer = size().grownBy(frame);
    QPoint corner = pos();  // of the frame
    corner.setX(std::max(area.left(), std::min(corner.x(), area.right() + 1 - outer.width())));
    corner.setY(std::max(area.top(), std::min(corner.y(), area.bottom() + 1 - outer.height())));
    move(corner);
}

// Shows the line in the label so that the box needs at most `room` pixels:
// whole when it fits, else with the shortenable part cut in its middle.
void OneLineMessageBox::ShowLineWithin(QLabel &label, int room)
{
    QString shown = line_;
    const qsizetype at = shortenable_.isEmpty() ? -1 : line_.indexOf(shortenable_);
    const QFontMetrics metrics = label.fontMetrics();
    for (int attempt = 0; attempt < 4; ++attempt) {
        label.setText(shown);
        layout()->invalidate();
        const int excess = layout()->totalMinimumSize().width() - room;
        if (excess <= 0 || at < 0)
            break;
        const QStringView part = QStringView(shown).mid(at, shown.size() - (line_.size() - shortenable_.size()));
        const int width = std::max(0, metrics.horizontalAdvance(part.toString()) - excess);
        shown = line_.left(at) + metrics.elidedText(shortenable_, Qt::ElideMiddle, width)
                + line_.mid(at + shortenable_.size());
    }
}

void OneLineMessageBox::FitToLine()
{
    auto *label = findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    if (line_.isEmpty() || label == nullptr || layout() == nullptr)
        return;
    label->setWordWrap(false);  // the layout's least width is then the whole line's
    const int room = ScreenRoom();
    ShowLineWithin(*label, room);
    layout()->activate();
    const QSize least = layout()->totalMinimumSize();
    setFixedSize(std::min(least.width(), room), least.height());
    // The size is final: the requests the changes posted would size it again.
    QCoreApplication::removePostedEvents(this, QEvent::LayoutRequest);
}

int RunDialog(QDialog &dialog)
{
    WidenTo(dialog, TitleBarWidth(dialog.windowTitle()));
    return Hook() ? Hook()(dialog) : dialog.exec();
}

} // namespace ov
