// The main frame: the multiple-document window that holds the program
// editors, with the menus Program, Window, Option and Help (an active
// editor's own menus merged ahead of the last three), the six status panels
// that the editors write, opening files with a chosen encoding, dropped
// files, the command line and the question before the program ends.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QMessageBox>
#include <QStringList>
#include <functional>

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace ov {

class RunController;
class TOVEditForm;
class TRunForm;

// The command line: "-A", "-R" or "-H" (any letter case, blanks around them
// ignored) followed by a file name, or a bare file name. A relative name is
// taken from `startFolder`, the folder the program was started in, when one
// is given.
struct CommandLineRequest {
    QString runMode;   // "AUT", "RUN", "HIDE", or empty: open only
    QString fileName;  // empty: nothing to open
};
CommandLineRequest ParseCommandLine(const QStringList &arguments, const QString &startFolder = QString());

// Every message box of the frame and the editors goes through here, so that
// tests can answer them. Without a hook a real box is shown; a text of one
// line stays on one line, `shortenable` (a file name in it) shortened in its
// middle when the line is wider than the screen.
using MessageBoxHook = std::function<QMessageBox::StandardButton(
    QMessageBox::Icon icon, const QString &title, const QString &text, QMessageBox::StandardButtons buttons)>;
void SetMessageBoxHook(MessageBoxHook hook);
QMessageBox::StandardButton ShowMessageBox(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                           const QString &text,
                                           QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                           const QString &shortenable = QString());

// A file dialog with a list of encodings below the file name. `encoding`
// holds the preselected name on entry (none when it is not in the list) and
// the chosen one on return. False when the user cancels.
bool ChooseFileWithEncoding(QWidget *parent, bool save, const QString &title, const QStringList &filters,
                            const QString &defaultSuffix, const QStringList &encodings,
                            const QString &startPath, QString &file, QString &encoding);

// The version of the program as the version box and the console show it.
QString VersionBoxText();

class TOvFrameForm : public QMainWindow {
    Q_OBJECT

public:
    explicit TOvFrameForm(RunController &runs, QWidget *parent = nullptr);
    ~TOvFrameForm() override;

    // The console, created after the frame; the editors' runs use it.
    void SetRunForm(TRunForm *console) { console_ = console; }
    TRunForm *RunForm() const { return console_; }
    RunController &Runs() { return runs_; }

    QMdiArea *MdiArea = nullptr;
    QMenu *OVMMenuProgram = nullptr;
    QMenu *OVMMenuWindow = nullptr;
    QMenu *OVMMenuOption = nullptr;
    QMenu *OVMMenuDeletePreference = nullptr;
    QMenu *OVMMenuHelp = nullptr;
    QAction *OVMMenuNew = nullptr;
    QAction *OVMMenuOpen = nullptr;
    QAction *OVMMenuExit = nullptr;
    QAction *OVMMenuTileHorizontal = nullptr;
    QAction *OVMMenuTileVertical = nullptr;
    QAction *OVMMenuCascade = nullptr;
    QAction *OVMMenuIConSort = nullptr;
    QAction *OVMMenuShowConsole = nullptr;
    QAction *OVMMenuPreferenceSetting = nullptr;
    QAction *OVMMenuAssociationSetting = nullptr;
    QAction *OVMMenuDeleteRegistry = nullptr;
    QAction *OVMMenuDeleteIniFile = nullptr;
    QAction *OVMMenuOVHelp = nullptr;
    QAction *OVMMenuBasicTutor = nullptr;
    QAction *OVMMenuVersion = nullptr;
    QAction *OVMMenuOVHomePage = nullptr;

    // The status panels 0 to 5.
    void SetPanel(int index, const QString &text);
    QString PanelText(int index) const;
    QLabel *StatusPanel(int index) const { return panels_[index]; }
    void ClearPanels();

    // A new, empty editor.
    TOVEditForm *NewEditor();
    // A file opened in a new editor: "Auto" detects the encoding, any other
    // name is used as it stands. Nothing (and a message) when it cannot be read.
    TOVEditForm *OpenFile(const QString &path, const QString &encodingName, bool colour);
    // Open with the dialog.
    void OVMMenuOpenClick();
    // Stops a run and closes the frame (with its questions).
    void OVMMenuExitClick();

    // Acts on the command line: opens the file and, with a switch, runs it.
    void ActOnCommandLine(const QStringList &arguments, const QString &startFolder = QString());

    QList<TOVEditForm *> Editors() const;
    TOVEditForm *ActiveEditor() const;
    TOVEditForm *LastEditor() const;

signals:
    // The frame has closed: the program ends.
    void Closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void FormCreate();
    void CreateMenus();
    void CreateStatusPanels();
    void PlaceWindow();
    void MergeMenus();
    void FillWindowMenu();
    void TileWindows(bool horizontal);
    void ArrangeIcons();
    void DeleteSettings(bool registry);
    void OpenHelpPage(const QString &page, bool reportFailure);
    void ShowVersion();
    void OpenHomePage();
    bool CloseEditors();
    TOVEditForm *AddEditor(TOVEditForm *editor);
    void PlaceNewEditor(QMdiSubWindow *window);

    RunController &runs_;
    TRunForm *console_ = nullptr;
    QPointer<TOVEditForm> lastEditor_;  // cleared by Qt when the editor goes
    QLabel *panels_[6] = {};
    QString openEncoding_ = QStringLiteral("Auto");
    int openFilter_ = 0;
    QPoint nextEditorCorner_;  // where the next new editor opens
};

} // namespace ov
