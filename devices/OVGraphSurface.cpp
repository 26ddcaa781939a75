#include "devices/OVGraphSurface.h"

#include "devices/OVFontNames.h"
#include "devices/OVGraphState.h"
#include "devices/OVPictureCodec.h"
#include "devices/OVQFont.h"
#include "devices/OVRaster.h"

#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <cmath>

namespace ov {

namespace {

RasterPen PenOf(const CanvasState &canvas)
{
    return RasterPen{canvas.PenColor, canvas.PenMode, canvas.PenStyle, AtLeastOne(canvas.PenWidth)};
}

RasterBrush BrushOf(const CanvasState &canvas)
{
    return RasterBrush{canvas.BrushColor, canvas.BrushStyle};
}

RasterBox BoxOf(CanvasBox box)
{
    return RasterBox{box.Left, box.Top, box.Right, box.Bottom};
}

std::function<void()> ApplicationMaker;

// Text needs the font database, which needs an application object; the
// headless runner has none until the first text is drawn and then has its
// main thread make one.
void EnsureFontSupport()
{
    if (QCoreApplication::instance() != nullptr)
        return;
    if (ApplicationMaker)
        ApplicationMaker();
    if (QCoreApplication::instance() == nullptr)
        MakeOffscreenApplication().release();  // no maker: this thread's, kept to the end
    SubstituteFonts();
}

// Points at 96 dots per inch; size 0 is the height of the application's
// default font.
int FontPixelSize(int points)
{
    if (points == 0)
        return QFontInfo(QGuiApplication::font()).pixelSize();
    return std::max(1, int(std::lround(points * 96.0 / 72.0)));
}

QFont FontOf(const CanvasFont &spec)
{
    QFont font(spec.Name);
    font.setPixelSize(FontPixelSize(spec.PointSize));
    ApplyFontStyles(font, FontStyleSet(spec.Style));
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

} // namespace

void TGraphSurface::NewPicture(int width, int height, ColorValue back)
{
    const QSize size(std::max(1, width), std::max(1, height));
    const QRgb fill = RasterColorToRgb(back);
    std::lock_guard lock(mutex_);
    // A picture of the same size is cleared in place: fresh pages of a big
    // picture cost the system more than the clearing itself.
    if (picture_.size() != size || picture_.format() != QImage::Format_RGB32) {
        picture_ = QImage();
        buffer_ = QImage();
        picture_ = QImage(size, QImage::Format_RGB32);
        buffer_ = QImage(size, QImage::Format_RGB32);
    }
    picture_.fill(fill);
    buffer_.fill(fill);
    dirty_ = picture_.rect();
}

QSize TGraphSurface::PictureSize()
{
    std::lock_guard lock(mutex_);
    return picture_.size();
}

void TGraphSurface::Fill(ColorValue color)
{
    std::lock_guard lock(mutex_);
    picture_.fill(RasterColorToRgb(color));
    Touch(picture_.rect());
}

void TGraphSurface::SetPixel(QPoint at, ColorValue color)
{
    std::lock_guard lock(mutex_);
    Touch(RasterSetPixel(picture_, at.x(), at.y(), color));
}

void TGraphSurface::SetPixels(const std::vector<ColoredPoint> &points)
{
    std::lock_guard lock(mutex_);
    for (const ColoredPoint &p : points)
        Touch(RasterSetPixel(picture_, p.At.x(), p.At.y(), p.Color));
}

bool TGraphSurface::GetPixel(QPoint at, ColorValue &color)
{
    std::lock_guard lock(mutex_);
    if (!picture_.valid(at))
        return false;
    color = RgbToRasterColor(picture_.pixel(at));
    return true;
}

void TGraphSurface::Line(QPoint from, QPoint to, const CanvasState &canvas)
{
    std::lock_guard lock(mutex_);
    Touch(RasterLine(picture_, from, to, PenOf(canvas)));
}

void TGraphSurface::BoxOutline(QPoint a, QPoint b, const CanvasState &canvas)
{
    std::lock_guard lock(mutex_);
    Touch(RasterBoxOutline(picture_, a, b, PenOf(canvas)));
}

void TGraphSurface::FilledBox(QPoint a, QPoint b, const CanvasState &canvas)
{
    std::lock_guard lock(mutex_);
    Touch(RasterRectangle(picture_, a, b, PenOf(canvas), BrushOf(canvas)));
}

void TGraphSurface::Ellipse(CanvasBox box, bool filled, const CanvasState &canvas)
{
    const RasterBrush brush = BrushOf(canvas);
    std::lock_guard lock(mutex_);
    Touch(RasterEllipse(picture_, BoxOf(box), PenOf(canvas), filled ? &brush : nullptr));
}

void TGraphSurface::Arc(CanvasBox box, QPoint start, QPoint end, const CanvasState &canvas)
{
    std::lock_guard lock(mutex_);
    Touch(RasterArc(picture_, BoxOf(box), start, end, PenOf(canvas)));
}

void TGraphSurface::Pie(CanvasBox box, QPoint start, QPoint end, const CanvasState &canvas)
{
    std::lock_guard lock(mutex_);
    Touch(RasterPie(picture_, BoxOf(box), start, end, PenOf(canvas), BrushOf(canvas)));
}

void TGraphSurface::FloodFill(QPoint seed, ColorValue border, const CanvasState &canvas)
{
    std::lock_guard lock(mutex_);
    Touch(RasterFloodFill(picture_, seed, border, BrushOf(canvas), canvas.PenMode));
}

void TGraphSurface::Text(QPoint at, const QString &text, const CanvasFont &font, ColorValue color,
                         ColorValue back)
{
    EnsureFontSupport();
    const QFont qfont = FontOf(font);
    const QFontMetrics metrics(qfont);
    const QRect area(at, QSize(metrics.horizontalAdvance(text), metrics.height()));
    std::lock_guard lock(mutex_);
    if (picture_.isNull())
        return;
    QPainter painter(&picture_);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.fillRect(area, QColor::fromRgb(RasterColorToRgb(back)));
    painter.setFont(qfont);
    painter.setPen(QColor::fromRgb(RasterColorToRgb(color)));
    painter.drawText(at.x(), at.y() + metrics.ascent(), text);
    Touch(area & picture_.rect());
}

void TGraphSurface::BufferToPicture(QPoint from, QSize size, QPoint to)
{
    std::lock_guard lock(mutex_);
    Touch(RasterCopy(picture_, to, buffer_, from, size));
}

void TGraphSurface::PictureToBuffer(QRect area)
{
    std::lock_guard lock(mutex_);
    RasterCopy(buffer_, QPoint(0, 0), picture_, area.topLeft(), area.size());
}

// Decoding happens outside the lock, so the window keeps painting meanwhile.
bool TGraphSurface::LoadIntoBuffer(const QString &path, PictureFormat format)
{
    const QImage image = DecodePicture(path, format);
    if (image.isNull())
        return false;
    std::lock_guard lock(mutex_);
    if (!buffer_.isNull()) {
        QPainter painter(&buffer_);
        painter.drawImage(0, 0, image);
    }
    return true;
}

QByteArray TGraphSurface::EncodeBuffer(QSize size, PictureFormat format)
{
    QImage content;
    {
        std::lock_guard lock(mutex_);
        content = buffer_.copy(QRect(QPoint(0, 0), size) & buffer_.rect());
    }
    return EncodePicture(content, format);
}

bool TGraphSurface::PictureFileSize(const QString &path, PictureFormat format, QSize &size)
{
    return ReadPictureSize(path, format, size);
}

QImage TGraphSurface::Snapshot()
{
    std::lock_guard lock(mutex_);
    return picture_.copy();
}

QRect TGraphSurface::TakeDirty()
{
    std::lock_guard lock(mutex_);
    return std::exchange(dirty_, QRect());
}

std::unique_ptr<QGuiApplication> MakeOffscreenApplication()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "ovrun";
    static char *argv[] = {name, nullptr};
    // Its note about a missing runtime folder is no concern of a program's output.
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    auto app = std::make_unique<QGuiApplication>(argc, argv);
    qInstallMessageHandler(previous);
    return app;
}

void SetApplicationMaker(std::function<void()> maker)
{
    ApplicationMaker = std::move(maker);
}

TGraphSurface &GraphSurfaceObject()
{
    static TGraphSurface surface;
    return surface;
}

bool SaveGraphicsPng(const QString &path)
{
    if (GraphScreenOpen.load() == 0)
        return false;
    return GraphSurfaceObject().Snapshot().save(path, "PNG");
}

} // namespace ov
