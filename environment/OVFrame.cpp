#include "environment/OVFrame.h"

#include "devices/OVKeySetting.h"
#include "devices/OVWindowPlacement.h"
#include "environment/MyRichEdit.h"
#include "environment/OVDialogHook.h"
#include "environment/OVEdit.h"
#include "environment/OVHelpForm.h"
#include "environment/OVKeySettingForm.h"
#include "environment/OVKeywordColor.h"
#include "environment/OVOption.h"
#include "environment/OVRunFrame.h"
#include "executor/OVConsoleOut.h"
#include "executor/OVMThread.h"
#include "executor/OVRunCommands.h"
#include "language/OVHeader.h"
#include "platform/OVTextEncoding.h"
#include "resources/OVInterfaceTexts.h"
#include "resources/OVVersion.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QUrl>
#include <algorithm>
#include <array>

namespace ov {

namespace {

MessageBoxHook &Hook()
{
    static MessageBoxHook hook;
    return hook;
}

const char16_t *const kAuthor = u"Copyright (C) 2026 The Orvane developers";
const char16_t *const kHomePage = u"https://www.orvane.org/";

QString AppTitle() { return QStringLiteral("Orvane"); }

// ---------------------------------------------------------------- status panels

constexpr int kPanelCount = 6;
constexpr int kPanelShares[kPanelCount] = {150, 150, 90, 90, 200, 100};  // of 780
constexpr int kPanelGap = 2;
using PanelWidths = std::array<int, kPanelCount>;

// The longest text each panel commonly shows; for the file name, that of a
// new editor.
QStringList LongestPanelTexts()
{
    QStringList encodings{QStringLiteral("Default")};
    for (int kind = ekSjis; kind <= ekUtf32BE; ++kind)
        encodings.append(EncodingKindName(kind));
    // several lines stand for texts of which the widest counts
    return {QStringLiteral("Untitled99"), LineColumnText(9999, 9999), InterfaceText(65173),
            InterfaceText(65176) + u'\n' + InterfaceText(65177), InterfaceText(65175), encodings.join(u'\n')};
}

// The room shared in the panels' proportions, each panel but the file
// name's widened to its least width at the file name's cost; when even that
// does not fit, all shrink alike. The widths never add up to more than room.
PanelWidths SharePanelWidths(int room, const PanelWidths &least)
{
    PanelWidths widths{};
    int total = 0;
    for (int i = 0; i < kPanelCount; ++i) {
        widths[i] = room * kPanelShares[i] / 780;
        if (i > 0)
            widths[i] = std::max(widths[i], least[i]);
        total += widths[i];
    }
    const int taken = std::min(total - room, widths[0] - least[0]);
    if (taken > 0) {
        widths[0] -= taken;
        total -= taken;
    }
    if (total > room)
        for (int &width : widths)
            width = width * room / total;
    return widths;
}

// The strip in the status bar that holds the six panels side by side in its
// own width, so that none is drawn over another.
class PanelStrip : public QWidget {
public:
    explicit PanelStrip(QWidget *parent) : QWidget(parent)
    {
        for (QLabel *&panel : panels_) {
            panel = new QLabel(this);
            panel->setFrameShape(QFrame::Panel);
            panel->setFrameShadow(QFrame::Sunken);
        }
        setMinimumHeight(panels_[0]->sizeHint().height());
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    }

    QLabel *Panel(int index) const { return panels_[index]; }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QWidget::resizeEvent(event);
        const QStringList longest = LongestPanelTexts();
        PanelWidths least{};
        for (int i = 0; i < kPanelCount; ++i) {
            const QLabel *panel = panels_[i];
            const QMargins margins = panel->contentsMargins();
            // a framed label indents its text by half an x, and as much is
            // kept free after it
            const QFontMetrics metrics = panel->fontMetrics();
            least[i] = margins.left() + margins.right() + 2 * panel->margin() + metrics.horizontalAdvance(u'x')
                       + metrics.boundingRect(QRect(), 0, longest.at(i)).width();
        }
        const PanelWidths widths = SharePanelWidths(width() - (kPanelCount - 1) * kPanelGap, least);
        int x = 0;
        for (int i = 0; i < kPanelCount; ++i) {
            panels_[i]->setGeometry(x, 0, widths[i], height());
            x += widths[i] + kPanelGap;
        }
    }

private:
    QLabel *panels_[kPanelCount] = {};
};

} // namespace

