#include "environment/OVOption.h"

#include "devices/OVGraphForm.h"
#include "devices/OVKeySetting.h"
#include "devices/OVQColor.h"
#include "devices/OVQFont.h"
#include "environment/OVFontDialog.h"
#include "environment/OVFrame.h"
#include "environment/OVRunFrame.h"
#include "executor/OVMThread.h"
#include "executor/OVRunCommands.h"
#include "resources/OVInterfaceTexts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

using namespace Qt::Literals::StringLiterals;

namespace ov {

namespace {

ColorDialogHook &ColorHook()
{
    static ColorDialogHook hook;
    return hook;
}
FontDialogHook &FontHook()
{
    static FontDialogHook hook;
    return hook;
}
FolderDialogHook &FolderHook()
{
    static FolderDialogHook hook;
    return hook;
}

bool AskColor(QWidget *parent, QColor &colour)
{
    if (ColorHook())
        return ColorHook()(parent, colour);
    const QColor chosen = QColorDialog::getColor(colour, parent);
    if (!chosen.isValid())
        return false;
    colour = chosen;
    return true;
}

bool AskFont(QWidget *parent, QFont &font)
{
    if (FontHook())
        return FontHook()(parent, font);
    TOVFontDialog dialog(font, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    font = dialog.SelectedFont();
    return true;
}

bool AskFolder(QWidget *parent, QString &folder)
{
    if (FolderHook())
        return FolderHook()(parent, folder);
    const QString chosen = QFileDialog::getExistingDirectory(parent, QString(), folder);
    if (chosen.isEmpty())
        return false;
    folder = chosen;
    return true;
}

// The style combos' items stand for these sets, in index order.
constexpr std::array<FontStyleSet, 4> kComboStyles = {0, 2, 1, 3};
const std::array<QString, 4> kComboStyleTexts = {u"Normal"_s, u"Italic"_s, u"Bold"_s, u"Bold Italic"_s};

int StyleIndex(FontStyleSet styles)
{
    const auto it = std::find(kComboStyles.begin(), kComboStyles.end(), styles);
    return it == kComboStyles.end() ? -1 : int(it - kComboStyles.begin());
}

// The four plain sets show as the combos write them; any other set shows as
// the text that reads back to it, so that Underline and StrikeOut survive.
QString StyleBoxText(FontStyleSet styles)
{
    const int index = StyleIndex(styles);
    return index >= 0 ? kComboStyleTexts[index] : FontStylesToStr(styles);
}

void SetPanelColour(QFrame *panel, ColorValue colour)
{
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, ColorValueToQColor(colour));
    panel->setPalette(palette);
}

ColorValue PanelColour(const QFrame *panel)
{
    return QColorToColorValue(panel->palette().color(QPalette::Window));
}

QFrame *NewPanel(QWidget *parent)
{
    auto *panel = new QFrame(parent);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setAutoFillBackground(true);
    panel->setMinimumSize(60, 20);
    return panel;
}

QLineEdit *NewBox(QWidget *parent, bool readOnly = false)
{
    auto *box = new QLineEdit(parent);
    box->setReadOnly(readOnly);
    return box;
}

QPushButton *NewButton(int caption, QWidget *parent)
{
    return new QPushButton(InterfaceText(caption), parent);
}

// A box's text as an integer in [low, high]; decimal digits with an
// optional sign and nothing else.
bool ReadBox(const QLineEdit *box, int low, int high, int &value)
{
    bool ok = false;
    value = box->text().trimmed().toInt(&ok, 10);
    return ok && value >= low && value <= high;
}

int ComboIndexToTabStops(int index) { return index + 3; }

// A page: a grid of controls above the row of save buttons.
QWidget *NewPage(QWidget *parent, QGridLayout *&grid)
{
    auto *page = new QWidget(parent);
    auto *layout = new QVBoxLayout(page);
    grid = new QGridLayout;
    layout->addLayout(grid);
    return page;
}

// A caption, a box or panel and its Browse button on row `row`.
void AddBrowseRow(QGridLayout *grid, int row, const QString &caption, QWidget *field, QPushButton *button)
{
    grid->addWidget(new QLabel(caption, grid->parentWidget()), row, 0);
    grid->addWidget(field, row, 1);
    grid->addWidget(button, row, 2);
}

// The four read-only font boxes under the caption "フォント" from row
// `row`, the Browse button beside the last; returns the next free row.
int AddFontBoxes(QGridLayout *grid, int row, const std::array<QLineEdit *, 4> &boxes, QPushButton *button)
{
    QWidget *page = grid->parentWidget();
    grid->addWidget(new QLabel(InterfaceText(65208), page), row++, 0);
    const char16_t *const captions[4] = {u"Charset", u"Name", u"Size", u"Style"};
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(new QLabel(QString::fromUtf16(captions[i]), page), row, 0);
        grid->addWidget(boxes[i], row++, 1);
    }
    grid->addWidget(button, row - 1, 2);
    return row;
}

} // namespace

