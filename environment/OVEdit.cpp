#include "environment/OVEdit.h"

#include "devices/OVKeySetting.h"
#include "devices/OVQColor.h"
#include "devices/OVQFont.h"
#include "environment/MyRichEdit.h"
#include "environment/OVFrame.h"
#include "environment/OVKeywordColor.h"
#include "environment/OVLoadWait.h"
#include "environment/OVRunFrame.h"
#include "environment/myUndo.h"
#include "executor/OVMThread.h"
#include "language/OVHeader.h"
#include "platform/OVSafeSave.h"
#include "platform/OVWinVersion.h"
#include "resources/OVInterfaceTexts.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QVBoxLayout>

namespace ov {

int UntitledCount = 0;

namespace {

// The editor whose run is the last one started from an editor: only it
// takes the error of that run.
QPointer<TOVEditForm> RunningEditor;

KeywordColorStyle EditorStyle()
{
    KeywordColorStyle style;
    style.fontColor = EditorFontColor;
    style.fontStyle = EditorFontStyle;
    style.keywordColor = EditorKeywordColor;
    style.keywordStyle = EditorKeywordStyle;
    style.commentColor = EditorCommentColor;
    style.commentStyle = EditorCommentStyle;
    style.stringColor = EditorStringColor;
    style.stringStyle = EditorStringStyle;
    return style;
}

// The ".BAK" copy's name of a file in its folder, as the system's bytes:
// the extension replaced, or added when there is none. A file already named
// *.BAK has none, so as not to be backed up over itself.
QByteArray BackupName(const QByteArray &fileName)
{
    const qsizetype dot = fileName.lastIndexOf('.');
    const QByteArray suffix = dot < 0 ? QByteArray() : fileName.mid(dot + 1);
    if (suffix.compare("BAK", Qt::CaseInsensitive) == 0)
        return {};
    if (suffix.isEmpty())
        return fileName + ".BAK";
    return fileName.left(dot + 1) + "BAK";
}

// The text as it is written: every line ended by CR LF.
QString FileText(const QString &editorText)
{
    if (editorText.isEmpty())
        return editorText;
    QString text = editorText + u'\n';
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return text;
}

const QStringList &SaveEncodings()
{
    static const QStringList names{QStringLiteral("Default"), QStringLiteral("ASCII"),
                                   QStringLiteral("Unicode"), QStringLiteral("Big Endian Unicode"),
                                   QStringLiteral("SJIS"),    QStringLiteral("EUC"),
                                   QStringLiteral("JIS"),     QStringLiteral("UTF-8"),
                                   QStringLiteral("UTF-8BOM")};
    return names;
}

QString AppTitle() { return QStringLiteral("Orvane"); }

// A character count with thousands separators.
QString CountText(qsizetype count)
{
    return QLocale(QLocale::Japanese, QLocale::Japan).toString(count);
}

// How long a refused-input note stays in the status bar.
constexpr int kLimitNoteMs = 10000;

} // namespace

TOVEditForm::TOVEditForm(TOvFrameForm &frame, QWidget *parent) : QWidget(parent), frame_(frame)
{
    FormCreate();
}

TOVEditForm::~TOVEditForm()
{
    // The history watches the document; it goes before the control.
    undo_.reset();
}

void TOVEditForm::FormCreate()
{
    Editor = new TMyRichEdit(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Editor);

    ++UntitledCount;
    SetFileName(QStringLiteral("Untitled") + QString::number(UntitledCount));

    undo_ = std::make_unique<my_UndoClass>(Editor, my_UndoClass::DefaultCapacity);
    undo_->setMaxLength(ProgramSizeLimit(OSVersionName));
    undo_->setOnTextLimit([this] { ShowTextLimitReached(); });
    Editor->SetUndoHistory(undo_.get());

    QFont font(EditorFontName, EditorFontSize > 0 ? EditorFontSize : 10);
    font.setStyleHint(QFont::TypeWriter);
    ApplyFontStyles(font, EditorFontStyle);
    Editor->setFont(font);
    QPalette palette = Editor->palette();
    palette.setColor(QPalette::Text, ColorValueToQColor(EditorFontColor));
    palette.setColor(QPalette::Base, ColorValueToQColor(EditorBackColor));
    Editor->setPalette(palette);
    Editor->setTabStopDistance(Editor->fontMetrics().horizontalAdvance(u' ') * (EditorTabStops + 1));

    highlighter_ = new TOVKeywordHighlighter(Editor->document(), EditorStyle());
    // The preferences may turn the switch at any time; every edit asks it.
    highlighter_->setTypingSwitch([] { return FormatCheckOn == 1; });

    resize(EditorWidth, EditorHeight);
    CreateMenus();

    connect(Editor, &QPlainTextEdit::textChanged, this, &TOVEditForm::EditorChange);
    connect(Editor, &TMyRichEdit::CaretMoved, this, &TOVEditForm::RefreshPanels);
    connect(Editor, &QPlainTextEdit::selectionChanged, this, &TOVEditForm::RefreshPanels);
    connect(Editor, &TMyRichEdit::InsertModeChanged, this, &TOVEditForm::RefreshPanels);
    connect(Editor->document(), &QTextDocument::modificationChanged, this, &TOVEditForm::RefreshPanels);
    Editor->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Editor, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { PopupMenu1->popup(Editor->mapToGlobal(at)); });
}

