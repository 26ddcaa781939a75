// The graphics statements run end to end through the headless host on the
// real surface: world coordinates, clipping, state reads and errors. Pixel-
// exact shapes are the drawing routines' own tests; these check positions
// and colours.
#include "graph_test_helpers.h"

#include "devices/OVGraphCanvas.h"
#include "devices/OVGraphState.h"
#include "devices/OVGraphSurface.h"
#include "executor/OVDrawing.h"
#include "executor/OVHeadlessHost.h"
#include "executor/OVInterpreter.h"
#include "executor/OVMThread.h"
#include "executor/OVStack.h"
#include "language/OVHeader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <zlib.h>

using namespace ov;

namespace {

class GraphicsStatements : public ::testing::Test {
protected:
    void SetUp() override { test::AttachGraphics(&host_); }
    void TearDown() override
    {
        runs_.Join();
        test::AttachGraphics(nullptr);
    }

    // The console lines of the run, without the closing "OK" and blank line.
    QStringList Run(const QString &program)
    {
        test::LoadProgram(program);
        const int before = int(host_.Console().Lines().size());
        EXPECT_TRUE(runs_.Start());
        runs_.Join();
        QStringList lines = host_.Console().Lines().mid(before);
        while (!lines.isEmpty() && (lines.last().isEmpty() || lines.last() == u"OK"))
            lines.removeLast();
        return lines;
    }

    static ColorValue Pixel(int x, int y)
    {
        ColorValue c = 0x0FFFFF;
        GraphSurfaceObject().GetPixel(QPoint(x, y), c);
        return c;
    }

    struct PixelColor {
        int X, Y;
        ColorValue Color;
    };
    static void ExpectPixels(std::initializer_list<PixelColor> pixels)
    {
        for (const PixelColor &p : pixels)
            EXPECT_EQ(Pixel(p.X, p.Y), p.Color) << "pixel " << p.X << ", " << p.Y;
    }
    static constexpr ColorValue Red = 0x0000FF, Blue = 0xFF0000, Lime = 0x00FF00, White = 0xFFFFFF;

    HeadlessHost host_;
    RunController runs_;
};

QStringList Texts(std::initializer_list<const char *> texts)
{
    QStringList lines;
    for (const char *text : texts)
        lines << QString::fromUtf8(text);
    return lines;
}

// A PNG chunk: length, type, data and the CRC of type and data.
QByteArray PngChunk(const char *type, const QByteArray &data)
{
    QByteArray body = QByteArray(type, 4) + data;
    QByteArray chunk(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), chunk.data());
    chunk += body;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(quint32(crc32(0, reinterpret_cast<const Bytef *>(body.constData()), uInt(body.size()))),
                          crc.data());
    return chunk + crc;
}

// An RGB picture of one colour, compressed row by row, so that neither the
// pixels nor the raw rows are ever held whole: a few hundred kilobytes.
bool WriteOneColourPng(const QString &path, int width, int height, const char rgb[3])
{
    QByteArray header(13, '\0');
    qToBigEndian<quint32>(quint32(width), header.data());
    qToBigEndian<quint32>(quint32(height), header.data() + 4);
    header[8] = 8;  // bits a sample
    header[9] = 2;  // RGB
    QByteArray row(1 + 3 * qsizetype(width), '\0');
    for (int x = 0; x < width; ++x)
        row.replace(1 + 3 * x, 3, rgb, 3);
    z_stream zs{};
    if (deflateInit(&zs, Z_BEST_COMPRESSION) != Z_OK)
        return false;
    QByteArray compressed;
    char out[65536];
    for (int y = 0; y <= height; ++y) {
        const bool last = y == height;
        zs.next_in = reinterpret_cast<Bytef *>(row.data());
        zs.avail_in = last ? 0 : uInt(row.size());
        do {
            zs.next_out = reinterpret_cast<Bytef *>(out);
            zs.avail_out = sizeof out;
            deflate(&zs, last ? Z_FINISH : Z_NO_FLUSH);
            compressed.append(out, qsizetype(sizeof out - zs.avail_out));
        } while (zs.avail_out == 0);
    }
    deflateEnd(&zs);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("\x89PNG\r\n\x1a\n", 8) == 8
        && file.write(PngChunk("IHDR", header)) > 0 && file.write(PngChunk("IDAT", compressed)) > 0
        && file.write(PngChunk("IEND", QByteArray())) > 0;
}

} // namespace

