#include "environment/myUndo.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

namespace ov {

namespace {

constexpr char16_t kParagraphSeparator = u'\x2029';

QTextDocument *DocumentOf(QPlainTextEdit *editor) { return editor->document(); }

int TextLength(const QTextDocument *document) { return document->characterCount() - 1; }

// The document's line breaks as "\n", the form in which records keep text.
QString PlainLineBreaks(QString text)
{
    text.replace(QChar(kParagraphSeparator), u'\n');
    return text;
}

// Line breaks as the document will hold them: one character each.
QString SingleLineBreaks(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return PlainLineBreaks(std::move(text));
}

int CodePointCount(const QString &text)
{
    int count = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        ++count;
    }
    return count;
}

QString ClipboardText() { return QGuiApplication::clipboard()->text(); }
void SetClipboardText(const QString &text) { QGuiApplication::clipboard()->setText(text); }

} // namespace

// Marks the document changes that the history makes itself.
struct my_UndoClass::Applying {
    explicit Applying(my_UndoClass &history) : history_(history) { ++history_.applying_; }
    ~Applying() { --history_.applying_; }
    my_UndoClass &history_;
};

my_UndoClass::my_UndoClass(QPlainTextEdit *editor, int capacity)
    : editor_(editor)
{
    UndoInit(capacity);
    editor_->setUndoRedoEnabled(false);
    watch_ = QObject::connect(DocumentOf(editor_), &QTextDocument::contentsChange,
                              [this](int from, int removed, int added) { OnContentsChange(from, removed, added); });
}

my_UndoClass::~my_UndoClass()
{
    QObject::disconnect(watch_);
}

void my_UndoClass::UndoInit(int capacity)
{
    capacity_ = std::clamp(capacity, 100, 10000);
    records_.clear();
    records_.resize(capacity_);
    current_ = newest_ = oldest_ = 0;
    groupDepth_ = 0;
    groupStarted_ = false;
}

// A change that none of our operations made (a file loaded into the editor,
// say) leaves the records' positions stale: the history starts afresh.
// Format changes keep the length and are ignored.
void my_UndoClass::OnContentsChange(int, int removed, int added)
{
    if (applying_ == 0 && removed != added && (CanUndo() || CanRedo()))
        UndoInit(capacity_);
}

// ---------------------------------------------------------------- the ring

void my_UndoClass::UndoPushRecord(const Record &record)
{
    current_ = (current_ + 1) % capacity_;
    newest_ = current_;
    if (oldest_ == newest_)
        oldest_ = (oldest_ + 1) % capacity_;
    records_[current_] = record;
}

void my_UndoClass::Push(int position, int length, Kind kind, const QString &newText, const QString &oldText)
{
    Record record{position, length, oldText, newText, kind, false};
    if (groupDepth_ > 0) {
        record.joined = groupStarted_;
        groupStarted_ = true;
    }
    UndoPushRecord(record);
}

void my_UndoClass::BeginGroup()
{
    if (groupDepth_++ == 0)
        groupStarted_ = false;
}

void my_UndoClass::EndGroup()
{
    if (groupDepth_ > 0)
        --groupDepth_;
}

void my_UndoClass::UndoStep()
{
    if (!editor_)
        return;
    while (CanUndo()) {
        const Record record = records_[current_];
        current_ = current_ == 0 ? capacity_ - 1 : current_ - 1;
        Apply(record, true);
        if (!record.joined)
            break;
    }
}

void my_UndoClass::RedoStep()
{
    if (!editor_)
        return;
    while (CanRedo()) {
        current_ = (current_ + 1) % capacity_;
        Apply(records_[current_], false);
        if (!CanRedo() || !records_[(current_ + 1) % capacity_].joined)
            break;
    }
}

void my_UndoClass::Apply(const Record &record, bool undo)
{
    QTextCursor cursor(DocumentOf(editor_));
    const int position = ClampPosition(record.position);
    if (undo) {
        switch (record.kind) {
        case Typing:
        case Paste:
            ReplaceRange(cursor, position, int(record.newText.size()), record.oldText);
            break;
        case Delete:
            ReplaceRange(cursor, position, 0, record.oldText);
            break;
        case Cut:
            ReplaceRange(cursor, position, 0, record.newText);
            SetClipboardText(record.oldText);
            break;
        case Copy:
            Select(position, position + int(record.newText.size()));
            SetClipboardText(record.oldText);
            return;
        }
    } else {
        switch (record.kind) {
        case Typing:
        case Paste:
            ReplaceRange(cursor, position, record.length, record.newText);
            break;
        case Delete:
            ReplaceRange(cursor, position, record.length, QString());
            break;
        case Cut:
            ReplaceRange(cursor, position, record.length, QString());
            SetClipboardText(record.newText);
            break;
        case Copy:
            Select(position, position + record.length);
            SetClipboardText(record.newText);
            return;
        }
    }
    editor_->setTextCursor(cursor);
    editor_->ensureCursorVisible();
}

