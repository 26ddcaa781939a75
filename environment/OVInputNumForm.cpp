#include "environment/OVInputNumForm.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTextLayout>
#include <qdrawutil.h>

#include <algorithm>
#include <optional>

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
constexpr int kBorder = 2;  // the raised edge the box draws around itself
// Room in the title bar beside the caption.
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

// The text on as few lines as `width` allows: broken between words, and
// anywhere within a word longer than a line.
QString WrappedText(const QString &text, const QFont &font, int width)
{
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        QString shown = text.mid(line.textStart(), line.textLength());
        while (shown.endsWith(u' '))
            shown.chop(1);
        lines.append(shown);
    }
    layout.endLayout();
    return lines.join(u'\n');
}

// The width a box may have: its screen's.
int ScreenWidth(const QWidget &box)
{
    const QScreen *screen = box.screen() != nullptr ? box.screen() : QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry().width() : QWIDGETSIZE_MAX;
}

// At the place the program set, else centred on the screen.
void Place(QWidget &box, const InputBoxRequest &request)
{
    if (request.Placed) {
        box.move(request.Left, request.Top);
    } else if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        box.move(area.center() - QPoint(box.width() / 2, box.height() / 2));
    }
}

// The box's own title bar: the caption in bold on the colours of an active
// title, by which the box is dragged.
class CaptionBar : public QLabel {
public:
    explicit CaptionBar(QWidget *box) : QLabel(box)
    {
        setAutoFillBackground(true);
        QPalette colours = palette();
        colours.setColor(QPalette::Window, colours.color(QPalette::Active, QPalette::Highlight));
        colours.setColor(QPalette::WindowText, colours.color(QPalette::Active, QPalette::HighlightedText));
        setPalette(colours);
        QFont bold = font();
        bold.setBold(true);
        setFont(bold);
        setIndent(6);
    }

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton)
            grab_ = event->globalPosition().toPoint() - window()->pos();
    }
    void mouseMoveEvent(QMouseEvent *event) override
    {
        if (grab_ && event->buttons().testFlag(Qt::LeftButton))
            window()->move(event->globalPosition().toPoint() - *grab_);
    }
    void mouseReleaseEvent(QMouseEvent *) override { grab_.reset(); }

private:
    std::optional<QPoint> grab_;  // where the pointer holds the box
};

} // namespace

// A dialog border with the title only, kept above the other windows. The
// box draws its border and title bar itself and asks the window manager
// for no frame: some managers (openbox) put minimise, maximise and close in
// every title bar they draw, whatever the window asks for.
TInputNumForm::TInputNumForm(const InputBoxRequest &request, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::CustomizeWindowHint | Qt::WindowStaysOnTopHint)
{
    Caption = new CaptionBar(this);
    connect(this, &QWidget::windowTitleChanged, Caption, &QLabel::setText);
    setWindowTitle(request.Caption);
    Label1 = new QLabel(request.Prompt, this);
    Label1->setTextFormat(Qt::PlainText);  // the program's text as it is
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
    // The box grows, as an auto-sized form does, until the edit field and
    // both buttons show their whole text, the title bar its whole caption
    // and the prompt its whole line; a prompt wider than the screen wraps.
    const BoxLayout &box = request.Wide ? kWide : kNarrow;
    const int okWidth = ButtonWidth(*Button1, 55);
    const int cancelLeft = std::max(box.CancelLeft + kMargin, box.OkLeft + okWidth + kMargin);
    const int cancelWidth = ButtonWidth(*Button2, 45);
    const int promptWidth = std::min(Label1->sizeHint().width() + 20, ScreenWidth(*this) - 2 * kBorder);
    const int clientWidth =
        std::max({box.ClientWidth, cancelLeft + cancelWidth + kMargin, TitleWidth(*this), promptWidth});
    if (Label1->sizeHint().width() > clientWidth - 20)
        Label1->setText(WrappedText(request.Prompt, Label1->font(), clientWidth - 20));
    const int labelHeight = std::max(20, Label1->sizeHint().height());
    const int rowTop = labelHeight + 8;
    const int rowHeight = std::max({24, Edit1->sizeHint().height(), Button1->sizeHint().height()});
    const int clientHeight = std::max(kClientHeight, rowTop + rowHeight + 8);
    const int captionHeight = Caption->fontMetrics().height() + 6;
    const int width = clientWidth + 2 * kBorder;
    const int height = clientHeight + captionHeight + 2 * kBorder;
    setFixedSize(width, height);
    Caption->setGeometry(kBorder, kBorder, clientWidth, captionHeight);
    const QPoint client(kBorder, kBorder + captionHeight);
    Label1->setGeometry(QRect(client + QPoint(10, 4), QSize(clientWidth - 20, labelHeight)));
    Edit1->setGeometry(QRect(client + QPoint(10, rowTop), QSize(box.EditWidth, rowHeight)));
    Button1->setGeometry(QRect(client + QPoint(box.OkLeft, rowTop), QSize(okWidth, rowHeight)));
    Button2->setGeometry(QRect(client + QPoint(cancelLeft, rowTop), QSize(cancelWidth, rowHeight)));
    Place(*this, request);
}

void TInputNumForm::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    qDrawWinPanel(&painter, rect(), palette());
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
