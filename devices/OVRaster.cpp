#include "devices/OVRaster.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

namespace ov {

namespace {

using i64 = int64_t;
using i128 = __int128;

constexpr int PatternLength = 24;
constexpr int StyleClear = 5;
constexpr int StyleInsideFrame = 6;
constexpr int BrushClear = 1;

// ---- Colours and raster operations

// With the pen colour fixed, every raster operation is, bit by bit, one of
// 0, 1, S or not S, so it becomes pixel := (pixel & Keep) ^ Flip. The alpha
// byte of a picture pixel always comes out as 0xFF.
struct Ink {
    uint32_t Keep = 0;
    uint32_t Flip = 0xFF000000;
};

// Modes 1..16 are the truth tables 0..15 of (pen, screen): bit 2p+s of
// mode - 1 is the result for pen bit p and screen bit s.
Ink MakeInk(int mode, uint32_t pen)
{
    const unsigned table = (mode >= 1 && mode <= 16) ? unsigned(mode - 1) : 12u;
    auto all = [table](int bit) { return (table >> bit & 1u) ? 0xFFFFFFFFu : 0u; };
    const uint32_t whenClear = (pen & all(2)) | (~pen & all(0));
    const uint32_t whenSet = (pen & all(3)) | (~pen & all(1));
    return {(whenClear ^ whenSet) & 0x00FFFFFFu, (whenClear & 0x00FFFFFFu) | 0xFF000000u};
}

// Dash patterns of a one-pixel pen, one bit per pixel along the line, all 24
// pixels long: dash 18 on 6 off; dot 3 on 3 off; dash-dot 9 on 6 off 3 on
// 6 off; dash-dot-dot 9 on 3 off 3 on 3 off 3 on 3 off.
uint32_t DashMask(int style)
{
    switch (style) {
    case 1: return 0x03FFFF;
    case 2: return 0x1C71C7;
    case 3: return 0x0381FF;
    case 4: return 0x1C71FF;
    default: return 0xFFFFFF;
    }
}

// The six 8 by 8 hatches, leftmost pixel in the high bit, anchored at the
// picture's origin: horizontal lines on rows y = 0 (mod 8), vertical on
// x = 0, forward diagonal on x - y = 0, backward diagonal on x + y = 0, and
// the two crosses of those.
constexpr uint8_t Hatches[6][8] = {
    {0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
    {0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80},
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},
    {0x80, 0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40},
    {0xFF, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80},
    {0x80, 0x41, 0x22, 0x14, 0x08, 0x14, 0x22, 0x41},
};

// The brush as it paints: its ink and its hatch (null for solid).
struct Paint {
    Ink Color;
    const uint8_t *Hatch = nullptr;
};

Paint BrushPaint(const RasterBrush &brush, int mode)
{
    Paint p{MakeInk(mode, RasterColorToRgb(brush.Color)), nullptr};
    if (brush.Style >= 2 && brush.Style <= 7)
        p.Hatch = Hatches[brush.Style - 2];
    return p;
}

// ---- The picture's pixels

struct Surface {
    uint32_t *Bits = nullptr;
    qsizetype Stride = 0;  // in pixels
    int W = 0, H = 0;

    explicit Surface(QImage &image)
    {
        if (image.isNull())
            return;
        const QImage::Format f = image.format();
        if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 && f != QImage::Format_ARGB32_Premultiplied)
            image.convertTo(QImage::Format_RGB32);
        Bits = reinterpret_cast<uint32_t *>(image.bits());
        Stride = image.bytesPerLine() / 4;
        W = image.width();
        H = image.height();
    }
    bool Empty() const { return Bits == nullptr || W <= 0 || H <= 0; }
    uint32_t *Row(int y) const { return Bits + y * Stride; }
};

// Applies the paint to pixels xl..xr of row y (already clipped).
void PaintRun(const Surface &s, int y, int xl, int xr, const Paint &p)
{
    uint32_t *row = s.Row(y);
    const Ink ink = p.Color;
    if (p.Hatch) {
        const unsigned bits = p.Hatch[y & 7];
        for (int x = xl; x <= xr; ++x)
            if (bits >> (7 - (x & 7)) & 1u)
                row[x] = (row[x] & ink.Keep) ^ ink.Flip;
    } else if (ink.Keep == 0) {
        std::fill(row + xl, row + xr + 1, ink.Flip);
    } else {
        for (int x = xl; x <= xr; ++x)
            row[x] = (row[x] & ink.Keep) ^ ink.Flip;
    }
}

// The rectangle of the pixels a routine touched.
struct Bounds {
    int X0 = INT_MAX, Y0 = INT_MAX, X1 = INT_MIN, Y1 = INT_MIN;
    void Add(int y, int xl, int xr)
    {
        X0 = std::min(X0, xl);
        X1 = std::max(X1, xr);
        Y0 = std::min(Y0, y);
        Y1 = std::max(Y1, y);
    }
    QRect Rect() const { return X0 > X1 ? QRect() : QRect(QPoint(X0, Y0), QPoint(X1, Y1)); }
};

constexpr long double kI64Limit = 4.0e18L;

// Floor and ceiling from the truncated value and one step: std::floor and
// std::ceil switch the x87 rounding mode there and back, which stalls the
// floating-point pipeline, while the truncation does not.
i64 FloorI(long double v)
{
    const long double c = std::clamp(v, -kI64Limit, kI64Limit);
    const i64 t = i64(c);
    return static_cast<long double>(t) > c ? t - 1 : t;
}

i64 CeilI(long double v)
{
    const long double c = std::clamp(v, -kI64Limit, kI64Limit);
    const i64 t = i64(c);
    return static_cast<long double>(t) < c ? t + 1 : t;
}

// ---- The canvas: runs of pen, dash gap or brush, straight onto the picture
// or, for figures whose parts overlap, into a mask that is painted once at
// the end so that each pixel gets the raster operation once (the pen wins,
// then the gaps, then the brush).

enum Kind : uint8_t { Nothing = 0, BrushKind = 1, GapKind = 2, PenKind = 3 };

class Canvas {
public:
    explicit Canvas(QImage &image) : Pixels(image) {}