// ---------------------------------------------------------------- document access

int my_UndoClass::ClampPosition(int position) const
{
    return std::clamp(position, 0, TextLength(DocumentOf(editor_)));
}

QString my_UndoClass::TextRange(int position, int length) const
{
    if (length <= 0)
        return QString();
    QTextCursor cursor(DocumentOf(editor_));
    cursor.setPosition(position);
    cursor.setPosition(position + length, QTextCursor::KeepAnchor);
    return PlainLineBreaks(cursor.selectedText());
}

QString my_UndoClass::ReplaceRange(QTextCursor &cursor, int position, int length, const QString &text)
{
    Applying applying(*this);
    const int end = ClampPosition(position + length);
    position = ClampPosition(position);
    cursor.setPosition(position);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    if (text.isEmpty())
        cursor.removeSelectedText();
    else
        cursor.insertText(text);
    return TextRange(position, cursor.position() - position);
}

QString my_UndoClass::FitToMaxLength(const QString &text, int removed) const
{
    QString fitted = SingleLineBreaks(text);
    if (maxLength_ <= 0)
        return fitted;
    // A text loaded past the limit still takes edits that do not lengthen it.
    const int room = std::max(maxLength_ - (TextLength(DocumentOf(editor_)) - removed), removed);
    if (fitted.size() > room) {
        int cut = room;
        if (cut > 0 && fitted[cut - 1].isHighSurrogate() && fitted[cut].isLowSurrogate())
            --cut;
        fitted.truncate(cut);
        if (onTextLimit_)
            onTextLimit_();
    }
    return fitted;
}

int my_UndoClass::WholeCharsForward(int position, int count, bool stopAtLineEnd) const
{
    const QTextDocument *document = DocumentOf(editor_);
    const int end = TextLength(document);
    for (; count > 0 && position < end; --count) {
        const QChar c = document->characterAt(position);
        if (stopAtLineEnd && c == QChar(kParagraphSeparator))
            break;
        if (c.isHighSurrogate() && position + 1 < end && document->characterAt(position + 1).isLowSurrogate())
            position += 2;
        else
            ++position;
    }
    return position;
}

int my_UndoClass::WholeCharBackward(int position) const
{
    const QTextDocument *document = DocumentOf(editor_);
    if (position >= 2 && document->characterAt(position - 1).isLowSurrogate()
        && document->characterAt(position - 2).isHighSurrogate())
        return position - 2;
    return std::max(0, position - 1);
}

void my_UndoClass::Select(int start, int end)
{
    QTextCursor cursor(DocumentOf(editor_));
    cursor.setPosition(ClampPosition(start));
    cursor.setPosition(ClampPosition(end), QTextCursor::KeepAnchor);
    editor_->setTextCursor(cursor);
    editor_->ensureCursorVisible();
}

// ---------------------------------------------------------------- edits

void my_UndoClass::UndoTyping(const QString &text, bool overwrite)
{
    if (!editor_ || text.isEmpty())
        return;
    QTextCursor cursor = editor_->textCursor();
    const int position = cursor.selectionStart();
    const int length = overwrite ? WholeCharsForward(position, CodePointCount(text), true) - position : 0;
    const QString oldText = TextRange(position, length);
    const QString inserted = ReplaceRange(cursor, position, length, FitToMaxLength(text, length));
    if (inserted != oldText)
        Push(position, length, Typing, inserted, oldText);
    editor_->setTextCursor(cursor);
    editor_->ensureCursorVisible();
}

// Enter inserts a line break as typing does; it never overwrites.
void my_UndoClass::UndoEnter()
{
    UndoTyping(QStringLiteral("\n"), false);
}