void TOVEditForm::CreateMenus()
{
    auto item = [this](QMenu *menu, int caption, int hint, const QKeySequence &key, auto handler) {
        QAction *action = menu->addAction(InterfaceText(caption));
        if (hint != 0)
            action->setStatusTip(InterfaceText(hint));
        if (!key.isEmpty())
            action->setShortcut(key);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };

    OVEMenuProgram = new QMenu(InterfaceText(65183), this);
    item(OVEMenuProgram, 65152, 65153, QKeySequence(Qt::CTRL | Qt::Key_N), [this] { emit NewRequested(); });
    item(OVEMenuProgram, 65154, 65155, QKeySequence(Qt::CTRL | Qt::Key_O), [this] { emit OpenRequested(); });
    item(OVEMenuProgram, 65142, 65143, {}, [this] { if (parentWidget() != nullptr) parentWidget()->close(); else close(); });
    item(OVEMenuProgram, 65144, 65145, QKeySequence(Qt::CTRL | Qt::Key_S), [this] { OVEMenuSaveClick(); });
    item(OVEMenuProgram, 65146, 65147, {}, [this] { OVEMenuSaveAsClick(); });
    item(OVEMenuProgram, 65148, 65149, QKeySequence(Qt::CTRL | Qt::Key_P), [this] { OVEMenuPrintClick(); });
    item(OVEMenuProgram, 65156, 65157, {}, [this] { emit ExitRequested(); });

    OVEMenuEdit = new QMenu(InterfaceText(65150), this);
    OVEMenuCut = item(OVEMenuEdit, 65151, 0, QKeySequence(Qt::CTRL | Qt::Key_X), [this] { undo_->UndoCut(); });
    OVEMenuCopy = item(OVEMenuEdit, 65120, 0, QKeySequence(Qt::CTRL | Qt::Key_C), [this] { undo_->UndoCopy(); });
    OVEMenuPaste = item(OVEMenuEdit, 65121, 0, QKeySequence(Qt::CTRL | Qt::Key_V), [this] { undo_->UndoPaste(); });
    OVEMenuDelete = item(OVEMenuEdit, 65122, 0, {}, [this] { undo_->UndoDelete(); });
    item(OVEMenuEdit, 65123, 0, {}, [this] { Editor->selectAll(); });
    OVEMenuUndo = item(OVEMenuEdit, 65124, 0, QKeySequence(Qt::CTRL | Qt::Key_Z), [this] { undo_->UndoStep(); });
    OVEMenuRedo = item(OVEMenuEdit, 65125, 0, QKeySequence(Qt::CTRL | Qt::Key_Y), [this] { undo_->RedoStep(); });
    connect(OVEMenuEdit, &QMenu::aboutToShow, this, &TOVEditForm::EnableEditItems);

    OVEMenuSearch = new QMenu(InterfaceText(65126), this);
    item(OVEMenuSearch, 65127, 0, QKeySequence(Qt::CTRL | Qt::Key_F), [this] { ShowFindDialog(); });
    item(OVEMenuSearch, 65128, 0, QKeySequence(Qt::Key_F3), [this] {
        if (findText_.isEmpty())
            ShowFindDialog();
        else
            FindText(findText_);
    });
    item(OVEMenuSearch, 65129, 0, QKeySequence(Qt::CTRL | Qt::Key_R), [this] { ShowReplaceDialog(); });

    OVEMenuRun = new QMenu(InterfaceText(65130), this);
    item(OVEMenuRun, 65131, 0, QKeySequence(Qt::Key_F9), [this] { OVEMenuRunOVClick(); });
    item(OVEMenuRun, 65132, 0, QKeySequence(Qt::Key_F10), [this] { OVEMenuStopOVClick(); });
    item(OVEMenuRun, 65133, 0, QKeySequence(Qt::SHIFT | Qt::Key_F9), [this] { OVEMenuContOVClick(); });
    item(OVEMenuRun, 65134, 0, {}, [this] { OVEMenuPrgFormatClick(); });
    connect(OVEMenuRun, &QMenu::aboutToShow, this, &TOVEditForm::EnableEditItems);

    OVEMenuRunNow = new QAction(InterfaceText(65135), this);
    connect(OVEMenuRunNow, &QAction::triggered, this, [this] { OVEMenuRunOVClick(); });

    // The popup's items do what their main-menu twins do.
    PopupMenu1 = new QMenu(this);
    const QList<QPair<int, QAction *>> twins{
        {65104, OVEMenuCut}, {65105, OVEMenuCopy}, {65106, OVEMenuPaste}, {65107, OVEMenuDelete},
        {65108, OVEMenuEdit->actions().at(4)}, {65109, OVEMenuUndo}, {65110, OVEMenuRedo}};
    for (const auto &[caption, twin] : twins) {
        QAction *action = PopupMenu1->addAction(InterfaceText(caption));
        connect(action, &QAction::triggered, twin, &QAction::trigger);
        connect(twin, &QAction::enabledChanged, action, &QAction::setEnabled);
    }
    connect(PopupMenu1, &QMenu::aboutToShow, this, &TOVEditForm::EnableEditItems);
}

