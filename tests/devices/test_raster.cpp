#include "devices/OVRaster.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>

using namespace ov;

namespace {

constexpr RasterColor White = 0xFFFFFF, Black = 0, Red = 0x0000FF, Blue = 0xFF0000;

QImage Picture(int w, int h, RasterColor fill = White)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(RasterColorToRgb(fill));
    return image;
}

RasterColor At(const QImage &image, int x, int y) { return RgbToRasterColor(image.pixel(x, y)); }

RasterPen Pen(RasterColor color, int width = 1, int style = 0, int mode = 13) { return {color, mode, style, width}; }

// Row y from x0 to x1 as '#' (colour c) and '.' (anything else).
std::string RowText(const QImage &image, int y, int x0, int x1, RasterColor c)
{
    std::string s;
    for (int x = x0; x <= x1; ++x)
        s += At(image, x, y) == c ? '#' : '.';
    return s;
}

int Count(const QImage &image, RasterColor c)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += At(image, x, y) == c;
    return n;
}

// The rectangle of pixels that differ between two pictures.
QRect Changed(const QImage &a, const QImage &b)
{
    QRect r;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                r |= QRect(x, y, 1, 1);
    return r;
}

} // namespace

TEST(Raster, RasterOperationsFollowTheirTruthTables)
{
    const RasterColor p = 0xF0CC33, s = 0x5A0FC3, m = 0xFFFFFF;
    const RasterColor expected[16] = {0,           ~(p | s) & m, s & ~p & m, ~p & m,      p & ~s & m, ~s & m,
                                      p ^ s,       ~(p & s) & m, p & s,      ~(p ^ s) & m, s,         (s | ~p) & m,
                                      p,           (p | ~s) & m, p | s,      m};
    for (int mode = 1; mode <= 16; ++mode) {
        EXPECT_EQ(ApplyRasterOp(mode, p, s), expected[mode - 1]) << "mode " << mode;
        QImage image = Picture(4, 1, s);
        RasterLine(image, QPoint(0, 0), QPoint(3, 0), Pen(p, 1, 0, mode));
        EXPECT_EQ(At(image, 1, 0), expected[mode - 1]) << "line in mode " << mode;
        EXPECT_EQ(At(image, 3, 0), s);
        QImage box = Picture(4, 4, s);
        RasterRectangle(box, QPoint(0, 0), QPoint(4, 4), Pen(p, 1, 0, mode), RasterBrush{p, 0});
        EXPECT_EQ(At(box, 0, 0), expected[mode - 1]);
        EXPECT_EQ(At(box, 1, 1), expected[mode - 1]) << "brush in mode " << mode;
    }
    EXPECT_EQ(ApplyRasterOp(0, p, s), p);
    EXPECT_EQ(ApplyRasterOp(17, p, s), p);
    EXPECT_EQ(RasterColorToRgb(Red), qRgb(255, 0, 0));
    EXPECT_EQ(RgbToRasterColor(qRgb(1, 2, 3)), 0x030201u);
}

TEST(Raster, LinesLeaveOutTheirLastPoint)
{
    QImage image = Picture(12, 12);
    EXPECT_EQ(RasterLine(image, QPoint(1, 1), QPoint(6, 1), Pen(Black)), QRect(1, 1, 5, 1));
    EXPECT_EQ(RowText(image, 1, 0, 7, Black), ".#####..");
    RasterLine(image, QPoint(10, 10), QPoint(2, 6), Pen(Red));
    EXPECT_EQ(At(image, 10, 10), Red);
    EXPECT_EQ(At(image, 2, 6), White);
    EXPECT_EQ(Count(image, Red), 8);
    // A line and its reverse share their pixels but for the two ends.
    for (QPoint end : {QPoint(9, 4), QPoint(1, 8), QPoint(7, 10), QPoint(10, 1), QPoint(3, 9)}) {
        QImage twice = Picture(12, 12);
        RasterLine(twice, QPoint(1, 2), end, Pen(White, 1, 0, 7));
        RasterLine(twice, end, QPoint(1, 2), Pen(White, 1, 0, 7));
        EXPECT_EQ(Count(twice, Black), 2) << end.x() << "," << end.y();
    }
    QImage point = Picture(3, 3);
    EXPECT_TRUE(RasterLine(point, QPoint(1, 1), QPoint(1, 1), Pen(Black)).isEmpty());
    EXPECT_EQ(Count(point, Black), 0);
}

