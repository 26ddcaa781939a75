#include "devices/OVInputNumForm.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace ov {

namespace {

// The two layouts: narrow for INPUT, wide for LINE INPUT.
struct BoxLayout {
    int ClientWidth, OkLeft, CancelLeft, EditWidth;
};

constexpr BoxLayout kNarrow{310, 200, 260, 160};
constexpr BoxLayout kWide{660, 550, 610, 510};
constexpr int kClientHeight = 60;

} // namespace

// A dialog border with the title only (no close or other window buttons),
// kept above the other windows.
TInputNumForm::TInputNumForm(const InputBoxRequest &request, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(request.Caption);
    Label1 = new QLabel(request.Prompt, this);
    Edit1 = new QLineEdit(request.Text, this);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(Edit1, &QLineEdit::returnPressed, this, &QDialog::accept);
    LayOut(request);
    Edit1->setFocus();
}

void TInputNumForm::LayOut(const InputBoxRequest &request)
{
    const BoxLayout &box = request.Wide ? kWide : kNarrow;
    setFixedSize(box.ClientWidth, kClientHeight);
    Label1->setGeometry(10, 4, box.ClientWidth - 20, 20);
    Edit1->setGeometry(10, 28, box.EditWidth, 24);
    Button1->setGeometry(box.OkLeft, 28, 55, 24);
    Button2->setGeometry(box.CancelLeft + 5, 28, 45, 24);
    if (request.Placed) {
        move(request.Left, request.Top);
    } else if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(box.ClientWidth / 2, kClientHeight / 2));
    }
}

QString TInputNumForm::Answer() const
{
    return Edit1->text();
}

bool ShowInputBoxDialog(const InputBoxRequest &request, QString &answer, QWidget *parent)
{
    TInputNumForm box(request, parent);
    if (box.exec() != QDialog::Accepted)
        return false;
    answer = box.Answer();
    return true;
}

} // namespace ov
