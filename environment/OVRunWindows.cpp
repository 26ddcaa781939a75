#include "environment/OVRunWindows.h"

#include "devices/OVInputNumForm.h"
#include "devices/OVWindowState.h"
#include "environment/OVKeySetting.h"
#include "environment/OVRunFrame.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>
#include <QUrl>

namespace ov {

TOVRunWindows::TOVRunWindows(TRunForm &console, QWidget *mainFrame) : console_(console), mainFrame_(mainFrame)
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

// The console's place and size as the window statements left them.
void TOVRunWindows::RestoreRunFormLayout()
{
    console_.move(RunFormLeft, RunFormTop);
    console_.resize(TScreenWidth + 20, TScreenHeight + 20);
}

void TOVRunWindows::ShowRunForm()
{
    console_.show();
    console_.raise();
    console_.activateWindow();
    console_.Memo1->setFocus();
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

// The help pages are installed beside the program.
void TOVRunWindows::OpenHelp(const QString &topic)
{
    QUrl page = QUrl::fromLocalFile(QDir(InstallPath).filePath(QStringLiteral("help/index.html")));
    if (!topic.isEmpty())
        page.setFragment(topic);
    QDesktopServices::openUrl(page);
}

void TOVRunWindows::CloseMainForm()
{
    if (mainFrame_ != nullptr)
        mainFrame_->close();
}

} // namespace ov
