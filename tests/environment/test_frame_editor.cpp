// The main frame and the program editor driven as a person would: opening,
// typing, saving with the backup copy, encodings, undo, find and replace,
// runs from the editor, the error selection, the command line and closing.
#include "answer_dialog.h"
#include "frame_fixture.h"

#include "environment/MyRichEdit.h"
#include "environment/OVDialogHook.h"
#include "environment/OVEdit.h"
#include "environment/OVStartup.h"
#include "environment/OVFrame.h"
#include "devices/OVKeySetting.h"
#include "environment/OVInputNumForm.h"
#include "environment/OVQtHost.h"
#include "environment/OVRunFrame.h"
#include "environment/OVRunWindows.h"
#include "environment/myUndo.h"
#include "executor/OVEventRun.h"
#include "executor/OVInterpreter.h"
#include "executor/OVMThread.h"
#include "executor/OVRunCommands.h"
#include "platform/OVTextEncoding.h"
#include "language/OVHeader.h"
#include "platform/OVSafeSave.h"
#include "resources/OVInterfaceTexts.h"

#include "tests/file_conditions.h"
#include "wait_for_run.h"
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QPrinter>
#include <QMenu>
#include <QStatusBar>
#include <QTextBlock>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <cerrno>
#include <cstring>
#include <optional>
#include <unistd.h>

using namespace ov;
using namespace Qt::Literals::StringLiterals;

namespace {

// The frame fixture's windows, with the message boxes answered as the test
// sets, the frame shown and a folder for the files.
class FrameEditor : public FrameFixture {
protected:
    void SetUp() override
    {
        FrameFixture::SetUp();
        SetMessageBoxHook([this](QMessageBox::Icon, const QString &, const QString &text,
                                 QMessageBox::StandardButtons) {
            messages_.append(text);
            return answer_;
        });
        frame_->show();
        console_->Memo1->Clear();
        ASSERT_TRUE(dir_.isValid());
    }
    void TearDown() override
    {
        WaitForRun();
        answer_ = QMessageBox::No;
        frame_->close();
        SetMessageBoxHook({});
        SetRunHost(nullptr);
        frame_.reset();
    }

    void WaitForRun() { ::WaitForRun(runs_); }

    QString Path(const QString &name) const { return dir_.filePath(name); }

    static QByteArray Bytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    TOVEditForm *OpenWith(const QString &name, const QString &text)
    {
        EXPECT_TRUE(WriteTextFile(Path(name), text, GetEncodingByName(QStringLiteral("UTF-8"))));
        return frame_->OpenFile(Path(name), QStringLiteral("Auto"), false);
    }

    static void Type(TOVEditForm *editor, const QString &text) { QTest::keyClicks(editor->Editor, text); }

    QTemporaryDir dir_;
    QMessageBox::StandardButton answer_ = QMessageBox::Yes;
};

} // namespace

TEST_F(FrameEditor, SavingTwiceKeepsOneBackupOfThePreviousVersion)
{
    TOVEditForm *editor = OpenWith(QStringLiteral("prog.ovt"), QStringLiteral(u"PRINT \"一\"\r\n"));
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->Editor->toPlainText(), QStringLiteral(u"PRINT \"一\""));
    EXPECT_EQ(editor->EncodingName, QStringLiteral("UTF-8"));
    EXPECT_EQ(frame_->PanelText(0), QStringLiteral("prog.ovt"));
    EXPECT_EQ(frame_->PanelText(5), QStringLiteral("UTF-8"));

    QTest::keyClick(editor->Editor, Qt::Key_End);
    Type(editor, QStringLiteral("2"));
    EXPECT_TRUE(editor->IsModified());
    EXPECT_FALSE(frame_->PanelText(2).isEmpty());
    ASSERT_TRUE(editor->OVEMenuSaveClick());
    EXPECT_FALSE(editor->IsModified());
    EXPECT_TRUE(frame_->PanelText(2).isEmpty());
    EXPECT_EQ(Bytes(Path(QStringLiteral("prog.ovt"))), QStringLiteral(u"PRINT \"一\"2\r\n").toUtf8());
    EXPECT_EQ(Bytes(Path(QStringLiteral("prog.BAK"))), QStringLiteral(u"PRINT \"一\"\r\n").toUtf8());

    Type(editor, QStringLiteral("3"));
    ASSERT_TRUE(editor->OVEMenuSaveClick());
    EXPECT_EQ(Bytes(Path(QStringLiteral("prog.BAK"))), QStringLiteral(u"PRINT \"一\"2\r\n").toUtf8());
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);  // no temporary left

    // A file named *.BAK is written without a backup of itself; a name
    // without extension gets ".BAK" appended.
    ASSERT_TRUE(editor->SaveAs(Path(QStringLiteral("copy.BAK")), QStringLiteral("UTF-8")));
    Type(editor, QStringLiteral("4"));
    ASSERT_TRUE(editor->OVEMenuSaveClick());
    EXPECT_EQ(Bytes(Path(QStringLiteral("copy.BAK"))), QStringLiteral(u"PRINT \"一\"234\r\n").toUtf8());
    ASSERT_TRUE(editor->SaveAs(Path(QStringLiteral("plain")), QStringLiteral("UTF-8")));
    ASSERT_TRUE(editor->SaveAs(Path(QStringLiteral("plain")), QStringLiteral("UTF-8")));
    EXPECT_TRUE(QFile::exists(Path(QStringLiteral("plain.BAK"))));
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join(u'|').toStdString();
}

