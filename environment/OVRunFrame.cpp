#include "environment/OVRunFrame.h"

#include "devices/OVCommandHistory.h"
#include "devices/OVGraphState.h"
#include "devices/OVKeySetting.h"
#include "devices/OVQColor.h"
#include "devices/OVQFont.h"
#include "devices/OVWindowPlacement.h"
#include "executor/OVConsoleOut.h"
#include "executor/OVMThread.h"
#include "language/OVHeader.h"
#include "platform/OVKeyEvent.h"
#include "platform/OVWinVersion.h"
#include "resources/OVInterfaceTexts.h"
#include "resources/OVVersion.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QKeyEvent>
#include <QPushButton>
#include <QTextBlock>
#include <QVBoxLayout>
#include <algorithm>

namespace ov {

namespace {

constexpr int kPanelHeight = 21;
// The console window is this much wider and higher than its size setting,
// as the setting is applied before every run and measured for saving.
constexpr int kSizeMargin = 20;
constexpr int kButtonWidth = 51;
constexpr int kButtonHeight = 20;

} // namespace

// ---------------------------------------------------------------- the history

namespace {

// Blanks (the full-width one too) and control characters around a command.
bool IsBlankOrControl(QChar c)
{
    return c.isSpace() || c.category() == QChar::Other_Control;
}

QString TrimmedCommand(const QString &line)
{
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && IsBlankOrControl(line.at(begin)))
        ++begin;
    while (end > begin && IsBlankOrControl(line.at(end - 1)))
        --end;
    return line.mid(begin, end - begin);
}

} // namespace

void AddCommandHistory(const QString &line)
{
    const QString trimmed = TrimmedCommand(line);
    if (trimmed.isEmpty())
        return;
    if (HistoryCount < HistorySize)
        ++HistoryCount;
    else
        HistoryStart = (HistoryStart + 1) % HistorySize;
    CommandHistory[(HistoryCount + HistoryStart) % HistorySize] = trimmed;
}

QString GetCommandHistory()
{
    const int slot = ((HistoryCursor + HistoryStart) % HistorySize + HistorySize) % HistorySize;
    return CommandHistory[slot];
}

// ---------------------------------------------------------------- the memo

TConsoleMemo::TConsoleMemo(QWidget *parent) : QPlainTextEdit(parent)
{
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    CreatePopupMenu();
}

void TConsoleMemo::CreatePopupMenu()
{
    PopupMenu1 = new QMenu(this);
    RFCut = PopupMenu1->addAction(InterfaceText(65226), this, &QPlainTextEdit::cut);
    RFCopy = PopupMenu1->addAction(InterfaceText(65227), this, [this] {
        copy();
        QTextCursor cursor = textCursor();
        cursor.setPosition(cursor.selectionEnd());
        setTextCursor(cursor);
    });
    RFPaste = PopupMenu1->addAction(InterfaceText(65228), this, &QPlainTextEdit::paste);
    RFDelete = PopupMenu1->addAction(InterfaceText(65229), this, [this] {
        if (!isReadOnly())  // as Cut and Paste, nothing goes while a run holds the console
            textCursor().removeSelectedText();
    });
    PopupMenu1->addSeparator();
    RFSAll = PopupMenu1->addAction(InterfaceText(65230), this, &QPlainTextEdit::selectAll);
}

void TConsoleMemo::PopupMenu1Popup()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    RFPaste->setEnabled(data != nullptr && data->hasText());
    const bool selected = textCursor().hasSelection();
    RFCut->setEnabled(selected);
    RFCopy->setEnabled(selected);
    RFDelete->setEnabled(selected);
}

void TConsoleMemo::contextMenuEvent(QContextMenuEvent *event)
{
    PopupMenu1Popup();
    PopupMenu1->exec(event->globalPos());
}

int TConsoleMemo::LineCount() const
{
    const QTextDocument *doc = document();
    const int blocks = doc->blockCount();
    return doc->lastBlock().length() <= 1 ? blocks - 1 : blocks;
}

