#include "executor/OVDrawing.h"

#include "devices/OVGraphCanvas.h"
#include "devices/OVGraphState.h"
#include "devices/OVWorldCoord.h"
#include "executor/OVDataFile.h"
#include "executor/OVFormula.h"
#include "executor/OVGraphScreen.h"
#include "executor/OVMThread.h"
#include "executor/OVStack.h"
#include "language/OVCode.h"
#include "language/OVGetTokenUnit.h"
#include "language/OVNumTbl.h"
#include "platform/OVDecimalText.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace ov {

namespace {

constexpr int32_t IntMin = std::numeric_limits<int32_t>::min();
constexpr int32_t IntMax = std::numeric_limits<int32_t>::max();
constexpr int32_t RadiusLimit = 1 << 20;  // no ellipse reaches further into the picture
constexpr long double Pi = std::numbers::pi_v<long double>;

// ---------------------------------------------------------------- optional cells

// An optional argument cell: omitted (a constant), a value (a literal or a
// variable, which also has a name), or anything else.
struct OptionalArg {
    enum Kind { Omitted, Value, Other } How = Other;
    long double Number = 0;
    const NumVarType *Variable = nullptr;

    bool IsName() const { return Variable != nullptr; }
    // The option word the variable's name spells (B, BF, F).
    bool Spells(QStringView word) const { return Variable != nullptr && StripLeadingDigits(Variable->Name) == word; }
};

OptionalArg FetchOptional()
{
    FetchCurrentCell();
    const CodeType &cell = CurrentCell;
    OptionalArg arg;
    if (cell.FirstCode == ckNumConst) {
        arg.How = OptionalArg::Omitted;
    } else if (cell.FirstCode == ckNumLiteral) {
        arg.How = OptionalArg::Value;
        arg.Number = GetNumLiteralValue(cell);
    } else if (cell.FirstCode == ckNumVar && cell.SecondCode >= 0 && size_t(cell.SecondCode) < NumVars.size()) {
        arg.How = OptionalArg::Value;
        arg.Variable = &NumVars[size_t(cell.SecondCode)];
        arg.Number = arg.Variable->Value;
    }
    return arg;
}

ColorValue Palette(long double n)
{
    return PaletteColor(TruncSaturate(n, IntMin, IntMax), LanguageVersion);
}

// The colour cell: a palette number, the default when omitted, `other` else.
ColorValue FetchColor(ColorValue omitted, ColorValue other)
{
    const OptionalArg arg = FetchOptional();
    return arg.How == OptionalArg::Value ? Palette(arg.Number) : arg.How == OptionalArg::Omitted ? omitted : other;
}

bool TopTwoNumbers()
{
    return IsNumberTag(TopTag()) && IsNumberTag(SecondTag());
}

// Pops y, then x (the pair must have been checked).
void PopPoint(long double &x, long double &y)
{
    y = PopNumber();
    x = PopNumber();
}

QPoint PicturePoint(long double x, long double y)
{
    int32_t px = 0, py = 0;
    WorldToPicture(px, py, x, y);
    return QPoint(px, py);
}

// ---------------------------------------------------------------- clipping

// The area that drawing with this pen can reach, in pixels: the picture and
// a margin as wide as the pen.
struct ClipArea {
    long double Left, Top, Right, Bottom;
};

ClipArea ReachableArea()
{
    const long double margin = AtLeastOne(GraphCanvas.PenWidth) + 2;
    return ClipArea{-margin, -margin, GraphWidth - 1 + margin, GraphHeight - 1 + margin};
}

bool FitsDevice(long double v)
{
    return v >= -32767 && v <= 32767;
}

// Which sides of the area a point lies beyond (Cohen-Sutherland outcode).
int Outside(long double x, long double y, const ClipArea &area)
{
    return (x < area.Left ? 1 : 0) | (x > area.Right ? 2 : 0) | (y < area.Top ? 4 : 0) | (y > area.Bottom ? 8 : 0);
}

// Cuts the segment to the area in extended precision, so that a far end
// keeps the line's slope; false when nothing is left. Each cut puts the end
// exactly on the side and moves the other coordinate along the slope, which
// stays precise however far the end was.
bool ClipSegment(long double &x1, long double &y1, long double &x2, long double &y2, const ClipArea &area)
{
    for (int round = 0; round < 8; ++round) {
        const int out1 = Outside(x1, y1, area), out2 = Outside(x2, y2, area);
        if ((out1 | out2) == 0)
            return true;
        if ((out1 & out2) != 0)
            return false;
        const bool first = out1 != 0;
        const int out = first ? out1 : out2;
        long double &x = first ? x1 : x2, &y = first ? y1 : y2;
        const long double ox = first ? x2 : x1, oy = first ? y2 : y1;
        if (out & 3) {
            const long double side = (out & 1) ? area.Left : area.Right;
            y = RoundHalfEven(oy + (y - oy) * ((side - ox) / (x - ox)));
            x = side;
        } else {
            const long double side = (out & 4) ? area.Top : area.Bottom;
            x = RoundHalfEven(ox + (x - ox) * ((side - oy) / (y - oy)));
            y = side;
        }
    }
    return Outside(x1, y1, area) == 0 && Outside(x2, y2, area) == 0;
}

QPoint ToPoint(long double x, long double y)
{
    return QPoint(TruncSaturate(x, IntMin, IntMax), TruncSaturate(y, IntMin, IntMax));
}

// A box corner pulled into the reachable area: for an axis-parallel box that
// is the same as clipping it.
QPoint BoxCorner(long double x, long double y, const ClipArea &area)
{
    return ToPoint(std::clamp(x, area.Left, area.Right), std::clamp(y, area.Top, area.Bottom));
}

// ---------------------------------------------------------------- statements

void ExecPoint(bool reset)
{
    if (!TopTwoNumbers()) {
        SetError(1230);
        return;
    }
    long double x, y;
    PopPoint(x, y);
    const ColorValue fallback = reset ? GraphBackColor : GraphForeColor;
    const ColorValue color = FetchColor(fallback, fallback);
    if (GraphSurfaceAccess *surface = GraphSurface())
        surface->SetPixel(PicturePoint(x, y), color);
}

void DrawLine(long double x1, long double y1, long double x2, long double y2)
{
    GraphSurfaceAccess *surface = GraphSurface();
    if (surface == nullptr)
        return;
    if (!(FitsDevice(x1) && FitsDevice(y1) && FitsDevice(x2) && FitsDevice(y2))
        && !ClipSegment(x1, y1, x2, y2, ReachableArea()))
        return;
    surface->Line(ToPoint(x1, y1), ToPoint(x2, y2), GraphCanvas);
}

void DrawBox(long double x1, long double y1, long double x2, long double y2, bool filled)
{
    GraphSurfaceAccess *surface = GraphSurface();
    if (surface == nullptr)
        return;
    const ClipArea area = ReachableArea();
    const QPoint a = BoxCorner(x1, y1, area), b = BoxCorner(x2, y2, area);
    if (filled)
        surface->FilledBox(a, b, GraphCanvas);
    else
        surface->BoxOutline(a, b, GraphCanvas);
}

void ExecLine()
{
    long double x1, y1, x2, y2;
    if (!TopTwoNumbers()) {
        SetError(1220);
        return;
    }
    PopPoint(x2, y2);
    if (!TopTwoNumbers()) {
        SetError(1220);
        return;
    }
    PopPoint(x1, y1);
    GraphCanvas.PenColor = FetchColor(GraphForeColor, 0);
    long double dx1, dy1, dx2, dy2;
    WorldToDeviceExact(x1, y1, dx1, dy1);
    WorldToDeviceExact(x2, y2, dx2, dy2);
    const OptionalArg option = FetchOptional();
    if (option.How == OptionalArg::Omitted) {
        DrawLine(dx1, dy1, dx2, dy2);
    } else if (!option.IsName()) {
        SetError(1239);
    } else if (option.Spells(u"B")) {
        DrawBox(dx1, dy1, dx2, dy2, false);
    } else if (option.Spells(u"BF")) {
        GraphCanvas.BrushColor = GraphCanvas.PenColor;
        GraphCanvas.BrushStyle = FillStyleToBrushStyle(FillStyle);
        DrawBox(dx1, dy1, dx2, dy2, true);
    }
}

// An angle cell of CIRCLE in radians, and its whole degrees in 0..359 (360
// for a full turn), as the choice between pie and ellipse needs them.
struct CircleAngle {
    long double Radians = 0;
    int32_t Degrees = 0;
};

CircleAngle FetchAngle(long double omitted)
{
    const OptionalArg arg = FetchOptional();
    CircleAngle angle;
    angle.Radians = arg.How == OptionalArg::Value ? arg.Number : arg.How == OptionalArg::Omitted ? omitted : 0;
    angle.Degrees = TruncSaturate(angle.Radians * 180 / Pi, IntMin + 360, IntMax);
    if (angle.Degrees < 0)
        angle.Degrees += 360;
    if (angle.Radians < 0)
        angle.Radians += 2 * Pi;
    return angle;
}

QPoint AnglePoint(QPoint centre, long double radians, int32_t rx, int32_t ry)
{
    return QPoint(centre.x() + TruncSaturate(std::cos(radians) * rx, -RadiusLimit, RadiusLimit),
                  centre.y() - TruncSaturate(std::sin(radians) * ry, -RadiusLimit, RadiusLimit));
}

bool BoxReachesPicture(const CanvasBox &box)
{
    const ClipArea area = ReachableArea();
    return box.Right >= area.Left && box.Left <= area.Right && box.Bottom >= area.Top && box.Top <= area.Bottom;
}

void ExecCircle()
{
    if (!IsNumberTag(TopTag()) || !IsNumberTag(SecondTag())) {
        SetError(1353);
        return;
    }
    const long double r = PopNumber();
    const long double y = PopNumber();
    if (!IsNumberTag(TopTag())) {
        SetError(1351);
        return;
    }
    const long double x = PopNumber();
    const int32_t rx = TruncSaturate(std::fabs(WindowScaleX * r), 0, RadiusLimit);
    const ColorValue color = FetchColor(GraphForeColor, 0);
    const CircleAngle start = FetchAngle(0);
    const CircleAngle end = FetchAngle(2 * Pi);
    const OptionalArg aspect = FetchOptional();
    const long double ratio = aspect.How == OptionalArg::Value ? aspect.Number : 1.0L;
    const int32_t ry = TruncSaturate(std::fabs(WindowScaleY * r * ratio), 0, RadiusLimit);
    const OptionalArg fill = FetchOptional();
    bool filled = false;
    if (fill.IsName() && !fill.Spells(u"F")) {
        SetError(1247);
        return;
    }
    if (fill.IsName())
        filled = true;
    else if (fill.How != OptionalArg::Omitted)
        SetError(1248);  // the outline is still drawn
    const ColorValue fillColor = FetchColor(color, color);
    const QPoint centre = PicturePoint(x, y);
    GraphCanvas.PenColor = color;
    GraphCanvas.BrushColor = fillColor;
    const CanvasBox box{centre.x() - rx, centre.y() - ry, centre.x() + rx, centre.y() + ry};
    GraphSurfaceAccess *surface = GraphSurface();
    if (surface == nullptr || !BoxReachesPicture(box))
        return;
    const QPoint from = AnglePoint(centre, start.Radians, rx, ry);
    const QPoint to = AnglePoint(centre, end.Radians, rx, ry);
    if (!filled)
        surface->Arc(box, from, to, GraphCanvas);
    else if (start.Degrees != 0 || end.Degrees != 360)
        surface->Pie(box, from, to, GraphCanvas);
    else
        surface->Ellipse(box, true, GraphCanvas);
}

void ExecPaint()
{
    if (!TopTwoNumbers()) {
        SetError(1250);
        return;
    }
    long double x, y;
    PopPoint(x, y);
    const ColorValue fill = FetchColor(GraphForeColor, GraphForeColor);
    const ColorValue defaultBorder = BorderColorSet != 0 ? GraphBorderColor : GraphForeColor;
    const ColorValue border = FetchColor(defaultBorder, defaultBorder);
    GraphCanvas.BrushColor = fill;
    GraphCanvas.BrushStyle = FillStyleToBrushStyle(FillStyle);
    if (GraphSurfaceAccess *surface = GraphSurface())
        surface->FloodFill(PicturePoint(x, y), border, GraphCanvas);
}

void ExecGLocate()
{
    if (!TopTwoNumbers()) {
        SetError(50022, stGLOCATE);
        return;
    }
    long double x, y;
    PopPoint(x, y);
    int32_t px = 0, py = 0;
    WorldToDevice(px, py, x, y);
    GLocateX = std::clamp(px, 0, GraphWidth - 1);
    GLocateY = std::clamp(py, 0, GraphHeight - 1);
    if (MathGraphOn != 0)
        GLocateY = GraphHeight - GLocateY - 1;
}

// ---------------------------------------------------------------- FILEPSET

// Reads the items of a point file: numbers separated by blanks, tabs and
// line ends.
class PointFileReader {
public:
    explicit PointFileReader(QByteArray text) : text_(std::move(text)) {}

