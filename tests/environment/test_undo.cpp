#include "environment/myUndo.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <gtest/gtest.h>

using namespace ov;

namespace {

class Undo : public ::testing::Test {
protected:
    void SetUp() override { savedClipboard_ = Clipboard(); }
    void TearDown() override { SetClipboard(savedClipboard_); }

    static QString Clipboard() { return QGuiApplication::clipboard()->text(); }
    static void SetClipboard(const QString &text) { QGuiApplication::clipboard()->setText(text); }

    void Start(const QString &text, int caret = -1)
    {
        editor.setPlainText(text);
        Select(caret < 0 ? int(text.size()) : caret);
    }
    void Select(int anchor, int position = -1)
    {
        QTextCursor cursor(editor.document());
        cursor.setPosition(anchor);
        cursor.setPosition(position < 0 ? anchor : position, QTextCursor::KeepAnchor);
        editor.setTextCursor(cursor);
    }
    QString Text() const { return editor.toPlainText(); }
    int UndoAll()
    {
        int steps = 0;
        for (; history.CanUndo(); ++steps)
            history.UndoStep();
        return steps;
    }

    QPlainTextEdit editor;
    my_UndoClass history{&editor};
    QString savedClipboard_;
};

const QString kPair = QStringLiteral("𠮷");  // one character, two code units

} // namespace

// Typing, undo and redo; a new edit gives up what was undone.
TEST_F(Undo, Typing)
{
    history.UndoTyping(QStringLiteral("a"), false);
    history.UndoTyping(QStringLiteral("b"), false);
    EXPECT_EQ(UndoAll(), 2);
    EXPECT_EQ(Text(), "");
    history.RedoStep();
    history.RedoStep();
    EXPECT_EQ(Text(), "ab");
    EXPECT_FALSE(history.CanRedo());
    history.UndoStep();
    history.UndoTyping(QStringLiteral("c"), false);
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(Text(), "ac");

    // Insert mode keeps a selection and types before it.
    Start(QStringLiteral("abcd"));
    Select(1, 3);
    history.UndoTyping(QStringLiteral("X"), false);
    EXPECT_EQ(Text(), "aXbcd");
    history.UndoStep();
    EXPECT_EQ(Text(), "abcd");

    // Overwrite replaces a whole character, never the line break.
    Start("a" + kPair + "c\nd", 1);
    history.UndoTyping(QStringLiteral("Z"), true);
    EXPECT_EQ(Text(), "aZc\nd");
    history.UndoStep();
    EXPECT_EQ(Text(), "a" + kPair + "c\nd");
    Select(4);
    history.UndoTyping(QStringLiteral("Z"), true);
    EXPECT_EQ(Text(), "a" + kPair + "cZ\nd");
    history.UndoStep();
    EXPECT_EQ(Text(), "a" + kPair + "c\nd");
}

// Enter, Delete and Backspace, each one step; surrogate pairs go whole.
TEST_F(Undo, EnterDeleteBackspace)
{
    Start("ab" + kPair, 2);
    history.UndoEnter();
    EXPECT_EQ(Text(), "ab\n" + kPair);
    history.UndoDeleteKey();
    EXPECT_EQ(Text(), "ab\n");
    history.UndoBackspace();
    history.UndoBackspace();
    EXPECT_EQ(Text(), "a");
    history.UndoStep();
    EXPECT_EQ(Text(), "ab");
    history.UndoStep();
    EXPECT_EQ(Text(), "ab\n");
    history.UndoStep();
    EXPECT_EQ(Text(), "ab\n" + kPair);
    history.UndoStep();
    EXPECT_EQ(Text(), "ab" + kPair);
    EXPECT_FALSE(history.CanUndo());
    for (int i = 0; i < 4; ++i)
        history.RedoStep();
    EXPECT_EQ(Text(), "a");

    Start("x" + kPair + "y", 3);
    history.UndoBackspace();
    EXPECT_EQ(Text(), "xy");
    history.UndoStep();
    EXPECT_EQ(Text(), "x" + kPair + "y");

    // Nothing to delete: no record.
    Start(QStringLiteral("q"), 0);
    history.UndoBackspace();
    Select(1);
    history.UndoDeleteKey();
    EXPECT_FALSE(history.CanUndo());
}