// Paste needs text on the clipboard; cut, copy and delete a selection.
void TOVEditForm::EnableEditItems()
{
    const bool selection = Editor->textCursor().hasSelection();
    OVEMenuPaste->setEnabled(!QGuiApplication::clipboard()->text().isEmpty());
    OVEMenuCut->setEnabled(selection);
    OVEMenuCopy->setEnabled(selection);
    OVEMenuDelete->setEnabled(selection);
}

bool TOVEditForm::IsModified() const
{
    return Editor->document()->isModified();
}

void TOVEditForm::SetFileName(const QString &fileName)
{
    FileName = fileName;
    setWindowTitle(QFileInfo(fileName).fileName());
}

void TOVEditForm::RefreshPanels()
{
    if (frame_.ActiveEditor() != this)
        return;
    int line = 1;
    int column = 1;
    Editor->GetCharPos(line, column);
    frame_.SetPanel(0, windowTitle());
    frame_.SetPanel(1, LineColumnText(line, column));
    frame_.SetPanel(2, IsModified() ? InterfaceText(65173) : QString());
    frame_.SetPanel(3, InterfaceText(Editor->InsertMode() ? 65176 : 65177));
    frame_.SetPanel(4, CursorModeOn == 1 ? InterfaceText(65175) : QString());
    frame_.SetPanel(5, EncodingName);
}

void TOVEditForm::EditorChange()
{
    RefreshPanels();
}