// A save makes its helper files under names of their own: a user's files
// named as the backup with an extension added stay as they are.
TEST_F(FrameEditor, ASaveLeavesTheFoldersOtherFilesAlone)
{
    TOVEditForm *editor = OpenWith(QStringLiteral("prog.ovt"), QStringLiteral("PRINT 1\r\n"));
    ASSERT_NE(editor, nullptr);
    for (const char *name : {"prog.BAK.ovtmp", "prog.BAK.tmp", ".ovsave-x"}) {
        QFile file(Path(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("the user's");
    }
    for (const char *more : {"2", "3"}) {
        QTest::keyClick(editor->Editor, Qt::Key_End);
        Type(editor, QString::fromLatin1(more));
        ASSERT_TRUE(editor->OVEMenuSaveClick());
    }
    EXPECT_EQ(Bytes(Path(QStringLiteral("prog.BAK"))), "PRINT 12\r\n");
    for (const char *name : {"prog.BAK.ovtmp", "prog.BAK.tmp", ".ovsave-x"})
        EXPECT_EQ(Bytes(Path(QString::fromLatin1(name))), "the user's") << name;
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden).size(), 5);
}

// A program opened through a symbolic link is saved into the file the link
// names, whose backup lies beside it; the link stays a link.
TEST_F(FrameEditor, SavingThroughALinkReplacesTheFileItNames)
{
    ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("real")));
    ASSERT_TRUE(WriteTextFile(Path(QStringLiteral("real/prog.ovt")), QStringLiteral("PRINT 1\r\n"), TextEncoding{}));
    ASSERT_TRUE(QFile::link(QStringLiteral("real/prog.ovt"), Path(QStringLiteral("link.ovt"))));
    TOVEditForm *editor = frame_->OpenFile(Path(QStringLiteral("link.ovt")), QStringLiteral("Auto"), false);
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor->Editor, Qt::Key_End);
    Type(editor, QStringLiteral("2"));
    ASSERT_TRUE(editor->OVEMenuSaveClick());
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("link.ovt"))).isSymLink());
    EXPECT_EQ(Bytes(Path(QStringLiteral("real/prog.ovt"))), "PRINT 12\r\n");
    EXPECT_EQ(Bytes(Path(QStringLiteral("real/prog.BAK"))), "PRINT 1\r\n");
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("link.BAK"))));
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join(u'|').toStdString();
}

// The program's file is there, whole, before every step of a save; a step
// that fails leaves it as it was, and only a failed backup lets the save go on.
TEST_F(FrameEditor, ASaveNeverLeavesTheProgramsNameAbsent)
{
    TOVEditForm *editor = OpenWith(QStringLiteral("s.ovt"), QStringLiteral("OLD\r\n"));
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(WriteTextFile(Path(QStringLiteral("s.BAK")), QStringLiteral("OLDER\r\n"), TextEncoding{}));
    const QString file = Path(QStringLiteral("s.ovt"));
    const QString backup = Path(QStringLiteral("s.BAK"));
    QList<QByteArray> seen;
    std::optional<SaveStep> failing;
    SetSaveFaultHook([&](SaveStep step, int) {
        seen << Bytes(file);
        return step != failing;
    });
    const auto save = [&](const char *more, std::optional<SaveStep> fail) {
        QTest::keyClick(editor->Editor, Qt::Key_End);
        Type(editor, QString::fromLatin1(more));
        failing = fail;
        seen.clear();
        return editor->OVEMenuSaveClick();
    };

    ASSERT_TRUE(save("2", std::nullopt));
    EXPECT_EQ(seen, (QList<QByteArray>{"OLD\r\n", "OLD\r\n", "OLD\r\n", "OLD\r\n"}));
    EXPECT_EQ(Bytes(file), QByteArray("OLD2\r\n"));
    EXPECT_EQ(Bytes(backup), QByteArray("OLD\r\n"));

    EXPECT_FALSE(save("3", SaveStep::Write));
    EXPECT_EQ(Bytes(file), QByteArray("OLD2\r\n"));
    EXPECT_EQ(Bytes(backup), QByteArray("OLD\r\n"));
    EXPECT_FALSE(save("", SaveStep::Replace));
    EXPECT_EQ(Bytes(file), QByteArray("OLD2\r\n"));
    EXPECT_EQ(Bytes(backup), QByteArray("OLD2\r\n"));
    EXPECT_TRUE(editor->IsModified());
    EXPECT_EQ(messages_.size(), 2);

    ASSERT_TRUE(save("4", SaveStep::Backup));
    EXPECT_EQ(Bytes(file), QByteArray("OLD234\r\n"));
    EXPECT_EQ(Bytes(backup), QByteArray("OLD2\r\n"));
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);  // no temporary left
    SetSaveFaultHook({});
}