    bool Empty() const { return Pixels.Empty(); }
    int Width() const { return Pixels.W; }
    int Height() const { return Pixels.H; }

    void SetPen(const RasterPen &pen)
    {
        Pen = {MakeInk(pen.Mode, RasterColorToRgb(pen.Color)), nullptr};
        Gap = {MakeInk(pen.Mode, RasterColorToRgb(pen.GapColor)), nullptr};
        OpaqueGaps = pen.OpaqueGaps;
    }
    void SetBrush(const RasterBrush &brush, int mode) { Brush = BrushPaint(brush, mode); }

    // Collects the runs in a mask over the figure's extent x0..x1, y0..y1.
    void UseMask(i64 x0, i64 y0, i64 x1, i64 y1)
    {
        MaskX0 = int(std::max<i64>(x0, 0));
        MaskY0 = int(std::max<i64>(y0, 0));
        MaskX1 = int(std::min<i64>(x1, Pixels.W - 1));
        MaskY1 = int(std::min<i64>(y1, Pixels.H - 1));
        Masked = true;
        if (MaskX0 <= MaskX1 && MaskY0 <= MaskY1)
            Mask.assign(size_t(MaskX1 - MaskX0 + 1) * size_t(MaskY1 - MaskY0 + 1), Nothing);
    }

    void Run(Kind kind, i64 y, i64 xl, i64 xr)
    {
        const int lo = Masked ? MaskY0 : 0, hi = Masked ? MaskY1 : Pixels.H - 1;
        if (y < lo || y > hi)
            return;
        xl = std::max<i64>(xl, Masked ? MaskX0 : 0);
        xr = std::min<i64>(xr, Masked ? MaskX1 : Pixels.W - 1);
        if (xl > xr)
            return;
        Touched.Add(int(y), int(xl), int(xr));
        if (!Masked) {
            PaintRun(Pixels, int(y), int(xl), int(xr), PaintOf(kind));
            return;
        }
        uint8_t *m = MaskRow(int(y));
        for (i64 x = xl; x <= xr; ++x)
            m[x - MaskX0] = std::max<uint8_t>(m[x - MaskX0], kind);
    }

    void Dot(Kind kind, i64 x, i64 y) { Run(kind, y, x, x); }

    // A pixel of a dashed pen: the pen where the dash is on, else the gap
    // colour when gaps are opaque.
    void DashDot(bool on, i64 x, i64 y)
    {
        if (on || OpaqueGaps)
            Dot(on ? PenKind : GapKind, x, y);
    }

    QRect Finish()
    {
        if (Masked && !Mask.empty())
            PaintMask();
        return Touched.Rect();
    }

private:
    uint8_t *MaskRow(int y) { return Mask.data() + size_t(y - MaskY0) * size_t(MaskX1 - MaskX0 + 1); }

    void PaintMask()
    {
        for (int y = MaskY0; y <= MaskY1; ++y) {
            const uint8_t *m = MaskRow(y);
            const int n = MaskX1 - MaskX0 + 1;
            for (int i = 0; i < n;) {
                int j = i;
                while (j < n && m[j] == m[i])
                    ++j;
                if (m[i] != Nothing)
                    PaintRun(Pixels, y, MaskX0 + i, MaskX0 + j - 1, PaintOf(Kind(m[i])));
                i = j;
            }
        }
    }

    const Paint &PaintOf(Kind kind) const { return kind == PenKind ? Pen : kind == GapKind ? Gap : Brush; }

