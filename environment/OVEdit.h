// The program editor: a child window of the main frame holding one program
// text, with its menus (merged into the frame's), the popup menu, find and
// replace, printing, saving with a ".BAK" copy of the previous file, the run
// commands and the tidy-up.
#pragma once

#include "platform/OVTextEncoding.h"

#include <QPointer>
#include <QTextDocument>
#include <QWidget>
#include <memory>

class QAction;
class QMenu;

namespace ov {

class TMyRichEdit;
class TOVKeywordHighlighter;
class TOvFrameForm;
class my_UndoClass;

// +1 for each new editor, which is named "Untitled" and the new value; -1
// (while above 0) each time an editor loads a file.
extern int UntitledCount;

class TOVEditForm : public QWidget {
    Q_OBJECT

public:
    explicit TOVEditForm(TOvFrameForm &frame, QWidget *parent = nullptr);
    ~TOVEditForm() override;

    TMyRichEdit *Editor = nullptr;
    QString FileName;
    QString EncodingName = QStringLiteral("UnSaved");

    // The menus merged into the frame's menu bar, in order, and the Run Now item.
    QMenu *OVEMenuProgram = nullptr;
    QMenu *OVEMenuEdit = nullptr;
    QMenu *OVEMenuSearch = nullptr;
    QMenu *OVEMenuRun = nullptr;
    QAction *OVEMenuRunNow = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QAction *OVEMenuUndo = nullptr;
    QAction *OVEMenuRedo = nullptr;
    QAction *OVEMenuCut = nullptr;
    QAction *OVEMenuCopy = nullptr;
    QAction *OVEMenuPaste = nullptr;
    QAction *OVEMenuDelete = nullptr;

    my_UndoClass &UndoHistory() { return *undo_; }
    TOVKeywordHighlighter &Highlighter() { return *highlighter_; }
    bool IsModified() const;

    // Loads a file in the given encoding; false (nothing changed) when it
    // cannot be read.
    bool Open(const QString &fileName, const TextEncoding &encoding);

    // Save to FileName (an untitled editor asks for a name). Writes a
    // temporary file first, keeps the previous file as the ".BAK" copy and
    // moves the new one in. False, with a message and the editor still
    // modified, when the file cannot be written.
    bool OVEMenuSaveClick();
    // Save As with the dialog.
    bool OVEMenuSaveAsClick();
    // Save As without the dialog: to `fileName` in the named encoding
    // ("Default", "ASCII", "Unicode", ... "UTF-8BOM").
    bool SaveAs(const QString &fileName, const QString &encodingName);

    // Find forward from the end of the selection, without regard to letter
    // case; the match is selected. Not found: a message, false.
    bool FindText(const QString &text);
    // Replaces the selection when it still matches `text` (else finds the
    // next match first and replaces that), then selects the next match.
    bool ReplaceText(const QString &text, const QString &replacement);
    // Replaces every match after the selection; the number replaced.
    int ReplaceAll(const QString &text, const QString &replacement);
    QString LastFindText() const { return findText_; }

    // The run commands.
    bool OVEMenuRunOVClick();
    // Run for the -H switch: the console stays minimised through the run.
    bool RunWithConsoleMinimized();
    void OVEMenuStopOVClick();
    bool OVEMenuContOVClick();
    void OVEMenuPrgFormatClick();
    void OVEMenuPrintClick();
    // A copy of the text (or of the selection only) with the keyword colours
    // as real character formats, ready for a printer.
    std::unique_ptr<QTextDocument> PrintableDocument(bool selectionOnly) const;

    // Asks whether to save a modified editor, Yes saving it: false when the
    // user cancels or the save fails. An unmodified editor asks nothing.
    bool QueryClose();
    // Closes the editor's window without asking again: QueryClose has been
    // answered.
    void CloseAnswered();

    // What the editor does when it becomes the active window: the status
    // panels, and after a failed run of its own the character at fault
    // selected.
    void FormActivate();
    // The status panels as the editor's state says.
    void RefreshPanels();

signals:
    void NewRequested();
    void OpenRequested();
    void ExitRequested();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void FormCreate();
    void CreateMenus();
    void EnableEditItems();
    void EditorChange();
    void ShowFindDialog();
    void ShowReplaceDialog();
    bool WriteFile(const QString &fileName, TextEncoding encoding, const QString &encodingName);
    void SetFileName(const QString &fileName);
    void ShowRunError();
    void ShowTextLimitReached();
    bool StartProgramRun(bool consoleMinimized);

    TOvFrameForm &frame_;
    std::unique_ptr<my_UndoClass> undo_;
    TOVKeywordHighlighter *highlighter_ = nullptr;
    QString findText_;
    bool closeAnswered_ = false;
};

} // namespace ov