TEST_F(FrameEditor, AFailedSaveIsReportedAndTheEditorStaysModified)
{
    TOVEditForm *editor = frame_->NewEditor();
    Type(editor, QStringLiteral("PRINT 1"));
    EXPECT_FALSE(editor->SaveAs(Path(QStringLiteral("missing/prog.ovt")), QStringLiteral("UTF-8")));
    EXPECT_EQ(messages_.size(), 1);
    EXPECT_TRUE(editor->IsModified());
    EXPECT_TRUE(editor->FileName.startsWith(QStringLiteral("Untitled")));

    // A disk that takes no more: the message names the system's reason.
    ASSERT_TRUE(WriteTextFile(Path(QStringLiteral("full.ovt")), QStringLiteral("OLD\r\n"), TextEncoding{}));
    editor->Editor->insertPlainText(QString(5000, u'X'));
    {
        const test::FileSizeLimit nearlyFull(4096);
        EXPECT_FALSE(editor->SaveAs(Path(QStringLiteral("full.ovt")), QStringLiteral("UTF-8")));
    }
    ASSERT_EQ(messages_.size(), 2);
    EXPECT_TRUE(messages_[1].endsWith(QString::fromLocal8Bit(std::strerror(EFBIG)))) << messages_[1].toStdString();
    EXPECT_EQ(Bytes(Path(QStringLiteral("full.ovt"))), QByteArray("OLD\r\n"));
    EXPECT_TRUE(editor->IsModified());
}

// In a folder that takes no new file, a program that may be written is
// saved where it stands, its old text in the existing backup file.
TEST_F(FrameEditor, SavingInAFolderThatTakesNoNewFileRewritesTheProgram)
{
    const QString locked = Path(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkdir(locked));
    TOVEditForm *editor = OpenWith(QStringLiteral("locked/old.ovt"), QStringLiteral("OLD\r\n"));
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(WriteTextFile(locked + QStringLiteral("/old.BAK"), QStringLiteral("OLDER\r\n"), TextEncoding{}));
    test::RefusingFolder refusing(locked);
    if (!refusing.Refuses())
        GTEST_SKIP() << "no folder here can be made to refuse new files";
    QTest::keyClick(editor->Editor, Qt::Key_End);
    Type(editor, QStringLiteral("2"));
    EXPECT_TRUE(editor->OVEMenuSaveClick());
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join(u'|').toStdString();
    EXPECT_FALSE(editor->IsModified());
    EXPECT_EQ(Bytes(locked + QStringLiteral("/old.ovt")), QByteArray("OLD2\r\n"));
    EXPECT_EQ(Bytes(locked + QStringLiteral("/old.BAK")), QByteArray("OLD\r\n"));
    EXPECT_EQ(QDir(locked).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 2);
}

// Only the last extension gives way to ".BAK".
TEST_F(FrameEditor, TheBackupReplacesOnlyTheLastExtension)
{
    ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("v1.0")));
    for (const char *name : {"prog.v2.ovt", "v1.0/plain"}) {
        TOVEditForm *editor = OpenWith(QString::fromLatin1(name), QStringLiteral("PRINT 1\r\n"));
        ASSERT_NE(editor, nullptr);
        Type(editor, QStringLiteral("2"));
        ASSERT_TRUE(editor->OVEMenuSaveClick());
    }
    EXPECT_EQ(Bytes(Path(QStringLiteral("prog.v2.BAK"))), "PRINT 1\r\n");
    EXPECT_EQ(Bytes(Path(QStringLiteral("v1.0/plain.BAK"))), "PRINT 1\r\n");
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("prog.BAK"))));
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("v1.BAK"))));
}

TEST_F(FrameEditor, EncodingsRoundTripAndUnwritableCharactersOfferUtf8)
{
    TOVEditForm *editor = frame_->NewEditor();
    editor->Editor->UndoHistory()->UndoTyping(QStringLiteral(u"PRINT \"日本語\"\nEND"), false);
    ASSERT_TRUE(editor->SaveAs(Path(QStringLiteral("sjis.ovt")), QStringLiteral("SJIS")));
    EXPECT_EQ(Bytes(Path(QStringLiteral("sjis.ovt"))),
              EncodeText(QStringLiteral(u"PRINT \"日本語\"\r\nEND\r\n"), GetEncodingByName(QStringLiteral("SJIS"))));
    TOVEditForm *again = frame_->OpenFile(Path(QStringLiteral("sjis.ovt")), QStringLiteral("Auto"), false);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->EncodingName, QStringLiteral("SJIS"));
    EXPECT_EQ(again->Editor->toPlainText(), QStringLiteral(u"PRINT \"日本語\"\nEND"));

    // A character that Shift_JIS cannot hold: Cancel writes nothing, Yes
    // writes UTF-8.
    again->Editor->UndoHistory()->UndoTyping(QStringLiteral(u"' 한"), false);
    answer_ = QMessageBox::Cancel;
    EXPECT_FALSE(again->OVEMenuSaveClick());
    EXPECT_EQ(messages_.size(), 1);
    EXPECT_TRUE(again->IsModified());
    answer_ = QMessageBox::Yes;
    ASSERT_TRUE(again->OVEMenuSaveClick());
    EXPECT_EQ(again->EncodingName, QStringLiteral("UTF-8"));
    QString read;
    ASSERT_TRUE(ReadTextFile(Path(QStringLiteral("sjis.ovt")), read));
    EXPECT_EQ(read, QStringLiteral(u"' 한PRINT \"日本語\"\r\nEND\r\n"));
}