// A photograph of 48 megapixels passes Qt's own allocation limit of the
// reader; it loads, cut at the edges of the picture buffer.
TEST_F(GraphicsStatements, ALargePhotographLoadsCutAtTheBuffersEdges)
{
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("photo.png"));
    ASSERT_TRUE(WriteOneColourPng(png, 8000, 6000, "\xFF\x00\x00"));
    const QStringList lines = Run(QStringLiteral("GSCREEN(40, 30)\nPRINT GETIMAGESIZE$(\"%1\")\nLOADPICTURE(\"%1\")").arg(png));
    EXPECT_EQ(ErrorNumber, 0);
    EXPECT_EQ(lines, QStringList{QStringLiteral("8000:6000")});
    EXPECT_EQ(Pixel(0, 0), 0x0000FFu);
    EXPECT_EQ(Pixel(39, 29), 0x0000FFu);
}

TEST_F(GraphicsStatements, ScreenSizesAreClampedAndAFailedSizeStillOpensAScreen)
{
    EXPECT_EQ(Run(QStringLiteral("GSCREEN(10, 5)\nPRINT GETRGBPIXEL(49, 9); GETRGBPIXEL(50, 9)")),
              Texts({"#FFFFFF#FFFF0F"}));
    EXPECT_EQ(GraphSurfaceObject().PictureSize(), QSize(50, 10));
    Run(QStringLiteral("GSCREEN(5000, 5000)"));
    EXPECT_EQ(GraphSurfaceObject().PictureSize(), QSize(3000, 2500));
    Run(QStringLiteral("GSCREEN(640.9, 480.9)"));
    EXPECT_EQ(GraphSurfaceObject().PictureSize(), QSize(640, 480));

    GraphWidth = GraphHeight = 0;  // never sized: the failed step still gives the smallest screen
    GraphScreenOpen = 0;
    EXPECT_TRUE(Run(QStringLiteral("GSCREEN(\"a\", 100)")).value(0).contains(u"Screen"));
    EXPECT_EQ(ErrorNumber, 1351);
    EXPECT_EQ(GraphScreenOpen.load(), 1);
    EXPECT_EQ(GraphSurfaceObject().PictureSize(), QSize(50, 10));

    GraphWindowSized = 0;
    Run(QStringLiteral("GSCREEN(200, 100, \"x\", 50)"));  // the four-number form fails whole
    EXPECT_EQ(ErrorNumber, 1351);
    EXPECT_EQ(GraphWindowSized, 0);
    Run(QStringLiteral("GSCREEN(200, 100, 80, 50)"));
    EXPECT_EQ(ErrorNumber, 0);
    EXPECT_EQ(GraphWindowSized, 1);
    EXPECT_EQ(GraphClientWidth, 80);
    EXPECT_EQ(GraphSurfaceObject().PictureSize(), QSize(200, 100));
    Run(QStringLiteral("GSCREEN(600, 400, 20, 5)"));
    EXPECT_EQ(QSize(GraphClientWidth, GraphClientHeight), QSize(50, 10));
    Run(QStringLiteral("GSCREEN(600, 400, 5000, 3000.5)"));
    EXPECT_EQ(QSize(GraphClientWidth, GraphClientHeight), QSize(3000, 2500));
}

TEST_F(GraphicsStatements, DrawingBeforeAnyScreenNamesTheStatement)
{
    const QStringList lines = Run(QStringLiteral("A = 1\nPSET (1, 1)"));
    EXPECT_EQ(ErrorNumber, 50006);
    EXPECT_TRUE(lines.value(0).contains(QStringLiteral("(2行,"))) << lines.value(0).toStdString();
}

TEST_F(GraphicsStatements, WorldCoordinatesInBothOrientations)
{
    EXPECT_EQ(Run(QStringLiteral("GSCREEN(101, 101)\nWINDOW (0, 0)-(10, 10)\nPSET (5, 5), 12\n"
                                 "MATHGRAPH ON\nPSET (0, 0), 9\nPRINT GETRGBPIXEL(0, 0)\nMATHGRAPH OFF\n"
                                 "PRINT GETRGBPIXEL(5, 5)")),
              Texts({"#0000FF", "#FF0000"}));
    EXPECT_EQ(Pixel(50, 50), 0x0000FFu);
    EXPECT_EQ(Pixel(0, 100), 0xFF0000u);

    // Half a pixel rounds to the even neighbour: 0.5 to 0, 1.5 to 2.
    Run(QStringLiteral("GSCREEN(101, 101)\nWINDOW (0, 0)-(200, 200)\nPSET (1, 1), 0\nPSET (3, 3), 0"));
    EXPECT_EQ(Pixel(0, 0), 0u);
    EXPECT_EQ(Pixel(1, 1), 0xFFFFFFu);
    EXPECT_EQ(Pixel(2, 2), 0u);

    // WINDOW with nothing between its corners, or whose scale overflows.
    Run(QStringLiteral("GSCREEN(101, 101)\nWINDOW (0, 0)-(0, 10)"));
    EXPECT_EQ(ErrorNumber, 1219);
    Run(QStringLiteral("GSCREEN(101, 101)\nWINDOW (-1E4932, 0)-(1E4932, 1)"));
    EXPECT_EQ(ErrorNumber, 1219);
    EXPECT_EQ(WindowScaleX, 1.0L);  // the mapping in force is kept
}