    Surface Pixels;
    Paint Pen, Gap, Brush;
    bool OpaqueGaps = false;
    bool Masked = false;
    int MaskX0 = 0, MaskY0 = 0, MaskX1 = -1, MaskY1 = -1;
    std::vector<uint8_t> Mask;
    Bounds Touched;
};

// ---- One-pixel lines

i128 CeilDiv(i128 a, i128 b) { return (a + b - 1) / b; }  // a >= 0, b > 0

// Walks the Bresenham line from (x0, y0) towards (x1, y1), leaving out the
// last point unless `withLast`, over the steps that fall inside a w by h
// picture only. The clipped steps are found exactly (128-bit products), so
// a clipped line has the pixels and the dash phase of the whole one. The
// minor coordinate at step i is n0 +- round(i * dn / dm); halfway pixels go
// to the smaller coordinate, so a line and its reverse share their pixels.
// plot(x, y, phase) gets the step's position in the dash pattern.
template <class Plot>
QRect WalkLine(i64 x0, i64 y0, i64 x1, i64 y1, bool withLast, int w, int h, int phase0, Plot &&plot)
{
    const bool xMajor = std::abs(x1 - x0) >= std::abs(y1 - y0);
    const i64 m0 = xMajor ? x0 : y0, n0 = xMajor ? y0 : x0;
    const i64 md = xMajor ? x1 - x0 : y1 - y0, nd = xMajor ? y1 - y0 : x1 - x0;
    const i64 dm = std::abs(md), dn = std::abs(nd);
    const int sm = md < 0 ? -1 : 1, sn = nd < 0 ? -1 : 1;
    const i64 mSize = xMajor ? w : h, nSize = xMajor ? h : w;
    const i64 count = dm + (withLast ? 1 : 0);
    if (count == 0 || w <= 0 || h <= 0)
        return {};
    if (dm == 0) {  // a single point
        if (x0 < 0 || y0 < 0 || x0 >= w || y0 >= h)
            return {};
        plot(int(x0), int(y0), phase0 % PatternLength);
        return QRect(int(x0), int(y0), 1, 1);
    }
    i128 lo = 0, hi = count - 1;
    if (sm > 0) {
        lo = std::max<i128>(lo, -m0);
        hi = std::min<i128>(hi, mSize - 1 - m0);
    } else {
        lo = std::max<i128>(lo, m0 - (mSize - 1));
        hi = std::min<i128>(hi, m0);
    }
    const i64 qlo = sn > 0 ? -n0 : n0 - (nSize - 1);
    const i64 qhi = sn > 0 ? nSize - 1 - n0 : n0;
    if (qhi < 0 || (qlo > 0 && dn == 0))
        return {};
    // q(i) = floor((2 i dn + bias) / 2 dm)
    const i64 bias = sn > 0 ? dm - 1 : dm;
    if (qlo > 0)
        lo = std::max(lo, CeilDiv(i128(2 * qlo) * dm - bias, i128(2) * dn));
    if (dn > 0)
        hi = std::min(hi, CeilDiv(i128(2 * qhi + 2) * dm - bias, i128(2) * dn) - 1);
    if (lo > hi)
        return {};

    const i128 num = 2 * lo * dn + bias;
    const i64 twoDm = 2 * dm, twoDn = 2 * dn;
    i64 r = i64(num % twoDm);
    int mj = int(m0 + sm * i64(lo));
    int mn = int(n0 + sn * i64(num / twoDm));
    int phase = int((i64(lo) + phase0) % PatternLength);
    const int startX = xMajor ? mj : mn, startY = xMajor ? mn : mj;
    for (i64 i = i64(lo); i <= i64(hi); ++i) {
        if (xMajor)
            plot(mj, mn, phase);
        else
            plot(mn, mj, phase);
        if (i == i64(hi))
            break;
        mj += sm;
        r += twoDn;
        if (r >= twoDm) {
            r -= twoDm;
            mn += sn;
        }
        if (++phase == PatternLength)
            phase = 0;
    }
    const int endX = xMajor ? mj : mn, endY = xMajor ? mn : mj;
    return QRect(QPoint(std::min(startX, endX), std::min(startY, endY)),
                 QPoint(std::max(startX, endX), std::max(startY, endY)));
}

// A one-pixel line straight onto the picture, in the pen's raster operation
// and dash pattern, starting at `phase0` in the pattern.
QRect ThinLine(QImage &image, QPoint from, QPoint to, const RasterPen &pen, int phase0)
{
    Surface s(image);
    if (s.Empty())
        return {};
    const Ink ink = MakeInk(pen.Mode, RasterColorToRgb(pen.Color));
    const Ink gap = pen.OpaqueGaps ? MakeInk(pen.Mode, RasterColorToRgb(pen.GapColor)) : Ink{0xFFFFFFFFu, 0};
    const uint32_t dashes = DashMask(pen.Style);
    return WalkLine(from.x(), from.y(), to.x(), to.y(), false, s.W, s.H, phase0, [&](int x, int y, int phase) {
        const Ink &use = (dashes >> phase & 1u) ? ink : gap;
        uint32_t &p = s.Bits[y * s.Stride + x];
        p = (p & use.Keep) ^ use.Flip;
    });
}

// A one-pixel line with both end points into the canvas (the sides of a pie).
void ThinLineInto(Canvas &c, i64 x0, i64 y0, i64 x1, i64 y1, uint32_t dashes)
{
    WalkLine(x0, y0, x1, y1, true, c.Width(), c.Height(), 0, [&](int x, int y, int phase) {
        c.DashDot(dashes >> phase & 1u, x, y);
    });
}

// ---- Wide pens: every pixel whose centre lies within half the pen width of
// the path (round ends and joins). Even widths move the path half a pixel
// right and down, so that a pen of width w covers w pixels across.

struct Capsule {
    long double Ax, Ay, Bx, By, R;
};

// Narrows [lo, hi] to the x with lower <= c * x + e <= upper; false when
// nothing is left.
bool Within(long double c, long double e, long double lower, long double upper, long double &lo, long double &hi)
{
    if (c == 0)
        return e >= lower && e <= upper;
    long double a = (lower - e) / c, b = (upper - e) / c;
    if (a > b)
        std::swap(a, b);
    lo = std::max(lo, a);
    hi = std::min(hi, b);
    return lo <= hi;
}

// The x range of the capsule on the horizontal line y.
bool CapsuleRow(const Capsule &k, long double y, long double &lo, long double &hi)
{
    bool any = false;
    lo = hi = 0;  // set before use; the compiler cannot see that through the lambda
    auto join = [&](long double a, long double b) {
        lo = any ? std::min(lo, a) : a;
        hi = any ? std::max(hi, b) : b;
        any = true;
    };
    for (auto [cx, cy] : {std::pair{k.Ax, k.Ay}, std::pair{k.Bx, k.By}}) {
        const long double dy = y - cy;
        if (std::fabs(dy) <= k.R) {
            const long double h = std::sqrt(k.R * k.R - dy * dy);
            join(cx - h, cx + h);
        }
    }
    const long double dx = k.Bx - k.Ax, dy = k.By - k.Ay, len2 = dx * dx + dy * dy;
    long double a = -HUGE_VALL, b = HUGE_VALL;
    const long double ry = y - k.Ay;
    if (len2 > 0 && Within(dx, ry * dy - k.Ax * dx, 0, len2, a, b)
        && Within(dy, -ry * dx - k.Ax * dy, -k.R * std::sqrt(len2), k.R * std::sqrt(len2), a, b))
        join(a, b);
    return any;
}

void CapsuleInto(Canvas &c, const Capsule &k)
{
    const long double top = std::min(k.Ay, k.By) - k.R, bottom = std::max(k.Ay, k.By) + k.R;
    const i64 y0 = std::max<i64>(CeilI(top), 0), y1 = std::min<i64>(FloorI(bottom), c.Height() - 1);
    for (i64 y = y0; y <= y1; ++y) {
        long double lo, hi;
        if (CapsuleRow(k, (long double)y, lo, hi))
            c.Run(PenKind, y, CeilI(lo), FloorI(hi));
    }
}

long double EvenShift(int width) { return width % 2 == 0 ? 0.5L : 0.0L; }

Capsule WideSegment(long double ax, long double ay, long double bx, long double by, int width)
{
    const long double o = EvenShift(width);
    return {ax + o, ay + o, bx + o, by + o, width / 2.0L};
}

int PenWidth(const RasterPen &pen) { return std::max(1, pen.Width); }

// ---- Ellipses. A box of W by H pixels holds the ellipse with centre and
// semi-axes in doubled units (so that half pixels stay integers): a pixel
// lies inside when (2x - CX2)^2 / A2^2 + (2y - CY2)^2 / B2^2 <= 1.

struct Oval {
    i64 CX2 = 0, CY2 = 0, A2 = 0, B2 = 0;
    bool Fit = false;  // the filled ellipse of the box: reaches all four sides

