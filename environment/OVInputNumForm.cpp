#include "environment/OVInputNumForm.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace ov {

namespace {

// The two layouts: narrow for INPUT, wide for LINE INPUT.
struct BoxLayout {
    int ClientWidth, OkLeft, CancelLeft, EditWidth;
};

constexpr BoxLayout kNarrow{310, 200, 260, 160};
constexpr BoxLayout kWide{660, 550, 610, 510};
constexpr int kClientHeight = 60;
constexpr int kMargin = 5;
// Room beside the caption for the title bar's icon and edges.
constexpr int kTitleAllowance = 80;

// The width the caption needs in a title bar, whose font is often bold.
int TitleWidth(const QWidget &box)
{
    QFont font = box.font();
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(box.windowTitle()) + kTitleAllowance;
}

// At least `designed` wide, and wide enough for the caption and the frame.
int ButtonWidth(const QPushButton &button, int designed)
{
    constexpr int kPadding = 16;
    return std::max(designed, button.fontMetrics().horizontalAdvance(button.text()) + kPadding);
}

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
    // The box grows, as an auto-sized form does, until the prompt, the edit
    // field and both buttons show their whole text and the title bar its
    // whole caption.
    const BoxLayout &box = request.Wide ? kWide : kNarrow;
    const int okWidth = ButtonWidth(*Button1, 55);
    const int cancelLeft = std::max(box.CancelLeft + kMargin, box.OkLeft + okWidth + kMargin);
    const int cancelWidth = ButtonWidth(*Button2, 45);
    const int width = std::max({box.ClientWidth, cancelLeft + cancelWidth + kMargin, TitleWidth(*this)});
    const int labelHeight = std::max(20, Label1->sizeHint().height());
    const int rowTop = labelHeight + 8;
    const int rowHeight = std::max({24, Edit1->sizeHint().height(), Button1->sizeHint().height()});
    const int height = std::max(kClientHeight, rowTop + rowHeight + 8);
    setFixedSize(width, height);
    Label1->setGeometry(10, 4, width - 20, labelHeight);
    Edit1->setGeometry(10, rowTop, box.EditWidth, rowHeight);
    Button1->setGeometry(box.OkLeft, rowTop, okWidth, rowHeight);
    Button2->setGeometry(cancelLeft, rowTop, cancelWidth, rowHeight);
    if (request.Placed) {
        move(request.Left, request.Top);
    } else if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width / 2, height / 2));
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