    bool AtEnd()
    {
        SkipBlanks();
        return pos_ >= text_.size();
    }
    bool ReadNumber(long double &value)
    {
        const QByteArray item = NextItem();
        const char *first = item.constData();
        const char *last = first + item.size();
        if (first != last && *first == '+')
            ++first;
        return ReadDecimal(std::string_view(first, size_t(last - first)), value);
    }
    bool ReadInteger(int32_t &value)
    {
        bool ok = false;
        const qlonglong n = NextItem().toLongLong(&ok);
        value = int32_t(std::clamp<qlonglong>(n, IntMin, IntMax));
        return ok;
    }
    void SkipLine()
    {
        while (pos_ < text_.size() && text_[pos_] != '\n')
            ++pos_;
    }

private:
    void SkipBlanks()
    {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\r'
                                       || text_[pos_] == '\n'))
            ++pos_;
    }
    QByteArray NextItem()
    {
        SkipBlanks();
        const qsizetype from = pos_;
        while (pos_ < text_.size() && text_[pos_] != ' ' && text_[pos_] != '\t' && text_[pos_] != '\r'
               && text_[pos_] != '\n')
            ++pos_;
        return text_.mid(from, pos_ - from);
    }

    QByteArray text_;
    qsizetype pos_ = 0;
};

