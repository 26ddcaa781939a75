#include "environment/OVKeywordColor.h"

#include "devices/OVKeySetting.h"
#include "environment/MyRichEdit.h"
#include "environment/OVEdit.h"
#include "environment/OVOption.h"
#include "frame_fixture.h"
#include "language/OVHeader.h"
#include "platform/OVTextEncoding.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

using namespace ov;

namespace ov {
void PrintTo(const ColorSpan &span, std::ostream *os)
{
    static const char *const kinds[] = {"Keyword", "String", "Comment", "Wide"};
    *os << kinds[int(span.kind)] << '[' << span.start << ',' << span.length << ')';
}
} // namespace ov

namespace {

using K = ColorSpanKind;

class KeywordColor : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitKeywordTables(); }
};

QList<ColorSpan> Scan(const QString &text) { return ScanKeywordSpans(text); }

ColorSpan S(int start, int length, K kind) { return ColorSpan{start, length, kind}; }

// The layout format that the highlighter gave to the character at `position`.
QTextCharFormat ShownFormat(const QTextDocument &document, int position)
{
    const QTextBlock block = document.findBlock(position);
    const int offset = position - block.position();
    for (const QTextLayout::FormatRange &range : block.layout()->formats()) {
        if (offset >= range.start && offset < range.start + range.length)
            return range.format;
    }
    return QTextCharFormat();
}

// Editors of a frame, in colours that tell keywords (red), strings (blue)
// and comments (green) apart.
class EditorColouring : public FrameFixture {
protected:
    void SetUp() override
    {
        FrameFixture::SetUp();
        UseColours(0x0000FF, 0xFF0000, 0x00FF00);
        ASSERT_TRUE(dir_.isValid());
    }
    void TearDown() override
    {
        FrameFixture::TearDown();
        UseColours(0x000000, 0x880000, 0x008800);  // the defaults
    }
    // New editors' colours, with the typing switch on.
    static void UseColours(ov::ColorValue keyword, ov::ColorValue string, ov::ColorValue comment)
    {
        ov::EditorKeywordColor = keyword;
        ov::EditorStringColor = string;
        ov::EditorCommentColor = comment;
        ov::FormatCheckOn = 1;
        ov::FormatCheckText = QStringLiteral("ON");
    }

    // A file with `text` opened as the frame opens one, coloured as a whole
    // when `colour` (the load-time colouring switch) says so.
    TOVEditForm *Open(const QString &text, bool colour)
    {
        const QString path = dir_.filePath(QStringLiteral("p.ovt"));
        EXPECT_TRUE(WriteTextFile(path, text, GetEncodingByName(QStringLiteral("UTF-8"))));
        return frame_->OpenFile(path, QStringLiteral("Auto"), colour);
    }
    static void TypeAt(TOVEditForm *editor, int position, const QString &text)
    {
        QTextCursor cursor = editor->Editor->textCursor();
        cursor.setPosition(position);
        editor->Editor->setTextCursor(cursor);
        QTest::keyClicks(editor->Editor, text);
    }
    static int LastGoto(TOVEditForm *editor)
    {
        return int(editor->Editor->toPlainText().lastIndexOf(QStringLiteral("GOTO")));
    }
    // The colour shown at `position`, or none for plain text.
    static QColor ColourAt(TOVEditForm *editor, int position)
    {
        const QTextCharFormat format = ShownFormat(*editor->Editor->document(), position);
        return format.hasProperty(QTextFormat::ForegroundBrush) ? format.foreground().color() : QColor();
    }

    const QColor red{255, 0, 0};
    const QColor blue{0, 0, 255};
    QTemporaryDir dir_;
};

} // namespace

// The halving search reaches every reserved word, the first and last included.
TEST_F(KeywordColor, ClassifiesWords)
{
    for (int i = 1; i <= ReservedWordCount; ++i) {
        const WordClass expected = ReservedWordNames[i] == u"REM" ? WordClass::Rem : WordClass::Keyword;
        EXPECT_EQ(ClassifyWord(ReservedWordNames[i]), expected) << ReservedWordNames[i].toStdString();
    }
    EXPECT_EQ(ClassifyWord(u"PRINT"), WordClass::Plain);
    EXPECT_EQ(ClassifyWord(u"REMARK"), WordClass::Plain);
    EXPECT_EQ(ClassifyWord(u"A"), WordClass::Plain);
    EXPECT_EQ(ClassifyWord(u"ZZZ"), WordClass::Plain);
    EXPECT_EQ(ClassifyWord(u""), WordClass::Plain);
}

