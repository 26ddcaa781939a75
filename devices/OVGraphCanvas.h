// The drawing surface of the graphics screen as the executor sees it: the
// picture in pixels and the canvas state that drawing uses and the reads
// return. The surface itself (an image under a lock, with a dirty rectangle)
// lives in the graphics library; the executor reaches it only through this
// interface, so it stays free of Qt Gui.
#pragma once

#include "devices/OVColor.h"

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

namespace ov {

// The pen and brush as the canvas holds them (the numbers the reads return):
// raster operation 1..16, pen style 0..6, width at least 1, brush style 0..7.
struct CanvasState {
    ColorValue PenColor = 0;
    int PenMode = 13;
    int PenStyle = 0;
    int PenWidth = 1;
    ColorValue BrushColor = 0xFFFFFF;
    int BrushStyle = 0;
};

// The canvas of the open graphics screen; used on the worker, and by the
// open step while the worker waits.
extern CanvasState GraphCanvas;

// The mappings between the settings and the canvas (anything unknown gives
// copy, solid, solid).
int DrawModeToPenMode(int n);
int DrawStyleToPenStyle(int n);
int FillStyleToBrushStyle(int n);
inline int AtLeastOne(int n) { return n < 1 ? 1 : n; }

struct CanvasFont {
    QString Name;
    int PointSize = 10;
    int Charset = 128;
    uint8_t Style = 0;  // 1 Bold, 2 Italic, 4 Underline, 8 StrikeOut
};

// The corners of an ellipse's box as the program gave them; the right and
// bottom edge are left out.
struct CanvasBox {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

struct ColoredPoint {
    QPoint At;
    ColorValue Color = 0;
};

// The picture file formats, named by the file's extension.
enum class PictureFormat { Jpeg, Bmp, Png, Gif };

// Every call locks the picture once and grows its dirty rectangle.
class GraphSurfaceAccess {
public:
    virtual ~GraphSurfaceAccess() = default;

    // A new picture of the size, filled with the colour.
    virtual void NewPicture(int width, int height, ColorValue back) = 0;
    virtual QSize PictureSize() = 0;
    virtual void Fill(ColorValue color) = 0;

    virtual void SetPixel(QPoint at, ColorValue color) = 0;
    virtual void SetPixels(const std::vector<ColoredPoint> &points) = 0;
    // False for a point outside the picture.
    virtual bool GetPixel(QPoint at, ColorValue &color) = 0;

    virtual void Line(QPoint from, QPoint to, const CanvasState &canvas) = 0;
    virtual void BoxOutline(QPoint a, QPoint b, const CanvasState &canvas) = 0;
    virtual void FilledBox(QPoint a, QPoint b, const CanvasState &canvas) = 0;
    virtual void Ellipse(CanvasBox box, bool filled, const CanvasState &canvas) = 0;
    virtual void Arc(CanvasBox box, QPoint start, QPoint end, const CanvasState &canvas) = 0;
    virtual void Pie(CanvasBox box, QPoint start, QPoint end, const CanvasState &canvas) = 0;
    virtual void FloodFill(QPoint seed, ColorValue border, const CanvasState &canvas) = 0;
    // Text with its top-left corner at the point, on the back colour.
    virtual void Text(QPoint at, const QString &text, const CanvasFont &font, ColorValue color,
                      ColorValue back) = 0;

    // The picture buffer, the size of the picture and never shown. Every
    // copy is clipped to both images; what lies outside either is left out.
    // The buffer's rectangle of the size at `from` onto the picture at `to`.
    virtual void BufferToPicture(QPoint from, QSize size, QPoint to) = 0;
    // The picture's rectangle onto the buffer at (0, 0).
    virtual void PictureToBuffer(QRect area) = 0;
    // Decodes the file onto the buffer at (0, 0), which keeps its size;
    // false (the buffer unchanged) when the file does not decode.
    virtual bool LoadIntoBuffer(const QString &path, PictureFormat format) = 0;
    // The buffer's rectangle of the size at (0, 0) as a file of the format;
    // empty when it cannot be encoded.
    virtual QByteArray EncodeBuffer(QSize size, PictureFormat format) = 0;
    // The size a picture file's header gives, without decoding its pixels;
    // false when the file does not read as the format.
    virtual bool PictureFileSize(const QString &path, PictureFormat format, QSize &size) = 0;
};

// The surface; set once at start-up (null: drawing statements draw nowhere).
void SetGraphSurface(GraphSurfaceAccess *surface);
// Or a loader, set at start-up instead, that makes the surface when a
// statement first asks for it (on any thread); it runs until it gives one.
void SetGraphSurfaceLoader(std::function<GraphSurfaceAccess *()> loader);
GraphSurfaceAccess *GraphSurface();

} // namespace ov