TEST(Raster, FarLinesAreClippedKeepingTheirSlope)
{
    QImage image = Picture(200, 200), back = Picture(200, 200);
    RasterLine(image, QPoint(0, 0), QPoint(100000, 50000), Pen(Black));
    RasterLine(back, QPoint(-100000, 50100), QPoint(100000, -49900), Pen(Black));
    for (int x = 0; x < 200; ++x) {
        EXPECT_EQ(At(image, x, x / 2), Black) << x;
        EXPECT_EQ(At(back, x, 100 - (x + 1) / 2), Black) << x;
    }
    EXPECT_EQ(Count(image, Black), 200);
    EXPECT_EQ(Count(back, Black), 200);

    // A clipped dashed line has the pixels of the whole line.
    QImage whole = Picture(400, 300), part = Picture(60, 40);
    const RasterPen dashed = Pen(Black, 1, 3);
    RasterLine(whole, QPoint(70, 93), QPoint(350, 161), dashed);
    RasterLine(part, QPoint(-30, -7), QPoint(250, 61), dashed);
    EXPECT_EQ(whole.copy(100, 100, 60, 40), part);
    RasterLine(part, QPoint(61, -5), QPoint(70, 100), dashed);
    RasterLine(part, QPoint(INT_MIN, INT_MIN), QPoint(INT_MAX, INT_MAX), Pen(Red));
    RasterLine(part, QPoint(INT_MAX, INT_MIN), QPoint(INT_MIN, INT_MAX), Pen(Red, 5));
    EXPECT_EQ(At(part, 10, 10), Red);
    EXPECT_EQ(At(part, 10, 16), White);
}

TEST(Raster, DashPatterns)
{
    const char *expected[5] = {
        "################################################",
        "##################......##################......",
        "###...###...###...###...###...###...###...###...",
        "#########......###......#########......###......",
        "#########...###...###...#########...###...###...",
    };
    for (int style = 0; style <= 6; ++style) {
        QImage image = Picture(50, 1);
        RasterLine(image, QPoint(0, 0), QPoint(48, 0), Pen(Black, 1, style));
        const std::string row = RowText(image, 0, 0, 47, Black);
        if (style == 5)
            EXPECT_EQ(row, std::string(48, '.'));
        else
            EXPECT_EQ(row, expected[style == 6 ? 0 : style]) << "style " << style;
    }
    // Opaque gaps take the gap colour, on lines and on curves alike.
    RasterPen opaque = Pen(Black, 1, 2);
    opaque.OpaqueGaps = true;
    opaque.GapColor = White;
    QImage gaps = Picture(50, 1, Red);
    RasterLine(gaps, QPoint(0, 0), QPoint(48, 0), opaque);
    EXPECT_EQ(RowText(gaps, 0, 0, 49, White), "...###...###...###...###...###...###...###...###..");
    EXPECT_EQ(RowText(gaps, 0, 0, 49, Red), std::string(48, '.') + "##");
    QImage solid = Picture(40, 40, Red), dotted = Picture(40, 40, Red);
    RasterEllipse(solid, RasterBox{2, 2, 37, 30}, Pen(Black), nullptr);
    RasterPie(dotted, RasterBox{2, 2, 37, 30}, QPoint(3, 3), QPoint(3, 3), opaque, RasterBrush{Red, 1});
    EXPECT_GT(Count(dotted, White), 20);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_TRUE(At(solid, x, y) != Black || At(dotted, x, y) != Red) << x << "," << y;

    QImage wide = Picture(30, 9);
    RasterLine(wide, QPoint(4, 4), QPoint(25, 4), Pen(Black, 3, 1));
    for (int y = 3; y <= 5; ++y)  // no dashes, both ends drawn
        EXPECT_EQ(RowText(wide, y, 0, 29, Black), "...########################...");
    EXPECT_EQ(RowText(wide, 6, 0, 29, Black), std::string(30, '.'));
}