// Points go to the surface in batches, each batch under one lock, so that
// the window shows a long file growing.
constexpr size_t PointBatch = 4096;

void ExecFilePset()
{
    if (TopTag() != tagString) {
        SetError(50022, stFILEPSET);
        return;
    }
    QString path;
    if (!ProgramFilePath(PopString(), path) || !QFileInfo(path).isFile()) {
        SetError(50008);
        return;
    }
    if (GraphScreenOpen.load() == 0) {
        SetError(50010);
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        SetError(50009);
        return;
    }
    PointFileReader reader(file.readAll());
    file.close();
    GraphSurfaceAccess *surface = GraphSurface();
    std::vector<ColoredPoint> batch;
    const auto flush = [&] {
        if (surface != nullptr && !batch.empty())
            surface->SetPixels(batch);
        batch.clear();
    };
    while (!reader.AtEnd() && StopRequested.load() == 0) {
        long double x = 0, y = 0;
        int32_t c = 0;
        if (!reader.ReadNumber(x) || !reader.ReadNumber(y) || !reader.ReadInteger(c)) {
            SetError(50009);
            break;
        }
        reader.SkipLine();
        batch.push_back(ColoredPoint{PicturePoint(x, y), PaletteColor(c, LanguageVersion)});
        if (batch.size() >= PointBatch)
            flush();
    }
    flush();
}

