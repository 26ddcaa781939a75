#include "devices/OVGraphForm.h"

#include "devices/OVGraphState.h"
#include "devices/OVGraphSurface.h"
#include "devices/OVKeyPreview.h"
#include "devices/OVWindowPlacement.h"
#include "resources/OVInterfaceTexts.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QThread>
#include <QVBoxLayout>
#include <deque>

namespace ov {

namespace {

constexpr int RefreshMilliseconds = 16;  // about 60 pictures a second
constexpr int MaxKeptPictures = 8;

QPointer<TOVGraphForm> TheForm;
std::deque<QPointer<TOVGraphForm2>> KeptForms;

// So that a program polling the mouse or keys sees the value.
void PauseForPollingRun() { QThread::msleep(5); }

} // namespace

// ---------------------------------------------------------------- the picture

TGraphPicture::TGraphPicture(TGraphSurface &surface, QWidget *parent) : QWidget(parent), surface_(surface)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

QRect TGraphPicture::ToWidget(const QRect &pixels) const
{
    const int w = pictureSize_.width(), h = pictureSize_.height();
    if (width() == w && height() == h)
        return pixels;
    const QRectF scaled(pixels.x() * qreal(width()) / w, pixels.y() * qreal(height()) / h,
                        pixels.width() * qreal(width()) / w, pixels.height() * qreal(height()) / h);
    return scaled.toAlignedRect().adjusted(-1, -1, 1, 1);
}

void TGraphPicture::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    std::lock_guard lock(surface_.Lock());
    const QImage &picture = surface_.Picture();
    if (picture.size() == size()) {
        const QRect area = event->rect() & picture.rect();
        painter.drawImage(area.topLeft(), picture, area);
        return;
    }
    // Stretched: only the picture pixels under the exposed area are scaled.
    const QRect exposed = event->rect();
    const qreal sx = qreal(picture.width()) / std::max(1, width()), sy = qreal(picture.height()) / std::max(1, height());
    const QRect source = QRectF(exposed.x() * sx, exposed.y() * sy, exposed.width() * sx, exposed.height() * sy)
                             .toAlignedRect()
                             .adjusted(-1, -1, 1, 1)
                             & picture.rect();
    const QRectF target(source.x() / sx, source.y() / sy, source.width() / sx, source.height() / sy);
    painter.setClipRect(exposed);
    painter.drawImage(target, picture, source);
}

QPoint TGraphPicture::ToPicture(QPointF at) const
{
    const int w = std::max(1, width()), h = std::max(1, height());
    return QPoint(int(at.x() * pictureSize_.width() / w), int(at.y() * pictureSize_.height() / h));
}

void TGraphPicture::Record(int event, QPointF at)
{
    const QPoint p = ToPicture(at);
    PublishMouse(MouseSample{event, p.x(), p.y()});
    PauseForPollingRun();
}

void TGraphPicture::mousePressEvent(QMouseEvent *event)
{
    int code = 0;
    if (event->buttons() & Qt::LeftButton)
        code = 2;
    if (event->buttons() & Qt::RightButton)
        code = 3;
    if (event->buttons() & Qt::MiddleButton)
        code = 4;
    Record(code, event->position());
}

void TGraphPicture::mouseDoubleClickEvent(QMouseEvent *event)
{
    Record(5, event->position());
}

void TGraphPicture::mouseMoveEvent(QMouseEvent *event)
{
    Record(1, event->position());
}

// ---------------------------------------------------------------- the window