TEST(Raster, BoxesLeaveOutTheirRightAndBottomEdges)
{
    QImage image = Picture(10, 10);
    RasterRectangle(image, QPoint(7, 6), QPoint(2, 2), Pen(Red), RasterBrush{Blue, 0});
    EXPECT_EQ(RowText(image, 2, 0, 9, Red), "..#####...");
    EXPECT_EQ(RowText(image, 3, 0, 9, Red), "..#...#...");
    EXPECT_EQ(RowText(image, 3, 0, 9, Blue), "...###....");
    EXPECT_EQ(RowText(image, 5, 0, 9, Red), "..#####...");
    EXPECT_EQ(RowText(image, 6, 0, 9, White), "##########");

    QImage outline = Picture(10, 10);
    RasterBoxOutline(outline, QPoint(2, 2), QPoint(7, 6), Pen(White, 1, 0, 7));
    EXPECT_EQ(RowText(outline, 2, 0, 9, Black), "..######..");
    EXPECT_EQ(RowText(outline, 4, 0, 9, Black), "..#....#..");
    EXPECT_EQ(RowText(outline, 6, 0, 9, Black), "..######..");  // xor: every corner once

    QImage clear = Picture(10, 10);
    RasterRectangle(clear, QPoint(2, 2), QPoint(7, 6), Pen(Red, 1, 5), RasterBrush{Blue, 0});
    EXPECT_EQ(Count(clear, Blue), 12);  // one pixel narrower and lower
    EXPECT_EQ(RowText(clear, 4, 0, 9, Blue), "..####....");
    EXPECT_EQ(Count(clear, Red), 0);

    QImage frame = Picture(20, 20), wide = Picture(20, 20);
    RasterRectangle(frame, QPoint(5, 5), QPoint(15, 15), Pen(Red, 4, 6), RasterBrush{Blue, 1});
    RasterRectangle(wide, QPoint(5, 5), QPoint(15, 15), Pen(Red, 4, 0), RasterBrush{Blue, 1});
    EXPECT_EQ(RowText(frame, 10, 0, 19, Red), ".....####..####.....");
    EXPECT_EQ(Changed(frame, Picture(20, 20)), QRect(5, 5, 10, 10));
    EXPECT_EQ(RowText(wide, 10, 0, 19, Red), "....####.....####...");
    QImage line = Picture(10, 3);
    RasterRectangle(line, QPoint(1, 1), QPoint(8, 2), Pen(White, 1, 0, 7), RasterBrush{Blue, 0});
    EXPECT_EQ(RowText(line, 1, 0, 9, Black), ".#######..");
}

TEST(Raster, HatchesAreTransparentAndAnchoredAtTheOrigin)
{
    auto on = [](int style, int x, int y) {
        const bool h = y % 8 == 0, v = x % 8 == 0, f = (x - y) % 8 == 0, b = (x + y) % 8 == 0;
        switch (style) {
        case 2: return h;
        case 3: return v;
        case 4: return f;
        case 5: return b;
        case 6: return h || v;
        default: return f || b;
        }
    };
    for (int style = 2; style <= 7; ++style) {
        QImage image = Picture(24, 24, Red);
        RasterRectangle(image, QPoint(3, 5), QPoint(21, 22), Pen(Black, 1, 5), RasterBrush{Blue, style});
        for (int y = 5; y < 21; ++y)
            for (int x = 3; x < 20; ++x)
                ASSERT_EQ(At(image, x, y), on(style, x, y) ? Blue : Red) << style << " " << x << "," << y;
        EXPECT_EQ(At(image, 0, 0), Red);
    }
    QImage none = Picture(8, 8);
    RasterRectangle(none, QPoint(0, 0), QPoint(8, 8), Pen(Black, 1, 5), RasterBrush{Blue, 1});
    EXPECT_EQ(none, Picture(8, 8));
}

