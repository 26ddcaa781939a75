#include "environment/OVRunWindows.h"

#include "devices/OVControlFrame.h"
#include "devices/OVGraphForm.h"
#include "devices/OVKeySetting.h"
#include "devices/OVMPlayerForm.h"
#include "devices/OVQColor.h"
#include "devices/OVQFont.h"
#include "devices/OVWindowPlacement.h"
#include "devices/OVWindowState.h"
#include "environment/OVDialogHook.h"
#include "environment/OVHelpForm.h"
#include "environment/OVInputNumForm.h"
#include "environment/OVRunFrame.h"
#include "executor/OVDialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFontInfo>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QUrl>

namespace ov {

TOVRunWindows::TOVRunWindows(TRunForm &console, QWidget *mainFrame)
    : console_(console), mainFrame_(mainFrame), consoleCharset_(TScreenFontCharset)
{
}

ConsoleMemo &TOVRunWindows::Memo()
{
    return *console_.Memo1;
}

void TOVRunWindows::SetButtonMode(ButtonMode mode)
{
    switch (mode) {
    case ButtonMode::Prep: console_.SetBtnPrepMode(); break;
    case ButtonMode::Run: console_.SetBtnRunMode(); break;
    case ButtonMode::Stop: console_.SetBtnStopMode(); break;
    case ButtonMode::End: console_.SetBtnEndMode(); break;
    }
}

void TOVRunWindows::SetRunButtons(bool edit, bool run, bool stop, bool cont)
{
    console_.SetButtons(edit, run, stop, cont);
}

void TOVRunWindows::SetConsoleCaption(const QString &caption)
{
    console_.setWindowTitle(caption);
}

// The console's place and size as the window statements left them; sized
// first, since a resize sends the window's place as Qt last knew it.
void TOVRunWindows::RestoreRunFormLayout()
{
    console_.ApplySizeSetting();
    PlaceWindow(console_, QPoint(RunFormLeft, RunFormTop));
}

void TOVRunWindows::ShowRunForm()
{
    console_.ShowForRun();
}

bool TOVRunWindows::ShowInputBox(const InputBoxRequest &request, QString &answer)
{
    return ShowInputBoxDialog(request, answer, &console_);
}

void TOVRunWindows::Beep()
{
    QApplication::beep();
}

bool TOVRunWindows::AskYesNo(const QString &caption, const QString &question)
{
    return QMessageBox::question(mainFrame_, caption, question, QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}

void TOVRunWindows::OpenHelp(const QString &topic)
{
    ShowHelpWindow(QString::fromUtf16(kHelpStartPage), topic);
}

// A program's message box, without an owner window; the result is the button
// code 1 OK, 2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No.
int TOVRunWindows::ShowMessageBox(const QString &text, const QString &caption, int style)
{
    using B = QMessageBox::StandardButton;
    QList<B> buttons;
    switch (style & MsgBoxButtonMask) {
    case mbOKCancel: buttons = {B::Ok, B::Cancel}; break;
    case mbAbortRetryIgnore: buttons = {B::Abort, B::Retry, B::Ignore}; break;
    case mbYesNoCancel: buttons = {B::Yes, B::No, B::Cancel}; break;
    case mbYesNo: buttons = {B::Yes, B::No}; break;
    case mbRetryCancel: buttons = {B::Retry, B::Cancel}; break;
    default: buttons = {B::Ok}; break;
    }
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (style & MsgBoxIconMask) {
    case mbIconStop: icon = QMessageBox::Critical; break;
    case mbIconQuestion: icon = QMessageBox::Question; break;
    case mbIconExclamation: icon = QMessageBox::Warning; break;
    case mbIconInformation: icon = QMessageBox::Information; break;
    default: break;
    }
    QMessageBox box(icon, caption, text);
    for (const B button : buttons)
        box.addButton(button);
    box.setDefaultButton(buttons.first());  // the first button, as the style implies
    switch (RunDialog(box)) {
    case B::Ok: return 1;
    case B::Cancel: return 2;
    case B::Abort: return 3;
    case B::Retry: return 4;
    case B::Ignore: return 5;
    case B::Yes: return 6;
    case B::No: return 7;
    default: return buttons.contains(B::Cancel) ? 2 : 1;
    }
}

// INPUTBOX: OK gives the text typed, Cancel the empty text in every form.
QString TOVRunWindows::ShowInputQuery(const QString &prompt, const QString &caption, const QString &defaultText,
                                      bool query)
{
    (void)query;  // both forms show the same box; only the default differs
    QInputDialog dialog;
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    return RunDialog(dialog) == QDialog::Accepted ? dialog.textValue() : QString();
}

// A fresh dialog for every call, opened in the current directory. Qt's own
// dialog matches the filter patterns case-insensitively, as programs written
// for such filters expect.
QString TOVRunWindows::SelectFile(bool save, const QString &filter, const QString &name)
{
    QFileDialog dialog(&console_, QString(), QDir::currentPath());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = FileDialogFilters(filter);
    dialog.setOption(QFileDialog::HideNameFilterDetails);  // the names as the program wrote them
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    if (!name.isEmpty())
        dialog.selectFile(name);
    if (RunDialog(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

void TOVRunWindows::CloseMainForm()
{
    if (mainFrame_ != nullptr)
        mainFrame_->close();
}


// ---------------------------------------------------------------- window settings

QWidget *TOVRunWindows::WidgetOf(ProgramWindow window) const
{
    switch (window) {
    case ProgramWindow::Console: return &console_;
    case ProgramWindow::MainFrame: return mainFrame_;
    case ProgramWindow::Graphics: return GraphForm() != nullptr && GraphForm()->isVisible() ? GraphForm() : nullptr;
    case ProgramWindow::Control: return ControlScreenOpen.load() != 0 ? controlForm_ : nullptr;
    default: return nullptr;
    }
}

void TOVRunWindows::SetWindowCaption(ProgramWindow window, const QString &caption)
{
    if (QWidget *w = WidgetOf(window))
        w->setWindowTitle(caption);
}

void TOVRunWindows::MoveProgramWindow(ProgramWindow window, int left, int top)
{
    if (QWidget *w = WidgetOf(window))
        PlaceWindow(*w, QPoint(left, top));
}

// Changes the state without showing a hidden window.
void TOVRunWindows::SetWindowShowState(ProgramWindow window, WindowShowState state)
{
    QWidget *w = WidgetOf(window);
    if (w == nullptr)
        return;
    Qt::WindowStates states = WindowStatesOf(*w) & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    if (state == WindowShowState::Minimize)
        states |= Qt::WindowMinimized;
    else if (state == WindowShowState::Maximize)
        states |= Qt::WindowMaximized;
    SetWindowStates(*w, states);
}

WindowShowState TOVRunWindows::WindowShowStateOf(ProgramWindow window)
{
    const QWidget *w = WidgetOf(window);
    if (w == nullptr)
        return WindowShowState::Normal;
    const Qt::WindowStates states = WindowStatesOf(*w);
    if (states & Qt::WindowMinimized)
        return WindowShowState::Minimize;
    return states & Qt::WindowMaximized ? WindowShowState::Maximize : WindowShowState::Normal;
}

FontSetting TOVRunWindows::ConsoleFont()
{
    const QFont font = console_.Memo1->font();
    FontSetting setting;
    setting.Name = font.family();
    setting.Size = consoleDefaultSize_ ? 0 : font.pointSize();
    setting.Charset = consoleCharset_;
    setting.Style = FontStylesOf(font);
    setting.Color = QColorToColorValue(console_.Memo1->palette().color(QPalette::Text));
    return setting;
}

void TOVRunWindows::SetConsoleFont(const FontSetting &setting)
{
    QFont font = console_.Memo1->font();
    font.setFamily(setting.Name);
    // Qt takes no size 0: the memo then shows the default size of the
    // desktop's fonts, as the other windows do
    consoleDefaultSize_ = setting.Size <= 0;
    font.setPointSize(consoleDefaultSize_ ? QFontInfo(QApplication::font()).pointSize() : setting.Size);
    ApplyFontStyles(font, setting.Style);
    console_.Memo1->setFont(font);
    consoleCharset_ = setting.Charset;
    QPalette palette = console_.Memo1->palette();
    palette.setColor(QPalette::Text, ColorValueToQColor(setting.Color));
    console_.Memo1->setPalette(palette);
}

void TOVRunWindows::SetConsoleBackColor(ColorValue color)
{
    QPalette palette = console_.Memo1->palette();
    palette.setColor(QPalette::Base, ColorValueToQColor(color));
    console_.Memo1->setPalette(palette);
}

// ---------------------------------------------------------------- the graphics screen

void TOVRunWindows::KeepGraphPicture()
{
    ov::KeepGraphPicture();
}

void TOVRunWindows::ShowGraphWindow()
{
    ShowGraphForm();
}

void TOVRunWindows::CloseGraphWindow()
{
    CloseGraphForm();
}

void TOVRunWindows::SetGraphView(int view)
{
    SetGraphFormView(view);
}

void TOVRunWindows::RefreshGraphWindow()
{
    RefreshGraphForm();
}

void TOVRunWindows::SetConsoleClientSize(int width, int height)
{
    ResizeWindow(console_, QSize(width, height));
}

// ---------------------------------------------------------------- the control screen

// Every control shows the model again: the statements changed many at once.
void TOVRunWindows::ApplyControlSetting(int32_t code)
{
    (void)code;
    if (controlForm_ != nullptr)
        controlForm_->MirrorAll();
}

void TOVRunWindows::ShowControlScreen()
{
    if (controlForm_ != nullptr)
        controlForm_->ShowFresh();
}

void TOVRunWindows::CloseControlScreen()
{
    if (controlForm_ != nullptr)
        controlForm_->hide();
}

void TOVRunWindows::MirrorControl(ControlKind kind, int n)
{
    if (controlForm_ != nullptr)
        controlForm_->Mirror(kind, n);
}

// ---------------------------------------------------------------- media player

void TOVRunWindows::CloseMediaPlayer()
{
    if (player_ != nullptr)
        player_->Close();
}

bool TOVRunWindows::OpenMedia(const QString &path)
{
    return player_ != nullptr && player_->OpenFile(path);
}

bool TOVRunWindows::ControlMedia(MediaCommand command)
{
    if (player_ == nullptr)
        return true;
    switch (command) {
    case MediaCommand::Play: return player_->Play();
    case MediaCommand::Pause: player_->Pause(); break;
    case MediaCommand::Stop: player_->Stop(); break;
    }
    return true;
}

MediaState TOVRunWindows::MediaPlayerState()
{
    return player_ != nullptr ? player_->Mode() : MediaState::Other;
}

int TOVRunWindows::MasterVolume()
{
    return player_ != nullptr ? player_->Mixer1.GetMasterVolume() : -1;
}

void TOVRunWindows::SetMasterVolume(int percent)
{
    if (player_ != nullptr)
        player_->Mixer1.SetMasterVolume(percent);
}

bool TOVRunWindows::MasterMute()
{
    return player_ != nullptr && player_->Mixer1.GetMasterMute();
}

void TOVRunWindows::SetMasterMute(bool muted)
{
    if (player_ != nullptr)
        player_->Mixer1.SetMasterMute(muted);
}

// ---------------------------------------------------------------- clipboard

// The clipboard holds no data at all after clear() on some platforms.
QString TOVRunWindows::ClipboardText()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    return data != nullptr && data->hasText() ? data->text() : QString();
}

// The text goes as it is, CR LF included; the empty text empties the clipboard.
bool TOVRunWindows::SetClipboardText(const QString &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (text.isEmpty())
        clipboard->clear();
    else
        clipboard->setText(text);
    return ClipboardText() == text;
}

void TOVRunWindows::ClearClipboard()
{
    QGuiApplication::clipboard()->clear();
}

} // namespace ov
