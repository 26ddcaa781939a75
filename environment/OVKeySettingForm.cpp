#include "environment/OVKeySettingForm.h"

#include "devices/OVWindowPlacement.h"
#include "environment/OVFrame.h"
#include "environment/OVStartup.h"
#include "platform/OVFileAssociation.h"
#include "resources/OVInterfaceTexts.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace ov {

namespace {

// Caption of each choice's radio button and the text that shows it in force.
constexpr int kChoiceCaptions[4] = {65088, 65089, 65090, 65091};
constexpr int kChoiceTexts[4] = {65113, 65114, 65115, 65116};

QString FormTitle() { return InterfaceText(65117); }

} // namespace

TOVASForm::TOVASForm(QWidget *owner) : QWidget(owner, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    FormCreate();
    FormActivate();
    adjustSize();  // sized with its texts, centred when shown
}

void TOVASForm::FormCreate()
{
    Label4 = new QLabel(this);
    Label1 = new QLabel(this);
    Label2 = new QLabel(this);
    Label3 = new QLabel(this);
    Edit1 = new QLineEdit(this);
    Edit1->setReadOnly(true);
    OkBtn = new QPushButton(QStringLiteral("OK"), this);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    AboutBtn = new QPushButton(QStringLiteral("About"), this);
    RadioGroup1 = new QGroupBox(this);
    auto *group = new QVBoxLayout(RadioGroup1);
    for (QRadioButton **button : {&RadioButton1, &RadioButton2, &RadioButton3, &RadioButton4}) {
        *button = new QRadioButton(RadioGroup1);
        group->addWidget(*button);
    }
    auto *current = new QHBoxLayout;
    current->addWidget(Label3);
    current->addWidget(Edit1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);
    buttons->addWidget(AboutBtn);
    auto *layout = new QVBoxLayout(this);
    for (QWidget *widget : {static_cast<QWidget *>(Label4), static_cast<QWidget *>(Label1),
                            static_cast<QWidget *>(Label2), static_cast<QWidget *>(RadioGroup1)})
        layout->addWidget(widget);
    layout->addLayout(current);
    layout->addLayout(buttons);
    connect(OkBtn, &QPushButton::clicked, this, &TOVASForm::OkBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QWidget::close);
    connect(AboutBtn, &QPushButton::clicked, this, &TOVASForm::AboutBtnClick);
}

QRadioButton *TOVASForm::ChoiceButton(int choice) const
{
    QRadioButton *const buttons[4] = {RadioButton1, RadioButton2, RadioButton3, RadioButton4};
    return buttons[choice - 1];
}

int TOVASForm::SelectedChoice() const
{
    for (int choice = 1; choice <= 4; ++choice)
        if (ChoiceButton(choice)->isChecked())
            return choice;
    return 4;
}

void TOVASForm::FormActivate()
{
    setWindowTitle(FormTitle());
    Label1->setText(InterfaceText(65118));
    Label2->setText(InterfaceText(65119));
    Label3->setText(InterfaceText(65092));
    for (int choice = 1; choice <= 4; ++choice)
        ChoiceButton(choice)->setText(InterfaceText(kChoiceCaptions[choice - 1]));
    AssociationChoice = int(QueryAssociation());
    ChoiceButton(AssociationChoice)->setChecked(true);
    Edit1->setText(InterfaceText(kChoiceTexts[AssociationChoice - 1]));
}

void TOVASForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        CentreWindow(*this);
}

void TOVASForm::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

// A failure leaves the association as it was, is reported and keeps the
// form open; only a finished change shows the closing message.
void TOVASForm::OkBtnClick()
{
    AssociationChoice = SelectedChoice();
    QString error;
    QString remaining;
    const bool done = AssociationChoice == 4
                          ? RemoveAssociation(&remaining, &error)
                          : RegisterAssociation(AssociationKind(AssociationChoice),
                                                QCoreApplication::applicationFilePath(), ProgramIconFile(), &error);
    if (!done) {
        ShowMessageBox(this, QMessageBox::Critical, FormTitle(),
                       QStringLiteral(u"関連付け設定に失敗しました。\r\n") + error);
        return;
    }
    QString text = InterfaceText(65112);
    if (!remaining.isEmpty())
        text += QStringLiteral(u"\r\nほかの関連付け (%1) が残っています。").arg(remaining);
    ShowMessageBox(this, QMessageBox::Information, FormTitle(), text);
    close();
}

void TOVASForm::AboutBtnClick()
{
    ShowMessageBox(this, QMessageBox::Information, FormTitle(), InterfaceText(65111));
}

} // namespace ov