void TOVEditForm::FormActivate()
{
    EditorCurrentHeight = Editor->height();
    EditorCurrentWidth = Editor->width();
    ShowRunError();
    RefreshPanels();
}

void TOVEditForm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    EditorCurrentHeight = Editor->height();
    EditorCurrentWidth = Editor->width();
}

// The error position counts a line break as two characters (CR LF); the
// editor counts one. The report's line and column name the same character.
// The worker writes the error globals until it clears RunThreadActive, so
// that flag is tested before any of them is read.
void TOVEditForm::ShowRunError()
{
    if (RunThreadActive.load() != 0 || RunningEditor != this || ErrorNumber <= 0)
        return;
    int32_t line = 1;
    int32_t column = 1;
    OffsetToLineColumn(std::max(1, ErrorPos), line, column);
    const QTextBlock block = Editor->document()->findBlockByNumber(line - 1);
    if (block.isValid()) {
        const int inLine = std::clamp(column - 1, 0, std::max(0, block.length() - 1));
        QTextCursor cursor(Editor->document());
        cursor.setPosition(block.position() + inLine);
        cursor.setPosition(std::min(block.position() + inLine + 1, Editor->document()->characterCount() - 1),
                           QTextCursor::KeepAnchor);
        Editor->setTextCursor(cursor);
        Editor->ensureCursorVisible();
    }
    ErrorNumber = 0;
    RunningEditor = nullptr;
}

// ---------------------------------------------------------------- loading

bool TOVEditForm::Open(const QString &fileName, const TextEncoding &encoding)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    const QString text = SplitTextLines(DecodeText(bytes, encoding)).join(u'\n');
    SetFileName(QFileInfo(fileName).absoluteFilePath());
    // Loading a large text and colouring it take a while: the loading form shows.
    LoadWaitScope wait(InterfaceText(65181), int(text.size()));
    Editor->setEnabled(false);
    highlighter_->setSuppressed(true);  // the loaded text is coloured only on request
    Editor->setPlainText(text);  // empties the undo history: its records no longer apply
    highlighter_->setSuppressed(false);
    wait.SetPosition(int(text.size()));
    QTextCursor cursor = Editor->textCursor();
    cursor.setPosition(0);
    Editor->setTextCursor(cursor);
    Editor->document()->setModified(false);
    Editor->setEnabled(true);
    if (UntitledCount > 0)
        --UntitledCount;
    RefreshPanels();
    if (text.size() > undo_->maxLength())
        ShowMessageBox(&frame_, QMessageBox::Warning, AppTitle(),
                       QStringLiteral(u"%1 は %2 文字あり、編集画面の上限 %3 文字を超えています。\n"
                                      u"文字を増やす入力はできません。実行するには上限より短くして下さい。")
                           .arg(QFileInfo(fileName).fileName(), CountText(text.size()),
                                CountText(undo_->maxLength())));
    return true;
}

// Typing, pasting or replacing that the length limit cut short is noted in
// the status bar rather than dropped without a word.
void TOVEditForm::ShowTextLimitReached()
{
    frame_.statusBar()->showMessage(
        QStringLiteral(u"編集画面の上限 %1 文字に達したため、入力できません。").arg(CountText(undo_->maxLength())),
        kLimitNoteMs);
}

// ---------------------------------------------------------------- saving

bool TOVEditForm::OVEMenuSaveClick()
{
    // An editor that has never been saved has no file yet: ask for one.
    if (EncodingName == QStringLiteral("UnSaved") || QFileInfo(FileName).isRelative())
        return OVEMenuSaveAsClick();
    return WriteFile(FileName, GetEncodingByName(EncodingName), EncodingName);
}