void SetMessageBoxHook(MessageBoxHook hook)
{
    Hook() = std::move(hook);
}

QMessageBox::StandardButton ShowMessageBox(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                           const QString &text, QMessageBox::StandardButtons buttons,
                                           const QString &shortenable)
{
    if (Hook())
        return Hook()(icon, title, text, buttons);
    OneLineMessageBox box(icon, title, text, buttons, parent, shortenable);
    return QMessageBox::StandardButton(RunDialog(box));
}

CommandLineRequest ParseCommandLine(const QStringList &arguments, const QString &startFolder)
{
    CommandLineRequest request;
    if (arguments.isEmpty())
        return request;
    const QString first = arguments.first().trimmed().toUpper();
    if (first == QStringLiteral("-A"))
        request.runMode = QStringLiteral("AUT");
    else if (first == QStringLiteral("-H"))
        request.runMode = QStringLiteral("HIDE");
    else if (first == QStringLiteral("-R"))
        request.runMode = QStringLiteral("RUN");
    if (request.runMode.isEmpty())
        request.fileName = arguments.first().trimmed();
    else if (arguments.size() > 1)
        request.fileName = arguments.at(1).trimmed();
    if (!request.fileName.isEmpty() && !startFolder.isEmpty())
        request.fileName = QDir::cleanPath(QDir(startFolder).absoluteFilePath(request.fileName));
    return request;
}

namespace {

// The name to open: as it is given when it names something; a name that
// names nothing and has no extension is given the default one.
QString NameToOpen(const QString &file, const QString &defaultSuffix)
{
    const QFileInfo info(file);
    if (defaultSuffix.isEmpty() || info.exists() || !info.suffix().isEmpty())
        return file;
    return file + u'.' + defaultSuffix;
}

// Qt's default suffix goes to every name without an extension, the name of
// an existing file too; opening, this dialog adds it only where NameToOpen
// does (saving, it is given no suffix of its own and Qt's applies).
class ProgramFileDialog : public QFileDialog {
public:
    ProgramFileDialog(QWidget *parent, const QString &title, const QString &defaultSuffix)
        : QFileDialog(parent, title), defaultSuffix_(defaultSuffix)
    {
    }

    void accept() override
    {
        const QStringList files = selectedFiles();
        if (files.size() == 1 && NameToOpen(files.first(), defaultSuffix_) != files.first())
            selectFile(NameToOpen(files.first(), defaultSuffix_));
        QFileDialog::accept();
    }

private:
    QString defaultSuffix_;
};

} // namespace

bool ChooseFileWithEncoding(QWidget *parent, bool save, const QString &title, const QStringList &filters,
                            const QString &defaultSuffix, const QStringList &encodings,
                            const QString &startPath, QString &file, QString &encoding)
{
    ProgramFileDialog dialog(parent, title, save ? QString() : defaultSuffix);
    dialog.setOption(QFileDialog::DontUseNativeDialog);  // the encoding list needs Qt's own dialog
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);  // each name once, as it is written
    dialog.setNameFilters(filters);
    if (save)
        dialog.setDefaultSuffix(defaultSuffix);
    const QFileInfo start(startPath);
    if (start.isDir())
        dialog.setDirectory(startPath);
    else {
        dialog.setDirectory(start.absolutePath());
        dialog.selectFile(start.fileName());
    }
    auto *list = new QComboBox(&dialog);
    list->addItems(encodings);
    if (const int index = int(encodings.indexOf(encoding)); index >= 0)
        list->setCurrentIndex(index);
    if (auto *grid = qobject_cast<QGridLayout *>(dialog.layout())) {
        const int row = grid->rowCount();
        grid->addWidget(new QLabel(QStringLiteral(u"文字コード:"), &dialog), row, 0);
        grid->addWidget(list, row, 1);
    }
    if (RunDialog(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    file = save ? dialog.selectedFiles().first() : NameToOpen(dialog.selectedFiles().first(), defaultSuffix);
    encoding = list->currentText();
    return true;
}

QString VersionBoxText()
{
    return QStringLiteral("Orvane v. ") + ProgramVersion() + QStringLiteral(" (") + ProgramReleaseDate()
           + QStringLiteral(")\r\n") + QString::fromUtf16(kAuthor) + QStringLiteral("\r\n Your OS is ")
           + OSVersionName;
}

TOvFrameForm::TOvFrameForm(RunController &runs, QWidget *parent) : QMainWindow(parent), runs_(runs)
{
    FormCreate();
}

// The editors go with the frame; their activations no longer reach it.
TOvFrameForm::~TOvFrameForm()
{
    MdiArea->disconnect(this);
}

void TOvFrameForm::FormCreate()
{
    setWindowTitle(AppTitle());
    MdiArea = new QMdiArea(this);
    MdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    MdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(MdiArea);
    connect(MdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *window) {
        MergeMenus();
        if (window == nullptr)
            return;
        if (auto *editor = qobject_cast<TOVEditForm *>(window->widget()))
            editor->FormActivate();
    });
    setAcceptDrops(true);

    CreateMenus();
    CreateStatusPanels();
    MergeMenus();
    resize(MainFormWidth, MainFormHeight);
    PlaceWindow();
}

