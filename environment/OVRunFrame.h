// The console window: the memo in which programs print and read, where the
// user types direct commands and recalls earlier ones, and the buttons that
// rerun, stop, continue and clear.
#pragma once

#include "executor/OVRunHost.h"

#include <QPlainTextEdit>
#include <QWidget>

class QAction;
class QMenu;
class QPushButton;

namespace ov {

class RunController;

// The console's text as the run sees it: a list of lines, each ended by a
// line break, with the caret normally on the empty line after the last.
class TConsoleMemo : public QPlainTextEdit, public ConsoleMemo {
    Q_OBJECT

public:
    explicit TConsoleMemo(QWidget *parent = nullptr);

    int LineCount() const override;
    qsizetype TextLength() const override;
    qsizetype MaxLength() const override { return maxLength_; }
    qsizetype LineLength(int index) const override;
    void AddLine(const QString &line) override;
    void AddLines(const QStringList &lines) override;
    void DeleteLine(int index) override;
    void DeleteFirstLines(int count) override;
    void Clear() override;
    int CaretLine() const override;
    void PlaceCaretAfterPrompt() override;
    void SetUpdatesEnabled(bool enabled) override { setUpdatesEnabled(enabled); }
    void SetReadOnly(bool readOnly) override { setReadOnly(readOnly); }

    void SetMaxLength(qsizetype length) { maxLength_ = length; }
    // The 1-based column and line of the caret.
    void GetCharPos(int &column, int &line) const;

    // The context menu: Cut, Copy, Paste, Delete and Select all.
    QMenu *PopupMenu1 = nullptr;
    QAction *RFCut = nullptr, *RFCopy = nullptr, *RFPaste = nullptr, *RFDelete = nullptr, *RFSAll = nullptr;
    // Paste needs text on the clipboard, the others a selection.
    void PopupMenu1Popup();

signals:
    void EnterPressed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void CreatePopupMenu();
    bool GuardLineEdges(QKeyEvent *event);
    void RecallHistory(int step);
    void ReplaceLastLine(const QString &text);

    qsizetype maxLength_ = 1'048'576;
};

class TRunForm : public QWidget {
    Q_OBJECT

public:
    TRunForm(RunController &runs, QWidget *parent = nullptr);

    TConsoleMemo *Memo1 = nullptr;
    QPushButton *EditBtn = nullptr;
    QPushButton *RunBtn = nullptr;
    QPushButton *StopBtn = nullptr;
    QPushButton *ContBtn = nullptr;
    QPushButton *CLSBtn = nullptr;

    void SetBtnRunMode();
    void SetBtnStopMode();
    void SetBtnEndMode();
    void SetBtnPrepMode();
    void SetButtons(bool edit, bool run, bool stop, bool cont);
    // The banner of the console; written once the run host is in place.
    void WriteBanner();
    // Shows the console, restored when minimised, in front with the focus.
    void BringToFront();
    // Shows the console for a step of a run, in front with the focus; a
    // console kept minimised stays so.
    void ShowForRun();
    // Shows the console for a run the user starts, in front with the focus,
    // restored when minimised; it is no longer kept minimised.
    void ShowForNewRun();
    // Minimises the console and keeps it so through the run of the -H switch
    // and its event runs, until the user restores it or starts a run.
    void KeepMinimized();
    // Minimised, or asked to be and about to be once the window manager has
    // mapped the console.
    bool Minimized() const;
    // The memo's font and colours from the console settings.
    void ApplyFont();
    // The console's size as "TScreen Width" and "TScreen Height" hold it:
    // the window less 20 pixels each way. Applied at creation and before
    // every run, and measured for saving, by the same rule.
    void ApplySizeSetting();
    QSize SizeSetting() const;

signals:
    void EditRequested();

protected:
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void FormCreate();
    void CreateButtons();
    void PlaceWindow();
    void SetCaptionFor(int textId);
    void Memo1Enter();
    void RunBtnClick();
    void StopBtnClick();
    void ContBtnClick();
    void CLSBtnClick();
    void StartConsoleRun(const QString &command);

    RunController &runs_;
    bool keptMinimized_ = false;
};

// The console's command history: a ring of 100 lines.
void AddCommandHistory(const QString &line);
QString GetCommandHistory();

} // namespace ov