bool TOVEditForm::OVEMenuSaveAsClick()
{
    const QStringList filters{QStringLiteral("Orvane Text (*.ovt) (*.ovt *.bas)"),
                              QStringLiteral("Basic File (*.ovt; *.bas) (*.ovt *.bas)"),
                              QStringLiteral("Text Type File (*.ovt;*.bas;*.txt;*.dat) (*.ovt *.bas *.txt *.dat)"),
                              QStringLiteral("All (*.*) (*)")};
    const QString start = QFileInfo(FileName).isAbsolute() ? FileName : QDir(ProgramFolder).filePath(FileName);
    QString file;
    QString encoding = EncodingName;
    if (!ChooseFileWithEncoding(this, true, InterfaceText(65146).remove(QStringLiteral("(&A)")), filters,
                                QStringLiteral("ovt"), SaveEncodings(), start, file, encoding))
        return false;
    return SaveAs(file, encoding);
}

bool TOVEditForm::SaveAs(const QString &fileName, const QString &encodingName)
{
    if (!WriteFile(fileName, GetEncodingByName(encodingName), encodingName))
        return false;
    SetFileName(QFileInfo(fileName).absoluteFilePath());
    ProgramFolder = QFileInfo(fileName).absolutePath();
    RefreshPanels();
    return true;
}

// Writes the text beside the target, keeps the previous file as the ".BAK"
// copy and puts the new one in its place; a failure leaves the previous file
// as it was.
bool TOVEditForm::WriteFile(const QString &fileName, TextEncoding encoding, const QString &encodingName)
{
    const QString text = FileText(Editor->toPlainText());
    QString usedName = encodingName;
    QByteArray bytes = EncodeText(text, encoding);
    if (DecodeText(bytes, encoding) != text) {
        const auto answer = ShowMessageBox(
            this, QMessageBox::Warning, AppTitle(),
            QStringLiteral(u"%1 には %2 で保存できない文字があります。UTF-8 で保存しますか？\n"
                           u"（いいえ: それらの文字を ? にして保存します）")
                .arg(QFileInfo(fileName).fileName(), encodingName),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (answer == QMessageBox::Cancel)
            return false;
        if (answer == QMessageBox::Yes) {
            usedName = QStringLiteral("UTF-8");
            encoding = GetEncodingByName(usedName);
            bytes = EncodeText(text, encoding);
        }
    }
    if (encoding.WriteBom)
        bytes.prepend(EncodingMark(encoding.CodePage));

    auto fail = [&](const QString &reason) {
        ShowMessageBox(this, QMessageBox::Critical, AppTitle(),
                       QStringLiteral(u"%1 を保存できませんでした。\n%2").arg(fileName, reason));
        return false;
    };

    const QFileInfo target(fileName);
    const QDir folder = target.dir();
    if (!folder.exists())
        return fail(QStringLiteral(u"フォルダ %1 がありません。").arg(folder.path()));
    // The backup lies beside the file replaced, which a link names.
    QString error;
    if (!ReplaceFileKeepingBackup(fileName, bytes, BackupName, error))
        return fail(error);

    EncodingName = usedName;
    Editor->document()->setModified(false);
    RefreshPanels();
    return true;
}

bool TOVEditForm::QueryClose()
{
    if (!IsModified())
        return true;
    const auto answer = ShowMessageBox(this, QMessageBox::Question, AppTitle(), ModifiedPromptText(FileName),
                                       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, FileName);
    return !(answer == QMessageBox::Cancel || (answer == QMessageBox::Yes && !OVEMenuSaveClick()));
}

void TOVEditForm::CloseAnswered()
{
    closeAnswered_ = true;
    if (parentWidget() != nullptr)
        parentWidget()->close();
    else
        close();
    closeAnswered_ = false;
}

void TOVEditForm::closeEvent(QCloseEvent *event)
{
    if (!closeAnswered_ && !QueryClose()) {
        event->ignore();
        return;
    }
    if (RunningEditor == this)
        RunningEditor = nullptr;
    frame_.ClearPanels();
    event->accept();
}

// ---------------------------------------------------------------- find and replace

namespace {

// The first match at or after `from`, without regard to letter case; -1 for none.
int FindFrom(const QString &text, const QString &what, int from)
{
    if (what.isEmpty())
        return -1;
    return int(text.indexOf(what, from, Qt::CaseInsensitive));
}

} // namespace

bool TOVEditForm::FindText(const QString &text)
{
    findText_ = text;
    const QTextCursor current = Editor->textCursor();
    const int found = FindFrom(Editor->toPlainText(), text, current.selectionEnd());
    if (found < 0) {
        ShowMessageBox(this, QMessageBox::Information, AppTitle(), InterfaceText(65178));
        return false;
    }
    QTextCursor cursor(Editor->document());
    cursor.setPosition(found);
    cursor.setPosition(found + int(text.size()), QTextCursor::KeepAnchor);
    Editor->setTextCursor(cursor);
    Editor->ensureCursorVisible();
    Editor->setFocus();
    return true;
}

bool TOVEditForm::ReplaceText(const QString &text, const QString &replacement)
{
    if (text.isEmpty())
        return false;
    if (Editor->textCursor().selectedText().compare(text, Qt::CaseInsensitive) != 0 && !FindText(text))
        return false;
    undo_->UndoReplace(replacement);
    FindText(text);
    return true;
}

int TOVEditForm::ReplaceAll(const QString &text, const QString &replacement)
{
    if (text.isEmpty())
        return 0;
    findText_ = text;
    int count = 0;
    undo_->BeginGroup();
    for (;;) {
        const QTextCursor current = Editor->textCursor();
        const int found = FindFrom(Editor->toPlainText(), text, current.selectionEnd());
        if (found < 0)
            break;
        QTextCursor cursor(Editor->document());
        cursor.setPosition(found);
        cursor.setPosition(found + int(text.size()), QTextCursor::KeepAnchor);
        Editor->setTextCursor(cursor);
        undo_->UndoReplace(replacement);
        QTextCursor after(Editor->document());
        after.setPosition(std::min(found + int(replacement.size()), Editor->document()->characterCount() - 1));
        Editor->setTextCursor(after);
        ++count;
    }
    undo_->EndGroup();
    ShowMessageBox(this, QMessageBox::Information, AppTitle(), InterfaceText(65178));
    return count;
}

void TOVEditForm::ShowFindDialog()
{
    QDialog dialog(this);
    dialog.setWindowTitle(InterfaceText(65127).remove(QStringLiteral("(&F)")));
    auto *form = new QFormLayout(&dialog);
    auto *what = new QLineEdit(findText_, &dialog);
    form->addRow(InterfaceText(65127).remove(QStringLiteral("(&F)")), what);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() == QDialog::Accepted && !what->text().isEmpty())
        FindText(what->text());
}