// Every encoding of Save As writes its byte-order mark where it has one and
// reads back, detected, to the text that was saved.
TEST_F(FrameEditor, EverySaveEncodingReadsBackToTheSameText)
{
    const QString japanese = QStringLiteral(u"PRINT \"日本語のテキスト、カタカナ\"\nEND");
    const QString ascii = QStringLiteral("PRINT \"plain\"\nEND");
    const struct {
        const char *name;
        QByteArray mark;
        bool wide;
    } cases[] = {
        {"Default", {}, true},
        {"ASCII", {}, false},
        {"Unicode", QByteArray("\xFF\xFE", 2), true},
        {"Big Endian Unicode", QByteArray("\xFE\xFF", 2), true},
        {"SJIS", {}, true},
        {"EUC", {}, true},
        {"JIS", {}, true},
        {"UTF-8", {}, true},
        {"UTF-8BOM", QByteArray("\xEF\xBB\xBF", 3), true},
    };
    for (const auto &c : cases) {
        const QString name = QString::fromLatin1(c.name);
        const QString text = c.wide ? japanese : ascii;
        TOVEditForm *editor = frame_->NewEditor();
        editor->Editor->UndoHistory()->UndoTyping(text, false);
        const QString path = Path(name + QStringLiteral(".ovt"));
        ASSERT_TRUE(editor->SaveAs(path, name)) << c.name;
        const QByteArray bytes = Bytes(path);
        EXPECT_TRUE(bytes.startsWith(c.mark)) << c.name;
        if (c.mark.isEmpty()) {
            EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE")) << c.name;
        }
        TOVEditForm *again = frame_->OpenFile(path, QStringLiteral("Auto"), false);
        ASSERT_NE(again, nullptr) << c.name;
        EXPECT_EQ(again->Editor->toPlainText(), text) << c.name;
    }
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join(u'|').toStdString();
}