// Every reserved word is coloured by the scan in either letter case, the
// longest ones included; a letter more makes it a plain name.
TEST_F(KeywordColor, EveryReservedWordIsColoured)
{
    qsizetype longest = 0;
    QStringList words;
    for (int i = 1; i <= ReservedWordCount; ++i) {
        const QString &word = ReservedWordNames[i];
        longest = std::max(longest, word.size());
        if (word == u"REM")
            continue;
        words << word;
        for (const QString &form : {word, word.toLower()}) {
            const int size = int(form.size());
            EXPECT_EQ(Scan(QStringLiteral("X ") + form), QList<ColorSpan>{S(2, size, K::Keyword)}) << form.toStdString();
            EXPECT_EQ(Scan(form + QStringLiteral(" 1")), QList<ColorSpan>{S(0, size, K::Keyword)}) << form.toStdString();
            EXPECT_EQ(Scan(QStringLiteral("X ") + form + QStringLiteral("S")), QList<ColorSpan>{}) << form.toStdString();
        }
    }
    EXPECT_EQ(longest, 8);
    EXPECT_TRUE(words.contains(QStringLiteral("FUNCTION")));
    EXPECT_TRUE(words.contains(QStringLiteral("EXPLICIT")));
    EXPECT_EQ(Scan("OPTION EXPLICIT\nFunction F(X)"),
              (QList<ColorSpan>{S(0, 6, K::Keyword), S(7, 8, K::Keyword), S(16, 8, K::Keyword)}));
}

// A word is coloured when a blank, a line end or the end of the text follows.
TEST_F(KeywordColor, ReservedWords)
{
    EXPECT_EQ(Scan("GOTO 10"), QList<ColorSpan>{S(0, 4, K::Keyword)});
    EXPECT_EQ(Scan("goto 10"), QList<ColorSpan>{S(0, 4, K::Keyword)});
    EXPECT_EQ(Scan("CALL(X)"), QList<ColorSpan>{});
    EXPECT_EQ(Scan("PRINT X"), QList<ColorSpan>{});
    EXPECT_EQ(Scan("GOTO10"), QList<ColorSpan>{});
    EXPECT_EQ(Scan("IF A THEN"), (QList<ColorSpan>{S(0, 2, K::Keyword), S(5, 4, K::Keyword)}));
    EXPECT_EQ(Scan("NEXT\r\nFor I"), (QList<ColorSpan>{S(0, 4, K::Keyword), S(6, 3, K::Keyword)}));
    // A keyword before a string is judged by what follows the string.
    EXPECT_EQ(Scan("TO\"x\" Y"), (QList<ColorSpan>{S(0, 2, K::Keyword), S(3, 1, K::String)}));
    EXPECT_EQ(Scan("TO\"x\"(Y"), QList<ColorSpan>{S(3, 1, K::String)});
}

TEST_F(KeywordColor, Strings)
{
    EXPECT_EQ(Scan("A$ = \"abc\" + \"\" + \"IF\""),
              (QList<ColorSpan>{S(6, 3, K::String), S(19, 2, K::String)}));
    // An unclosed string runs on through the following lines to the next quote.
    EXPECT_EQ(Scan("A$ = \"ab\nGOTO 1\ncd\" END"),
              (QList<ColorSpan>{S(6, 2, K::String), S(9, 6, K::String), S(16, 2, K::String),
                                S(20, 3, K::Keyword)}));
    EXPECT_EQ(Scan("\"open"), QList<ColorSpan>{S(1, 4, K::String)});
}