void TOVEditForm::ShowReplaceDialog()
{
    QDialog dialog(this);
    dialog.setWindowTitle(InterfaceText(65129).remove(QStringLiteral("(&R)")));
    auto *form = new QFormLayout(&dialog);
    auto *what = new QLineEdit(findText_, &dialog);
    auto *with = new QLineEdit(&dialog);
    form->addRow(InterfaceText(65127).remove(QStringLiteral("(&F)")), what);
    form->addRow(InterfaceText(65129).remove(QStringLiteral("(&R)")), with);
    auto *buttons = new QDialogButtonBox(&dialog);
    QPushButton *find = buttons->addButton(InterfaceText(65128), QDialogButtonBox::ActionRole);
    QPushButton *replace = buttons->addButton(InterfaceText(65129).remove(QStringLiteral("(&R)")),
                                              QDialogButtonBox::ActionRole);
    QPushButton *all = buttons->addButton(QStringLiteral(u"すべて置換"), QDialogButtonBox::ActionRole);
    // Japanese also where Qt's own translations are not installed.
    buttons->addButton(InterfaceText(65142).remove(QStringLiteral("(&C)")), QDialogButtonBox::RejectRole);
    form->addRow(buttons);
    connect(find, &QPushButton::clicked, this, [this, what] { FindText(what->text()); });
    connect(replace, &QPushButton::clicked, this, [this, what, with] { ReplaceText(what->text(), with->text()); });
    connect(all, &QPushButton::clicked, this, [this, what, with] { ReplaceAll(what->text(), with->text()); });
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    dialog.exec();
}