void my_UndoClass::UndoDelete()
{
    if (!editor_)
        return;
    QTextCursor cursor = editor_->textCursor();
    const int position = cursor.selectionStart();
    const int length = cursor.selectionEnd() - position;
    if (length == 0)
        return;
    const QString oldText = TextRange(position, length);
    ReplaceRange(cursor, position, length, QString());
    Push(position, length, Delete, QString(), oldText);
    editor_->setTextCursor(cursor);
    editor_->ensureCursorVisible();
}

void my_UndoClass::UndoBackspace()
{
    if (!editor_)
        return;
    const QTextCursor cursor = editor_->textCursor();
    if (!cursor.hasSelection()) {
        if (cursor.position() == 0)
            return;
        Select(WholeCharBackward(cursor.position()), cursor.position());
    }
    UndoDelete();
}

void my_UndoClass::UndoDeleteKey()
{
    if (!editor_)
        return;
    const QTextCursor cursor = editor_->textCursor();
    if (!cursor.hasSelection()) {
        const int end = WholeCharsForward(cursor.position(), 1, false);
        if (end == cursor.position())
            return;
        Select(cursor.position(), end);
    }
    UndoDelete();
}

void my_UndoClass::UndoCut()
{
    if (!editor_)
        return;
    QTextCursor cursor = editor_->textCursor();
    const int position = cursor.selectionStart();
    const int length = cursor.selectionEnd() - position;
    if (length == 0)
        return;
    const QString before = ClipboardText();
    const QString cut = TextRange(position, length);
    SetClipboardText(cut);
    ReplaceRange(cursor, position, length, QString());
    Push(position, length, Cut, cut, before);
    editor_->setTextCursor(cursor);
    editor_->ensureCursorVisible();
}

void my_UndoClass::UndoCopy()
{
    if (!editor_)
        return;
    const QTextCursor cursor = editor_->textCursor();
    const int position = cursor.selectionStart();
    const int length = cursor.selectionEnd() - position;
    if (length == 0)
        return;
    const QString before = ClipboardText();
    const QString copied = TextRange(position, length);
    SetClipboardText(copied);
    Push(position, length, Copy, copied, before);
    Select(position + length, position + length);
}

void my_UndoClass::UndoPaste()
{
    if (!editor_)
        return;
    const QString text = ClipboardText();
    if (!text.isEmpty())
        ReplaceSelection(text, Paste);
}

void my_UndoClass::UndoReplace(const QString &text)
{
    if (editor_)
        ReplaceSelection(text, Typing);
}

void my_UndoClass::ReplaceSelection(const QString &text, Kind kind)
{
    QTextCursor cursor = editor_->textCursor();
    const int position = cursor.selectionStart();
    const int length = cursor.selectionEnd() - position;
    const QString oldText = TextRange(position, length);
    const QString inserted = ReplaceRange(cursor, position, length, FitToMaxLength(text, length));
    if (inserted != oldText)
        Push(position, length, kind, inserted, oldText);
    editor_->setTextCursor(cursor);
    editor_->ensureCursorVisible();
}

QString my_UndoClass::InsertAt(int position, const QString &text)
{
    QTextCursor cursor(DocumentOf(editor_));
    const QString inserted = ReplaceRange(cursor, position, 0, FitToMaxLength(text, 0));
    if (!inserted.isEmpty())
        Push(position, 0, Paste, inserted, QString());
    return inserted;
}

void my_UndoClass::UndoInsertAt(int position, const QString &text)
{
    if (!editor_)
        return;
    position = ClampPosition(position);
    const QString inserted = InsertAt(position, text);
    Select(position + int(inserted.size()), position + int(inserted.size()));
}

void my_UndoClass::UndoDrop(int position, const QString &text, bool move)
{
    if (!editor_)
        return;
    position = ClampPosition(position);
    const QTextCursor selection = editor_->textCursor();
    const int start = selection.selectionStart();
    const int end = selection.selectionEnd();
    if (move && start < end && position >= start && position <= end)
        return;
    BeginGroup();
    if (move && start < end) {
        QTextCursor cursor(DocumentOf(editor_));
        const QString moved = TextRange(start, end - start);
        ReplaceRange(cursor, start, end - start, QString());
        Push(start, end - start, Delete, QString(), moved);
        if (position > end)
            position -= end - start;
    }
    const QString inserted = InsertAt(position, text);
    EndGroup();
    Select(position, position + int(inserted.size()));
}

} // namespace ov