TEST_F(KeywordColor, CommentForms)
{
    // Apostrophe: from the apostrophe to the line end only.
    EXPECT_EQ(Scan("X = 1 ' GOTO \"x\"\nGOTO 2"),
              (QList<ColorSpan>{S(6, 10, K::Comment), S(17, 4, K::Keyword)}));
    // REM: from the R to the line end; a word that only begins with REM is none.
    EXPECT_EQ(Scan("10 rem GOTO \"a\n END"), (QList<ColorSpan>{S(3, 11, K::Comment), S(16, 3, K::Keyword)}));
    EXPECT_EQ(Scan("REMARK X"), QList<ColorSpan>{});
    EXPECT_EQ(Scan("X: REM"), QList<ColorSpan>{S(3, 3, K::Comment)});
    EXPECT_EQ(Scan("REM\"x\" y"), QList<ColorSpan>{S(0, 8, K::Comment)});
    // Brace: from after the opening brace through the closing one, across lines.
    EXPECT_EQ(Scan("{a\nb} IF X"),
              (QList<ColorSpan>{S(1, 1, K::Comment), S(3, 2, K::Comment), S(6, 2, K::Keyword)}));
    EXPECT_EQ(Scan("X {GOTO} END"), (QList<ColorSpan>{S(3, 5, K::Comment), S(9, 3, K::Keyword)}));
}

// Characters above 128 in code are marked, not inside strings or comments;
// a surrogate pair is one mark of two code units.
TEST_F(KeywordColor, JapaneseText)
{
    EXPECT_EQ(Scan(QStringLiteral("X = 全角 + 1")), QList<ColorSpan>{S(4, 2, K::Wide)});
    EXPECT_EQ(Scan(QStringLiteral("PRINT \"日本語\" ' 漢字")), (QList<ColorSpan>{S(7, 3, K::String), S(12, 4, K::Comment)}));
    EXPECT_EQ(Scan(QStringLiteral("𠮷 GOTO")), (QList<ColorSpan>{S(0, 2, K::Wide), S(3, 4, K::Keyword)}));
    // A word interrupted by such a character is judged as it stood; letters
    // after it begin a new word.
    EXPECT_EQ(Scan(QStringLiteral("GOTO全 1")), (QList<ColorSpan>{S(0, 4, K::Keyword), S(4, 1, K::Wide)}));
    EXPECT_EQ(Scan(QStringLiteral("GO全TO 1")), (QList<ColorSpan>{S(2, 1, K::Wide), S(3, 2, K::Keyword)}));
    EXPECT_EQ(Scan(QStringLiteral("REM日本語")), QList<ColorSpan>{S(0, 6, K::Comment)});
}

// An edited line is scanned on its own: strings and comments end at its end,
// a brace opens nothing, and a character above 128 drops the word it
// interrupts.
TEST_F(KeywordColor, EditedLineRules)
{
    const auto scan = [](const QString &line) {
        QList<ColorSpan> spans;
        ScanEditedLine(line, spans, 10);
        return spans;
    };
    EXPECT_EQ(scan("x = \"abc"), QList<ColorSpan>{S(15, 3, K::String)});
    EXPECT_EQ(scan("TO\"x\" Y"), (QList<ColorSpan>{S(10, 2, K::Keyword), S(13, 1, K::String)}));
    EXPECT_EQ(scan("{ GOTO 1"), QList<ColorSpan>{S(12, 4, K::Keyword)});
    EXPECT_EQ(scan("X {GOTO} END"), QList<ColorSpan>{S(19, 3, K::Keyword)});
    EXPECT_EQ(scan("10 rem \"a"), QList<ColorSpan>{S(13, 6, K::Comment)});
    EXPECT_EQ(scan("' note"), QList<ColorSpan>{S(10, 6, K::Comment)});
    EXPECT_EQ(scan(QStringLiteral("GOTO全 1")), QList<ColorSpan>{S(14, 1, K::Wide)});
    EXPECT_EQ(scan(QStringLiteral("REM日本語")), QList<ColorSpan>{S(13, 3, K::Wide)});
}