TEST_F(FrameEditor, TypingIsUndoneAndRedoneThroughTheEditorsHistory)
{
    TOVEditForm *editor = frame_->NewEditor();
    TMyRichEdit *edit = editor->Editor;
    Type(editor, QStringLiteral("AB"));
    QTest::keyClick(edit, Qt::Key_Return);
    Type(editor, QStringLiteral("C"));
    QTest::keyClick(edit, Qt::Key_Backspace);
    Type(editor, QStringLiteral("D"));
    EXPECT_EQ(edit->toPlainText(), QStringLiteral("AB\nD"));

    // Overwrite mode replaces characters and makes no line breaks.
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClick(edit, Qt::Key_Insert);
    EXPECT_EQ(frame_->PanelText(3), InterfaceText(65177));
    Type(editor, QStringLiteral("X"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(edit->toPlainText(), QStringLiteral("AB\nX"));
    QTest::keyClick(edit, Qt::Key_Insert);

    int undos = 0;
    while (editor->UndoHistory().CanUndo() && undos < 20) {
        QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
        ++undos;
    }
    EXPECT_EQ(edit->toPlainText(), QString());
    for (int i = 0; i < undos; ++i)
        editor->OVEMenuRedo->trigger();
    EXPECT_EQ(edit->toPlainText(), QStringLiteral("AB\nX"));
    EXPECT_FALSE(editor->UndoHistory().CanRedo());
}

TEST_F(FrameEditor, FindIsCaseInsensitiveAcrossLinesAndReplaceActsOnAMatchingSelection)
{
    TOVEditForm *editor = OpenWith(QStringLiteral("f.ovt"), QStringLiteral("print a\r\nX = 1\r\nPRINT b\r\n"));
    ASSERT_NE(editor, nullptr);
    TMyRichEdit *edit = editor->Editor;
    ASSERT_TRUE(editor->FindText(QStringLiteral("print")));
    EXPECT_EQ(edit->textCursor().selectionStart(), 0);
    ASSERT_TRUE(editor->FindText(QStringLiteral("print")));
    EXPECT_EQ(edit->textCursor().selectionStart(), 14);
    EXPECT_EQ(edit->textCursor().selectedText(), QStringLiteral("PRINT"));
    EXPECT_FALSE(editor->FindText(QStringLiteral("print")));
    EXPECT_EQ(messages_, QStringList{InterfaceText(65178)});

    // The selection no longer matches: the next match is found and replaced.
    QTextCursor cursor = edit->textCursor();
    cursor.setPosition(8);
    cursor.setPosition(9, QTextCursor::KeepAnchor);  // "X"
    edit->setTextCursor(cursor);
    ASSERT_TRUE(editor->ReplaceText(QStringLiteral("print"), QStringLiteral("?")));
    EXPECT_EQ(edit->toPlainText(), QStringLiteral("print a\nX = 1\n? b"));

    cursor.setPosition(0);
    edit->setTextCursor(cursor);
    EXPECT_EQ(editor->ReplaceAll(QStringLiteral("1"), QStringLiteral("11")), 1);
    EXPECT_EQ(edit->toPlainText(), QStringLiteral("print a\nX = 11\n? b"));
    editor->UndoHistory().UndoStep();
    EXPECT_EQ(edit->toPlainText(), QStringLiteral("print a\nX = 1\n? b"));
    editor->UndoHistory().UndoStep();
    EXPECT_EQ(edit->toPlainText(), QStringLiteral("print a\nX = 1\nPRINT b"));
}

TEST_F(FrameEditor, PrintingKeepsTheColoursAlsoForASelectionStartingInAString)
{
    TOVEditForm *editor = OpenWith(QStringLiteral("p.ovt"), QStringLiteral("PRINT \"a b\" ' note\r\nX = 1\r\n"));
    ASSERT_NE(editor, nullptr);
    const auto colourAt = [](QTextDocument &document, int position) {
        QTextCursor cursor(&document);
        cursor.setPosition(position + 1);
        return cursor.charFormat().foreground().color();
    };
    editor->OVEMenuPrgFormatClick();  // the print shows the colours the editor shows
    const std::unique_ptr<QTextDocument> whole = editor->PrintableDocument(false);
    const QColor stringColour = colourAt(*whole, 7);  // a
    EXPECT_NE(stringColour, colourAt(*whole, 19));     // X
    EXPECT_NE(colourAt(*whole, 14), colourAt(*whole, 19));  // the comment's n

    QTextCursor cursor = editor->Editor->textCursor();
    cursor.setPosition(8);
    cursor.setPosition(18, QTextCursor::KeepAnchor);
    editor->Editor->setTextCursor(cursor);
    const std::unique_ptr<QTextDocument> part = editor->PrintableDocument(true);
    EXPECT_EQ(part->toPlainText(), QStringLiteral(" b\" ' note"));
    EXPECT_EQ(colourAt(*part, 1), stringColour);  // b is still inside the string
    EXPECT_EQ(colourAt(*part, 6), colourAt(*whole, 14));

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(Path(QStringLiteral("p.pdf")));
    whole->print(&printer);
    EXPECT_TRUE(Bytes(Path(QStringLiteral("p.pdf"))).startsWith("%PDF"));
}

TEST_F(FrameEditor, RunFromTheEditorWritesToTheConsole)
{
    TOVEditForm *editor = frame_->NewEditor();
    editor->Editor->UndoHistory()->UndoTyping(QStringLiteral("A = 6\nPRINT A * 7"), false);
    ASSERT_TRUE(editor->OVEMenuRunOVClick());
    EXPECT_FALSE(editor->OVEMenuRunOVClick());  // one run at a time
    WaitForRun();
    const QStringList lines = console_->Memo1->toPlainText().split(u'\n');
    EXPECT_TRUE(lines.contains(QStringLiteral(" 42"))) << lines.join(u'|').toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("OK")));
    EXPECT_EQ(ErrorNumber, 0);
}

// Leaving the program after a run stopped with a channel open: no CONT can
// follow, so the channel's lines reach its file.
TEST_F(FrameEditor, EndingTheRunsWritesWhatAStoppedProgramsChannelsHold)
{
    const QString file = Path(QStringLiteral("channel.txt"));
    TOVEditForm *editor = frame_->NewEditor();
    editor->Editor->UndoHistory()->UndoTyping(
        QStringLiteral("OPEN \"%1\" FOR OUTPUT AS #1\nPRINT #1, \"abc\"\nSTOP\nPRINT #1, \"def\"").arg(file), false);
    ASSERT_TRUE(editor->OVEMenuRunOVClick());
    WaitForRun();
    ASSERT_EQ(ErrorNumber, 0);
    EndRuns(runs_);
    EXPECT_EQ(Bytes(file), QByteArray("abc\r\n"));
}

// The editor's program finds a file it includes beside its own file, while
// the current folder (in use, the documents folder) is another.
TEST_F(FrameEditor, ARunIncludesFilesBesideTheProgram)
{
    ASSERT_TRUE(WriteTextFile(Path(QStringLiteral("inc_lib.inc")), QStringLiteral("PRINT \"from the library\"\r\n"),
                              TextEncoding{}));
    TOVEditForm *editor = OpenWith(QStringLiteral("inc.ovt"), QStringLiteral("INCLUDE \"inc_lib.inc\"\r\n"));
    ASSERT_NE(editor, nullptr);
    ASSERT_NE(QDir::currentPath(), QDir(dir_.path()).absolutePath());
    ASSERT_TRUE(editor->OVEMenuRunOVClick());
    WaitForRun();
    EXPECT_EQ(ErrorNumber, 0);
    EXPECT_TRUE(console_->Memo1->toPlainText().split(u'\n').contains(QStringLiteral("from the library")))
        << console_->Memo1->toPlainText().toStdString();
}