// ---------------------------------------------------------------- runs

bool TOVEditForm::OVEMenuRunOVClick()
{
    return StartProgramRun(false);
}

bool TOVEditForm::RunWithConsoleMinimized()
{
    return StartProgramRun(true);
}

bool TOVEditForm::StartProgramRun(bool consoleMinimized)
{
    TRunForm *console = frame_.RunForm();
    if (console == nullptr || RunThreadActive.load() != 0 || ProgramRunning.load() != 0)
        return false;
    RunMode = 0;
    ProgramRunning = 1;
    StopRequested = 0;
    console->SetBtnPrepMode();
    QString text = Editor->toPlainText();
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    SourceText = text;
    ProgramDir = QFileInfo(FileName).isAbsolute() ? QFileInfo(FileName).absolutePath() : QDir::currentPath();
    if (consoleMinimized)
        console->KeepMinimized();
    else
        console->ShowForNewRun();
    RunningEditor = this;
    ErrorNumber = 0;
    if (!frame_.Runs().Start()) {
        ProgramRunning = 0;
        console->SetBtnEndMode();
        return false;
    }
    return true;
}

// The worker notes where to continue itself when it sees the request.
void TOVEditForm::OVEMenuStopOVClick()
{
    StopRequested = 1;
    if (TRunForm *console = frame_.RunForm())
        console->SetBtnStopMode();
}

bool TOVEditForm::OVEMenuContOVClick()
{
    TRunForm *console = frame_.RunForm();
    if (console == nullptr || RunThreadActive.load() != 0)
        return false;
    RunCommand = QStringLiteral("Cont");
    RunMode = 1;
    StopRequested = 0;
    ProgramRunning = 1;
    console->SetBtnRunMode();
    console->ShowForNewRun();
    return frame_.Runs().Start();
}

void TOVEditForm::OVEMenuPrgFormatClick()
{
    if (TidyUpNeedsConfirmation(int(Editor->document()->characterCount() - 1))
        && ShowMessageBox(this, QMessageBox::Question, AppTitle(), InterfaceText(65179),
                          QMessageBox::Yes | QMessageBox::No)
               != QMessageBox::Yes)
        return;
    QTextDocument *document = Editor->document();
    LoadWaitScope wait(InterfaceText(65180), int(document->characterCount() - 1));
    // A large text shows the loading form, whose bar follows the lines.
    TidyUpProgram(*Editor, *highlighter_, [&wait](int position) { wait.SetPosition(position); });
    wait.SetPosition(int(document->characterCount() - 1));
    RefreshPanels();
}

// Prints a copy of the text with the keyword colours written into it.
std::unique_ptr<QTextDocument> TOVEditForm::PrintableDocument(bool selectionOnly) const
{
    std::unique_ptr<QTextDocument> copy(Editor->document()->clone());
    copy->setDefaultFont(Editor->font());
    // Coloured as a whole first, so that a selection starting inside a
    // string or comment keeps the colours it has on screen.
    ApplyShownFormats(*Editor->document(), *copy, EditorStyle());
    const QTextCursor selection = Editor->textCursor();
    if (selectionOnly && selection.hasSelection()) {
        QTextCursor cut(copy.get());
        cut.setPosition(selection.selectionEnd());
        cut.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        cut.removeSelectedText();
        cut.setPosition(0);
        cut.setPosition(selection.selectionStart(), QTextCursor::KeepAnchor);
        cut.removeSelectedText();
    }
    return copy;
}

void TOVEditForm::OVEMenuPrintClick()
{
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    const bool hasSelection = Editor->textCursor().hasSelection();
    dialog.setOption(QAbstractPrintDialog::PrintSelection, hasSelection);
    if (hasSelection)
        dialog.setPrintRange(QAbstractPrintDialog::Selection);
    if (dialog.exec() != QDialog::Accepted)
        return;
    printer.setDocName(FileName);
    PrintableDocument(dialog.printRange() == QAbstractPrintDialog::Selection)->print(&printer);
}

} // namespace ov