void TOvFrameForm::PlaceWindow()
{
    if (MainFramePosAuto == 0) {
        move(MainFrameLeft, MainFrameTop);
    } else if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

void TOvFrameForm::CreateMenus()
{
    auto item = [this](QMenu *menu, int caption, auto handler, const QKeySequence &key = {}) {
        QAction *action = menu->addAction(InterfaceText(caption));
        if (!key.isEmpty())
            action->setShortcut(key);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    OVMMenuProgram = new QMenu(InterfaceText(65183), this);
    OVMMenuNew = item(OVMMenuProgram, 65152, [this] { NewEditor(); }, QKeySequence(Qt::CTRL | Qt::Key_N));
    OVMMenuNew->setStatusTip(InterfaceText(65153));
    OVMMenuOpen = item(OVMMenuProgram, 65154, [this] { OVMMenuOpenClick(); }, QKeySequence(Qt::CTRL | Qt::Key_O));
    OVMMenuOpen->setStatusTip(InterfaceText(65155));
    OVMMenuExit = item(OVMMenuProgram, 65156, [this] { OVMMenuExitClick(); });
    OVMMenuExit->setStatusTip(InterfaceText(65157));

    OVMMenuWindow = new QMenu(InterfaceText(65158), this);
    OVMMenuTileHorizontal = new QAction(InterfaceText(65159), this);
    OVMMenuTileVertical = new QAction(InterfaceText(65160), this);
    OVMMenuCascade = new QAction(InterfaceText(65161), this);
    OVMMenuIConSort = new QAction(InterfaceText(65162), this);
    connect(OVMMenuTileHorizontal, &QAction::triggered, this, [this] { TileWindows(true); });
    connect(OVMMenuTileVertical, &QAction::triggered, this, [this] { TileWindows(false); });
    connect(OVMMenuCascade, &QAction::triggered, MdiArea, &QMdiArea::cascadeSubWindows);
    connect(OVMMenuIConSort, &QAction::triggered, this, &TOvFrameForm::ArrangeIcons);
    // The console has no task-bar button of its own here: this item finds it.
    OVMMenuShowConsole = new QAction(QStringLiteral(u"実行画面(&R)"), this);
    connect(OVMMenuShowConsole, &QAction::triggered, this, [this] {
        if (console_ != nullptr)
            console_->BringToFront();
    });
    connect(OVMMenuWindow, &QMenu::aboutToShow, this, &TOvFrameForm::FillWindowMenu);
    FillWindowMenu();

    OVMMenuOption = new QMenu(InterfaceText(65163), this);
    // Each choice opens a fresh form owned by the frame; it goes when closed.
    OVMMenuPreferenceSetting = item(OVMMenuOption, 65164, [this] { (new TOVOptionFrame(*this))->show(); });
    OVMMenuAssociationSetting = item(OVMMenuOption, 65165, [this] { (new TOVASForm(this))->show(); });
    OVMMenuDeletePreference = OVMMenuOption->addMenu(InterfaceText(65166));
    OVMMenuDeleteRegistry = item(OVMMenuDeletePreference, 65167, [this] { DeleteSettings(true); });
    OVMMenuDeleteIniFile = item(OVMMenuDeletePreference, 65136, [this] { DeleteSettings(false); });

    OVMMenuHelp = new QMenu(InterfaceText(65137), this);
    OVMMenuOVHelp = item(OVMMenuHelp, 65138,
                         [this] { OpenHelpPage(QString::fromUtf16(kHelpStartPage), false); },
                         QKeySequence(Qt::Key_F1));
    OVMMenuBasicTutor = item(OVMMenuHelp, 65139,
                             [this] { OpenHelpPage(QString::fromUtf16(kTutorialPage), true); },
                             QKeySequence(Qt::SHIFT | Qt::Key_F1));
    OVMMenuVersion = item(OVMMenuHelp, 65140, [this] { ShowVersion(); });
    OVMMenuOVHomePage = item(OVMMenuHelp, 65141, [this] { OpenHomePage(); });
}

// The active editor's menus come first, ahead of Window, Option and Help;
// without one the frame's own Program menu stands there.
void TOvFrameForm::MergeMenus()
{
    QMenuBar *bar = menuBar();
    bar->clear();
    if (TOVEditForm *editor = ActiveEditor()) {
        bar->addMenu(editor->OVEMenuProgram);
        bar->addMenu(editor->OVEMenuEdit);
        bar->addMenu(editor->OVEMenuSearch);
        bar->addMenu(editor->OVEMenuRun);
        bar->addAction(editor->OVEMenuRunNow);
    } else {
        bar->addMenu(OVMMenuProgram);
    }
    bar->addMenu(OVMMenuWindow);
    bar->addMenu(OVMMenuOption);
    bar->addMenu(OVMMenuHelp);
}

void TOvFrameForm::FillWindowMenu()
{
    OVMMenuWindow->clear();
    OVMMenuWindow->addAction(OVMMenuTileHorizontal);
    OVMMenuWindow->addAction(OVMMenuTileVertical);
    OVMMenuWindow->addAction(OVMMenuCascade);
    OVMMenuWindow->addAction(OVMMenuIConSort);
    OVMMenuWindow->addSeparator();
    OVMMenuWindow->addAction(OVMMenuShowConsole);
    const QList<QMdiSubWindow *> windows = MdiArea->subWindowList();
    if (!windows.isEmpty())
        OVMMenuWindow->addSeparator();
    for (QMdiSubWindow *window : windows) {
        QAction *action = OVMMenuWindow->addAction(window->windowTitle());
        action->setCheckable(true);
        action->setChecked(window == MdiArea->activeSubWindow());
        connect(action, &QAction::triggered, MdiArea, [this, window] { MdiArea->setActiveSubWindow(window); });
    }
}

// Horizontal: the editors one above the other across the whole width;
// vertical: side by side across the whole height.
void TOvFrameForm::TileWindows(bool horizontal)
{
    QList<QMdiSubWindow *> windows;
    for (QMdiSubWindow *window : MdiArea->subWindowList())
        if (!window->isMinimized())
            windows.append(window);
    if (windows.isEmpty())
        return;
    const QRect area = MdiArea->viewport()->rect();
    const int n = int(windows.size());
    for (int i = 0; i < n; ++i) {
        windows[i]->showNormal();
        if (horizontal)
            windows[i]->setGeometry(0, area.height() * i / n, area.width(), area.height() / n);
        else
            windows[i]->setGeometry(area.width() * i / n, 0, area.width() / n, area.height());
    }
}

void TOvFrameForm::ArrangeIcons()
{
    const QRect area = MdiArea->viewport()->rect();
    int x = 0;
    for (QMdiSubWindow *window : MdiArea->subWindowList()) {
        if (!window->isMinimized())
            continue;
        window->move(x, area.height() - window->height());
        x += window->width();
    }
}

void TOvFrameForm::CreateStatusPanels()
{
    auto *strip = new PanelStrip(statusBar());
    for (int i = 0; i < kPanelCount; ++i)
        panels_[i] = strip->Panel(i);
    statusBar()->addWidget(strip, 1);
}

void TOvFrameForm::SetPanel(int index, const QString &text)
{
    if (index >= 0 && index < 6)
        panels_[index]->setText(text);
}

QString TOvFrameForm::PanelText(int index) const
{
    return index >= 0 && index < 6 ? panels_[index]->text() : QString();
}

void TOvFrameForm::ClearPanels()
{
    statusBar()->clearMessage();
    for (QLabel *panel : panels_)
        panel->clear();
}

// ---------------------------------------------------------------- editors

QList<TOVEditForm *> TOvFrameForm::Editors() const
{
    QList<TOVEditForm *> editors;
    for (QMdiSubWindow *window : MdiArea->subWindowList())
        if (auto *editor = qobject_cast<TOVEditForm *>(window->widget()))
            editors.append(editor);
    return editors;
}

TOVEditForm *TOvFrameForm::ActiveEditor() const
{
    QMdiSubWindow *window = MdiArea->currentSubWindow();
    return window != nullptr ? qobject_cast<TOVEditForm *>(window->widget()) : nullptr;
}

TOVEditForm *TOvFrameForm::LastEditor() const
{
    return lastEditor_.data();
}

TOVEditForm *TOvFrameForm::AddEditor(TOVEditForm *editor)
{
    QMdiSubWindow *window = MdiArea->addSubWindow(editor);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->resize(editor->size());
    connect(editor, &TOVEditForm::NewRequested, this, [this] { NewEditor(); });
    connect(editor, &TOVEditForm::OpenRequested, this, &TOvFrameForm::OVMMenuOpenClick);
    connect(editor, &TOVEditForm::ExitRequested, this, &TOvFrameForm::OVMMenuExitClick);
    connect(editor, &QWidget::windowTitleChanged, window, &QWidget::setWindowTitle);
    lastEditor_ = editor;
    window->show();
    PlaceNewEditor(window);
    MdiArea->setActiveSubWindow(window);
    MergeMenus();
    editor->RefreshPanels();
    return editor;
}

// A new editor opens one title bar's height below and right of the one
// opened before, as a cascade places them, and back at the corner when it
// would reach out of the visible area; one larger than the area is made to
// fit. Before the frame is shown the area has no size yet to go by.
void TOvFrameForm::PlaceNewEditor(QMdiSubWindow *window)
{
    if (!MdiArea->isVisible())
        return;
    const QSize area = MdiArea->viewport()->size();
    const QSize size = window->size().boundedTo(area);
    if (MdiArea->subWindowList().size() <= 1)
        nextEditorCorner_ = QPoint(0, 0);
    QPoint corner = nextEditorCorner_;
    if (corner.x() + size.width() > area.width() || corner.y() + size.height() > area.height())
        corner = QPoint(0, 0);
    window->setGeometry(QRect(corner, size));
    const int step = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    nextEditorCorner_ = corner + QPoint(step, step);
}

TOVEditForm *TOvFrameForm::NewEditor()
{
    return AddEditor(new TOVEditForm(*this));
}

TOVEditForm *TOvFrameForm::OpenFile(const QString &path, const QString &encodingName, bool colour)
{
    auto *editor = new TOVEditForm(*this);
    TextEncoding encoding;
    if (encodingName == QStringLiteral("Auto")) {
        const EncodingKind kind = DetectFileEncoding(path);
        editor->EncodingName = EncodingKindName(kind);
        encoding = EncodingOfKind(kind);
    } else {
        editor->EncodingName = encodingName;
        encoding = GetEncodingByName(encodingName);
    }
    if (!editor->Open(path, encoding)) {
        if (UntitledCount > 0)
            --UntitledCount;
        delete editor;
        ShowMessageBox(this, QMessageBox::Warning, AppTitle(), QStringLiteral(u"%1 を開けません。").arg(path));
        return nullptr;
    }
    if (colour)
        editor->Highlighter().ColourWholeText();
    AddEditor(editor);
    return editor;
}

void TOvFrameForm::OVMMenuOpenClick()
{
    const QStringList filters{
        QStringLiteral("Orvane Text (*.ovt;*.lib) (*.ovt *.lib)"),
        QStringLiteral("Basic File (*.ovt; *.bas;*.lib) (*.ovt *.lib *.bas)"),
        QStringLiteral("Text Type File (*.ovt;*.lib;*.bas;*.txt;*.dat) (*.ovt *.lib *.bas *.txt *.dat)"),
        QStringLiteral("All (*.*) (*)")};
    const QStringList encodings{QStringLiteral("Auto"),     QStringLiteral("Unicode"),
                                QStringLiteral("Big Endian Unicode"), QStringLiteral("SJIS"),
                                QStringLiteral("EUC"),      QStringLiteral("JIS"),
                                QStringLiteral("UTF-8"),    QStringLiteral("UTF-8BOM")};
    QString file;
    QString encoding = openEncoding_;
    if (!ChooseFileWithEncoding(this, false, QStringLiteral(u"プログラムを開く"), filters, QStringLiteral("ovt"),
                                encodings, ProgramFolder, file, encoding))
        return;
    openEncoding_ = encoding;
    if (OpenFile(file, encoding, AutoFormatLoadOn == 1) != nullptr)
        ProgramFolder = QFileInfo(file).absolutePath();
}

void TOvFrameForm::OVMMenuExitClick()
{
    StopRequested = 1;
    close();
}

// ---------------------------------------------------------------- command line

void TOvFrameForm::ActOnCommandLine(const QStringList &arguments, const QString &startFolder)
{
    const CommandLineRequest request = ParseCommandLine(arguments, startFolder);
    if (request.fileName.isEmpty())
        return;
    TOVEditForm *editor = OpenFile(request.fileName, QStringLiteral("Auto"), AutoFormatLoadOn == 1);
    if (editor == nullptr || request.runMode.isEmpty())
        return;
    if (request.runMode != QStringLiteral("AUT")) {
        SetWindowStates(*this, WindowStatesOf(*this) | Qt::WindowMinimized);
        show();
    }
    if (request.runMode != QStringLiteral("HIDE")) {
        editor->OVEMenuRunOVClick();
        return;
    }
    // The console is minimised even when a run already going refuses this
    // one; only the hidden run itself keeps it so.
    if (console_ != nullptr) {
        SetWindowStates(*console_, WindowStatesOf(*console_) | Qt::WindowMinimized);
        console_->show();
    }
    editor->RunWithConsoleMinimized();
}

// ---------------------------------------------------------------- closing

void TOvFrameForm::closeEvent(QCloseEvent *event)
{
    if (ChkMsgOn == 1
        && ShowMessageBox(this, QMessageBox::Question, AppTitle(), InterfaceText(65243),
                          QMessageBox::Yes | QMessageBox::No)
               != QMessageBox::Yes) {
        event->ignore();
        return;
    }
    if (!CloseEditors()) {
        event->ignore();
        return;
    }
    event->accept();
    // The program ends: a run stops, and what it has yet to print is not shown.
    StopRequested = 1;
    DiscardConsoleLines();
    if (console_ != nullptr)
        console_->hide();
    CloseHelpWindow();
    emit Closed();
}

// Each modified editor asks whether to save before any closes: Cancel at
// any question keeps them all open, those answered No too.
bool TOvFrameForm::CloseEditors()
{
    QList<QPointer<TOVEditForm>> editors;
    for (TOVEditForm *editor : Editors())
        editors.append(editor);
    for (const QPointer<TOVEditForm> &editor : editors)
        if (editor != nullptr && !editor->QueryClose())
            return false;
    for (const QPointer<TOVEditForm> &editor : editors)
        if (editor != nullptr)
            editor->CloseAnswered();
    return MdiArea->subWindowList().isEmpty();
}

// Coming back to the frame (from the console, say) is the active editor's
// activation too: it shows the error of its last run.
void TOvFrameForm::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        if (TOVEditForm *editor = ActiveEditor())
            editor->FormActivate();
}

void TOvFrameForm::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

// Dropped files each open in an editor with the encoding detected in them.
void TOvFrameForm::dropEvent(QDropEvent *event)
{
    for (const QUrl &url : event->mimeData()->urls())
        if (url.isLocalFile())
            OpenFile(url.toLocalFile(), QStringLiteral("Auto"), false);
    event->acceptProposedAction();
}

// ---------------------------------------------------------------- options and help

void TOvFrameForm::DeleteSettings(bool registry)
{
    if (ShowMessageBox(this, QMessageBox::Question, AppTitle(), InterfaceText(registry ? 65241 : 65242),
                       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)
        != QMessageBox::Yes)
        return;
    QString error;
    const bool done = registry ? DeleteRegistrySettings(&error) : DeleteIniSettings(&error);
    if (!done)
        ShowMessageBox(this, QMessageBox::Critical, AppTitle(), error);
}

void TOvFrameForm::OpenHelpPage(const QString &page, bool reportFailure)
{
    if (ShowHelpWindow(page) == nullptr && reportFailure)
        ShowMessageBox(this, QMessageBox::Critical, QStringLiteral(u"エラー"),
                       QStringLiteral(u"Basic入門の起動に失敗しました"));
}

void TOvFrameForm::ShowVersion()
{
    ShowMessageBox(this, QMessageBox::Information, AppTitle(), VersionBoxText());
}

void TOvFrameForm::OpenHomePage()
{
    const QString address = QString::fromUtf16(kHomePage);
    if (ShowMessageBox(this, QMessageBox::Question, AppTitle(),
                       InterfaceText(65244) + QStringLiteral("\r\n") + address,
                       QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes)
        QDesktopServices::openUrl(QUrl(address));
}

} // namespace ov