TEST(Raster, EllipsesFillTheirBoxWithoutRightAndBottomEdge)
{
    QImage image = Picture(100, 100);
    const QRect changed = RasterEllipse(image, RasterBox{30, 30, 70, 70}, Pen(Black), nullptr);
    EXPECT_EQ(changed, QRect(30, 30, 40, 40));
    EXPECT_EQ(Changed(image, Picture(100, 100)), changed);
    for (int y = 30; y < 70; ++y)
        EXPECT_EQ(RowText(image, y, 30, 69, Black), RowText(image, 99 - y, 30, 69, Black));
    for (int x = 30; x < 70; ++x)
        EXPECT_EQ(At(image, x, 40), At(image, 99 - x, 40));
    // The outline is closed: a fill from the centre stays inside.
    RasterFloodFill(image, QPoint(50, 50), Black, RasterBrush{Red, 0});
    EXPECT_EQ(At(image, 50, 50), Red);
    EXPECT_EQ(At(image, 31, 31), White);
    EXPECT_EQ(At(image, 69, 50), Black);

    QImage filled = Picture(100, 100);
    RasterBrush brush{Blue, 0};
    RasterEllipse(filled, RasterBox{30, 30, 70, 70}, Pen(Black), &brush);
    image.fill(RasterColorToRgb(White));
    RasterEllipse(image, RasterBox{30, 30, 70, 70}, Pen(Black), nullptr);
    RasterFloodFill(image, QPoint(50, 50), Black, brush);
    EXPECT_EQ(filled, image);

    QImage flat = Picture(24, 4);
    RasterEllipse(flat, RasterBox{2, 1, 22, 3}, Pen(Black), nullptr);
    EXPECT_EQ(RowText(flat, 1, 0, 23, Black) + RowText(flat, 2, 0, 23, Black),
              "..####################....####################..");

    // Wide pens: centred on the outline, or kept inside the box.
    QImage centred = Picture(100, 100), inside = Picture(100, 100);
    EXPECT_EQ(RasterEllipse(centred, RasterBox{30, 20, 70, 61}, Pen(Red, 5), nullptr), QRect(28, 18, 44, 45));
    RasterEllipse(inside, RasterBox{30, 20, 70, 61}, Pen(Red, 5, 6), nullptr);
    EXPECT_EQ(Changed(centred, Picture(100, 100)), QRect(28, 18, 44, 45));
    EXPECT_EQ(Changed(inside, Picture(100, 100)), QRect(30, 20, 40, 41));
    EXPECT_EQ(RowText(inside, 40, 28, 71, Red), "..#####..............................#####..");

    // A huge circle whose top passes through the picture.
    QImage far = Picture(50, 50);
    RasterEllipse(far, RasterBox{25 - 1000000000, 20, 25 + 1000000000, 2000000020}, Pen(Black, 3), nullptr);
    EXPECT_EQ(RowText(far, 20, 0, 49, Black), std::string(50, '#'));
    EXPECT_EQ(RowText(far, 23, 0, 49, Black), std::string(50, '.'));
}

TEST(Raster, ArcsRunCounterClockwiseFromStartToEnd)
{
    const RasterBox box{10, 10, 51, 51};  // centre (30, 30)
    const QPoint right(50, 30), top(30, 10), left(10, 30);
    QImage whole = Picture(60, 60);
    RasterEllipse(whole, box, Pen(Black), nullptr);

    QImage quarter = Picture(60, 60);
    RasterArc(quarter, box, right, top, Pen(Black));
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 60; ++x)
            ASSERT_EQ(At(quarter, x, y), (x >= 30 && y <= 30) ? At(whole, x, y) : White) << x << "," << y;

    QImage three = Picture(60, 60);
    RasterArc(three, box, top, right, Pen(Black));
    EXPECT_EQ(At(three, 30, 10), Black);
    EXPECT_EQ(At(three, 10, 30), Black);
    EXPECT_EQ(At(three, 44, 16), White);  // the upper right quarter is left out

    QImage upper = Picture(60, 60);
    RasterArc(upper, box, right, left, Pen(Black));
    EXPECT_EQ(Count(upper, Black), Count(whole, Black) / 2 + 1);  // both ends on the middle row

    QImage same = Picture(60, 60);
    RasterArc(same, box, QPoint(3, 3), QPoint(3, 3), Pen(Black));
    EXPECT_EQ(same, whole);
}