void SetColorDialogHook(ColorDialogHook hook) { ColorHook() = std::move(hook); }
void SetFontDialogHook(FontDialogHook hook) { FontHook() = std::move(hook); }
void SetFolderDialogHook(FolderDialogHook hook) { FolderHook() = std::move(hook); }

bool PositionOnSomeScreen(int left, int top)
{
    return QGuiApplication::screenAt(QPoint(left, top)) != nullptr;
}

void KeepPlacementsOnScreens()
{
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (primary == nullptr)
        return;
    const QRect area = primary->availableGeometry();
    const auto keep = [&](int automatic, int &top, QString &topText, int &left, QString &leftText) {
        if (automatic != 0 || PositionOnSomeScreen(left, top))
            return;
        top = std::clamp(top, area.top(), area.bottom());
        left = std::clamp(left, area.left(), area.right());
        topText = QString::number(top);
        leftText = QString::number(left);
    };
    keep(MainFramePosAuto, MainFrameTop, MainFrameTopText, MainFrameLeft, MainFrameLeftText);
    keep(TScreenPosAuto, TScreenTop, TScreenTopText, TScreenLeft, TScreenLeftText);
    keep(GScreenPosAuto, GScreenTop, GScreenTopText, GScreenLeft, GScreenLeftText);
}

// ---------------------------------------------------------------- building the form