    // The inside pixels of row y.
    bool Row(i64 y, i64 &xl, i64 &xr) const
    {
        if (A2 <= 0 || B2 <= 0)
            return false;
        const i64 dy = std::abs(2 * y - CY2);
        if (dy > B2 || (Fit && dy >= B2))
            return false;
        i64 k;
        if (Fit && dy <= 1) {
            k = A2 - 1;  // the middle row always spans the box (flat ellipses)
        } else {
            k = HalfWidth(dy);
            if ((CX2 - k) & 1)
                --k;
            if (Fit)
                k = std::max<i64>(k, CX2 & 1);  // the middle column always spans the box
            if (k < 0)
                return false;
        }
        xl = (CX2 - k) / 2;
        xr = (CX2 + k) / 2;
        return true;
    }

    // The largest k with k^2 / A2^2 + dy^2 / B2^2 <= 1: from the square
    // root, then made exact while the products fit in 128 bits.
    i64 HalfWidth(i64 dy) const
    {
        i64 k = FloorI((long double)A2 * std::sqrt((long double)(B2 - dy) * (long double)(B2 + dy)) / B2);
        if (A2 < (i64(1) << 30) && B2 < (i64(1) << 30)) {
            const i128 target = i128(A2) * A2 * (i128(B2) * B2 - i128(dy) * dy), b2 = i128(B2) * B2;
            while (i128(k + 1) * (k + 1) * b2 <= target)
                ++k;
            while (k >= 0 && i128(k) * k * b2 > target)
                --k;
        }
        return k;
    }
};

struct Box {
    i64 L, T, R, B;  // R and B left out
    i64 W() const { return R - L; }
    i64 H() const { return B - T; }
};

Box Normalised(const RasterBox &b)
{
    return {std::min(b.Left, b.Right), std::min(b.Top, b.Bottom), std::max(b.Left, b.Right),
            std::max(b.Top, b.Bottom)};
}

Oval FitOval(const Box &b) { return {b.L + b.R - 1, b.T + b.B - 1, b.W(), b.H(), true}; }

// The ellipse through the pixel centres of the box's edges, grown by `delta`
// half pixels on each side.
Oval GrownOval(const Box &b, i64 delta) { return {b.L + b.R - 1, b.T + b.B - 1, b.W() - 1 + delta, b.H() - 1 + delta, false}; }

struct RowRange {
    i64 First, Last;
};

RowRange VisibleRows(const Canvas &c, i64 top, i64 bottom)
{
    return {std::max<i64>(top, 0), std::min<i64>(bottom, c.Height() - 1)};
}

// Hands each visible row's outline runs (pixels of the ellipse with a
// 4-neighbour outside it) to `edge` and its interior run to `inside`.
template <class Edge, class Inside>
void WalkOutline(const Oval &o, RowRange rows, Edge &&edge, Inside &&inside)
{
    struct Span {
        bool On;
        i64 L, R;
    };
    auto row = [&](i64 y) {
        Span s{};
        s.On = o.Row(y, s.L, s.R);
        return s;
    };
    Span up = row(rows.First - 1), cur = row(rows.First);
    for (i64 y = rows.First; y <= rows.Last; ++y) {
        const Span down = row(y + 1);
        if (cur.On) {
            const i64 il = std::max({cur.L + 1, up.L, down.L}), ir = std::min({cur.R - 1, up.R, down.R});
            if (!up.On || !down.On || il > ir) {
                edge(y, cur.L, cur.R);
            } else {
                edge(y, cur.L, il - 1);
                edge(y, ir + 1, cur.R);
                inside(y, il, ir);
            }
        }
        up = cur;
        cur = down;
    }
}

// Hands each visible row's runs of the ring between two ellipses to `run`.
template <class Run>
void WalkRing(const Oval &outer, const Oval &inner, RowRange rows, Run &&run)
{
    for (i64 y = rows.First; y <= rows.Last; ++y) {
        i64 ol, orr, il, ir;
        if (!outer.Row(y, ol, orr))
            continue;
        if (inner.Row(y, il, ir)) {
            run(y, ol, il - 1);
            run(y, ir + 1, orr);
        } else {
            run(y, ol, orr);
        }
    }
}

// The part of the ellipse counter-clockwise (on the screen) from the ray
// through the start point to the ray through the end point. Vectors are in
// doubled units from the centre, y pointing up.
struct Sector {
    i64 CX2 = 0, CY2 = 0;
    i64 Sx = 1, Sy = 0, Ex = 1, Ey = 0;
    bool Whole = true, Reflex = false;