TEST_F(FrameEditor, AFailedRunSelectsTheCharacterTheReportNames)
{
    TOVEditForm *editor = frame_->NewEditor();
    editor->Editor->UndoHistory()->UndoTyping(QStringLiteral("A = 1\nB = 2\nPRINT A +* B\nEND"), false);
    ASSERT_TRUE(editor->OVEMenuRunOVClick());
    WaitForRun();
    ASSERT_GT(ErrorNumber, 0);
    const QString memo = console_->Memo1->toPlainText();
    const QRegularExpressionMatch report = QRegularExpression(QStringLiteral(u"\\((\\d+)行,　(\\d+) 桁\\)")).match(memo);
    ASSERT_TRUE(report.hasMatch()) << memo.toStdString();

    editor->FormActivate();
    EXPECT_EQ(ErrorNumber, 0);
    int line = 0;
    int column = 0;
    editor->Editor->GetCharPos(line, column);
    EXPECT_EQ(line, report.captured(1).toInt());
    EXPECT_EQ(column, report.captured(2).toInt());
    EXPECT_EQ(editor->Editor->textCursor().selectedText().size(), 1);

    // A second activation leaves the selection alone.
    QTextCursor cursor = editor->Editor->textCursor();
    cursor.setPosition(0);
    editor->Editor->setTextCursor(cursor);
    editor->FormActivate();
    EXPECT_EQ(editor->Editor->textCursor().position(), 0);
}

TEST_F(FrameEditor, CommandLineSwitches)
{
    EXPECT_EQ(ParseCommandLine({QStringLiteral(" -r "), QStringLiteral("a.ovt")}).runMode, QStringLiteral("RUN"));
    EXPECT_EQ(ParseCommandLine({QStringLiteral("-A"), QStringLiteral("a.ovt")}).runMode, QStringLiteral("AUT"));
    const CommandLineRequest hide = ParseCommandLine({QStringLiteral("-h"), QStringLiteral("b.ovt")});
    EXPECT_EQ(hide.runMode, QStringLiteral("HIDE"));
    EXPECT_EQ(hide.fileName, QStringLiteral("b.ovt"));
    const CommandLineRequest bare = ParseCommandLine({QStringLiteral("c.ovt")});
    EXPECT_TRUE(bare.runMode.isEmpty());
    EXPECT_EQ(bare.fileName, QStringLiteral("c.ovt"));
    EXPECT_TRUE(ParseCommandLine({}).fileName.isEmpty());
    EXPECT_EQ(ParseCommandLine({QStringLiteral("-R"), QStringLiteral("./d.ovt")}, QStringLiteral("/start")).fileName,
              QStringLiteral("/start/d.ovt"));
    EXPECT_EQ(ParseCommandLine({QStringLiteral("/abs/e.ovt")}, QStringLiteral("/start")).fileName,
              QStringLiteral("/abs/e.ovt"));

    ASSERT_TRUE(WriteTextFile(Path(QStringLiteral("cl.ovt")), QStringLiteral("PRINT 5 + 5\r\n"), TextEncoding{}));
    frame_->ActOnCommandLine({Path(QStringLiteral("cl.ovt"))});
    EXPECT_EQ(frame_->Editors().size(), 1);
    EXPECT_EQ(RunThreadActive.load(), 0);
    // A relative name is found in the folder the program was started in,
    // whatever the current folder is by then.
    ASSERT_NE(QDir::currentPath(), QDir(dir_.path()).canonicalPath());
    frame_->ActOnCommandLine({QStringLiteral("-a"), QStringLiteral("./cl.ovt")}, dir_.path());
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join(u'|').toStdString();
    EXPECT_EQ(frame_->Editors().size(), 2);
    WaitForRun();
    EXPECT_TRUE(console_->Memo1->toPlainText().split(u'\n').contains(QStringLiteral(" 10")));
}

// -H minimises the frame and the console, and the console stays minimised
// through the run (its INPUT too) and after it; once the user restores it,
// a run brings it forward again.
TEST_F(FrameEditor, HiddenRunKeepsTheConsoleMinimised)
{
    const auto answer = [] {
        AnswerNextDialog<TInputNumForm>([](TInputNumForm *box) {
            QTest::keyClicks(box->Edit1, QStringLiteral("21"));
            QTest::mouseClick(box->Button1, Qt::LeftButton);
        });
    };
    console_->show();
    ASSERT_TRUE(WriteTextFile(Path(QStringLiteral("h.ovt")), QStringLiteral("INPUT A\r\nPRINT A * 2\r\n"),
                              TextEncoding{}));
    answer();
    frame_->ActOnCommandLine({QStringLiteral("-H"), Path(QStringLiteral("h.ovt"))});
    WaitForRun();
    EXPECT_TRUE(console_->Memo1->toPlainText().split(u'\n').contains(QStringLiteral(" 42")));
    EXPECT_TRUE(frame_->isMinimized());
    EXPECT_TRUE(console_->isMinimized());
    EXPECT_NE(QApplication::activeWindow(), console_.get());  // activating it would restore it

    console_->showNormal();
    answer();
    ASSERT_TRUE(frame_->Editors().last()->OVEMenuRunOVClick());
    WaitForRun();
    EXPECT_TRUE(QTest::qWaitForWindowActive(console_.get()));
}