TOVOptionFrame::TOVOptionFrame(TOvFrameForm &frame)
    : QWidget(&frame, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      frame_(frame)
{
    setAttribute(Qt::WA_DeleteOnClose);
    FormCreate();
}

void TOVOptionFrame::FormCreate()
{
    setWindowTitle(InterfaceText(65096));
    PageControl1 = new QTabWidget(this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    PageControl1->addTab(TabSheet1 = CreateGeneralPage(), InterfaceText(65097));
    PageControl1->addTab(TabSheet2 = CreateEditorPage(), InterfaceText(65098));
    PageControl1->addTab(TabSheet3 = CreateConsolePage(), InterfaceText(65099));
    PageControl1->addTab(TabSheet4 = CreateSizePage(), InterfaceText(65100));
    PageControl1->addTab(TabSheet5 = CreatePositionPage(), InterfaceText(65101));
    FillGeneralPage();
    FillEditorPage();
    FillConsolePage();
    FillSizePage();
    FillPositionPage();
    adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

QPushButton *TOVOptionFrame::ColorButton(QFrame *panel)
{
    QPushButton *button = NewButton(65204, panel->parentWidget());
    connect(button, &QPushButton::clicked, this, [this, panel] {
        QColor colour = lastColour_;
        if (!AskColor(this, colour))
            return;
        lastColour_ = colour;
        SetPanelColour(panel, QColorToColorValue(colour));
    });
    return button;
}

// The font dialog starts from the boxes and fills them on OK (a name that
// stays chosen comes back as it was); Qt's fonts have no character set, so
// that box keeps its text.
QPushButton *TOVOptionFrame::FontButton(QLineEdit *name, QLineEdit *size, QLineEdit *style)
{
    QPushButton *button = NewButton(65204, name->parentWidget());
    connect(button, &QPushButton::clicked, this, [this, name, size, style] {
        QFont font(name->text());
        const int points = SettingTextToInt(size->text());
        font.setPointSize(points > 0 ? points : 10);
        const FontStyleSet styles = StrToFontStyles(style->text());
        ApplyFontStyles(font, styles);
        if (!AskFont(this, font))
            return;
        size->setText(QString::number(font.pointSize()));
        name->setText(font.family());
        style->setText(FontStylesToStr(FontStylesOf(font)));
    });
    return button;
}

QPushButton *TOVOptionFrame::FolderButton(QLineEdit *box)
{
    QPushButton *button = NewButton(65204, box->parentWidget());
    connect(button, &QPushButton::clicked, this, [this, box] {
        QString folder = box->text();
        if (AskFolder(this, folder))
            box->setText(folder);
    });
    return button;
}

void TOVOptionFrame::AddSaveButtons(QWidget *page, QPushButton *&save, QPushButton *&saveExit,
                                    QPushButton *&cancel, const std::function<bool()> &copy)
{
    save = NewButton(65205, page);
    saveExit = NewButton(65206, page);
    cancel = NewButton(65207, page);
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(save);
    row->addWidget(saveExit);
    row->addWidget(cancel);
    static_cast<QVBoxLayout *>(page->layout())->addStretch();
    static_cast<QVBoxLayout *>(page->layout())->addLayout(row);
    connect(save, &QPushButton::clicked, this, [this, copy] { SaveAndMaybeClose(copy, false); });
    connect(saveExit, &QPushButton::clicked, this, [this, copy] { SaveAndMaybeClose(copy, true); });
    connect(cancel, &QPushButton::clicked, this, &QWidget::close);
}

// A store that cannot be written is reported and the form stays open.
void TOVOptionFrame::SaveAndMaybeClose(const std::function<bool()> &copy, bool close)
{
    if (!copy())
        return;
    QString error;
    if (!SaveSettings(&error)) {
        ShowMessageBox(this, QMessageBox::Critical, InterfaceText(65096), error);
        return;
    }
    if (close)
        this->close();
}

void TOVOptionFrame::Refuse(const QString &text)
{
    ShowMessageBox(this, QMessageBox::Warning, InterfaceText(65096), text);
}

QWidget *TOVOptionFrame::CreateGeneralPage()
{
    QGridLayout *grid = nullptr;
    QWidget *page = NewPage(PageControl1, grid);
    auto *layout = static_cast<QVBoxLayout *>(page->layout());
    HelpFilePathBox = NewBox(page);
    WorkingPathBox = NewBox(page);
    SelectHelpPathButton = FolderButton(HelpFilePathBox);
    SelectWorkPathButton = FolderButton(WorkingPathBox);
    AddBrowseRow(grid, 0, InterfaceText(65102), HelpFilePathBox, SelectHelpPathButton);
    AddBrowseRow(grid, 1, InterfaceText(65103), WorkingPathBox, SelectWorkPathButton);
    FormatCheckBox = new QCheckBox(InterfaceText(65192), page);
    AFLoadCheckBox = new QCheckBox(InterfaceText(65193), page);
    CursorCheckBox = new QCheckBox(InterfaceText(65194), page);
    ExitMSGCheckBox = new QCheckBox(InterfaceText(65195), page);
    for (QCheckBox *box : {FormatCheckBox, AFLoadCheckBox, CursorCheckBox, ExitMSGCheckBox})
        layout->addWidget(box);
    RegiRadioButton = new QRadioButton(InterfaceText(65196), page);
    IniRadioButton = new QRadioButton(InterfaceText(65197), page);
    NoRadioButton = new QRadioButton(InterfaceText(65198), page);
    auto *group = new QButtonGroup(page);
    for (QRadioButton *button : {RegiRadioButton, IniRadioButton, NoRadioButton}) {
        group->addButton(button);
        layout->addWidget(button);
    }
    auto *present = new QHBoxLayout;
    PresentSettingBox = NewBox(page, true);
    present->addWidget(new QLabel(InterfaceText(65072), page));
    present->addWidget(PresentSettingBox);
    layout->addLayout(present);
    AddSaveButtons(page, SaveButton, SaveExitButton, CancelButton, [this] {
        GeneralSettingSet();
        return true;
    });
    return page;
}

QWidget *TOVOptionFrame::CreateEditorPage()
{
    QGridLayout *grid = nullptr;
    QWidget *page = NewPage(PageControl1, grid);
    const auto styleCombo = [page] {
        auto *combo = new QComboBox(page);
        for (const QString &text : kComboStyleTexts)
            combo->addItem(text);
        return combo;
    };
    struct Row {
        QFrame *&panel;
        QPushButton *&button;
        int caption;
        QComboBox **style;
    };
    const Row rows[] = {{FCPanel, Button1, 65209, nullptr},
                        {BCPanel, Button2, 65210, nullptr},
                        {KCPanel, Button3, 65073, &KSComboBox},
                        {CCPanel, Button4, 65074, &CSComboBox},
                        {SCPanel, Button5, 65075, &SSComboBox}};
    int r = 0;
    for (const Row &row : rows) {
        row.panel = NewPanel(page);
        row.button = ColorButton(row.panel);
        AddBrowseRow(grid, r, InterfaceText(row.caption), row.panel, row.button);
        if (row.style != nullptr) {
            *row.style = styleCombo();
            grid->addWidget(new QLabel(InterfaceText(65211), page), r, 3);
            grid->addWidget(*row.style, r, 4);
        }
        ++r;
    }
    EFCharSetBox = NewBox(page, true);
    EFNameBox = NewBox(page, true);
    EFSizeBox = NewBox(page, true);
    EFStyleBox = NewBox(page, true);
    EFChange = FontButton(EFNameBox, EFSizeBox, EFStyleBox);
    r = AddFontBoxes(grid, r, {EFCharSetBox, EFNameBox, EFSizeBox, EFStyleBox}, EFChange);
    ETabStopsComboBox = new QComboBox(page);
    for (int tab = 3; tab <= 9; ++tab)
        ETabStopsComboBox->addItem(QString::number(tab));
    grid->addWidget(new QLabel(u"TabStops"_s, page), r, 0);
    grid->addWidget(ETabStopsComboBox, r, 1);
    AddSaveButtons(page, ESaveButton, ESaveExitButton, ECancelButton, [this] {
        EditorSettingSet();
        return true;
    });
    return page;
}

QWidget *TOVOptionFrame::CreateConsolePage()
{
    QGridLayout *grid = nullptr;
    QWidget *page = NewPage(PageControl1, grid);
    TFCPanel = NewPanel(page);
    ConsoleBackColorPanel = NewPanel(page);
    TFCRefButton = ColorButton(TFCPanel);
    ConsoleBackColorButton = ColorButton(ConsoleBackColorPanel);
    AddBrowseRow(grid, 0, InterfaceText(65209), TFCPanel, TFCRefButton);
    AddBrowseRow(grid, 1, InterfaceText(65210), ConsoleBackColorPanel, ConsoleBackColorButton);
    TFCharSetBox = NewBox(page, true);
    TFNameBox = NewBox(page, true);
    TFSizeBox = NewBox(page, true);
    TFStyleBox = NewBox(page, true);
    TFRefButton = FontButton(TFNameBox, TFSizeBox, TFStyleBox);
    AddFontBoxes(grid, 2, {TFCharSetBox, TFNameBox, TFSizeBox, TFStyleBox}, TFRefButton);
    AddSaveButtons(page, TSaveButton, TSaveExitButton, TCancelButton, [this] {
        TScreenSettingSet();
        return true;
    });
    return page;
}

QWidget *TOVOptionFrame::CreateSizePage()
{
    QGridLayout *grid = nullptr;
    QWidget *page = NewPage(PageControl1, grid);
    struct Row {
        int caption;
        QLineEdit *&width, *&height;
        QPushButton *&current;
    };
    const Row rows[] = {{65186, MainWidthBox, MainHeightBox, MainCurrentSizeButton},
                        {65187, EditorWidthBox, EditorHeightBox, EditorCurrentSizeButton},
                        {65188, TScreenWidthBox, TScreenHeightBox, TScreenCurrentSizeButton}};
    int r = 0;
    for (const Row &row : rows) {
        row.width = NewBox(page);
        row.height = NewBox(page);
        row.current = NewButton(65212, page);
        grid->addWidget(new QLabel(InterfaceText(row.caption), page), r, 0);
        grid->addWidget(new QLabel(InterfaceText(65214), page), r, 1);
        grid->addWidget(row.width, r, 2);
        grid->addWidget(new QLabel(InterfaceText(65215), page), r, 3);
        grid->addWidget(row.height, r, 4);
        grid->addWidget(row.current, r++, 5);
    }
    const auto show = [](QLineEdit *width, QLineEdit *height, int w, int h) {
        width->setText(QString::number(w));
        height->setText(QString::number(h));
    };
    connect(MainCurrentSizeButton, &QPushButton::clicked, this,
            [this, show] { show(MainWidthBox, MainHeightBox, frame_.width(), frame_.height()); });
    connect(EditorCurrentSizeButton, &QPushButton::clicked, this,
            [this, show] { show(EditorWidthBox, EditorHeightBox, EditorCurrentWidth, EditorCurrentHeight); });
    // Measured as the console applies its size, so that saving keeps it.
    connect(TScreenCurrentSizeButton, &QPushButton::clicked, this, [this, show] {
        if (const TRunForm *console = frame_.RunForm()) {
            const QSize size = console->SizeSetting();
            show(TScreenWidthBox, TScreenHeightBox, size.width(), size.height());
        }
    });
    AddSaveButtons(page, SSaveButton, SSaveExitButton, SCancelButton, [this] { return SizeSettingSet(); });
    return page;
}

QWidget *TOVOptionFrame::CreatePositionPage()
{
    QGridLayout *grid = nullptr;
    QWidget *page = NewPage(PageControl1, grid);
    struct Row {
        int caption;
        QComboBox *&mode;
        QLabel *&topLabel;
        QLineEdit *&top;
        QLabel *&leftLabel;
        QLineEdit *&left;
        QPushButton *&current;
    };
    const Row rows[] = {
        {65189, MScreenAutoPositionModeComboBox, Label52, Edit1, Label53, Edit2, MainCurrentPositionButton},
        {65190, TScreenAutoPositionModeComboBox, Label55, Edit3, Label56, Edit4, TextCurrentPositionButton},
        {65191, GScreenAutoPositionModeComboBox, Label58, Edit5, Label59, Edit6, GraphCurrentPositionButton}};
    int r = 0;
    for (const Row &row : rows) {
        row.mode = new QComboBox(page);
        row.mode->addItems({u"Auto"_s, u"Manual"_s});
        row.topLabel = new QLabel(InterfaceText(65184), page);
        row.top = NewBox(page);
        row.leftLabel = new QLabel(InterfaceText(65185), page);
        row.left = NewBox(page);
        row.current = NewButton(65213, page);
        grid->addWidget(new QLabel(InterfaceText(row.caption), page), r, 0);
        grid->addWidget(row.mode, r, 1);
        grid->addWidget(row.topLabel, r, 2);
        grid->addWidget(row.top, r, 3);
        grid->addWidget(row.leftLabel, r, 4);
        grid->addWidget(row.left, r, 5);
        grid->addWidget(row.current, r, 6);
        const int window = r++;
        connect(row.mode, &QComboBox::currentIndexChanged, this,
                [this, window](int index) { ShowPlacementBoxes(window, index != 0); });
    }
    grid->setColumnStretch(7, 1);  // hidden boxes leave the combos their width
    const auto show = [](QLineEdit *top, QLineEdit *left, const QWidget *window) {
        if (window == nullptr)
            return;
        top->setText(QString::number(window->y()));
        left->setText(QString::number(window->x()));
    };
    connect(MainCurrentPositionButton, &QPushButton::clicked, this, [this, show] { show(Edit1, Edit2, &frame_); });
    connect(TextCurrentPositionButton, &QPushButton::clicked, this,
            [this, show] { show(Edit3, Edit4, frame_.RunForm()); });
    connect(GraphCurrentPositionButton, &QPushButton::clicked, this,
            [this, show] {
                const QWidget *graphics = GraphForm();
                show(Edit5, Edit6, graphics != nullptr && graphics->isVisible() ? graphics : nullptr);
            });
    AddSaveButtons(page, PSaveButton, PSaveExitButton, PCancelButton, [this] { return PositionSettingSet(); });
    return page;
}

void TOVOptionFrame::ShowPlacementBoxes(int window, bool shown)
{
    const std::array<std::array<QWidget *, 5>, 3> widgets = {{
        {Label52, Edit1, Label53, Edit2, MainCurrentPositionButton},
        {Label55, Edit3, Label56, Edit4, TextCurrentPositionButton},
        {Label58, Edit5, Label59, Edit6, GraphCurrentPositionButton},
    }};
    for (QWidget *widget : widgets[window])
        widget->setVisible(shown);
}

// ---------------------------------------------------------------- filling the pages

void TOVOptionFrame::FillGeneralPage()
{
    HelpFilePathBox->setText(InstallPath);
    WorkingPathBox->setText(WorkingPath);
    FormatCheckBox->setChecked(FormatCheckText == u"ON");
    AFLoadCheckBox->setChecked(AutoFormatLoadText == u"ON");
    CursorCheckBox->setChecked(CursorModeText == u"ON");
    ExitMSGCheckBox->setChecked(ExitMsgCheckText != u"OFF");
    if (StorageMode == u"REGISTRY") {
        RegiRadioButton->setChecked(true);
        PresentSettingBox->setText(InterfaceText(65095));
    } else if (StorageMode == u"INIFILE") {
        IniRadioButton->setChecked(true);
        PresentSettingBox->setText(InterfaceText(65094));
    } else {
        NoRadioButton->setChecked(true);
        PresentSettingBox->setText(InterfaceText(65093));
    }
}

void TOVOptionFrame::FillEditorPage()
{
    SetPanelColour(FCPanel, EditorFontColor);
    SetPanelColour(BCPanel, EditorBackColor);
    SetPanelColour(KCPanel, EditorKeywordColor);
    SetPanelColour(CCPanel, EditorCommentColor);
    SetPanelColour(SCPanel, EditorStringColor);
    ETabStopsComboBox->setCurrentIndex(EditorTabStops >= 3 && EditorTabStops <= 9 ? EditorTabStops - 3 : -1);
    KSComboBox->setCurrentIndex(StyleIndex(EditorKeywordStyle));
    CSComboBox->setCurrentIndex(StyleIndex(EditorCommentStyle));
    SSComboBox->setCurrentIndex(StyleIndex(EditorStringStyle));
    EFCharSetBox->setText(EditorFontCharsetText);
    EFNameBox->setText(EditorFontNameText);
    EFSizeBox->setText(EditorFontSizeText);
    EFStyleBox->setText(StyleBoxText(EditorFontStyle));
}

void TOVOptionFrame::FillConsolePage()
{
    SetPanelColour(TFCPanel, TScreenFontColor);
    SetPanelColour(ConsoleBackColorPanel, TScreenBackColor);
    TFCharSetBox->setText(TScreenFontCharsetText);
    TFNameBox->setText(TScreenFontNameText);
    TFSizeBox->setText(TScreenFontSizeText);
    TFStyleBox->setText(StyleBoxText(TScreenFontStyle));
}

void TOVOptionFrame::FillSizePage()
{
    MainWidthBox->setText(MainFormWidthText);
    MainHeightBox->setText(MainFormHeightText);
    EditorWidthBox->setText(EditorWidthText);
    EditorHeightBox->setText(EditorHeightText);
    TScreenWidthBox->setText(TScreenWidthText);
    TScreenHeightBox->setText(TScreenHeightText);
}

void TOVOptionFrame::FillPositionPage()
{
    const struct {
        QComboBox *mode;
        int automatic;
        QString &modeText, &topText, &leftText;
        QLineEdit *top, *left;
    } rows[] = {
        {MScreenAutoPositionModeComboBox, MainFramePosAuto, MainFramePosModeText, MainFrameTopText,
         MainFrameLeftText, Edit1, Edit2},
        {TScreenAutoPositionModeComboBox, TScreenPosAuto, TScreenPosModeText, TScreenTopText, TScreenLeftText,
         Edit3, Edit4},
        {GScreenAutoPositionModeComboBox, GScreenPosAuto, GScreenPosModeText, GScreenTopText, GScreenLeftText,
         Edit5, Edit6},
    };
    int window = 0;
    for (const auto &row : rows) {
        row.mode->setCurrentIndex(row.automatic != 0 ? 0 : 1);
        row.modeText = row.automatic != 0 ? u"Auto"_s : u"Manual"_s;
        row.top->setText(row.topText);
        row.left->setText(row.leftText);
        ShowPlacementBoxes(window++, row.automatic == 0);
    }
}

// ---------------------------------------------------------------- copying a page

void TOVOptionFrame::GeneralSettingSet()
{
    InstallPath = HelpFilePathBox->text();
    WorkingPath = WorkingPathBox->text();
    StorageMode = RegiRadioButton->isChecked() ? u"REGISTRY"_s : IniRadioButton->isChecked() ? u"INIFILE"_s : QString();
    const auto copy = [](const QCheckBox *box, QString &text, int &flag) {
        flag = box->isChecked() ? 1 : 0;
        text = box->isChecked() ? u"ON"_s : u"OFF"_s;
    };
    copy(FormatCheckBox, FormatCheckText, FormatCheckOn);
    copy(AFLoadCheckBox, AutoFormatLoadText, AutoFormatLoadOn);
    copy(CursorCheckBox, CursorModeText, CursorModeOn);
    copy(ExitMSGCheckBox, ExitMsgCheckText, ExitMsgCheck);
    // The frame's close question follows at once; during a run the worker
    // owns the switch, and the next run copies the setting anyway.
    if (RunThreadActive.load() == 0)
        ChkMsgOn = ExitMsgCheck;
}

void TOVOptionFrame::EditorSettingSet()
{
    const std::pair<QFrame *, std::pair<ColorValue *, QString *>> colours[] = {
        {FCPanel, {&EditorFontColor, &EditorFontColorText}},
        {BCPanel, {&EditorBackColor, &EditorBackColorText}},
        {KCPanel, {&EditorKeywordColor, &EditorKeywordColorText}},
        {CCPanel, {&EditorCommentColor, &EditorCommentColorText}},
        {SCPanel, {&EditorStringColor, &EditorStringColorText}},
    };
    for (const auto &[panel, target] : colours) {
        *target.first = PanelColour(panel);
        *target.second = ColorToStr(*target.first);
    }
    const std::pair<QComboBox *, std::pair<FontStyleSet *, QString *>> styles[] = {
        {KSComboBox, {&EditorKeywordStyle, &EditorKeywordStyleText}},
        {CSComboBox, {&EditorCommentStyle, &EditorCommentStyleText}},
        {SSComboBox, {&EditorStringStyle, &EditorStringStyleText}},
    };
    for (const auto &[combo, target] : styles) {
        const int index = combo->currentIndex();
        if (index < 0 || index > 3)
            continue;
        *target.first = kComboStyles[index];
        *target.second = kComboStyleTexts[index];
    }
    if (const int index = ETabStopsComboBox->currentIndex(); index >= 0)
        EditorTabStopsText = QString::number(ComboIndexToTabStops(index));
    EditorFontCharsetText = EFCharSetBox->text();
    EditorFontNameText = EFNameBox->text();
    EditorFontSizeText = EFSizeBox->text();
    EditorFontStyleText = EFStyleBox->text();
    EditorFontStyle = StrToFontStyles(EditorFontStyleText);
    EditorFontName = EditorFontNameText;
    EditorFontSize = SettingTextToInt(EditorFontSizeText);
    EditorFontCharset = SettingTextToInt(EditorFontCharsetText);
    EditorTabStops = SettingTextToInt(EditorTabStopsText);
}

void TOVOptionFrame::TScreenSettingSet()
{
    TScreenFontColor = PanelColour(TFCPanel);
    TScreenBackColor = PanelColour(ConsoleBackColorPanel);
    TScreenFontColorText = ColorToStr(TScreenFontColor);
    TScreenBackColorText = ColorToStr(TScreenBackColor);
    TScreenFontCharsetText = TFCharSetBox->text();
    TScreenFontNameText = TFNameBox->text();
    TScreenFontSizeText = TFSizeBox->text();
    TScreenFontStyleText = TFStyleBox->text();
    TScreenFontStyle = StrToFontStyles(TScreenFontStyleText);
    TScreenFontName = TScreenFontNameText;
    TScreenFontSize = SettingTextToInt(TScreenFontSizeText);
    TScreenFontCharset = SettingTextToInt(TScreenFontCharsetText);
    if (TRunForm *console = frame_.RunForm())
        console->ApplyFont();
}

bool TOVOptionFrame::SizeSettingSet()
{
    struct Box {
        QLineEdit *box;
        int window, low;
        bool width;
        QString &text;
        int &value;
    };
    const Box boxes[] = {
        {MainWidthBox, 65186, MinWindowWidth, true, MainFormWidthText, MainFormWidth},
        {MainHeightBox, 65186, MinWindowHeight, false, MainFormHeightText, MainFormHeight},
        {EditorWidthBox, 65187, MinWindowWidth, true, EditorWidthText, EditorWidth},
        {EditorHeightBox, 65187, MinWindowHeight, false, EditorHeightText, EditorHeight},
        {TScreenWidthBox, 65188, MinWindowWidth, true, TScreenWidthText, TScreenWidth},
        {TScreenHeightBox, 65188, MinWindowHeight, false, TScreenHeightText, TScreenHeight},
    };
    std::array<int, 6> values{};
    for (int i = 0; i < 6; ++i) {
        const Box &b = boxes[i];
        if (!ReadBox(b.box, b.low, MaxWindowExtent, values[i])) {
            Refuse(QStringLiteral(u"%1の%2は %3 から %4 までの整数で指定して下さい。")
                       .arg(InterfaceText(b.window), InterfaceText(b.width ? 65214 : 65215))
                       .arg(b.low)
                       .arg(MaxWindowExtent));
            b.box->setFocus();
            return false;
        }
    }
    for (int i = 0; i < 6; ++i) {
        boxes[i].text = QString::number(values[i]);
        boxes[i].value = values[i];
    }
    return true;
}

// Positions of windows placed by hand must be integers that put the
// window's corner on a screen; those of windows placed automatically are
// kept as they stand.
bool TOVOptionFrame::PositionSettingSet()
{
    struct Row {
        QComboBox *mode;
        int caption;
        QLineEdit *top, *left;
        QString &modeText, &topText, &leftText;
        int &automatic, &topValue, &leftValue;
    };
    const Row rows[] = {
        {MScreenAutoPositionModeComboBox, 65189, Edit1, Edit2, MainFramePosModeText, MainFrameTopText,
         MainFrameLeftText, MainFramePosAuto, MainFrameTop, MainFrameLeft},
        {TScreenAutoPositionModeComboBox, 65190, Edit3, Edit4, TScreenPosModeText, TScreenTopText, TScreenLeftText,
         TScreenPosAuto, TScreenTop, TScreenLeft},
        {GScreenAutoPositionModeComboBox, 65191, Edit5, Edit6, GScreenPosModeText, GScreenTopText, GScreenLeftText,
         GScreenPosAuto, GScreenTop, GScreenLeft},
    };
    for (const Row &row : rows) {
        if (row.mode->currentIndex() == 0)
            continue;
        int top = 0, left = 0;
        if (!ReadBox(row.top, -MaxWindowPosition, MaxWindowPosition, top)
            || !ReadBox(row.left, -MaxWindowPosition, MaxWindowPosition, left) || !PositionOnSomeScreen(left, top)) {
            Refuse(QStringLiteral(u"%1は画面の中の位置を整数で指定して下さい。").arg(InterfaceText(row.caption)));
            row.top->setFocus();
            return false;
        }
    }
    for (const Row &row : rows) {
        const bool automatic = row.mode->currentIndex() == 0;
        row.automatic = automatic ? 1 : 0;
        row.modeText = automatic ? u"Auto"_s : u"Manual"_s;
        row.topText = automatic ? row.top->text() : QString::number(row.top->text().trimmed().toInt());
        row.leftText = automatic ? row.left->text() : QString::number(row.left->text().trimmed().toInt());
        row.topValue = SettingTextToInt(row.topText);
        row.leftValue = SettingTextToInt(row.leftText);
    }
    return true;
}

} // namespace ov