    Sector() = default;
    Sector(const Oval &o, QPoint start, QPoint end) : CX2(o.CX2), CY2(o.CY2)
    {
        Sx = 2 * i64(start.x()) - CX2;
        Sy = CY2 - 2 * i64(start.y());
        Ex = 2 * i64(end.x()) - CX2;
        Ey = CY2 - 2 * i64(end.y());
        if (Sx == 0 && Sy == 0)
            Sx = 1;
        if (Ex == 0 && Ey == 0)
            Ex = 1;
        const i128 cross = Cross(Sx, Sy, Ex, Ey), dot = i128(Sx) * Ex + i128(Sy) * Ey;
        Whole = cross == 0 && dot > 0;
        Reflex = cross < 0;
    }
    static i128 Cross(i64 ax, i64 ay, i64 bx, i64 by) { return i128(ax) * by - i128(ay) * bx; }

    bool Contains(i64 x, i64 y) const
    {
        if (Whole)
            return true;
        const i64 vx = 2 * x - CX2, vy = CY2 - 2 * y;
        const bool afterStart = Cross(Sx, Sy, vx, vy) >= 0, beforeEnd = Cross(vx, vy, Ex, Ey) >= 0;
        return Reflex ? (afterStart || beforeEnd) : (afterStart && beforeEnd);
    }
};

// Position in the dash pattern of an outline pixel: its distance along the
// curve from the start ray, taken as the angle times the mean radius.
struct CurveDashes {
    uint32_t Mask = 0xFFFFFF;
    long double A2 = 1, B2 = 1, Start = 0;
    i64 CX2 = 0, CY2 = 0;

