// Keyword colouring of the program editor: reserved words, strings, comments
// and characters above code 128 outside them. The scan is a pure function
// over text; the highlighter shows its result in an editor, the whole text on
// request and each edited line after a change, and ApplyShownFormats writes
// what an editor shows as real character formats (for printing a copy).
#pragma once

#include "devices/OVGraphState.h"

#include <QList>
#include <QString>
#include <QStringView>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <functional>

class QPlainTextEdit;
class QTextBlock;
class QTextDocument;

namespace ov {

// ---------------------------------------------------------------- the scan

enum class WordClass { Plain, Keyword, Rem };

// An upper-case word: Rem for "REM", Keyword for one of ReservedWordNames
// (halving search of the sorted table), Plain otherwise.
WordClass ClassifyWord(QStringView word);

enum class ColorSpanKind : uint8_t {
    Keyword,  // a reserved word
    String,   // the inside of a string, without its quotes
    Comment,  // apostrophe comment, REM comment or brace comment
    Wide,     // characters above 128 in code: shown red and underlined
};

struct ColorSpan {
    int start = 0;   // index into the scanned text
    int length = 0;
    ColorSpanKind kind = ColorSpanKind::Keyword;
    friend bool operator==(const ColorSpan &, const ColorSpan &) = default;
};

// What a line inherits from the lines before it: a string or a brace comment
// that is still open runs on into it.
enum LineScanState : int {
    InCode = 0,
    InString = 1,
    InBraceComment = 2,
};

// Scans one line (without its line break) that starts in `state`, appends its
// spans in ascending order with `offset` added to their starts, and returns
// the state the next line starts in.
LineScanState ScanKeywordLine(QStringView line, LineScanState state, QList<ColorSpan> &spans, int offset = 0);

// Scans one line after an edit, on its own: strings and comments end at the
// line end, an opening brace is an ordinary character, and a character above
// 128 drops the word it interrupts. Spans as for ScanKeywordLine.
void ScanEditedLine(QStringView line, QList<ColorSpan> &spans, int offset = 0);

// Scans a whole text. Line breaks are "\n", "\r\n", "\r" or U+2029; a string
// or brace comment that spans lines gives one span per line, none of which
// covers a line break. Linear in the length of the text.
QList<ColorSpan> ScanKeywordSpans(QStringView text);

// ---------------------------------------------------------------- formats

// The editor's colours (0x00BBGGRR) and font styles (1 Bold, 2 Italic,
// 4 Underline, 8 StrikeOut); the defaults are those of the settings.
struct KeywordColorStyle {
    ColorValue fontColor = 0x000000;
    FontStyleSet fontStyle = 0;
    ColorValue keywordColor = 0x000000;
    FontStyleSet keywordStyle = 1;
    ColorValue commentColor = 0x008800;
    FontStyleSet commentStyle = 0;
    ColorValue stringColor = 0x880000;
    FontStyleSet stringStyle = 0;
};

// The character format of plain text and of each kind of span.
QTextCharFormat PlainTextFormat(const KeywordColorStyle &style);
QTextCharFormat SpanFormat(ColorSpanKind kind, const KeywordColorStyle &style);

// Colours the editor's document. ColourWholeText colours every line with the
// whole-text rules (strings and brace comments run on across lines); after
// that, an edit colours again only the lines it touched, each on its own
// (ScanEditedLine), and leaves every other line as it was. While the typing
// switch is off, or while suppressed, an edit colours nothing: the edited
// line keeps the colours of the characters the edit left alone, and the
// text it brings is plain. The formats are layout formats: they never touch
// the text, the modified flag or the undo records.
class TOVKeywordHighlighter : public QSyntaxHighlighter {
public:
    explicit TOVKeywordHighlighter(QTextDocument *document, const KeywordColorStyle &style = {});
    ~TOVKeywordHighlighter() override;

    const KeywordColorStyle &style() const { return style_; }

    // Asked at every edit whether edited lines are coloured; on by default.
    void setTypingSwitch(std::function<bool()> on) { typingOn_ = std::move(on); }
    // While suppressed (a file being loaded), edits colour nothing.
    void setSuppressed(bool suppressed) { suppressed_ = suppressed; }

    // Colours the whole text; `progress` hears the position of each line.
    void ColourWholeText(const std::function<void(int)> &progress = {});

protected:
    void highlightBlock(const QString &text) override;

private:
    struct Edit {
        int from = 0, removed = 0, added = 0;
    };
    bool Edited(const QTextBlock &block) const;
    void ColourLine(const QList<ColorSpan> &spans);
    void KeepFormatsOutsideEdit(const QTextBlock &block);

    KeywordColorStyle style_;
    QTextCharFormat formats_[4];
    QList<ColorSpan> spans_;
    std::function<bool()> typingOn_;
    bool suppressed_ = false;
    bool wholeText_ = false;
    std::function<void(int)> progress_;
    bool editing_ = false;  // between an edit's change signal and its colouring
    Edit edit_;
};

// Writes the colours that `shown` (an editor's document) shows into `copy`
// (a clone of it) as character formats: every character gets the plain
// format, then each coloured run its own. Meant for a copy to be printed.
void ApplyShownFormats(const QTextDocument &shown, QTextDocument &copy, const KeywordColorStyle &style);

// ---------------------------------------------------------------- tidy-up

// Texts of this many characters or more ask before the tidy-up.
constexpr int TidyUpConfirmLength = 10001;

inline bool TidyUpNeedsConfirmation(int textLength) { return textLength >= TidyUpConfirmLength; }

// The tidy-up: colours the whole text again and puts the caret at the start;
// the text and the modified flag are left as they were.
void TidyUpProgram(QPlainTextEdit &editor, TOVKeywordHighlighter &highlighter,
                   const std::function<void(int)> &progress = {});

} // namespace ov
