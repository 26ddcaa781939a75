// The association form: what a double click on a program file does (run
// with the editor minimised, run with it shown, open it in the editor, or
// nothing), registered for the current user through the desktop's file
// associations.
#pragma once

#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace ov {

class TOVASForm : public QWidget {
    Q_OBJECT

public:
    explicit TOVASForm(QWidget *owner);

    QLabel *Label4 = nullptr, *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QPushButton *OkBtn = nullptr, *CancelBtn = nullptr, *AboutBtn = nullptr;
    QGroupBox *RadioGroup1 = nullptr;
    QRadioButton *RadioButton1 = nullptr, *RadioButton2 = nullptr, *RadioButton3 = nullptr,
                 *RadioButton4 = nullptr;

    // The choice in force, 1 to 4, as last read.
    int AssociationChoice = 4;

    // Reads the association in force and shows it; runs on every activation.
    void FormActivate();
    // Registers or removes the association of the selected choice.
    void OkBtnClick();
    void AboutBtnClick();

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void FormCreate();
    QRadioButton *ChoiceButton(int choice) const;
    int SelectedChoice() const;
};

} // namespace ov
