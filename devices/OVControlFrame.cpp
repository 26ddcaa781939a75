#include "devices/OVControlFrame.h"

#include "devices/OVKeyPreview.h"
#include "devices/OVQColor.h"
#include "devices/OVQFont.h"
#include "devices/OVWindowPlacement.h"
#include "platform/OVTextEncoding.h"
#include "resources/OVInterfaceTexts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <optional>

namespace ov {

namespace {

QFont QFontOf(const FontSetting &f)
{
    QFont font(f.Name);
    font.setPointSize(Controls().ShownFontPoints(f.Size));
    ApplyFontStyles(font, f.Style);
    return font;
}

// The memo shows line breaks where the model has CR LF.
QString MemoText(const QString &text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

// A label's caption breaks its lines at CR LF, CR or LF.
QString LabelText(const QString &text)
{
    QString shown = MemoText(text);
    shown.replace(u'\r', u'\n');
    return shown;
}

// Qt lays a changed line out anew and, unless told to keep them, shapes its
// glyphs again for every paint and cursor move: a key typed into a very
// long line then costs one layout of it, not several.
constexpr int LongLine = 1000;

void KeepLongLinesShaped(QPlainTextEdit *memo)
{
    QTextDocument *document = memo->document();
    QObject::connect(document, &QTextDocument::contentsChange, memo, [document](int position, int, int added) {
        for (QTextBlock block = document->findBlock(position); block.isValid() && block.position() <= position + added;
             block = block.next()) {
            if (block.length() > LongLine)
                block.layout()->setCacheEnabled(true);
        }
    });
}

// A memo's text is not shaped where its script does not need it (no
// kerning or ligatures in Latin text), which makes laying out a long line
// several times faster.
QFont MemoFont(const FontSetting &f)
{
    QFont font = QFontOf(f);
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

} // namespace

TOVControlForm::TOVControlForm(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("OVControlForm"));
    setWindowTitle(InterfaceText(65203));
    setAutoFillBackground(true);
    Controls().DefaultFontPoints = QFontInfo(QApplication::font()).pointSize();
    CreateControls();
    new TKeyPreview(*this);  // keys typed in any control reach the program
    // A memo's typed text moves into the model when a program reads it.
    Controls().SetMemoTextSource([form = QPointer(this)](int n) -> std::optional<QString> {
        if (form.isNull())
            return std::nullopt;
        return form->Memo[n]->toPlainText().replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    });
    MirrorAll();
}

// Made kind by kind, labels first: a label lies beneath every button and
// text box, whatever their numbers and places.
void TOVControlForm::CreateControls()
{
    for (int n = 1; n <= ControlCount; ++n) {
        Label[n] = new QLabel(this);
        Label[n]->setAutoFillBackground(true);
        Label[n]->setTextFormat(Qt::PlainText);  // a caption such as "<b>" is shown as written
    }
    for (int n = 1; n <= ControlCount; ++n) {
        Button[n] = new QPushButton(this);
        connect(Button[n], &QPushButton::clicked, this, [this, n] { emit ButtonClicked(n); });
    }
    for (int n = 1; n <= ControlCount; ++n) {
        Edit[n] = new QLineEdit(this);
        Edit[n]->setMaxLength(int(StringLengthLimit));  // typing goes as far as a string holds
        connect(Edit[n], &QLineEdit::textEdited, this,
                [n](const QString &text) { Controls().Record(ControlKind::Edit, n).Text = text; });
    }
    for (int n = 1; n <= ControlCount; ++n) {
        Memo[n] = new QPlainTextEdit(this);
        // With its horizontal scroll bar the memo does not wrap; wrapping
        // one long unbroken line would also take time growing with the
        // square of its length.
        Memo[n]->setLineWrapMode(QPlainTextEdit::NoWrap);
        Memo[n]->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        Memo[n]->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        KeepLongLinesShaped(Memo[n]);
        connect(Memo[n], &QPlainTextEdit::textChanged, this, [this, n] {
            if (!mirroring_)
                Controls().MarkMemoTyped(n);
        });
    }
}

QWidget *TOVControlForm::WidgetOf(ControlKind kind, int n) const
{
    switch (kind) {
    case ControlKind::Label: return Label[n];
    case ControlKind::Button: return Button[n];
    case ControlKind::Edit: return Edit[n];
    case ControlKind::Memo: return Memo[n];
    }
    return nullptr;
}

// A new screen is a new window: what the window manager still has to say
// about an earlier one, shown and hidden a moment ago, would move or size it.
void TOVControlForm::ShowFresh()
{
    if (testAttribute(Qt::WA_WState_Created)) {
        hide();
        destroy();
    }
    setWindowState(Qt::WindowNoState);
    setWindowTitle(InterfaceText(65203));
    MirrorAll();
    setFixedSize(std::max(1, ControlScreenWidth), std::max(1, ControlScreenHeight));
    ShowWindowAt(*this, QPoint(ControlWindowLeft, ControlWindowTop));
    raise();
}

void TOVControlForm::MirrorAll()
{
    QPalette form = palette();
    form.setColor(QPalette::Window, ColorValueToQColor(Controls().FormColor));
    setPalette(form);
    for (const ControlKind kind : {ControlKind::Label, ControlKind::Button, ControlKind::Edit, ControlKind::Memo}) {
        for (int n = 1; n <= ControlCount; ++n)
            Mirror(kind, n);
    }
}

void TOVControlForm::Mirror(ControlKind kind, int n)
{
    const ControlRecord &r = Controls().Record(kind, n);
    QWidget *w = WidgetOf(kind, n);
    mirroring_ = true;
    w->setGeometry(r.Left, r.Top, r.Width, r.Height);
    w->setFont(kind == ControlKind::Memo ? MemoFont(r.Font) : QFontOf(r.Font));
    QPalette palette = w->palette();
    const QColor color = ColorValueToQColor(Controls().ColorOf(kind, n)), text = ColorValueToQColor(r.Font.Color);
    switch (kind) {
    case ControlKind::Label:
        Label[n]->setText(LabelText(r.Text));
        palette.setColor(QPalette::Window, color);
        palette.setColor(QPalette::WindowText, text);
        break;
    case ControlKind::Button:
        Button[n]->setText(r.Text);
        palette.setColor(QPalette::Button, color);
        palette.setColor(QPalette::ButtonText, text);
        break;
    case ControlKind::Edit:
        if (Edit[n]->text() != r.Text)
            Edit[n]->setText(r.Text);
        palette.setColor(QPalette::Base, color);
        palette.setColor(QPalette::Text, text);
        break;
    case ControlKind::Memo:
        if (Memo[n]->toPlainText() != MemoText(r.Text))
            Memo[n]->setPlainText(MemoText(r.Text));
        palette.setColor(QPalette::Base, color);
        palette.setColor(QPalette::Text, text);
        break;
    }
    w->setPalette(palette);
    w->setVisible(r.Visible);
    mirroring_ = false;
}

void TOVControlForm::closeEvent(QCloseEvent *event)
{
    ControlScreenOpen = 0;
    QWidget::closeEvent(event);
}

} // namespace ov