TEST(Raster, PiesFillTheirSectorAndDrawEachPixelOnce)
{
    const RasterBox box{10, 10, 51, 51};
    QImage image = Picture(60, 60);
    RasterPie(image, box, QPoint(50, 30), QPoint(30, 10), Pen(Black), RasterBrush{Blue, 0});
    EXPECT_EQ(At(image, 40, 20), Blue);
    EXPECT_EQ(At(image, 20, 40), White);
    EXPECT_EQ(RowText(image, 30, 29, 51, Black), ".#####################.");
    EXPECT_EQ(At(image, 30, 15), Black);
    EXPECT_EQ(At(image, 30, 35), White);

    const QImage before = Picture(60, 60, 0x123456);
    for (const RasterPen &pen : {Pen(Red, 1, 0, 7), Pen(Red, 5, 0, 7), Pen(Red, 4, 6, 7), Pen(Red, 1, 3, 7)}) {
        QImage x = before;
        const RasterBrush brush{Blue, 4};
        RasterPie(x, box, QPoint(0, 5), QPoint(57, 40), pen, brush);
        EXPECT_NE(x, before);
        RasterPie(x, box, QPoint(0, 5), QPoint(57, 40), pen, brush);
        RasterEllipse(x, box, pen, &brush);
        RasterEllipse(x, box, pen, &brush);
        RasterArc(x, box, QPoint(0, 5), QPoint(57, 40), pen);
        RasterArc(x, box, QPoint(0, 5), QPoint(57, 40), pen);
        RasterRectangle(x, QPoint(5, 5), QPoint(40, 30), pen, brush);
        RasterRectangle(x, QPoint(5, 5), QPoint(40, 30), pen, brush);
        EXPECT_EQ(x, before) << "width " << pen.Width << " style " << pen.Style;
    }
}

TEST(Raster, FloodFillStopsAtTheBorderAndGoesRoundHoles)
{
    QImage image = Picture(40, 30);
    RasterBoxOutline(image, QPoint(2, 2), QPoint(30, 25), Pen(Black));
    RasterRectangle(image, QPoint(10, 10), QPoint(20, 15), Pen(Black), RasterBrush{Blue, 0});
    RasterLine(image, QPoint(3, 20), QPoint(30, 20), Pen(Red));  // not the border colour
    const QRect r = RasterFloodFill(image, QPoint(5, 5), Black, RasterBrush{Red, 0});
    EXPECT_EQ(r, QRect(3, 3, 27, 22));
    EXPECT_EQ(At(image, 29, 24), Red);
    EXPECT_EQ(At(image, 15, 12), Blue);  // the hole keeps its colour
    EXPECT_EQ(At(image, 35, 5), White);
    EXPECT_EQ(At(image, 31, 26), White);

    EXPECT_TRUE(RasterFloodFill(image, QPoint(2, 2), Black, RasterBrush{Red, 0}).isEmpty());
    EXPECT_TRUE(RasterFloodFill(image, QPoint(-1, 5), Black, RasterBrush{Red, 0}).isEmpty());
    EXPECT_TRUE(RasterFloodFill(image, QPoint(35, 5), Black, RasterBrush{Red, 1}).isEmpty());

    // A hatch in the region's own colour, and a fill in the border colour, end.
    QImage hatch = Picture(40, 30);
    RasterFloodFill(hatch, QPoint(0, 0), Black, RasterBrush{White, 7});
    EXPECT_EQ(hatch, Picture(40, 30));
    RasterFloodFill(hatch, QPoint(7, 3), Red, RasterBrush{Red, 6});
    EXPECT_EQ(At(hatch, 8, 8), Red);
    EXPECT_EQ(At(hatch, 9, 9), White);
    EXPECT_EQ(Count(hatch, Red), 4 * 40 + 5 * 30 - 20);
    QImage xored = Picture(40, 30);
    RasterFloodFill(xored, QPoint(7, 3), Black, RasterBrush{White, 0}, 7);
    EXPECT_EQ(Count(xored, Black), 40 * 30);
}

