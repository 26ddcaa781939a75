// Pixel-exact drawing on an RGB32 picture, as the graphics screen draws:
// no antialiasing, a line leaves out its last point, boxes, ellipses, arcs
// and pies leave out their right and bottom edges, arcs run counter-clockwise
// from the start point to the end point (equal points: the whole ellipse).
// The pen applies one of the sixteen raster operations per pixel on the 24
// colour bits. Every routine clips to the picture and returns the rectangle
// of pixels it may have changed (empty when none), which the caller adds to
// the picture's dirty rectangle.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <cstdint>

namespace ov {

using RasterColor = uint32_t;  // 0x00BBGGRR, the colour value programs see

// The pen: raster operation 1..16 (13 copies), style 0..6 (solid, dash, dot,
// dash-dot, dash-dot-dot, clear, inside-frame), width in pixels (at least 1).
// The gaps of a dashed one-pixel pen are transparent, or painted in GapColor
// (in the same raster operation) when OpaqueGaps is set, as the platform
// does while a solid brush is selected (its colour is then the gap colour).
struct RasterPen {
    RasterColor Color = 0;
    int Mode = 13;
    int Style = 0;
    int Width = 1;
    bool OpaqueGaps = false;
    RasterColor GapColor = 0xFFFFFF;
};

// The brush: style 0..7 (solid, clear, horizontal, vertical, forward
// diagonal, backward diagonal, cross, diagonal cross). Hatches are drawn in
// the brush colour over the unchanged background, anchored at the picture's
// origin; the brush uses the pen's raster operation.
struct RasterBrush {
    RasterColor Color = 0xFFFFFF;
    int Style = 0;
};

// Applies raster operation `mode` (1..16; anything else copies) to screen
// pixel `screen` with pen colour `pen`; both and the result are 0x00BBGGRR.
RasterColor ApplyRasterOp(int mode, RasterColor pen, RasterColor screen);

// Converts between the colour value and the picture's 0xFFRRGGBB pixels.
QRgb RasterColorToRgb(RasterColor c);
RasterColor RgbToRasterColor(QRgb p);

// Sets one pixel to the colour (PSET, PRESET, FILEPSET: no raster operation).
QRect RasterSetPixel(QImage &image, int x, int y, RasterColor color);

// A line from `from` to `to`, leaving out `to` itself.
QRect RasterLine(QImage &image, QPoint from, QPoint to, const RasterPen &pen);

// The outline of the box through the two corners (the four sides, each
// leaving out its last point, as four LINE calls would).
QRect RasterBoxOutline(QImage &image, QPoint a, QPoint b, const RasterPen &pen);

// A rectangle outlined with the pen and filled with the brush, from the
// normalised corner `a` up to but not including the right and bottom edge.
QRect RasterRectangle(QImage &image, QPoint a, QPoint b, const RasterPen &pen, const RasterBrush &brush);

// The box of an ellipse, arc or pie: the corner points as the program gave
// them (left - r, top - r, right + r, bottom + r); the right and bottom edge
// are left out, as for rectangles.
struct RasterBox {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// An ellipse inscribed in the box, filled with the brush when `brush` is given.
QRect RasterEllipse(QImage &image, RasterBox box, const RasterPen &pen, const RasterBrush *brush);

// An arc of that ellipse from the ray through `start` to the ray through
// `end`, counter-clockwise on the screen; equal points draw the whole ellipse.
QRect RasterArc(QImage &image, RasterBox box, QPoint start, QPoint end, const RasterPen &pen);

// A pie (sector) of that ellipse, outlined with the pen, filled with the brush.
QRect RasterPie(QImage &image, RasterBox box, QPoint start, QPoint end, const RasterPen &pen,
                const RasterBrush &brush);

// Border-bounded flood fill from `seed`, 4-connected, iterative: paints the
// brush pattern over every pixel reachable without crossing `border`. Does
// nothing when the seed is outside or is of the border colour.
QRect RasterFloodFill(QImage &image, QPoint seed, RasterColor border, const RasterBrush &brush, int mode = 13);

// Copies the rectangle of `source` of the size at `from` onto `image` at
// `to`, both of 32 bits a pixel; clipped to both images.
QRect RasterCopy(QImage &image, QPoint to, const QImage &source, QPoint from, QSize size);

} // namespace ov
