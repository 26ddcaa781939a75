// The editor's text control: a plain-text editor whose every edit goes
// through the editor's own undo history (Qt's undo stack stays off), with
// insert and overwrite mode and the optional guard that keeps the caret from
// crossing line ends with the arrow keys.
#pragma once

#include <QPlainTextEdit>

namespace ov {

class my_UndoClass;

class TMyRichEdit : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit TMyRichEdit(QWidget *parent = nullptr);

    // The history that carries out and records the edits; without one the
    // control takes no edits.
    void SetUndoHistory(my_UndoClass *history) { history_ = history; }
    my_UndoClass *UndoHistory() const { return history_; }

    bool InsertMode() const { return insertMode_; }
    void SetInsertMode(bool insert);

    // The 1-based line and column of the selection start (a line break
    // counts one position).
    void GetCharPos(int &line, int &column) const;

signals:
    // Text that an input method has just committed.
    void WMImeComposition(const QString &text);
    void InsertModeChanged();
    void CaretMoved();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void dropEvent(QDropEvent *event) override;

private:
    bool HandleEditKey(QKeyEvent *event);
    bool GuardLineEdges(QKeyEvent *event) const;

    my_UndoClass *history_ = nullptr;
    bool insertMode_ = true;
};

} // namespace ov