TEST(Raster, EmptyPicturesAndReturnedRectangles)
{
    QImage empty;
    const RasterBrush brush{Blue, 0};
    EXPECT_TRUE(RasterSetPixel(empty, 0, 0, Red).isEmpty());
    EXPECT_TRUE(RasterLine(empty, QPoint(0, 0), QPoint(5, 5), Pen(Red)).isEmpty());
    EXPECT_TRUE(RasterLine(empty, QPoint(0, 0), QPoint(5, 5), Pen(Red, 3)).isEmpty());
    EXPECT_TRUE(RasterRectangle(empty, QPoint(0, 0), QPoint(5, 5), Pen(Red), brush).isEmpty());
    EXPECT_TRUE(RasterEllipse(empty, RasterBox{0, 0, 5, 5}, Pen(Red), &brush).isEmpty());
    EXPECT_TRUE(RasterPie(empty, RasterBox{0, 0, 5, 5}, QPoint(0, 0), QPoint(5, 0), Pen(Red), brush).isEmpty());
    EXPECT_TRUE(RasterFloodFill(empty, QPoint(0, 0), Red, brush).isEmpty());

    QImage image = Picture(50, 40);
    EXPECT_TRUE(RasterRectangle(image, QPoint(INT_MIN, INT_MIN), QPoint(INT_MIN, 0), Pen(Red, 3), brush).isEmpty());
    EXPECT_EQ(RasterRectangle(image, QPoint(INT_MIN, INT_MIN), QPoint(INT_MAX, INT_MAX), Pen(Red, 3), brush),
              QRect(0, 0, 50, 40));
    const RasterBox huge{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    EXPECT_EQ(RasterPie(image, huge, QPoint(INT_MAX, 0), QPoint(0, INT_MIN), Pen(Red, INT_MAX), brush), QRect(0, 0, 50, 40));
    EXPECT_EQ(Count(image, Red), 50 * 40);
    image.fill(RasterColorToRgb(White));
    EXPECT_EQ(RasterSetPixel(image, 3, 4, Red), QRect(3, 4, 1, 1));
    EXPECT_TRUE(RasterSetPixel(image, 50, 4, Red).isEmpty());
    EXPECT_EQ(At(image, 3, 4), Red);
    for (int width : {1, 6}) {
        QImage a = Picture(50, 40);
        const QRect r = RasterPie(a, RasterBox{-10, 5, 30, 60}, QPoint(40, 0), QPoint(-5, 50), Pen(Red, width), brush);
        EXPECT_TRUE(r.contains(Changed(a, Picture(50, 40)))) << width;
        QImage b = Picture(50, 40);
        EXPECT_TRUE(RasterLine(b, QPoint(-7, 45), QPoint(60, -3), Pen(Red, width)).contains(Changed(b, Picture(50, 40))));
    }
}

// Random figures, near and far, in xor: drawing each twice restores the
// picture, and every changed pixel lies in the rectangle returned.
TEST(Raster, RandomFiguresStayInTheirRectangleAndXorBack)
{
    std::mt19937 random(11);
    auto coordinate = [&]() -> int {
        switch (random() % 4) {
        case 0: return int(random() % 80) - 10;
        case 1: return int(random() % 2000) - 1000;
        case 2: return int(random() % 200001) - 100000;
        default: return int(random());
        }
    };
    const QImage before = Picture(60, 50, 0x345678);
    for (int i = 0; i < 400; ++i) {
        const QPoint a(coordinate(), coordinate()), b(coordinate(), coordinate());
        const QPoint c(coordinate(), coordinate()), d(coordinate(), coordinate());
        const int cx = int(random() % 80) - 10, cy = int(random() % 70) - 10, rx = int(random() % 60), ry = int(random() % 60);
        const RasterBox box{cx - rx, cy - ry, cx + rx, cy + ry};
        const RasterPen pen{0xFFFFFF, 7, int(random() % 7), int(random() % 3 == 0 ? random() % 9 + 1 : 1)};
        const RasterBrush brush{0x00FF00, int(random() % 8)};
        const int figure = i % 6;
        auto draw = [&](QImage &image) {
            switch (figure) {
            case 0: return RasterLine(image, a, b, pen);
            case 1: return RasterBoxOutline(image, a, b, pen);
            case 2: return RasterRectangle(image, a, b, pen, brush);
            case 3: return RasterEllipse(image, box, pen, &brush);
            case 4: return RasterArc(image, box, c, d, pen);
            default: return RasterPie(image, box, c, d, pen, brush);
            }
        };
        QImage image = before;
        const QRect r = draw(image);
        ASSERT_TRUE(r.contains(Changed(image, before)) || Changed(image, before).isEmpty()) << i;
        draw(image);
        ASSERT_EQ(image, before) << "figure " << figure << " round " << i;
    }
}