    CurveDashes(const Oval &o, const Sector &s, int style)
        : Mask(DashMask(style)), A2((long double)std::max<i64>(o.A2, 1)), B2((long double)std::max<i64>(o.B2, 1)),
          Start(std::atan2(s.Sy / B2, s.Sx / A2)), CX2(o.CX2), CY2(o.CY2)
    {
    }
    bool Solid() const { return Mask == 0xFFFFFF; }
    bool On(i64 x, i64 y) const
    {
        const long double angle = std::atan2((CY2 - 2 * y) / B2, (2 * x - CX2) / A2);
        long double turn = angle - Start;
        if (turn < 0)
            turn += 2 * std::numbers::pi_v<long double>;
        const i64 step = FloorI(turn * (A2 + B2) / 4);
        return Mask >> (step % PatternLength) & 1u;
    }
};

// Hands the pixels of run xl..xr of row y (clipped to the picture first)
// that lie in the sector to `run`, as runs.
template <class Run>
void SectorRuns(const Canvas &c, const Sector &s, i64 y, i64 xl, i64 xr, Run &&run)
{
    xl = std::max<i64>(xl, 0);
    xr = std::min<i64>(xr, c.Width() - 1);
    if (s.Whole) {
        if (xl <= xr)
            run(y, xl, xr);
        return;
    }
    for (i64 x = xl; x <= xr;) {
        if (!s.Contains(x, y)) {
            ++x;
            continue;
        }
        i64 e = x;
        while (e + 1 <= xr && s.Contains(e + 1, y))
            ++e;
        run(y, x, e);
        x = e + 1;
    }
}

// The one-pixel outline of the box's ellipse within the sector.
void ThinCurve(Canvas &c, const Box &b, const Sector &s, int style, bool withBrush)
{
    const Oval o = FitOval(b);
    const CurveDashes dashes(o, s, style);
    auto pen = [&](i64 y, i64 xl, i64 xr) {
        SectorRuns(c, s, y, xl, xr, [&](i64 ry, i64 l, i64 r) {
            if (dashes.Solid()) {
                c.Run(PenKind, ry, l, r);
                return;
            }
            for (i64 x = l; x <= r; ++x)
                c.DashDot(dashes.On(x, ry), x, ry);
        });
    };
    auto brush = [&](i64 y, i64 xl, i64 xr) {
        if (withBrush)
            SectorRuns(c, s, y, xl, xr, [&](i64 ry, i64 l, i64 r) { c.Run(BrushKind, ry, l, r); });
    };
    WalkOutline(o, VisibleRows(c, b.T, b.B - 1), pen, brush);
}

// The ring a wide pen draws along the box's ellipse, within the sector;
// inside-frame pens keep it within the box.
void WideCurve(Canvas &c, const Box &b, const Sector &s, int width, bool insideFrame)
{
    const Oval outer = insideFrame ? FitOval(b) : GrownOval(b, width);
    const Oval inner = GrownOval(b, insideFrame ? 1 - 2 * i64(width) : -i64(width));
    WalkRing(outer, inner, VisibleRows(c, b.T - width, b.B + width), [&](i64 y, i64 xl, i64 xr) {
        SectorRuns(c, s, y, xl, xr, [&](i64 ry, i64 l, i64 r) { c.Run(PenKind, ry, l, r); });
    });
}

// The filled ellipse within the sector, in the brush.
void FillCurve(Canvas &c, const Box &b, const Sector &s)
{
    const Oval o = FitOval(b);
    const RowRange rows = VisibleRows(c, b.T, b.B - 1);
    for (i64 y = rows.First; y <= rows.Last; ++y) {
        i64 xl, xr;
        if (o.Row(y, xl, xr))
            SectorRuns(c, s, y, xl, xr, [&](i64 ry, i64 l, i64 r) { c.Run(BrushKind, ry, l, r); });
    }
}

// Where the ray through `p` meets the pen's path around the box, and the
// centre, in pixels (real).
struct RayEnds {
    long double Cx, Cy, Px, Py;
};

RayEnds RayEnd(const Box &b, QPoint p, long double inset)
{
    const long double cx = (b.L + b.R - 1) / 2.0L, cy = (b.T + b.B - 1) / 2.0L;
    const long double a = (b.W() - 1) / 2.0L - inset, bb = (b.H() - 1) / 2.0L - inset;
    long double dx = p.x() - cx, dy = p.y() - cy;
    if (dx == 0 && dy == 0)
        dx = 1;
    if (a <= 0 || bb <= 0)
        return {cx, cy, cx, cy};
    const long double t = 1 / std::sqrt((dx / a) * (dx / a) + (dy / bb) * (dy / bb));
    return {cx, cy, cx + dx * t, cy + dy * t};
}

i64 RoundI(long double v) { return FloorI(v + 0.5L); }

// The two straight sides of a pie (or the round ends of a wide arc).
void PieSides(Canvas &c, const Box &b, QPoint start, QPoint end, const RasterPen &pen, bool sides)
{
    const int width = PenWidth(pen);
    const long double inset = (pen.Style == StyleInsideFrame && width > 1) ? (width - 1) / 2.0L : 0;
    for (QPoint p : {start, end}) {
        const RayEnds r = RayEnd(b, p, inset);
        if (width == 1)
            ThinLineInto(c, RoundI(r.Cx), RoundI(r.Cy), RoundI(r.Px), RoundI(r.Py), DashMask(pen.Style));
        else if (sides)
            CapsuleInto(c, WideSegment(r.Cx, r.Cy, r.Px, r.Py, width));
        else
            CapsuleInto(c, WideSegment(r.Px, r.Py, r.Px, r.Py, width));
    }
}

// The outline of a curve figure in the pen, within the sector.
void CurveOutline(Canvas &c, const Box &b, const Sector &s, const RasterPen &pen)
{
    const int width = PenWidth(pen);
    if (width == 1)
        ThinCurve(c, b, s, pen.Style, false);
    else
        WideCurve(c, b, s, width, pen.Style == StyleInsideFrame);
}

// ---- Flood fill

// Spans of the 4-connected region around the seed that holds no border
// pixel, painted as they are found, from an explicit stack of seeds. Painted
// pixels are marked, so a hatch or a raster operation that leaves them
// unlike the border never lets the fill come back to them. The marks are
// kept per thread and cleared over the touched rectangle afterwards, so a
// small fill in a big picture costs no more than its own area.
class FloodFill {
public:
    FloodFill(const Surface &s, uint32_t wall, const Paint &paint) : S(s), Wall(wall), Brush(paint)
    {
        std::vector<uint8_t> &marks = Marks();
        if (marks.size() < size_t(s.W) * size_t(s.H))
            marks.resize(size_t(s.W) * size_t(s.H), 0);
        Done = marks.data();
    }
    ~FloodFill()
    {
        for (int y = Touched.Y0; y <= Touched.Y1; ++y)
            std::fill(Mark(Touched.X0, y), Mark(Touched.X1, y) + 1, uint8_t(0));
    }
    FloodFill(const FloodFill &) = delete;
    FloodFill &operator=(const FloodFill &) = delete;