// Cut, copy and paste, their undo giving the clipboard back.
TEST_F(Undo, ClipboardEdits)
{
    SetClipboard(QStringLiteral("before"));
    Start(QStringLiteral("abcd"));
    Select(1, 3);
    history.UndoCut();
    EXPECT_EQ(Text(), "ad");
    EXPECT_EQ(Clipboard(), "bc");
    history.UndoStep();
    EXPECT_EQ(Text(), "abcd");
    EXPECT_EQ(Clipboard(), "before");
    history.RedoStep();
    EXPECT_EQ(Text(), "ad");
    EXPECT_EQ(Clipboard(), "bc");

    // A pasted "\r\n" becomes one line break: undo removes just that.
    SetClipboard(QStringLiteral("X\r\nY"));
    Select(0, 1);
    history.UndoPaste();
    EXPECT_EQ(Text(), "X\nYd");
    history.UndoStep();
    EXPECT_EQ(Text(), "ad");
    EXPECT_EQ(editor.textCursor().position(), 1);
    history.RedoStep();
    EXPECT_EQ(Text(), "X\nYd");

    Select(0, 3);
    history.UndoCopy();
    EXPECT_EQ(Clipboard(), "X\nY");
    EXPECT_FALSE(editor.textCursor().hasSelection());
    history.UndoStep();
    EXPECT_EQ(Clipboard(), "X\r\nY");
    EXPECT_EQ(editor.textCursor().selectedText(), QStringLiteral("X\x2029Y"));

    // An empty clipboard pastes nothing and records nothing.
    Start(QStringLiteral("z"));
    SetClipboard(QString());
    history.UndoPaste();
    EXPECT_EQ(Text(), "z");
    EXPECT_FALSE(history.CanUndo());
}

// A replacement is one step; a group (replace all, a drag) is one step too.
TEST_F(Undo, ReplaceDropAndGroups)
{
    Start(QStringLiteral("a a a"));
    history.BeginGroup();
    for (int start : {0, 3, 6}) {
        Select(start, start + 1);
        history.UndoReplace(QStringLiteral("bb"));
    }
    history.EndGroup();
    Select(0, 2);
    history.UndoReplace(QStringLiteral("c"));
    EXPECT_EQ(Text(), "c bb bb");
    history.UndoStep();
    EXPECT_EQ(Text(), "bb bb bb");
    history.UndoStep();
    EXPECT_EQ(Text(), "a a a");
    history.RedoStep();
    EXPECT_EQ(Text(), "bb bb bb");

    Start(QStringLiteral("hello world"));
    Select(0, 5);
    history.UndoDrop(11, QStringLiteral("hello"), true);
    EXPECT_EQ(Text(), " worldhello");
    EXPECT_EQ(editor.textCursor().selectedText(), "hello");
    history.UndoDrop(8, QStringLiteral("hello"), true);  // into its own selection
    EXPECT_EQ(Text(), " worldhello");
    history.UndoDrop(0, QStringLiteral(">"), false);
    history.UndoInsertAt(1, QStringLiteral("|"));
    EXPECT_EQ(Text(), ">| worldhello");
    EXPECT_EQ(editor.textCursor().position(), 2);
    EXPECT_EQ(UndoAll(), 3);
    EXPECT_EQ(Text(), "hello world");
    history.RedoStep();
    EXPECT_EQ(Text(), " worldhello");
}

TEST_F(Undo, RingCapacity)
{
    for (int i = 0; i < 1000; ++i)
        history.UndoPushRecord(my_UndoClass::Record{});
    EXPECT_EQ(UndoAll(), 999);

    history.UndoInit(5);
    EXPECT_EQ(history.Capacity(), 100);
    history.UndoInit(20000);
    EXPECT_EQ(history.Capacity(), 10000);

    // Undo and redo across the ring's end replay the records in order.
    history.UndoInit(100);
    QString typed;
    for (int i = 0; i < 120; ++i) {
        typed += QChar(u'a' + i % 26);
        history.UndoTyping(typed.right(1), false);
    }
    for (int i = 0; i < 50; ++i)
        history.UndoStep();
    EXPECT_EQ(Text(), typed.left(70));
    for (int i = 0; i < 50; ++i)
        history.RedoStep();
    EXPECT_EQ(Text(), typed);
    EXPECT_EQ(UndoAll(), 99);
    EXPECT_EQ(Text(), typed.left(21));
}

// The length limit cuts an insertion at a whole character and the record
// holds what went in; an edit made around the history empties it.
TEST_F(Undo, LimitAndOutsideEdits)
{
    history.setMaxLength(5);
    Start(QStringLiteral("ab"));
    SetClipboard("12" + kPair + "4");
    history.UndoPaste();
    EXPECT_EQ(Text(), "ab12");
    history.UndoTyping(QStringLiteral("xyz"), false);
    EXPECT_EQ(Text(), "ab12x");
    history.UndoStep();
    history.UndoStep();
    EXPECT_EQ(Text(), "ab");

    history.setMaxLength(0);
    history.UndoTyping(QStringLiteral("c"), false);
    editor.setPlainText(QStringLiteral("loaded"));
    EXPECT_FALSE(history.CanUndo());
    history.UndoStep();
    EXPECT_EQ(Text(), "loaded");
}
