#include "environment/MyRichEdit.h"

#include "devices/OVKeySetting.h"
#include "environment/myUndo.h"

#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>

namespace ov {

TMyRichEdit::TMyRichEdit(QWidget *parent) : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setUndoRedoEnabled(false);
    setTabChangesFocus(false);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, &TMyRichEdit::CaretMoved);
}

void TMyRichEdit::SetInsertMode(bool insert)
{
    insertMode_ = insert;
    setOverwriteMode(!insert);
    emit InsertModeChanged();
}

void TMyRichEdit::GetCharPos(int &line, int &column) const
{
    const QTextCursor cursor = textCursor();
    const int start = cursor.selectionStart();
    const QTextBlock block = document()->findBlock(start);
    line = block.blockNumber() + 1;
    column = start - block.position() + 1;
}

// Left stops at the start of a line, Right at its end, while the setting asks
// for it; Shift alone (extending a selection) is not held back.
bool TMyRichEdit::GuardLineEdges(QKeyEvent *event) const
{
    if (CursorModeOn != 1 || event->modifiers() == Qt::ShiftModifier)
        return false;
    const QTextCursor cursor = textCursor();
    if (event->key() == Qt::Key_Left)
        return cursor.positionInBlock() == 0;
    if (event->key() == Qt::Key_Right)
        return cursor.atBlockEnd() && cursor.block().next().isValid();
    return false;
}

// The keys that change the text, each carried out by the history.
bool TMyRichEdit::HandleEditKey(QKeyEvent *event)
{
    my_UndoClass &history = *history_;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (event->matches(QKeySequence::Undo)) {
        history.UndoStep();
        return true;
    }
    if (event->matches(QKeySequence::Redo) || (event->key() == Qt::Key_Y && mods == Qt::ControlModifier)) {
        history.RedoStep();
        return true;
    }
    switch (event->key()) {
    case Qt::Key_Backspace:
        history.UndoBackspace();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (insertMode_)  // overwrite mode makes no line breaks
            history.UndoEnter();
        return true;
    case Qt::Key_Insert:
        if (mods == Qt::ControlModifier)
            history.UndoCopy();
        else if (mods == Qt::ShiftModifier)
            history.UndoPaste();
        else if (mods == Qt::NoModifier)
            SetInsertMode(!insertMode_);
        return true;
    case Qt::Key_Delete:
        if (mods == Qt::ShiftModifier)
            history.UndoCut();
        else
            history.UndoDeleteKey();
        return true;
    default:
        break;
    }
    if (event->matches(QKeySequence::Cut)) {
        history.UndoCut();
        return true;
    }
    if (event->matches(QKeySequence::Copy)) {
        history.UndoCopy();
        return true;
    }
    if (event->matches(QKeySequence::Paste)) {
        history.UndoPaste();
        return true;
    }
    if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = event->text();
    if (text.isEmpty())
        return false;
    if (text != QStringLiteral("\t") && !text.at(0).isPrint() && !text.at(0).isSurrogate())
        return false;
    history.UndoTyping(text, !insertMode_);
    return true;
}

void TMyRichEdit::keyPressEvent(QKeyEvent *event)
{
    if (GuardLineEdges(event)) {
        event->accept();
        return;
    }
    if (!isReadOnly() && history_ != nullptr && HandleEditKey(event)) {
        ensureCursorVisible();
        event->accept();
        return;
    }
    // Keys that would edit past the history are not passed on.
    if (event->matches(QKeySequence::DeleteStartOfWord) || event->matches(QKeySequence::DeleteEndOfWord)
        || event->matches(QKeySequence::DeleteEndOfLine) || event->matches(QKeySequence::DeleteCompleteLine)) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TMyRichEdit::keyReleaseEvent(QKeyEvent *event)
{
    QPlainTextEdit::keyReleaseEvent(event);
    emit CaretMoved();
}

// The composition in progress is shown by the control; committed text goes
// in through the history.
void TMyRichEdit::inputMethodEvent(QInputMethodEvent *event)
{
    const QString committed = event->commitString();
    if (committed.isEmpty() || history_ == nullptr || isReadOnly()) {
        if (committed.isEmpty())
            QPlainTextEdit::inputMethodEvent(event);
        event->accept();
        return;
    }
    QInputMethodEvent preedit(event->preeditString(), event->attributes());
    QPlainTextEdit::inputMethodEvent(&preedit);
    history_->UndoTyping(committed, !insertMode_);
    emit WMImeComposition(committed);
    event->accept();
}

bool TMyRichEdit::canInsertFromMimeData(const QMimeData *source) const
{
    return source->hasText();
}

// Pastes that reach the control by other ways (middle click) as one edit.
void TMyRichEdit::insertFromMimeData(const QMimeData *source)
{
    if (history_ != nullptr && source->hasText())
        history_->UndoReplace(source->text());
}

void TMyRichEdit::dropEvent(QDropEvent *event)
{
    if (history_ == nullptr || isReadOnly() || !event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    const int position = cursorForPosition(event->position().toPoint()).position();
    const bool move = event->source() == this && event->dropAction() == Qt::MoveAction;
    history_->UndoDrop(position, event->mimeData()->text(), move);
    event->acceptProposedAction();
    setFocus();
}

} // namespace ov
