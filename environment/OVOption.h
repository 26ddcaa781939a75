// The preferences window: five pages (general, editor, console, window
// sizes, window positions) on which the user edits the settings and saves
// them. Each page's Save copies that page only into the settings and then
// writes every setting to the chosen store.
#pragma once

#include "devices/OVGraphState.h"
#include "devices/OVQColor.h"

#include <QColor>
#include <QFont>
#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace ov {

class TOvFrameForm;

// The colour, font and folder dialogs of the form go through these hooks,
// so that tests can answer them. Each takes the starting value and returns
// false when the user cancels. Without a hook the dialog itself is shown.
using ColorDialogHook = std::function<bool(QWidget *parent, QColor &colour)>;
using FontDialogHook = std::function<bool(QWidget *parent, QFont &font)>;
using FolderDialogHook = std::function<bool(QWidget *parent, QString &folder)>;
void SetColorDialogHook(ColorDialogHook hook);
void SetFontDialogHook(FontDialogHook hook);
void SetFolderDialogHook(FolderDialogHook hook);


// True when a window's top left corner at (left, top) lies on a screen.
bool PositionOnSomeScreen(int left, int top);
// Brings each window placed by hand whose corner is on no screen back onto
// the primary one, so that a stored position cannot hide a window.
void KeepPlacementsOnScreens();

class TOVOptionFrame : public QWidget {
    Q_OBJECT

public:
    explicit TOVOptionFrame(TOvFrameForm &frame);

    QTabWidget *PageControl1 = nullptr;
    QWidget *TabSheet1 = nullptr, *TabSheet2 = nullptr, *TabSheet3 = nullptr, *TabSheet4 = nullptr,
            *TabSheet5 = nullptr;

    // General page.
    QLineEdit *HelpFilePathBox = nullptr, *WorkingPathBox = nullptr;
    QPushButton *SelectHelpPathButton = nullptr, *SelectWorkPathButton = nullptr;
    QCheckBox *FormatCheckBox = nullptr, *AFLoadCheckBox = nullptr, *CursorCheckBox = nullptr,
              *ExitMSGCheckBox = nullptr;
    QRadioButton *RegiRadioButton = nullptr, *IniRadioButton = nullptr, *NoRadioButton = nullptr;
    QLineEdit *PresentSettingBox = nullptr;
    QPushButton *SaveButton = nullptr, *SaveExitButton = nullptr, *CancelButton = nullptr;

    // Editor page.
    QFrame *FCPanel = nullptr, *BCPanel = nullptr, *KCPanel = nullptr, *CCPanel = nullptr, *SCPanel = nullptr;
    QPushButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr, *Button4 = nullptr,
                *Button5 = nullptr;
    QComboBox *KSComboBox = nullptr, *CSComboBox = nullptr, *SSComboBox = nullptr;
    QLineEdit *EFCharSetBox = nullptr, *EFNameBox = nullptr, *EFSizeBox = nullptr, *EFStyleBox = nullptr;
    QPushButton *EFChange = nullptr;
    QComboBox *ETabStopsComboBox = nullptr;
    QPushButton *ESaveButton = nullptr, *ESaveExitButton = nullptr, *ECancelButton = nullptr;

    // Console page.
    QFrame *TFCPanel = nullptr, *ConsoleBackColorPanel = nullptr;
    QPushButton *TFCRefButton = nullptr, *ConsoleBackColorButton = nullptr;
    QLineEdit *TFCharSetBox = nullptr, *TFNameBox = nullptr, *TFSizeBox = nullptr, *TFStyleBox = nullptr;
    QPushButton *TFRefButton = nullptr;
    QPushButton *TSaveButton = nullptr, *TSaveExitButton = nullptr, *TCancelButton = nullptr;

    // Size page.
    QLineEdit *MainWidthBox = nullptr, *MainHeightBox = nullptr, *EditorWidthBox = nullptr,
              *EditorHeightBox = nullptr, *TScreenWidthBox = nullptr, *TScreenHeightBox = nullptr;
    QPushButton *MainCurrentSizeButton = nullptr, *EditorCurrentSizeButton = nullptr,
                *TScreenCurrentSizeButton = nullptr;
    QPushButton *SSaveButton = nullptr, *SSaveExitButton = nullptr, *SCancelButton = nullptr;

    // Position page: top and left of the main frame, console and graphics
    // screen in Edit1 to Edit6.
    QComboBox *MScreenAutoPositionModeComboBox = nullptr, *TScreenAutoPositionModeComboBox = nullptr,
              *GScreenAutoPositionModeComboBox = nullptr;
    QLabel *Label52 = nullptr, *Label53 = nullptr, *Label55 = nullptr, *Label56 = nullptr, *Label58 = nullptr,
           *Label59 = nullptr;
    QLineEdit *Edit1 = nullptr, *Edit2 = nullptr, *Edit3 = nullptr, *Edit4 = nullptr, *Edit5 = nullptr,
              *Edit6 = nullptr;
    QPushButton *MainCurrentPositionButton = nullptr, *TextCurrentPositionButton = nullptr,
                *GraphCurrentPositionButton = nullptr;
    QPushButton *PSaveButton = nullptr, *PSaveExitButton = nullptr, *PCancelButton = nullptr;

    // Copying one page into the settings; false (with a message) when a
    // box holds a value the settings cannot take.
    void GeneralSettingSet();
    void EditorSettingSet();
    void TScreenSettingSet();
    bool SizeSettingSet();
    bool PositionSettingSet();

private:
    void FormCreate();
    QWidget *CreateGeneralPage();
    QWidget *CreateEditorPage();
    QWidget *CreateConsolePage();
    QWidget *CreateSizePage();
    QWidget *CreatePositionPage();
    void FillGeneralPage();
    void FillEditorPage();
    void FillConsolePage();
    void FillSizePage();
    void FillPositionPage();
    QPushButton *ColorButton(QFrame *panel);
    QPushButton *FontButton(QLineEdit *name, QLineEdit *size, QLineEdit *style);
    QPushButton *FolderButton(QLineEdit *box);
    void AddSaveButtons(QWidget *page, QPushButton *&save, QPushButton *&saveExit, QPushButton *&cancel,
                        const std::function<bool()> &copy);
    void SaveAndMaybeClose(const std::function<bool()> &copy, bool close);
    void ShowPlacementBoxes(int window, bool shown);
    void Refuse(const QString &text);

    TOvFrameForm &frame_;
    QColor lastColour_ = Qt::black;
};

} // namespace ov