TOVGraphForm::TOVGraphForm(TGraphSurface &surface) : QWidget(nullptr, Qt::Tool), surface_(surface)
{
    setObjectName(QStringLiteral("OVGraphForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setFrameShape(QFrame::NoFrame);
    ScrollBox1->setBackgroundRole(QPalette::Base);
    // The keys are the program's: the arrows do not scroll the picture
    // (its scroll bars and the wheel do).
    ScrollBox1->setFocusPolicy(Qt::NoFocus);
    PaintBox1 = new TGraphPicture(surface, ScrollBox1);
    ScrollBox1->setWidget(PaintBox1);
    new TKeyPreview(*this);
    refresh_.setInterval(RefreshMilliseconds);
    connect(&refresh_, &QTimer::timeout, this, &TOVGraphForm::ShowDirty);
    refresh_.start();
}

void TOVGraphForm::LayoutGraphForm()
{
    view_ = 0;
    ScrollBox1->setWidgetResizable(false);
    ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    PaintBox1->SetPictureSize(QSize(GraphWidth, GraphHeight));
    PaintBox1->resize(PaintBox1->PictureSize());
    const QSize client = GraphWindowSized != 0 ? QSize(std::max(1, GraphClientWidth), std::max(1, GraphClientHeight))
                                               : QSize(GraphWidth, GraphHeight);
    resize(client);
    setWindowTitle(InterfaceText(65182));
    surface_.TakeDirty();
    PaintBox1->update();
    ShowWindowAt(*this, QPoint(GraphWindowLeft, GraphWindowTop));
    raise();
    activateWindow();
}

void TOVGraphForm::SetView(int view)
{
    view_ = view;
    const Qt::ScrollBarPolicy bars = view == 1 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
    ScrollBox1->setHorizontalScrollBarPolicy(bars);
    ScrollBox1->setVerticalScrollBarPolicy(bars);
    ScrollBox1->setWidgetResizable(view == 2);
    if (view == 2)
        KeepAspect();
    else
        PaintBox1->resize(PaintBox1->PictureSize());
    PaintBox1->update();
}

void TOVGraphForm::Flush()
{
    const QRect dirty = surface_.TakeDirty();
    if (!dirty.isEmpty() && isVisible())
        PaintBox1->repaint(PaintBox1->ToWidget(dirty));
}

void TOVGraphForm::ShowDirty()
{
    const QRect dirty = surface_.TakeDirty();
    if (!dirty.isEmpty())
        PaintBox1->update(PaintBox1->ToWidget(dirty));
}

// A stretched picture keeps its proportions: the height follows the width.
void TOVGraphForm::KeepAspect()
{
    const int w = std::max(1, width());
    const QSize picture = PaintBox1->PictureSize();
    const int h = int(qint64(w) * picture.height() / picture.width());
    if (h != height())
        resize(w, std::max(1, h));
}

void TOVGraphForm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    ScrollBox1->setGeometry(rect());
    if (view_ == 2)
        KeepAspect();
}

void TOVGraphForm::closeEvent(QCloseEvent *event)
{
    GraphScreenOpen = 0;
    QWidget::closeEvent(event);
}

// ---------------------------------------------------------------- the kept picture

namespace {

// The size a window has, or has to be restored to when it is maximised.
QSize NormalSize(const QWidget &window)
{
    const QRect normal = window.normalGeometry();
    return window.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen) && normal.isValid() ? normal.size()
                                                                                                    : window.size();
}

} // namespace

TOVGraphForm2::TOVGraphForm2(const TOVGraphForm &old, QImage picture) : QWidget(nullptr, Qt::Tool)
{
    setObjectName(QStringLiteral("OVGraphForm2"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(old.windowTitle());
    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setFrameShape(QFrame::NoFrame);
    auto *image = new QLabel;
    image->setPixmap(QPixmap::fromImage(std::move(picture)));
    const bool stretched = old.View() == 2;
    image->setScaledContents(stretched);
    ScrollBox1->setWidgetResizable(stretched);
    ScrollBox1->setWidget(image);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(ScrollBox1);
    resize(NormalSize(old));
}

// ---------------------------------------------------------------- window steps

TOVGraphForm *GraphForm()
{
    return TheForm.data();
}

int KeptGraphPictureCount()
{
    std::erase_if(KeptForms, [](const QPointer<TOVGraphForm2> &form) { return form.isNull(); });
    return int(KeptForms.size());
}

// The whole old picture goes to a second window where the old window's frame
// is; the oldest of more than eight closes. The old window goes. The picture
// of a maximised screen stays maximised, within the screen, and keeps the
// screen's normal place and size to be restored to.
void KeepGraphPicture()
{
    if (TheForm.isNull() || !TheForm->isVisible())
        return;
    auto *kept = new TOVGraphForm2(*TheForm, GraphSurfaceObject().Snapshot());
    ShowWindowAt(*kept, FrameTopLeft(*TheForm));
    if (WindowStatesOf(*TheForm).testFlag(Qt::WindowMaximized))
        SetWindowStates(*kept, Qt::WindowMaximized);
    delete TheForm.data();
    KeptForms.emplace_back(kept);
    while (KeptGraphPictureCount() > MaxKeptPictures) {
        KeptForms.front()->close();
        KeptForms.pop_front();
    }
}

// Every screen is a window of its own, in the normal state.
void ShowGraphForm()
{
    delete TheForm.data();
    TheForm = new TOVGraphForm(GraphSurfaceObject());
    TheForm->LayoutGraphForm();
}

void CloseGraphForm()
{
    if (!TheForm.isNull())
        TheForm->close();
}

void SetGraphFormView(int view)
{
    if (!TheForm.isNull())
        TheForm->SetView(view);
}

void RefreshGraphForm()
{
    if (!TheForm.isNull())
        TheForm->Flush();
}

void DestroyGraphForms()
{
    for (QPointer<TOVGraphForm2> &form : KeptForms)
        delete form.data();
    KeptForms.clear();
    delete TheForm.data();
}

} // namespace ov