    void From(int x, int y)
    {
        Stack.push_back({x, y});
        while (!Stack.empty()) {
            const Seed p = Stack.back();
            Stack.pop_back();
            if (Open(p.X, p.Y))
                PaintSpan(p.X, p.Y);
        }
    }

    Bounds Touched;

private:
    struct Seed {
        int X, Y;
    };

    static std::vector<uint8_t> &Marks()
    {
        thread_local std::vector<uint8_t> marks;
        return marks;
    }
    uint8_t *Mark(int x, int y) const { return Done + size_t(y) * size_t(S.W) + size_t(x); }
    bool Open(int x, int y) const { return !*Mark(x, y) && (S.Row(y)[x] & 0x00FFFFFFu) != Wall; }

    void PaintSpan(int x, int y)
    {
        int xl = x, xr = x;
        while (xl > 0 && Open(xl - 1, y))
            --xl;
        while (xr < S.W - 1 && Open(xr + 1, y))
            ++xr;
        Touched.Add(y, xl, xr);
        std::fill(Mark(xl, y), Mark(xr, y) + 1, uint8_t(1));
        PaintRun(S, y, xl, xr, Brush);
        for (int ny : {y - 1, y + 1})
            if (ny >= 0 && ny < S.H)
                SeedRuns(ny, xl, xr);
    }

    // Pushes the first pixel of every open run of row y within xl..xr.
    void SeedRuns(int y, int xl, int xr)
    {
        for (int x = xl; x <= xr;) {
            if (!Open(x, y)) {
                ++x;
                continue;
            }
            Stack.push_back({x, y});
            while (x <= xr && Open(x, y))
                ++x;
        }
    }

    const Surface &S;
    const uint32_t Wall;
    const Paint Brush;
    uint8_t *Done = nullptr;
    std::vector<Seed> Stack;
};

} // namespace

// ---- Public routines

RasterColor ApplyRasterOp(int mode, RasterColor pen, RasterColor screen)
{
    const Ink ink = MakeInk(mode, pen);
    return ((screen & ink.Keep) ^ ink.Flip) & 0x00FFFFFFu;
}

QRgb RasterColorToRgb(RasterColor c) { return qRgb(int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF)); }

RasterColor RgbToRasterColor(QRgb p) { return RasterColor(qRed(p)) | RasterColor(qGreen(p)) << 8 | RasterColor(qBlue(p)) << 16; }

QRect RasterSetPixel(QImage &image, int x, int y, RasterColor color)
{
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height())
        return {};
    Surface s(image);
    s.Row(y)[x] = RasterColorToRgb(color);
    return QRect(x, y, 1, 1);
}

QRect RasterLine(QImage &image, QPoint from, QPoint to, const RasterPen &pen)
{
    if (pen.Style == StyleClear)
        return {};
    const int width = PenWidth(pen);
    if (width == 1)
        return ThinLine(image, from, to, pen, 0);
    Canvas c(image);
    if (c.Empty())
        return {};
    c.SetPen(pen);
    CapsuleInto(c, WideSegment(from.x(), from.y(), to.x(), to.y(), width));
    return c.Finish();
}

QRect RasterBoxOutline(QImage &image, QPoint a, QPoint b, const RasterPen &pen)
{
    const QPoint corners[5] = {a, QPoint(b.x(), a.y()), b, QPoint(a.x(), b.y()), a};
    QRect changed;
    for (int i = 0; i < 4; ++i)
        changed |= RasterLine(image, corners[i], corners[i + 1], pen);
    return changed;
}

QRect RasterRectangle(QImage &image, QPoint a, QPoint b, const RasterPen &pen, const RasterBrush &brush)
{
    Canvas c(image);
    const i64 l = std::min(a.x(), b.x()), r = i64(std::max(a.x(), b.x())) - 1;
    const i64 t = std::min(a.y(), b.y()), bt = i64(std::max(a.y(), b.y())) - 1;
    if (c.Empty() || l > r || t > bt)
        return {};
    c.SetPen(pen);
    c.SetBrush(brush, pen.Mode);
    const bool penOn = pen.Style != StyleClear, brushOn = brush.Style != BrushClear;
    const int width = PenWidth(pen);
    if (!penOn || width == 1) {
        // The brush fills inside the outline; without a pen the outline's
        // right and bottom pixels stay empty too, as on the platform, where
        // a box drawn with a clear pen is one pixel narrower and lower.
        const i64 in = penOn ? 1 : 0;
        if (brushOn)
            for (i64 y = std::max<i64>(t + in, 0); y <= std::min<i64>(bt - 1, c.Height() - 1); ++y)
                c.Run(BrushKind, y, l + in, r - 1);
        QRect changed = c.Finish();
        if (!penOn)
            return changed;
        if (l == r || t == bt)  // one pixel across: one line, not two on top of each other
            return changed | ThinLine(image, QPoint(int(l), int(t)), QPoint(int(r) + (l != r), int(bt) + (l == r)), pen, 0);
        const QPoint p[5] = {QPoint(int(l), int(t)), QPoint(int(r), int(t)), QPoint(int(r), int(bt)),
                             QPoint(int(l), int(bt)), QPoint(int(l), int(t))};
        i64 walked = 0;
        for (int i = 0; i < 4; ++i) {
            changed |= ThinLine(image, p[i], p[i + 1], pen, int(walked % PatternLength));
            walked += std::max(std::abs(i64(p[i + 1].x()) - p[i].x()), std::abs(i64(p[i + 1].y()) - p[i].y()));
        }
        return changed;
    }
    c.UseMask(l - width, t - width, r + width, bt + width);
    if (brushOn)
        for (i64 y = std::max<i64>(t, 0); y <= std::min<i64>(bt, c.Height() - 1); ++y)
            c.Run(BrushKind, y, l, r);
    // Inside-frame pens keep the whole width within the box; the shift of
    // even widths is taken back so that both sides stay inside.
    const long double in = pen.Style == StyleInsideFrame ? (width - 1) / 2.0L : 0;
    const long double o = pen.Style == StyleInsideFrame ? EvenShift(width) : 0;
    const long double x0 = l + in - o, y0 = t + in - o;
    const long double x1 = std::max(x0, r - in - o), y1 = std::max(y0, bt - in - o);
    CapsuleInto(c, WideSegment(x0, y0, x1, y0, width));
    CapsuleInto(c, WideSegment(x1, y0, x1, y1, width));
    CapsuleInto(c, WideSegment(x1, y1, x0, y1, width));
    CapsuleInto(c, WideSegment(x0, y1, x0, y0, width));
    return c.Finish();
}