TEST_F(GraphicsStatements, FarLinesAreClippedAndKeepTheirSlope)
{
    Run(QStringLiteral("GSCREEN(200, 120)\nLINE (0, 0)-(100000, 50000), 0\n"
                       "LINE (-1E30, 100)-(1E30, 100), 4"));
    EXPECT_EQ(ErrorNumber, 0);
    EXPECT_EQ(Pixel(50, 25), 0u);
    EXPECT_EQ(Pixel(100, 50), 0u);
    EXPECT_EQ(Pixel(50, 50), 0xFFFFFFu);  // clamping each coordinate would draw at 45 degrees
    EXPECT_EQ(Pixel(0, 100), 0x000080u);
    EXPECT_EQ(Pixel(199, 100), 0x000080u);
}

TEST_F(GraphicsStatements, PointsBoxesAndGLocate)
{
    Run(QStringLiteral("GSCREEN(100, 100)\nPSET (3, 4)\nPRESET (3, 4)\nPSET (5, 5), 10\n"
                       "LINE (10, 10)-(20, 20), 12, BF\nGLOCATE (-50, -50)\nMATHGRAPH ON\nGLOCATE (-50, -50)\n"
                       "PSET (99999, 3), 2"));
    EXPECT_EQ(Pixel(3, 4), 0xFFFFFFu);
    EXPECT_EQ(Pixel(5, 5), 0x00FF00u);
    EXPECT_EQ(Pixel(15, 15), 0x0000FFu);
    EXPECT_EQ(GLocateX, 0);
    EXPECT_EQ(GLocateY, 99);  // clamped to the top row, then flipped
    Run(QStringLiteral("GSCREEN(200, 200)\nGLOCATE (150, 150)\nGSCREEN(60, 20)"));
    EXPECT_EQ(GLocateX, 59);  // a smaller screen pulls the position in
    EXPECT_EQ(GLocateY, 19);
}

TEST_F(GraphicsStatements, SettingReadsFollowTheStatements)
{
    EXPECT_EQ(Run(QStringLiteral("GSCREEN(100, 100)\nPRINT DRAWMODE; DRAWSTYLE; DRAWWIDTH; FILLSTYLE\n"
                                 "DRAWMODE = 0.5\nPRINT DRAWMODE\nDRAWMODE = 7\nDRAWMODE = 17\nPRINT GDRAWMODE\n"
                                 "DRAWWIDTH = -3\nPRINT DRAWWIDTH\nDRAWWIDTH = 0\nPRINT DRAWWIDTH\n"
                                 "DRAWWIDTH = 5000\nPRINT DRAWWIDTH\nFILLSTYLE = 3\nDRAWSTYLE = 9\nPRINT FILLSTYLE; DRAWSTYLE\n"
                                 "DRAWSTYLE = 2\nPRINT GDRAWSTYLE")),
              Texts({" 13 0 1 0", " 13", " 7", " 3", " 1", " 1", " 3 0", " 2"}));
    // FILLSTYLE before the screen opens is applied to the pen and brush by the
    // open step, except the brush style, which a new screen has solid.
    EXPECT_EQ(Run(QStringLiteral("FILLSTYLE = 1\nDRAWMODE = 7\nGSCREEN(100, 100)\nPRINT FILLSTYLE; DRAWMODE\n"
                                 "FILLSTYLE = 1\nLINE (10, 10)-(20, 20), 0, BF\nPRINT GETRGBPIXEL(15, 15)")),
              Texts({" 0 7", "#FFFFFF"}));
    GraphScreenOpen = 0;
    Run(QStringLiteral("PRINT DRAWWIDTH"));
    EXPECT_EQ(ErrorNumber, 50006);
}