qsizetype TConsoleMemo::TextLength() const
{
    // Every line break counts as the two characters CR LF.
    const QTextDocument *doc = document();
    return doc->characterCount() - 1 + doc->blockCount() - 1;
}

qsizetype TConsoleMemo::LineLength(int index) const
{
    return std::max(0, document()->findBlockByNumber(index).length() - 1);
}

void TConsoleMemo::AddLine(const QString &line)
{
    AddLines(QStringList{line});
}

// The lines go in as one text: each line is a block of the document, laid
// out once, and the view follows the end once.
void TConsoleMemo::AddLines(const QStringList &lines)
{
    QString text;
    if (document()->lastBlock().length() > 1)
        text += u'\n';
    for (const QString &line : lines) {
        if (line.contains(u'\r'))  // a message of two lines
            text += QString(line).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        else
            text += line;
        text += u'\n';
    }
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    setTextCursor(cursor);
    ensureCursorVisible();
}

void TConsoleMemo::DeleteLine(int index)
{
    const QTextBlock block = document()->findBlockByNumber(index);
    if (!block.isValid())
        return;
    QTextCursor cursor(block);
    if (block.next().isValid())
        cursor.setPosition(block.next().position(), QTextCursor::KeepAnchor);
    else
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

void TConsoleMemo::DeleteFirstLines(int count)
{
    if (count <= 0)
        return;
    QTextCursor cursor(document());
    const QTextBlock after = document()->findBlockByNumber(count);
    if (after.isValid())
        cursor.setPosition(after.position(), QTextCursor::KeepAnchor);
    else
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

void TConsoleMemo::Clear()
{
    clear();
}

int TConsoleMemo::CaretLine() const
{
    return textCursor().blockNumber();
}

void TConsoleMemo::PlaceCaretAfterPrompt()
{
    QTextCursor cursor = textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.movePosition(QTextCursor::PreviousCharacter);
    setTextCursor(cursor);
}

void TConsoleMemo::GetCharPos(int &column, int &line) const
{
    const QTextCursor cursor = textCursor();
    column = cursor.positionInBlock() + 1;
    line = cursor.blockNumber() + 1;
}

// The caret never leaves its line sideways (Shift alone still selects).
bool TConsoleMemo::GuardLineEdges(QKeyEvent *event)
{
    if (event->modifiers() == Qt::ShiftModifier)
        return false;
    const QTextCursor cursor = textCursor();
    if (event->key() == Qt::Key_Left)
        return cursor.atBlockStart();
    if (event->key() == Qt::Key_Right)
        return cursor.atBlockEnd();
    return false;
}

void TConsoleMemo::ReplaceLastLine(const QString &text)
{
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(text);
    setTextCursor(cursor);
}

// Up (-1) and Down (+1): the last line shows an older or newer command.
void TConsoleMemo::RecallHistory(int step)
{
    moveCursor(QTextCursor::End);
    if (RunThreadActive.load() != 0)
        return;
    const bool can = step < 0 ? HistoryCursor >= 1 : HistoryCursor < HistoryCount;
    if (!can)
        return;
    HistoryCursor += step;
    ReplaceLastLine(GetCommandHistory());
}

void TConsoleMemo::keyPressEvent(QKeyEvent *event)
{
    NoteProgramKey(VirtualKeyCodeOf(*event), event->text());
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (GuardLineEdges(event))
            return;
        break;
    case Qt::Key_Up:
        RecallHistory(-1);
        return;
    case Qt::Key_Down:
        RecallHistory(+1);
        return;
    default:
        break;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (RunThreadActive.load() == 0)
            emit EnterPressed();
        return;  // the memo inserts no line break of its own
    }
    QPlainTextEdit::keyPressEvent(event);
}

// ---------------------------------------------------------------- the form

TRunForm::TRunForm(RunController &runs, QWidget *parent) : QWidget(parent, Qt::Window), runs_(runs)
{
    FormCreate();
}

void TRunForm::FormCreate()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *panel = new QWidget(this);
    panel->setFixedHeight(kPanelHeight);
    layout->addWidget(panel);
    Memo1 = new TConsoleMemo(this);
    Memo1->SetMaxLength(ConsoleTextLimit(OSVersionName));
    // The console can be as small as its stored size may make it, and no smaller.
    Memo1->setMinimumSize(MinWindowWidth + kSizeMargin, MinWindowHeight + kSizeMargin - kPanelHeight);
    layout->addWidget(Memo1);
    EditBtn = new QPushButton(panel);
    RunBtn = new QPushButton(panel);
    StopBtn = new QPushButton(panel);
    ContBtn = new QPushButton(panel);
    CLSBtn = new QPushButton(QStringLiteral("CLS"), panel);
    CreateButtons();
    SetCaptionFor(65247);
    PlaceWindow();
    ApplyFont();
    connect(Memo1, &TConsoleMemo::EnterPressed, this, &TRunForm::Memo1Enter);
}

