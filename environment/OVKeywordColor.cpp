#include "environment/OVKeywordColor.h"

#include "devices/OVQColor.h"
#include "language/OVHeader.h"

#include <QColor>
#include <QCoreApplication>
#include <QFont>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>

namespace ov {

// ---------------------------------------------------------------- the scan

WordClass ClassifyWord(QStringView word)
{
    if (word == u"REM")
        return WordClass::Rem;
    // Halving with the middle rounded half to even, as the lexer searches.
    int low = 1;
    int high = ReservedWordCount;
    int middle = 0;
    int order = 0;
    do {
        const int sum = low + high;
        middle = sum / 2;
        if (sum % 2 != 0 && middle % 2 != 0)
            ++middle;
        order = QStringView(ReservedWordNames[middle]).compare(word);
        if (order > 0)
            high = middle - 1;
        else
            low = middle + 1;
    } while (order != 0 && low <= high);
    return order == 0 ? WordClass::Keyword : WordClass::Plain;
}

namespace {

constexpr int kLongestReservedWord = 8;  // "EXPLICIT", "FUNCTION"

bool IsAsciiLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

WordClass ClassifyLetters(QStringView letters)
{
    if (letters.size() > kLongestReservedWord)
        return WordClass::Plain;
    char16_t upper[kLongestReservedWord];
    for (qsizetype i = 0; i < letters.size(); ++i) {
        const char16_t c = letters[i].unicode();
        upper[i] = (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
    }
    return ClassifyWord(QStringView(upper, letters.size()));
}

// One line of the scan. A word is a run of letters; it is judged when a blank,
// the line end or an opening quote, apostrophe or brace follows (these leave
// it pending until the line end or the next blank). Any other character drops
// it, and so do letters after such an interruption, which start a new word.
// An edited line is scanned on its own: a brace is an ordinary character and
// a character above 128 drops the word.
class LineScanner {
public:
    LineScanner(QStringView line, QList<ColorSpan> &spans, int offset, bool editedLine = false)
        : line_(line), spans_(spans), offset_(offset), size_(int(line.size())), editedLine_(editedLine)
    {
    }

    LineScanState Run(LineScanState state)
    {
        int p = 0;
        if (state == InString) {
            const int close = int(line_.indexOf(u'"'));
            if (close < 0) {
                Add(0, size_, ColorSpanKind::String);
                return InString;
            }
            Add(0, close, ColorSpanKind::String);
            p = close + 1;
        } else if (state == InBraceComment) {
            const int close = int(line_.indexOf(u'}'));
            if (close < 0) {
                Add(0, size_, ColorSpanKind::Comment);
                return InBraceComment;
            }
            Add(0, close + 1, ColorSpanKind::Comment);
            p = close + 1;
        }
        state = InCode;

        while (p < size_) {
            const char16_t c = line_[p].unicode();
            if (IsAsciiLetter(c)) {
                if (wordStart_ >= 0 && interrupted_)
                    DropWord();
                if (wordStart_ < 0) {
                    wordStart_ = p;
                    wordLength_ = 0;
                    wordMark_ = spans_.size();
                }
                ++wordLength_;
                ++p;
            } else if (c == u' ') {
                if (EndWord())
                    return InCode;  // REM: the rest of the line is its comment
                ++p;
            } else if (c == u'"') {
                Interrupt();
                const int close = int(line_.indexOf(u'"', p + 1));
                if (close < 0) {
                    Add(p + 1, size_ - p - 1, ColorSpanKind::String);
                    state = InString;
                    p = size_;
                } else {
                    Add(p + 1, close - p - 1, ColorSpanKind::String);
                    p = close + 1;
                }
            } else if (c == u'\'') {
                Interrupt();
                Add(p, size_ - p, ColorSpanKind::Comment);
                p = size_;
            } else if (c == u'{' && !editedLine_) {
                Interrupt();
                const int close = int(line_.indexOf(u'}', p + 1));
                if (close < 0) {
                    Add(p + 1, size_ - p - 1, ColorSpanKind::Comment);
                    state = InBraceComment;
                    p = size_;
                } else {
                    Add(p + 1, close - p, ColorSpanKind::Comment);
                    p = close + 1;
                }
            } else if (c > 128) {
                if (editedLine_)
                    DropWord();
                else
                    Interrupt();
                if (!spans_.isEmpty() && spans_.back().kind == ColorSpanKind::Wide
                    && spans_.back().start + spans_.back().length == offset_ + p)
                    ++spans_.back().length;
                else
                    Add(p, 1, ColorSpanKind::Wide);
                ++p;
            } else {
                DropWord();
                ++p;
            }
        }
        // The line end judges a pending word; a REM comment there also ends a
        // string or brace comment opened after the REM.
        return EndWord() ? InCode : state;
    }

private:
    void Add(int start, int length, ColorSpanKind kind)
    {
        if (length > 0)
            spans_.append(ColorSpan{offset_ + start, length, kind});
    }

    void Interrupt()
    {
        if (wordStart_ >= 0)
            interrupted_ = true;
    }

    void DropWord()
    {
        wordStart_ = -1;
        interrupted_ = false;
    }

    // Judges the pending word. Returns true when it was REM: the spans after
    // it give way to its comment, which runs to the line end.
    bool EndWord()
    {
        if (wordStart_ < 0)
            return false;
        const WordClass kind = ClassifyLetters(line_.mid(wordStart_, wordLength_));
        if (kind == WordClass::Rem) {
            spans_.resize(wordMark_);
            Add(wordStart_, size_ - wordStart_, ColorSpanKind::Comment);
        } else if (kind == WordClass::Keyword) {
            // Before the spans of whatever interrupted it, keeping the order.
            spans_.insert(wordMark_, ColorSpan{offset_ + wordStart_, wordLength_, ColorSpanKind::Keyword});
        }
        DropWord();
        return kind == WordClass::Rem;
    }

    QStringView line_;
    QList<ColorSpan> &spans_;
    const int offset_;
    const int size_;
    int wordStart_ = -1;
    int wordLength_ = 0;
    qsizetype wordMark_ = 0;  // spans_.size() when the word began
    bool interrupted_ = false;
    const bool editedLine_;
};

bool IsLineBreak(char16_t c) { return c == u'\n' || c == u'\r' || c == u'\x2029'; }

} // namespace

LineScanState ScanKeywordLine(QStringView line, LineScanState state, QList<ColorSpan> &spans, int offset)
{
    return LineScanner(line, spans, offset).Run(state);
}

void ScanEditedLine(QStringView line, QList<ColorSpan> &spans, int offset)
{
    LineScanner(line, spans, offset, true).Run(InCode);
}

QList<ColorSpan> ScanKeywordSpans(QStringView text)
{
    QList<ColorSpan> spans;
    LineScanState state = InCode;
    const qsizetype size = text.size();
    qsizetype start = 0;
    while (true) {
        qsizetype end = start;
        while (end < size && !IsLineBreak(text[end].unicode()))
            ++end;
        state = ScanKeywordLine(text.mid(start, end - start), state, spans, int(start));
        if (end >= size)
            break;
        start = end + 1;
        if (text[end] == u'\r' && start < size && text[start] == u'\n')
            ++start;
    }
    return spans;
}

// ---------------------------------------------------------------- formats

namespace {

QTextCharFormat StyledFormat(ColorValue color, FontStyleSet styles)
{
    QTextCharFormat format;
    format.setForeground(ColorValueToQColor(color));
    format.setFontWeight((styles & 1) ? QFont::Bold : QFont::Normal);
    format.setFontItalic((styles & 2) != 0);
    format.setFontUnderline((styles & 4) != 0);
    format.setFontStrikeOut((styles & 8) != 0);
    return format;
}

} // namespace

QTextCharFormat PlainTextFormat(const KeywordColorStyle &style)
{
    return StyledFormat(style.fontColor, style.fontStyle);
}

QTextCharFormat SpanFormat(ColorSpanKind kind, const KeywordColorStyle &style)
{
    switch (kind) {
    case ColorSpanKind::Keyword:
        return StyledFormat(style.keywordColor, style.keywordStyle);
    case ColorSpanKind::String:
        return StyledFormat(style.stringColor, style.stringStyle);
    case ColorSpanKind::Comment:
        return StyledFormat(style.commentColor, style.commentStyle);
    case ColorSpanKind::Wide:
        break;
    }
    // Red and underlined, over the plain font's other styles.
    QTextCharFormat format;
    format.setForeground(QColor(255, 0, 0));
    format.setFontUnderline(true);
    return format;
}

TOVKeywordHighlighter::TOVKeywordHighlighter(QTextDocument *document, const KeywordColorStyle &style)
    : QSyntaxHighlighter(static_cast<QObject *>(document)), style_(style)
{
    for (int k = 0; k < 4; ++k)
        formats_[k] = SpanFormat(ColorSpanKind(k), style_);
    // The edit is noted before the base class colours it and forgotten after.
    connect(document, &QTextDocument::contentsChange, this, [this](int from, int removed, int added) {
        editing_ = true;
        edit_ = Edit{from, removed, added};
    });
    setDocument(document);
    connect(document, &QTextDocument::contentsChange, this, [this] { editing_ = false; });
    // The base class colours a new document once, later, from the event
    // loop, and skips the edits made before then; that pass is run now, so
    // that the first edits are coloured like all others.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

// The base class's destructor detaches the document, which signals a
// change: the notes of edits must not hear it once this part is gone.
TOVKeywordHighlighter::~TOVKeywordHighlighter()
{
    if (QTextDocument *shown = document())
        disconnect(shown, nullptr, this, nullptr);
}

// The pass ends an edit block of the document, which marks a document
// without undo records modified: the flag is kept as it was.
void TOVKeywordHighlighter::ColourWholeText(const std::function<void(int)> &progress)
{
    const bool modified = document()->isModified();
    wholeText_ = true;
    progress_ = progress;
    rehighlight();
    progress_ = {};
    wholeText_ = false;
    document()->setModified(modified);
}

void TOVKeywordHighlighter::highlightBlock(const QString &text)
{
    const QTextBlock block = currentBlock();
    if (wholeText_) {
        if (progress_)
            progress_(block.position());
        const int previous = previousBlockState();
        spans_.clear();
        setCurrentBlockState(ScanKeywordLine(text, previous < 0 ? InCode : LineScanState(previous), spans_));
        ColourLine(spans_);
    } else if (!Edited(block)) {
        // Coloured again without a change of its text (the base class's
        // first pass, or the line after a deletion): it keeps its colours.
        for (const QTextLayout::FormatRange &range : block.layout()->formats())
            setFormat(range.start, range.length, range.format);
    } else if (!suppressed_ && (!typingOn_ || typingOn_())) {
        spans_.clear();
        ScanEditedLine(text, spans_);
        ColourLine(spans_);
    } else {
        KeepFormatsOutsideEdit(block);
    }
    // The block states belong to the whole-text pass; an edit leaves them,
    // so that its colouring stops at the lines it touched.
}

// Whether the current edit changed the text of `block`.
bool TOVKeywordHighlighter::Edited(const QTextBlock &block) const
{
    return editing_ && block.position() <= edit_.from + edit_.added
           && edit_.from < block.position() + block.length();
}

void TOVKeywordHighlighter::ColourLine(const QList<ColorSpan> &spans)
{
    for (const ColorSpan &span : spans)
        setFormat(span.start, span.length, formats_[int(span.kind)]);
}

// The colours of the characters before the edit stay; those after it move
// with them; the edit's own text is plain. A line the edit began before has
// no colours that could be placed.
void TOVKeywordHighlighter::KeepFormatsOutsideEdit(const QTextBlock &block)
{
    const int at = edit_.from - block.position();
    if (at < 0)
        return;
    const int shift = edit_.added - edit_.removed;
    for (const QTextLayout::FormatRange &range : block.layout()->formats()) {
        const int end = range.start + range.length;
        if (range.start < at)
            setFormat(range.start, std::min(end, at) - range.start, range.format);
        const int after = std::max(range.start, at + edit_.removed);
        if (end > after)
            setFormat(after + shift, end - after, range.format);
    }
}

void ApplyShownFormats(const QTextDocument &shown, QTextDocument &copy, const KeywordColorStyle &style)
{
    QTextCursor cursor(&copy);
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.setCharFormat(PlainTextFormat(style));
    for (QTextBlock block = shown.begin(); block.isValid(); block = block.next()) {
        for (const QTextLayout::FormatRange &range : block.layout()->formats()) {
            cursor.setPosition(block.position() + range.start);
            cursor.setPosition(block.position() + range.start + range.length, QTextCursor::KeepAnchor);
            cursor.mergeCharFormat(range.format);
        }
    }
    cursor.endEditBlock();
}

// ---------------------------------------------------------------- tidy-up

void TidyUpProgram(QPlainTextEdit &editor, TOVKeywordHighlighter &highlighter,
                   const std::function<void(int)> &progress)
{
    highlighter.ColourWholeText(progress);
    QTextCursor cursor = editor.textCursor();
    cursor.setPosition(0);
    editor.setTextCursor(cursor);
}

} // namespace ov