QRect RasterEllipse(QImage &image, RasterBox box, const RasterPen &pen, const RasterBrush *brush)
{
    Canvas c(image);
    const Box b = Normalised(box);
    if (c.Empty() || b.W() <= 0 || b.H() <= 0)
        return {};
    c.SetPen(pen);
    const bool brushOn = brush && brush->Style != BrushClear, penOn = pen.Style != StyleClear;
    if (brushOn)
        c.SetBrush(*brush, pen.Mode);
    const int width = PenWidth(pen);
    const Sector whole;
    if (penOn && width == 1) {  // outline and interior do not overlap: no mask
        ThinCurve(c, b, whole, pen.Style, brushOn);
        return c.Finish();
    }
    c.UseMask(b.L - width, b.T - width, b.R + width, b.B + width);
    if (brushOn)
        FillCurve(c, b, whole);
    if (penOn)
        WideCurve(c, b, whole, width, pen.Style == StyleInsideFrame);
    return c.Finish();
}

QRect RasterArc(QImage &image, RasterBox box, QPoint start, QPoint end, const RasterPen &pen)
{
    Canvas c(image);
    const Box b = Normalised(box);
    if (c.Empty() || b.W() <= 0 || b.H() <= 0 || pen.Style == StyleClear)
        return {};
    c.SetPen(pen);
    const Sector s(FitOval(b), start, end);
    const int width = PenWidth(pen);
    if (width > 1) {
        c.UseMask(b.L - width, b.T - width, b.R + width, b.B + width);
        if (!s.Whole)
            PieSides(c, b, start, end, pen, false);
    }
    CurveOutline(c, b, s, pen);
    return c.Finish();
}

QRect RasterPie(QImage &image, RasterBox box, QPoint start, QPoint end, const RasterPen &pen,
                const RasterBrush &brush)
{
    Canvas c(image);
    const Box b = Normalised(box);
    if (c.Empty() || b.W() <= 0 || b.H() <= 0)
        return {};
    c.SetPen(pen);
    c.SetBrush(brush, pen.Mode);
    const Sector s(FitOval(b), start, end);
    const int width = PenWidth(pen);
    c.UseMask(b.L - width, b.T - width, b.R + width, b.B + width);
    if (brush.Style != BrushClear)
        FillCurve(c, b, s);
    if (pen.Style != StyleClear) {
        CurveOutline(c, b, s, pen);
        PieSides(c, b, start, end, pen, true);
    }
    return c.Finish();
}

QRect RasterFloodFill(QImage &image, QPoint seed, RasterColor border, const RasterBrush &brush, int mode)
{
    Surface s(image);
    if (s.Empty() || brush.Style == BrushClear || seed.x() < 0 || seed.y() < 0 || seed.x() >= s.W || seed.y() >= s.H)
        return {};
    FloodFill fill(s, RasterColorToRgb(border) & 0x00FFFFFFu, BrushPaint(brush, mode));
    fill.From(seed.x(), seed.y());
    return fill.Touched.Rect();
}

namespace {

// Moves the start of one axis of a copy past the negative parts of both
// sides, shortening the length to match.
void ClipStart(int64_t &source, int64_t &target, int64_t &length)
{
    const int64_t cut = std::max({int64_t(0), -source, -target});
    source += cut;
    target += cut;
    length -= cut;
}

} // namespace

QRect RasterCopy(QImage &image, QPoint to, const QImage &source, QPoint from, QSize size)
{
    if (image.depth() != 32 || source.depth() != 32)
        return {};
    int64_t sx = from.x(), sy = from.y(), dx = to.x(), dy = to.y(), w = size.width(), h = size.height();
    ClipStart(sx, dx, w);
    ClipStart(sy, dy, h);
    w = std::min({w, source.width() - sx, image.width() - dx});
    h = std::min({h, source.height() - sy, image.height() - dy});
    if (w <= 0 || h <= 0)
        return {};
    for (int64_t row = 0; row < h; ++row)
        std::memcpy(image.scanLine(int(dy + row)) + dx * 4, source.constScanLine(int(sy + row)) + sx * 4,
                    size_t(w) * 4);
    return QRect(int(dx), int(dy), int(w), int(h));
}

} // namespace ov