// The whole-text colouring runs strings on across lines; an edit colours
// again only the line it touched, on its own, and with the typing switch off
// only moves the colours the line had. The modified flag is never touched.
TEST_F(KeywordColor, HighlighterFollowsEdits)
{
    QPlainTextEdit editor;
    editor.setPlainText(QStringLiteral("IF A THEN\nB = 1\nEND IF"));
    editor.document()->setModified(false);
    KeywordColorStyle style;
    style.keywordColor = 0x0000FF;  // red
    style.stringColor = 0xFF0000;   // blue
    TOVKeywordHighlighter highlighter(editor.document(), style);
    highlighter.ColourWholeText();
    const QTextDocument &document = *editor.document();
    const QColor red(255, 0, 0);
    const QColor blue(0, 0, 255);

    EXPECT_EQ(ShownFormat(document, 0).foreground().color(), red);
    EXPECT_EQ(ShownFormat(document, 0).fontWeight(), QFont::Bold);
    EXPECT_FALSE(ShownFormat(document, 3).hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_EQ(ShownFormat(document, 16).foreground().color(), red);  // END

    // A quote opened on the first line makes a string of that line's rest only.
    QTextCursor cursor(editor.document());
    cursor.setPosition(3);
    cursor.insertText(QStringLiteral("\""));
    EXPECT_EQ(ShownFormat(document, 4).foreground().color(), blue);
    EXPECT_FALSE(ShownFormat(document, 11).hasProperty(QTextFormat::ForegroundBrush));  // B
    EXPECT_EQ(ShownFormat(document, 17).foreground().color(), red);                     // END
    highlighter.ColourWholeText();
    EXPECT_EQ(ShownFormat(document, 11).foreground().color(), blue);
    EXPECT_EQ(ShownFormat(document, 17).foreground().color(), blue);
    cursor.deletePreviousChar();
    EXPECT_FALSE(ShownFormat(document, 3).hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_EQ(ShownFormat(document, 10).foreground().color(), blue);  // untouched line
    highlighter.ColourWholeText();
    EXPECT_EQ(ShownFormat(document, 16).foreground().color(), red);

    // Switched off: the typed text is plain, the rest keeps its colours.
    highlighter.setTypingSwitch([] { return false; });
    cursor.setPosition(16);
    cursor.insertText(QStringLiteral("IF "));
    EXPECT_FALSE(ShownFormat(document, 16).hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_EQ(ShownFormat(document, 19).foreground().color(), red);  // END, moved
    EXPECT_EQ(ShownFormat(document, 23).foreground().color(), red);  // IF
    EXPECT_FALSE(ShownFormat(document, 22).hasProperty(QTextFormat::ForegroundBrush));

    editor.document()->setModified(false);
    editor.moveCursor(QTextCursor::End);
    TidyUpProgram(editor, highlighter);
    EXPECT_EQ(ShownFormat(document, 16).foreground().color(), red);
    EXPECT_EQ(editor.textCursor().position(), 0);
    EXPECT_FALSE(editor.document()->isModified());
    EXPECT_TRUE(TidyUpNeedsConfirmation(10001));
    EXPECT_FALSE(TidyUpNeedsConfirmation(10000));
}

// The formats written for printing are what the editor shows, as real
// character formats of the copy.
TEST_F(KeywordColor, PrintCopyCarriesFormats)
{
    QTextDocument original(QStringLiteral("GOTO 1 ' note\nX = \"s\" + 全"));
    KeywordColorStyle style;
    style.fontColor = 0x112233;
    style.commentColor = 0x00FF00;
    style.commentStyle = 2;
    TOVKeywordHighlighter highlighter(&original, style);
    highlighter.ColourWholeText();
    std::unique_ptr<QTextDocument> copy(original.clone());
    ApplyShownFormats(original, *copy, style);
    auto formatAt = [&](int position) {
        QTextCursor cursor(copy.get());
        cursor.setPosition(position + 1);
        return cursor.charFormat();
    };
    EXPECT_EQ(formatAt(0).fontWeight(), QFont::Bold);
    EXPECT_EQ(formatAt(4).foreground().color(), QColor(0x33, 0x22, 0x11));
    EXPECT_EQ(formatAt(4).fontWeight(), QFont::Normal);
    EXPECT_EQ(formatAt(9).foreground().color(), QColor(0, 255, 0));
    EXPECT_TRUE(formatAt(9).fontItalic());
    EXPECT_EQ(formatAt(19).foreground().color(), QColor(0, 0, 0x88));
    EXPECT_EQ(formatAt(24).foreground().color(), QColor(255, 0, 0));
    EXPECT_TRUE(formatAt(24).fontUnderline());
    EXPECT_EQ(copy->toPlainText(), original.toPlainText());
}

// A text of a million characters colours in one linear pass; the editor's
// highlighter gets through it too.
TEST_F(KeywordColor, MillionCharacterText)
{
    const QString line = QStringLiteral("FOR I = 1 TO 10: PRINT \"値\"; I ' loop {x} REM 終わり");
    QString text;
    while (text.size() < 1000000)
        text += line + u'\n';
    const QList<ColorSpan> spans = ScanKeywordSpans(text);
    const int lines = int(text.size() / (line.size() + 1));
    EXPECT_EQ(spans.size(), 4 * lines);

    QTextDocument document(text);
    TOVKeywordHighlighter highlighter(&document);
    highlighter.ColourWholeText();
    EXPECT_EQ(document.lastBlock().previous().layout()->formats().size(), 4);
}

// Typing colours the edited line on its own: a quote or a brace opened there
// reaches no further line, however long the program; the whole-text
// colouring still runs them on.
TEST_F(EditorColouring, TypingRecoloursTheEditedLineOnly)
{
    QString text = QStringLiteral("\r\n");
    for (int i = 0; i < 500; ++i)
        text += QStringLiteral("GOTO 10\r\n");
    TOVEditForm *editor = Open(text, true);
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(ColourAt(editor, 1), red);
    EXPECT_FALSE(editor->IsModified());

    TypeAt(editor, 0, QStringLiteral("x = \"abc"));
    EXPECT_EQ(editor->Editor->toPlainText().left(9), QStringLiteral("x = \"abc\n"));
    EXPECT_EQ(ColourAt(editor, 5), blue);
    EXPECT_EQ(ColourAt(editor, 7), blue);
    EXPECT_EQ(ColourAt(editor, 9), red);        // GOTO on the next line
    EXPECT_EQ(ColourAt(editor, 14), QColor());  // its 10
    EXPECT_EQ(ColourAt(editor, LastGoto(editor)), red);

    // A brace typed on the second line opens no comment.
    TypeAt(editor, 16, QStringLiteral(" { GOTO 2"));
    EXPECT_EQ(ColourAt(editor, 19), red);
    EXPECT_EQ(ColourAt(editor, 26), red);  // GOTO on the third line

    // The tidy-up colours as a whole: the open string runs on.
    editor->OVEMenuPrgFormatClick();
    EXPECT_EQ(ColourAt(editor, 9), blue);
    EXPECT_EQ(ColourAt(editor, LastGoto(editor)), blue);
}

// The typing switch of the preferences reaches editors already open, and the
// tidy-up does not turn it on.
TEST_F(EditorColouring, TypingSwitchReachesOpenEditors)
{
    TOVEditForm *editor = frame_->NewEditor();
    ASSERT_NE(editor, nullptr);
    TypeAt(editor, 0, QStringLiteral("GOTO 1"));
    EXPECT_EQ(ColourAt(editor, 0), red);

    frame_->OVMMenuPreferenceSetting->trigger();
    TOVOptionFrame *form = frame_->findChildren<TOVOptionFrame *>().constLast();
    ASSERT_TRUE(form->FormatCheckBox->isChecked());
    form->FormatCheckBox->setChecked(false);
    form->NoRadioButton->setChecked(true);  // nothing is written
    form->SaveExitButton->click();
    ov::ChkMsgOn = 0;
    ASSERT_EQ(ov::FormatCheckOn, 0);

    QTest::keyClick(editor->Editor, Qt::Key_End);
    QTest::keyClick(editor->Editor, Qt::Key_Return);
    QTest::keyClicks(editor->Editor, QStringLiteral("GOTO 2"));
    EXPECT_EQ(ColourAt(editor, 7), QColor());
    EXPECT_EQ(ColourAt(editor, 0), red);  // the first line keeps its colours

    editor->OVEMenuPrgFormatClick();
    EXPECT_EQ(ColourAt(editor, 7), red);
    QTest::keyClick(editor->Editor, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(editor->Editor, Qt::Key_Return);
    QTest::keyClicks(editor->Editor, QStringLiteral("GOTO 3 \"s"));
    EXPECT_EQ(ColourAt(editor, 14), QColor());
    EXPECT_EQ(ColourAt(editor, 22), QColor());
    EXPECT_EQ(ColourAt(editor, 7), red);

    ov::FormatCheckOn = 1;
    QTest::keyClicks(editor->Editor, QStringLiteral("\" GOTO"));
    EXPECT_EQ(ColourAt(editor, 14), red);
    EXPECT_EQ(ColourAt(editor, 22), blue);
}