// What -H keeps minimised is its own run: the event runs of that program
// leave the console minimised, but the user's next Cont or Run, from the
// editor or the console, brings it forward with the focus.
TEST_F(FrameEditor, AUserStartAfterAHiddenRunShowsTheConsole)
{
    const auto answer = [] {
        AnswerNextDialog<TInputNumForm>([](TInputNumForm *box) {
            QTest::keyClicks(box->Edit1, QStringLiteral("21"));
            QTest::mouseClick(box->Button1, Qt::LeftButton);
        });
    };
    const auto lines = [this] { return console_->Memo1->toPlainText().split(u'\n'); };
    const auto hiddenRun = [&] {
        answer();
        frame_->ActOnCommandLine({QStringLiteral("-H"), Path(QStringLiteral("s.ovt"))});
        WaitForRun();
        EXPECT_TRUE(console_->isMinimized());
        EXPECT_NE(QApplication::activeWindow(), console_.get());
    };
    const auto shownAndFocused = [this] {
        EXPECT_FALSE(console_->isMinimized());
        EXPECT_TRUE(QTest::qWaitForWindowActive(console_.get()));
    };
    console_->show();
    ASSERT_TRUE(WriteTextFile(Path(QStringLiteral("s.ovt")),
                              QStringLiteral("INPUT A\r\nPRINT A * 2\r\nSTOP\r\nPRINT \"resumed\"\r\nEND\r\n"
                                             "SUB CButton1_Click\r\nPRINT \"click\"\r\nEND SUB\r\n"),
                              TextEncoding{}));
    hiddenRun();
    EXPECT_TRUE(lines().contains(QStringLiteral(" 42")));

    ASSERT_TRUE(StartEventRun(runs_, QStringLiteral("CButton1_Click")));
    WaitForRun();
    EXPECT_TRUE(lines().contains(QStringLiteral("click")));
    EXPECT_TRUE(console_->isMinimized());
    EXPECT_NE(QApplication::activeWindow(), console_.get());

    ASSERT_TRUE(frame_->Editors().last()->OVEMenuContOVClick());
    WaitForRun();
    EXPECT_TRUE(lines().contains(QStringLiteral("resumed")));
    shownAndFocused();

    // A start from the console's own buttons is the user's too: the event
    // run after it brings the console forward.
    hiddenRun();
    console_->ContBtn->click();
    WaitForRun();
    EXPECT_EQ(lines().count(QStringLiteral("resumed")), 2);
    ASSERT_TRUE(StartEventRun(runs_, QStringLiteral("CButton1_Click")));
    WaitForRun();
    EXPECT_TRUE(QTest::qWaitForWindowActive(console_.get()));

    hiddenRun();
    answer();
    ASSERT_TRUE(frame_->Editors().last()->OVEMenuRunOVClick());
    WaitForRun();
    shownAndFocused();
}

// The open and save dialogs start in the folder of the file last opened or
// saved.
TEST_F(FrameEditor, FileDialogsStartInTheFolderLastUsed)
{
    ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("a")));
    ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("b")));
    ASSERT_TRUE(WriteTextFile(Path(QStringLiteral("a/p.ovt")), QStringLiteral("END\r\n"), TextEncoding{}));
    ProgramFolder = dir_.path();
    QStringList starts;
    QString choose;
    SetDialogHook([&](QDialog &dialog) {
        auto &files = static_cast<QFileDialog &>(dialog);
        starts << QDir(files.directory()).canonicalPath();
        if (choose.isEmpty())
            return int(QDialog::Rejected);
        files.selectFile(choose);
        return int(QDialog::Accepted);
    });
    choose = Path(QStringLiteral("a/p.ovt"));
    frame_->OVMMenuOpenClick();
    ASSERT_EQ(frame_->Editors().size(), 1);
    choose.clear();
    TOVEditForm *untitled = frame_->NewEditor();
    EXPECT_FALSE(untitled->OVEMenuSaveAsClick());
    ASSERT_TRUE(untitled->SaveAs(Path(QStringLiteral("b/q.ovt")), QStringLiteral("UTF-8")));
    frame_->OVMMenuOpenClick();
    SetDialogHook({});
    const QString root = QDir(dir_.path()).canonicalPath();
    EXPECT_EQ(starts, (QStringList{root, root + QStringLiteral("/a"), root + QStringLiteral("/b")}));
}

TEST_F(FrameEditor, ClosingAsksAboutModifiedEditorsAndTheExitQuestion)
{
    TOVEditForm *editor = frame_->NewEditor();
    Type(editor, QStringLiteral("PRINT 1"));
    answer_ = QMessageBox::Cancel;
    EXPECT_FALSE(frame_->close());
    EXPECT_EQ(frame_->Editors().size(), 1);
    EXPECT_EQ(messages_, QStringList{ModifiedPromptText(editor->FileName)});

    ChkMsgOn = 1;
    answer_ = QMessageBox::No;
    messages_.clear();
    EXPECT_FALSE(frame_->close());
    EXPECT_EQ(messages_, QStringList{InterfaceText(65243)});
    ChkMsgOn = 0;

    // No to saving: the editor goes and the frame closes.
    EXPECT_TRUE(frame_->close());
    EXPECT_TRUE(frame_->Editors().isEmpty());
}