TEST_F(GraphicsStatements, ArgumentErrorsHaveTheirOwnMessages)
{
    const struct {
        const char *Program;
        int Error;
        const char16_t *Text;
    } cases[] = {
        {"LINE (0, 0)-(5, 5), 1, 2", 1239, u"Line"},
        {"CIRCLE (50, 50), 10, 1, 0, 1, 1, G", 1247, u"Circle"},
        {"CIRCLE (50, 50), 10, 1, 0, 1, 1, 2", 1248, u"Circle"},
        {"PAINT (\"a\", 1)", 1250, u"Paint"},
        {"PSET (\"a\", 1)", 1230, u"PSet"},
        {"LINE (0, 0)-(\"a\", 5)", 1220, u"Line"},
        {"CIRCLE (\"a\", 50), 10", 1351, u"Screen"},
        {"GLOCATE (\"a\", 50)", 50022, u"GLOCATE"},
        {"GFLOCATE(\"a\", 50)", 50022, u"GFLOCATE"},
        {"GPRINT TRUE", 50022, u"GPRINT"},
        {"DRAWMODE = \"a\"", 50022, u"DRAWMODE"},
        {"GDRAWWIDTH = \"a\"", 50022, u"DRAWWIDTH"},
        {"WINDOW (0, 0)-(\"a\", 5)", 1210, u"Window"},
        {"TSCREEN(5, \"a\")", 1353, u"Screen"},
        {"FILEPSET 5", 50022, u"FILEPSET"},
        {"FILEPSET \"no such file.txt\"", 50008, u"FilePset"},
    };
    for (const auto &c : cases) {
        const QStringList lines = Run(QStringLiteral("GSCREEN(100, 100)\n") + QString::fromUtf8(c.Program));
        EXPECT_EQ(ErrorNumber, c.Error) << c.Program;
        EXPECT_TRUE(lines.value(0).contains(QString::fromUtf16(c.Text))) << lines.value(0).toStdString();
        EXPECT_FALSE(lines.value(0).contains(QStringLiteral(u"エラー:エラーです"))) << c.Program;
    }
    // A wrong fill word draws nothing; a fill cell that is no name still draws the outline.
    Run(QStringLiteral("GSCREEN(100, 100)\nCIRCLE (50, 50), 10, 0, 0, 0, 1, G"));
    EXPECT_EQ(Pixel(60, 50), 0xFFFFFFu);
    Run(QStringLiteral("GSCREEN(100, 100)\nCIRCLE (50, 50), 10, 0, 0, 0, 1, 2"));
    EXPECT_EQ(Pixel(59, 50), 0u);  // the right edge of the box is left out
}

TEST_F(GraphicsStatements, CircleRadiiFollowTheWorldScale)
{
    Run(QStringLiteral("GSCREEN(101, 101)\nWINDOW (0, 0)-(50, 50)\nCIRCLE (25, 25), 10, 12, 0, 0, 0.5\n"
                       "WINDOW (0, 0)-(100, 100)\nPAINT (50, 50), 9, 12"));
    EXPECT_EQ(ErrorNumber, 0);
    EXPECT_EQ(Pixel(69, 50), 0x0000FFu);  // rx 20 pixels, the right edge left out
    EXPECT_EQ(Pixel(50, 40), 0x0000FFu);  // ry 10 pixels
    EXPECT_EQ(Pixel(50, 50), 0xFF0000u);  // filled inside up to the border
    EXPECT_EQ(Pixel(50, 35), 0xFFFFFFu);
}

// A wide, low screen with 10 pixels a unit across and 2 up: each axis keeps
// its own scale, taken from the view's width and height.
TEST_F(GraphicsStatements, UnequalScalesOnAWideScreenWithTheYAxisUp)
{
    Run(QStringLiteral("GSCREEN(201, 101)\nWINDOW (0, 0)-(20, 50)\nMATHGRAPH ON\nLINE (0, 0)-(20, 0), 12\n"
                       "CIRCLE (10, 25), 5, 9"));
    EXPECT_EQ(ErrorNumber, 0);
    EXPECT_EQ(WindowScaleX, 10.0L);
    EXPECT_EQ(WindowScaleY, 2.0L);
    ExpectPixels({
        {0, 100, Red}, {150, 100, Red}, {150, 99, White},  // y = 0 is the bottom row
        // centre (100, 50); rx 5 x 10 = 50 pixels, ry 5 x 2 = 10 pixels
        {50, 50, Blue}, {100, 40, Blue}, {100, 39, White}, {100, 35, White}, {100, 50, White},
    });

    // A world rectangle around the origin: its bottom, middle and top.
    Run(QStringLiteral("GSCREEN(201, 101)\nWINDOW (-10, -25)-(10, 25)\nMATHGRAPH ON\n"
                       "LINE (-10, -25)-(10, -25), 12\nLINE (-10, 0)-(10, 0), 9\nLINE (-10, 25)-(10, 25), 10"));
    ExpectPixels({{100, 100, Red}, {100, 50, Blue}, {100, 0, Lime}});
}