// ---------------------------------------------------------------- GETRGBPIXEL

void FnGetRGBPixel()
{
    if (!TopTwoNumbers()) {
        SetError(50011, fnGETRGBPIXEL);
        return;
    }
    long double x, y;
    PopPoint(x, y);
    ColorValue color = 0x0FFFFF;  // a point outside the picture has no colour
    if (GraphSurfaceAccess *surface = GraphSurface())
        surface->GetPixel(PicturePoint(x, y), color);
    PushString(ColorToHtml(color));
}

} // namespace

QString StripLeadingDigits(const QString &name)
{
    qsizetype i = 0;
    while (i < name.size() && ((name[i] >= u'0' && name[i] <= u'9') || name[i] == u' '))
        ++i;
    return name.mid(i);
}

bool DispatchDrawingStatement(int32_t s)
{
    switch (s) {
    case stPSET:
        if (GraphicsGuard())
            ExecPoint(false);
        return true;
    case stPRESET:
        if (GraphicsGuard())
            ExecPoint(true);
        return true;
    case stLINE:
        if (GraphicsGuard())
            ExecLine();
        return true;
    case stCIRCLE:
        if (GraphicsGuard())
            ExecCircle();
        return true;
    case stPAINT:
        if (GraphicsGuard())
            ExecPaint();
        return true;
    case stGLOCATE:
        if (GraphicsGuard())
            ExecGLocate();
        return true;
    case stFILEPSET: ExecFilePset(); return true;
    default: return false;
    }
}

bool DispatchDrawingFunction(int32_t f)
{
    if (f != fnGETRGBPIXEL)
        return false;
    if (GraphicsGuard())
        FnGetRGBPixel();
    return true;
}

} // namespace ov
