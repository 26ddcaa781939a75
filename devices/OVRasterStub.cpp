// THROWAWAY STUB, deleted when the real drawing routines are merged: plain
// QPainter stand-ins for the routines of OVRaster.h, so that the graphics
// screen links and its tests run. Only positions and colours are right; the
// raster operations, pen styles and hatches are ignored.
#include "devices/OVRaster.h"

#include <QPainter>
#include <vector>

namespace ov {

namespace {

QColor ColorOf(RasterColor c)
{
    return QColor::fromRgb(RasterColorToRgb(c));
}

QPen PenFor(const RasterPen &pen)
{
    QPen p(ColorOf(pen.Color));
    p.setWidth(pen.Width);
    p.setCapStyle(Qt::FlatCap);
    return p;
}

QRect Whole(const QImage &image)
{
    return image.rect();
}

QRect EllipseRect(RasterBox box)
{
    return QRect(QPoint(box.Left, box.Top), QPoint(box.Right - 1, box.Bottom - 1)).normalized();
}

int AngleOf(RasterBox box, QPoint p)
{
    const QPointF c((box.Left + box.Right) / 2.0, (box.Top + box.Bottom) / 2.0);
    return int(QLineF(c, p).angle() * 16);
}

} // namespace

RasterColor ApplyRasterOp(int, RasterColor pen, RasterColor)
{
    return pen;
}

QRgb RasterColorToRgb(RasterColor c)
{
    return qRgb(int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF));
}

RasterColor RgbToRasterColor(QRgb p)
{
    return RasterColor(qRed(p)) | RasterColor(qGreen(p)) << 8 | RasterColor(qBlue(p)) << 16;
}

QRect RasterSetPixel(QImage &image, int x, int y, RasterColor color)
{
    if (!image.valid(x, y))
        return QRect();
    reinterpret_cast<QRgb *>(image.scanLine(y))[x] = RasterColorToRgb(color);
    return QRect(x, y, 1, 1);
}

QRect RasterLine(QImage &image, QPoint from, QPoint to, const RasterPen &pen)
{
    QPainter painter(&image);
    painter.setPen(PenFor(pen));
    painter.drawLine(from, to);
    painter.end();
    return Whole(image);
}

QRect RasterBoxOutline(QImage &image, QPoint a, QPoint b, const RasterPen &pen)
{
    RasterLine(image, a, QPoint(b.x(), a.y()), pen);
    RasterLine(image, QPoint(b.x(), a.y()), b, pen);
    RasterLine(image, b, QPoint(a.x(), b.y()), pen);
    return RasterLine(image, QPoint(a.x(), b.y()), a, pen);
}

QRect RasterRectangle(QImage &image, QPoint a, QPoint b, const RasterPen &pen, const RasterBrush &brush)
{
    QPainter painter(&image);
    if (brush.Style != 1)
        painter.fillRect(QRect(a, b).normalized().adjusted(0, 0, -1, -1), ColorOf(brush.Color));
    painter.end();
    return RasterBoxOutline(image, a, b, pen);
}

QRect RasterEllipse(QImage &image, RasterBox box, const RasterPen &pen, const RasterBrush *brush)
{
    QPainter painter(&image);
    painter.setPen(PenFor(pen));
    if (brush != nullptr && brush->Style != 1)
        painter.setBrush(ColorOf(brush->Color));
    painter.drawEllipse(EllipseRect(box));
    return Whole(image);
}

QRect RasterArc(QImage &image, RasterBox box, QPoint start, QPoint end, const RasterPen &pen)
{
    QPainter painter(&image);
    painter.setPen(PenFor(pen));
    const int a = AngleOf(box, start);
    int span = AngleOf(box, end) - a;
    if (span <= 0)
        span += 360 * 16;
    painter.drawArc(EllipseRect(box), a, span);
    return Whole(image);
}

QRect RasterPie(QImage &image, RasterBox box, QPoint start, QPoint end, const RasterPen &pen,
                const RasterBrush &brush)
{
    QPainter painter(&image);
    painter.setPen(PenFor(pen));
    if (brush.Style != 1)
        painter.setBrush(ColorOf(brush.Color));
    const int a = AngleOf(box, start);
    int span = AngleOf(box, end) - a;
    if (span <= 0)
        span += 360 * 16;
    painter.drawPie(EllipseRect(box), a, span);
    return Whole(image);
}

QRect RasterFloodFill(QImage &image, QPoint seed, RasterColor border, const RasterBrush &brush, int)
{
    const QRgb stop = RasterColorToRgb(border);
    const QRgb paint = RasterColorToRgb(brush.Color);
    if (!image.valid(seed) || image.pixel(seed) == stop || paint == stop)
        return QRect();
    std::vector<QPoint> todo{seed};
    while (!todo.empty()) {
        const QPoint p = todo.back();
        todo.pop_back();
        if (!image.valid(p) || image.pixel(p) == stop || image.pixel(p) == paint)
            continue;
        image.setPixel(p, paint);
        todo.insert(todo.end(), {p + QPoint(1, 0), p - QPoint(1, 0), p + QPoint(0, 1), p - QPoint(0, 1)});
    }
    return Whole(image);
}

} // namespace ov