// FILLSTYLE 7, DRAWSTYLE 6 and DRAWMODE 16 are the last numbers taken; the
// next ones leave the setting as it was.
TEST_F(GraphicsStatements, TheLastPenAndBrushNumbersTakeEffectAndTheNextAreIgnored)
{
    EXPECT_EQ(Run(QStringLiteral("GSCREEN(60, 40)\nLINE (0, 34)-(60, 40), 12, BF\n"
                                 "FILLSTYLE = 7\nFILLSTYLE = 8\nLINE (0, 0)-(32, 32), 12, BF\n"
                                 "DRAWWIDTH = 5\nDRAWSTYLE = 6\nDRAWSTYLE = 7\nCIRCLE (46, 16), 10, 9\n"
                                 "DRAWMODE = 16\nDRAWMODE = 17\nDRAWWIDTH = 1\nLINE (0, 36)-(60, 36), 0\n"
                                 "PRINT FILLSTYLE; DRAWSTYLE; DRAWMODE")),
              Texts({" 7 6 16"}));
    ExpectPixels({
        // the diagonal cross: row 4 of the hatch has only x = 4 (mod 8) set
        {4, 4, Red}, {12, 4, Red}, {2, 4, White}, {3, 5, Red},
        // the wide pen drawn inside the circle's box (36..56), not across its edge
        {36, 16, Blue}, {35, 16, White},
        // white whatever the pen's colour
        {30, 36, White}, {30, 35, Red},
    });
}

TEST_F(GraphicsStatements, PointFilesDrawUpToAnUnreadableItem)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("points.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("1 2 12 rest of the line\r\n3\t4\n 9\n5 6 word\n7 8 12\n");
    file.close();
    Run(QStringLiteral("GSCREEN(100, 100)\nFILEPSET \"%1\"").arg(path));
    EXPECT_EQ(ErrorNumber, 50009);
    EXPECT_EQ(Pixel(1, 2), 0x0000FFu);
    EXPECT_EQ(Pixel(3, 4), 0xFF0000u);
    EXPECT_EQ(Pixel(7, 8), 0xFFFFFFu);

    GraphScreenOpen = 0;
    Run(QStringLiteral("FILEPSET \"%1\"").arg(path));
    EXPECT_EQ(ErrorNumber, 50010);
}

TEST_F(GraphicsStatements, ResetClearsTheWholeWorldMapping)
{
    Run(QStringLiteral("GSCREEN(101, 101)\nWINDOW (0, 0)-(10, 10)"));
    Run(QStringLiteral("PSET (5, 5), 0"));  // a new run: the screen stays open, the mapping is the picture's
    EXPECT_EQ(Pixel(5, 5), 0u);
    EXPECT_EQ(WindowX2, 100.0L);
}

TEST_F(GraphicsStatements, TextAndTheSavedPicture)
{
    Run(QStringLiteral("GSCREEN(200, 60)\nGLOCATE (10, 10)\nGPRINT \"WWW\"\nGPRINT 5"));
    EXPECT_EQ(ErrorNumber, 0);
    int dark = 0;
    for (int y = 10; y < 40; ++y)
        for (int x = 10; x < 60; ++x)
            dark += Pixel(x, y) == 0 ? 1 : 0;
    EXPECT_GT(dark, 10);
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("out.png"));
    ASSERT_TRUE(SaveGraphicsPng(png));
    EXPECT_EQ(QImage(png).convertToFormat(QImage::Format_RGB32), GraphSurfaceObject().Snapshot());
}

// FILEPSET runs on the worker and looks at the stop request between points.
TEST_F(GraphicsStatements, PointFilesStopAtAStopRequest)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("many.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    for (int i = 0; i < 1000; ++i)
        file.write("1 1 12\n");
    file.close();
    Run(QStringLiteral("GSCREEN(100, 100)"));
    PushString(path);
    StopRequested = 1;
    EXPECT_TRUE(DispatchDrawingStatement(stFILEPSET));
    StopRequested = 0;
    EXPECT_EQ(ErrorNumber, 0);
    EXPECT_EQ(Pixel(1, 1), 0xFFFFFFu);
    PushString(path);
    DispatchDrawingStatement(stFILEPSET);
    EXPECT_EQ(Pixel(1, 1), 0x0000FFu);
}