void TRunForm::CreateButtons()
{
    const struct {
        QPushButton *button;
        int caption;
        int hint;
    } texts[] = {
        {EditBtn, 65217, 65221}, {RunBtn, 65218, 65222}, {StopBtn, 65219, 65223}, {ContBtn, 65220, 65224},
    };
    for (const auto &t : texts) {
        t.button->setText(InterfaceText(t.caption));
        t.button->setToolTip(InterfaceText(t.hint));
    }
    CLSBtn->setToolTip(InterfaceText(65225));
    for (QPushButton *button : {EditBtn, RunBtn, StopBtn, ContBtn, CLSBtn}) {
        button->setFixedSize(kButtonWidth, kButtonHeight);
        button->setFocusPolicy(Qt::NoFocus);
    }
    EditBtn->move(10, 0);
    StopBtn->setEnabled(false);
    ContBtn->setEnabled(false);
    connect(EditBtn, &QPushButton::clicked, this, &TRunForm::EditRequested);
    connect(RunBtn, &QPushButton::clicked, this, &TRunForm::RunBtnClick);
    connect(StopBtn, &QPushButton::clicked, this, &TRunForm::StopBtnClick);
    connect(ContBtn, &QPushButton::clicked, this, &TRunForm::ContBtnClick);
    connect(CLSBtn, &QPushButton::clicked, this, &TRunForm::CLSBtnClick);
}

void TRunForm::PlaceWindow()
{
    if (TScreenPosAuto)
        move(0, 0);
    else
        move(TScreenLeft, TScreenTop);
    ApplySizeSetting();
}

void TRunForm::ApplySizeSetting()
{
    ResizeWindow(*this, QSize(TScreenWidth + kSizeMargin, TScreenHeight + kSizeMargin));
}

QSize TRunForm::SizeSetting() const
{
    return size() - QSize(kSizeMargin, kSizeMargin);
}

void TRunForm::ApplyFont()
{
    QFont font(TScreenFontName);
    font.setPointSize(TScreenFontSize > 0 ? TScreenFontSize : 10);
    font.setStyleHint(QFont::TypeWriter);
    ApplyFontStyles(font, TScreenFontStyle);
    Memo1->setFont(font);
    QPalette palette = Memo1->palette();
    palette.setColor(QPalette::Base, ColorValueToQColor(TScreenBackColor));
    palette.setColor(QPalette::Text, ColorValueToQColor(TScreenFontColor));
    Memo1->setPalette(palette);
}

void TRunForm::WriteBanner()
{
    PrintLine(QStringLiteral("Orvane Ver. ") + ProgramVersion() + u'(' + ProgramReleaseDate()
              + QStringLiteral(") On ") + OSVersionName);
    PrintLine(QStringLiteral("OK"));
    FlushConsoleLines();
}

