#include "environment/OVKeywordColor.h"
#include "language/OVHeader.h"

#include <QPlainTextEdit>
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

// The editor shows the whole-text scan's colours and keeps them up to date
// as lines change, without touching the modified flag.
TEST_F(KeywordColor, HighlighterFollowsEdits)
{
    QPlainTextEdit editor;
    editor.setPlainText(QStringLiteral("IF A THEN\nB = 1\nEND IF"));
    editor.document()->setModified(false);
    KeywordColorStyle style;
    style.keywordColor = 0x0000FF;  // red
    style.stringColor = 0xFF0000;   // blue
    TOVKeywordHighlighter highlighter(editor.document(), style);
    highlighter.rehighlight();
    const QTextDocument &document = *editor.document();

    EXPECT_EQ(ShownFormat(document, 0).foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(ShownFormat(document, 0).fontWeight(), QFont::Bold);
    EXPECT_FALSE(ShownFormat(document, 3).hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_EQ(ShownFormat(document, 16).foreground().color(), QColor(255, 0, 0));  // END

    // Opening a string on the first line turns the next lines into string.
    QTextCursor cursor(editor.document());
    cursor.setPosition(3);
    cursor.insertText(QStringLiteral("\""));
    EXPECT_EQ(ShownFormat(document, 4).foreground().color(), QColor(0, 0, 255));
    EXPECT_EQ(ShownFormat(document, 17).foreground().color(), QColor(0, 0, 255));
    cursor.deletePreviousChar();
    EXPECT_EQ(ShownFormat(document, 16).foreground().color(), QColor(255, 0, 0));

    highlighter.setActive(false);
    EXPECT_FALSE(ShownFormat(document, 0).hasProperty(QTextFormat::ForegroundBrush));
    editor.document()->setModified(false);
    editor.moveCursor(QTextCursor::End);
    TidyUpProgram(editor, highlighter);
    EXPECT_TRUE(highlighter.isActive());
    EXPECT_EQ(ShownFormat(document, 0).foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(editor.textCursor().position(), 0);
    EXPECT_FALSE(editor.document()->isModified());
    EXPECT_TRUE(TidyUpNeedsConfirmation(10001));
    EXPECT_FALSE(TidyUpNeedsConfirmation(10000));
}

// The formats written for printing are real character formats of the copy.
TEST_F(KeywordColor, PrintCopyCarriesFormats)
{
    QTextDocument original(QStringLiteral("GOTO 1 ' note\nX = \"s\" + 全"));
    std::unique_ptr<QTextDocument> copy(original.clone());
    KeywordColorStyle style;
    style.fontColor = 0x112233;
    style.commentColor = 0x00FF00;
    style.commentStyle = 2;
    ApplyKeywordFormats(*copy, style);
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
    highlighter.rehighlight();
    EXPECT_EQ(document.lastBlock().previous().layout()->formats().size(), 4);
}
