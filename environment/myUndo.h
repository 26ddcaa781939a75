// The editor's own undo and redo history. Every edit of the editor's text goes
// through one of the edit operations below, which carries the edit out on the
// editor's document and records what it really removed and inserted; Undo
// and Redo replay the records. Cut and copy also record the clipboard's
// previous text, so that undoing them gives the clipboard back.
//
// Each editor window owns its history. Qt's own undo stack of the document is
// switched off. An edit that bypasses the history (loading a file, for one)
// empties it, so that no record is replayed at stale positions.
#pragma once

#include <QList>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QPointer>
#include <QString>
#include <functional>

class QTextCursor;

namespace ov {

class my_UndoClass {
public:
    enum Kind : uint8_t {
        Typing = 0,  // also input-method text, Enter and replacements
        Delete = 1,
        Cut = 2,
        Copy = 3,
        Paste = 4,   // also drops and middle-click pastes
    };

    struct Record {
        int position = 0;   // selection start when the edit was made
        int length = 0;     // selection length then (the old text's length, except for cut and copy)
        QString oldText;    // text removed or replaced; for cut and copy the clipboard's text before
        QString newText;    // text inserted; for cut and copy the text cut or copied
        Kind kind = Typing;
        bool joined = false;  // undone and redone together with the record before it
    };

    static constexpr int DefaultCapacity = 1000;

    explicit my_UndoClass(QPlainTextEdit *editor, int capacity = DefaultCapacity);
    ~my_UndoClass();
    my_UndoClass(const my_UndoClass &) = delete;
    my_UndoClass &operator=(const my_UndoClass &) = delete;

    // Empties the history; the capacity is clamped to 100..10000 and at most
    // capacity - 1 steps can be undone.
    void UndoInit(int capacity);
    int Capacity() const { return capacity_; }

    bool CanUndo() const { return current_ != oldest_; }
    bool CanRedo() const { return current_ != newest_; }
    void UndoStep();
    void RedoStep();

    // Limits the length of the text (0: no limit); an insertion that would go
    // beyond it is cut short, at a whole character, and `onLimit` is told.
    // A text already past the limit may still be replaced by no more text.
    void setMaxLength(int length) { maxLength_ = length; }
    int maxLength() const { return maxLength_; }
    void setOnTextLimit(std::function<void()> onLimit) { onTextLimit_ = std::move(onLimit); }

    // ---- edits; each records only when the text really changes

    // Typed or input-method text at the selection start. In insert mode the
    // selected text stays (typing does not replace a selection); in overwrite
    // mode as many whole characters as are typed are replaced, never the line
    // break.
    void UndoTyping(const QString &text, bool overwrite);
    // A line break at the selection start; the selected text stays.
    void UndoEnter();
    // Deletes the selection.
    void UndoDelete();
    // Deletes the selection, or else the whole character before the caret.
    void UndoBackspace();
    // Deletes the selection, or else the whole character after the caret.
    void UndoDeleteKey();
    // Cuts the selection to the clipboard.
    void UndoCut();
    // Copies the selection to the clipboard, leaving the caret at its end.
    void UndoCopy();
    // Replaces the selection by the clipboard's text.
    void UndoPaste();
    // Replaces the selection by `text` (the replace command, and any other
    // replacement of the selection).
    void UndoReplace(const QString &text);
    // Inserts `text` at `position`, the caret after it (middle-click paste).
    void UndoInsertAt(int position, const QString &text);
    // A drop of `text` at `position`. With `move`, the selection is the
    // dragged text and is removed; the two halves are one undo step. A move
    // into its own selection changes nothing. The dropped text ends selected.
    void UndoDrop(int position, const QString &text, bool move);

    // Records made between these two are undone and redone as one step
    // (replace all, for one). They nest.
    void BeginGroup();
    void EndGroup();

    // Stores one record (the history's ring: the oldest gives way when full,
    // undone records are given up).
    void UndoPushRecord(const Record &record);

private:
    struct Applying;

    // Replaces [position, position + length) by `text` and returns what the
    // document really holds there afterwards.
    QString ReplaceRange(QTextCursor &cursor, int position, int length, const QString &text);
    QString TextRange(int position, int length) const;
    QString InsertAt(int position, const QString &text);
    QString FitToMaxLength(const QString &text, int removed) const;
    int WholeCharsForward(int position, int count, bool stopAtLineEnd) const;
    int WholeCharBackward(int position) const;
    int ClampPosition(int position) const;
    void Push(int position, int length, Kind kind, const QString &newText, const QString &oldText);
    // Puts `text` in place of the selection as one record of `kind`.
    void ReplaceSelection(const QString &text, Kind kind);
    void Apply(const Record &record, bool undo);
    void Select(int start, int end);
    void OnContentsChange(int from, int removed, int added);

    QPointer<QPlainTextEdit> editor_;
    QMetaObject::Connection watch_;
    QList<Record> records_;
    int capacity_ = 0;
    int current_ = 0;  // the last applied record
    int newest_ = 0;
    int oldest_ = 0;   // the ring's origin; oldest_ + 1 .. newest_ are valid
    int maxLength_ = 0;
    std::function<void()> onTextLimit_;
    int groupDepth_ = 0;
    bool groupStarted_ = false;
    int applying_ = 0;  // our own edits in progress
};

} // namespace ov