void TRunForm::BringToFront()
{
    if (isMinimized())  // restored as it was, maximised or not
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    Memo1->setFocus();
}

void TRunForm::ShowForRun()
{
    show();
    if (keptMinimized_ && Minimized())
        return;  // raising or activating would restore it
    raise();
    activateWindow();
    Memo1->setFocus();
}

void TRunForm::ShowForNewRun()
{
    keptMinimized_ = false;
    BringToFront();
}

void TRunForm::KeepMinimized()
{
    keptMinimized_ = true;
    SetWindowStates(*this, WindowStatesOf(*this) | Qt::WindowMinimized);
    show();
}

bool TRunForm::Minimized() const
{
    return WindowStatesOf(*this).testFlag(Qt::WindowMinimized);
}

// A window manager that maps the console before it takes a minimise asked
// earlier shows it for a moment: that is no restore by the user.
void TRunForm::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && !Minimized())
        keptMinimized_ = false;
}

void TRunForm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int w = width();
    CLSBtn->move(w - 70, 0);
    ContBtn->move(w - 130, 0);
    StopBtn->move(w - 190, 0);
    RunBtn->move(w - 250, 0);
}

void TRunForm::SetCaptionFor(int textId)
{
    setWindowTitle(InterfaceText(textId));
}

void TRunForm::SetButtons(bool edit, bool run, bool stop, bool cont)
{
    EditBtn->setEnabled(edit);
    RunBtn->setEnabled(run);
    StopBtn->setEnabled(stop);
    ContBtn->setEnabled(cont);
}

void TRunForm::SetBtnRunMode()
{
    SetButtons(false, false, true, false);
    if (EchoOn)
        SetCaptionFor(65245);
}

void TRunForm::SetBtnStopMode()
{
    SetButtons(true, true, false, true);
    Memo1->setReadOnly(false);
    if (EchoOn)
        SetCaptionFor(65246);
}

void TRunForm::SetBtnEndMode()
{
    SetButtons(true, true, false, false);
    Memo1->setReadOnly(false);
    if (EchoOn)
        SetCaptionFor(65247);
}

void TRunForm::SetBtnPrepMode()
{
    SetButtons(true, false, false, false);
    if (EchoOn)
        SetCaptionFor(65216);
}

// A start from the console is the user's own: a console kept minimised for
// a hidden run is so no longer.
void TRunForm::StartConsoleRun(const QString &command)
{
    keptMinimized_ = false;
    RunCommand = command;
    RunMode = 1;
    EventSubRun = 0;
    runs_.Start();
}

// Enter runs the line that holds the caret, whole and untrimmed.
void TRunForm::Memo1Enter()
{
    ++ConsoleLineCount;
    const QString line = Memo1->textCursor().block().text();
    AddCommandHistory(line);
    HistoryCursor = HistoryCount + 1;
    StartConsoleRun(line);
}

void TRunForm::RunBtnClick()
{
    if (RunThreadActive.load() != 0)
        return;
    SetBtnRunMode();
    StopRequested = 0;
    Memo1->setFocus();
    StartConsoleRun(QStringLiteral("Run"));
}

void TRunForm::ContBtnClick()
{
    if (RunThreadActive.load() != 0)
        return;
    StopRequested = 0;
    ProgramRunning = 1;
    SetBtnRunMode();
    Memo1->setFocus();
    StartConsoleRun(QStringLiteral("Cont"));
}

// The worker sees the request before its next cell and records where to
// continue itself, so nothing here reads its program counter.
void TRunForm::StopBtnClick()
{
    SetBtnStopMode();
    StopRequested = 1;
    Memo1->setFocus();
}

// What the run has printed and the console not yet shown goes too.
void TRunForm::CLSBtnClick()
{
    DiscardConsoleLines();
    Memo1->Clear();
    Memo1->setFocus();
    ConsoleLineCount = 0;
}

} // namespace ov