// The close question of a modified editor keeps a question of one line on
// one line and shows it whole, also for names that make it wider than a
// message box usually grows (half the screen, at most 500 pixels).
TEST_F(FrameEditor, TheCloseQuestionOfAModifiedEditorStaysOnOneLine)
{
    SetMessageBoxHook({});  // the real box
    const QString names[] = {u"Untitled1"_s, u"/home/someone/Documents/programs/game.ovt"_s,
                             u"/home/someone/ドキュメント/プログラム集/ゲームその一.ovt"_s};
    for (const QString &name : names) {
        TOVEditForm *editor = frame_->NewEditor();
        editor->FileName = name;
        Type(editor, u"PRINT 1"_s);
        const QString question = ModifiedPromptText(name);
        bool asked = false;
        AnswerNextDialog<QMessageBox>([&](QMessageBox *box) {
            asked = true;
            const auto *label = box->findChild<QLabel *>(u"qt_msgbox_label"_s);
            if (label != nullptr && label->text() == question) {
                const QFontMetrics metrics = label->fontMetrics();
                EXPECT_LT(label->height(), 2 * metrics.lineSpacing()) << name.toStdString();
                EXPECT_GE(label->contentsRect().width(), metrics.horizontalAdvance(question)) << name.toStdString();
                EXPECT_TRUE(box->rect().contains(label->geometry())) << name.toStdString();
            } else {
                ADD_FAILURE() << "no label with the question";
            }
            box->button(QMessageBox::Cancel)->click();
        });
        EXPECT_FALSE(editor->parentWidget()->close());
        EXPECT_TRUE(asked) << name.toStdString();
        editor->Editor->document()->setModified(false);
        editor->parentWidget()->close();
    }
}

namespace {

// A program text of `length` characters in lines of 80 (the line break
// counted as one, as the editor counts it).
QString ProgramOfLength(int length)
{
    QString text;
    for (int i = 0; i < length; ++i)
        text += i % 80 == 79 ? u'\n' : u'A';
    return text;
}

} // namespace

// The editor takes programs up to a mebi-character here. A longer file still
// opens whole and says so; a key that the limit refuses is noted in the
// status bar.
TEST_F(FrameEditor, TheEditorTakesAMebiCharacterAndTellsWhenAFileIsLonger)
{
    TOVEditForm *editor = OpenWith(QStringLiteral("big.ovt"), ProgramOfLength(310893));
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->UndoHistory().maxLength(), 1048576);
    EXPECT_TRUE(messages_.isEmpty());
    QTest::keyClick(editor->Editor, Qt::Key_End, Qt::ControlModifier);
    Type(editor, QStringLiteral("B"));
    EXPECT_EQ(editor->Editor->document()->characterCount() - 1, 310894);
    EXPECT_TRUE(frame_->statusBar()->currentMessage().isEmpty());

    editor = OpenWith(QStringLiteral("huge.ovt"), ProgramOfLength(1048577));
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->Editor->document()->characterCount() - 1, 1048577);
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_TRUE(messages_[0].contains(QStringLiteral("1,048,577"))) << messages_[0].toStdString();
    EXPECT_TRUE(messages_[0].contains(QStringLiteral("1,048,576")));
    QTest::keyClick(editor->Editor, Qt::Key_End, Qt::ControlModifier);
    Type(editor, QStringLiteral("B"));
    EXPECT_EQ(editor->Editor->document()->characterCount() - 1, 1048577);
    EXPECT_TRUE(frame_->statusBar()->currentMessage().contains(QStringLiteral("1,048,576")));
    // An edit that does not lengthen the text is still taken.
    QTest::keyClick(editor->Editor, Qt::Key_Home);
    QTest::keyClick(editor->Editor, Qt::Key_Insert);
    Type(editor, QStringLiteral("C"));
    EXPECT_EQ(editor->Editor->document()->lastBlock().text().left(2), QStringLiteral("CA"));
    EXPECT_EQ(editor->Editor->document()->characterCount() - 1, 1048577);
}

// Every button of the replace dialog speaks Japanese.
TEST_F(FrameEditor, TheReplaceDialogsButtonsAreAllJapanese)
{
    TOVEditForm *editor = frame_->NewEditor();
    QStringList captions;
    AnswerNextDialog<QDialog>([&captions](QDialog *dialog) {
        for (const QPushButton *button : dialog->findChildren<QPushButton *>())
            captions.append(button->text());
        dialog->reject();
    });
    editor->OVEMenuSearch->actions().at(2)->trigger();
    ASSERT_EQ(captions.size(), 4);
    static const QRegularExpression latin(QStringLiteral("[A-Za-z]"));
    for (const QString &caption : captions)
        EXPECT_FALSE(caption.contains(latin)) << caption.toStdString();
    EXPECT_TRUE(captions.contains(QStringLiteral(u"すべて置換")));
    EXPECT_TRUE(captions.contains(QStringLiteral(u"閉じる")));
}
