// The graphics window on the offscreen platform: programs run on a worker
// and hand their window steps over as in the program; the window shows what
// the picture holds, plain and stretched, keeps at most eight old pictures,
// and reports the mouse in picture pixels.
#include "graph_test_helpers.h"

#include "devices/OVGraphCanvas.h"
#include "devices/OVGraphForm.h"
#include "devices/OVGraphState.h"
#include "devices/OVGraphSurface.h"
#include "environment/OVQtHost.h"
#include "executor/OVHeadlessHost.h"
#include "executor/OVInterpreter.h"
#include "executor/OVMThread.h"
#include "language/OVHeader.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace ov;

namespace {

// A headless host whose graphics window steps go to the real window.
class GraphWindows : public HeadlessHost {
public:
    void KeepGraphPicture() override { ov::KeepGraphPicture(); }
    void ShowGraphWindow() override { ShowGraphForm(); }
    void CloseGraphWindow() override { CloseGraphForm(); }
    void SetGraphView(int view) override { SetGraphFormView(view); }
    void RefreshGraphWindow() override { RefreshGraphForm(); }
};

class GraphForm : public ::testing::Test {
protected:
    void SetUp() override { test::AttachGraphics(&host_); }
    void TearDown() override
    {
        DestroyGraphForms();
        test::AttachGraphics(nullptr);
    }

    void Run(const QString &program)
    {
        test::LoadProgram(program);
        ASSERT_TRUE(runs_.Start());
        while (RunThreadActive.load() != 0)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        runs_.Join();
        QCoreApplication::processEvents();
        ASSERT_EQ(ErrorNumber, 0);
    }

    static QImage Shown()
    {
        return ov::GraphForm()->PaintBox1->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    GraphWindows windows_;
    TOVQtHost host_{windows_};
    RunController runs_;
};

} // namespace

TEST_F(GraphForm, ShowsThePictureAfterARunAndWhenStretched)
{
    const QString drawing = QStringLiteral("GSCREEN(200, 100, 100, 40)\nLINE (0, 0)-(99, 99), 12, BF\nPSET (150, 50), 9\n");
    Run(drawing);
    TOVGraphForm *form = ov::GraphForm();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), QStringLiteral(u"Orvane Graph 画面"));
    EXPECT_EQ(form->size(), QSize(100, 40));
    EXPECT_EQ(Shown(), GraphSurfaceObject().Snapshot());

    // (closed first: no kept picture lies under the mouse on this platform)
    Run(QStringLiteral("CLOSEGSCREEN\n") + drawing + QStringLiteral("GSTRETCH ON"));
    form = ov::GraphForm();  // every screen is a window of its own
    QCoreApplication::processEvents();
    EXPECT_EQ(form->height(), form->width() * 100 / 200);  // the picture keeps its proportions
    const QImage stretched = Shown();
    ASSERT_EQ(stretched.size(), form->size());
    EXPECT_EQ(stretched.pixel(stretched.width() / 4, stretched.height() / 2), qRgb(255, 0, 0));
    EXPECT_EQ(stretched.pixel(stretched.width() * 3 / 4, stretched.height() / 4), qRgb(255, 255, 255));

    // The mouse is reported in picture pixels: the middle of the window is the middle of the picture.
    QTest::mouseMove(form->PaintBox1, QPoint(stretched.width() / 2, stretched.height() / 2));
    const MouseSample mouse = PeekMouse();
    EXPECT_EQ(mouse.Event, 1);
    EXPECT_NEAR(mouse.X, 100, 2);
    EXPECT_NEAR(mouse.Y, 50, 2);

    Run(drawing + QStringLiteral("GSTRETCH ON\nGSTRETCH OFF\nGSCROLL ON"));
    form = ov::GraphForm();
    EXPECT_EQ(Shown(), GraphSurfaceObject().Snapshot());

    // A screenshot of the window, kept when asked for.
    QTemporaryDir dir;
    dir.setAutoRemove(qEnvironmentVariableIsEmpty("OV_KEEP_SCREENSHOTS"));
    const QString path = dir.filePath(QStringLiteral("graphics.png"));
    ASSERT_TRUE(form->grab().toImage().save(path));
    EXPECT_EQ(QImage(path).size(), form->size() * form->devicePixelRatio());
    if (!dir.autoRemove())
        std::printf("screenshot in %s\n", qPrintable(path));

    form->close();
    EXPECT_EQ(GraphScreenOpen.load(), 0);
}

TEST_F(GraphForm, ANewScreenKeepsTheWholeOldPictureAndAtMostEight)
{
    Run(QStringLiteral("GSCREEN(300, 200, 100, 50)\nPSET (299, 199), 12"));
    Run(QStringLiteral("GSCREEN(60, 20)"));
    ASSERT_EQ(KeptGraphPictureCount(), 1);
    const QList<TOVGraphForm2 *> kept = qApp->findChildren<TOVGraphForm2 *>();
    const QWidgetList tops = QApplication::topLevelWidgets();
    TOVGraphForm2 *first = nullptr;
    for (QWidget *w : tops)
        if (auto *k = qobject_cast<TOVGraphForm2 *>(w))
            first = k;
    ASSERT_NE(first, nullptr);
    const QImage old = first->ScrollBox1->widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(old.size(), QSize(300, 200));  // the whole picture, not the window's part of it
    EXPECT_EQ(old.pixel(299, 199), qRgb(255, 0, 0));
    EXPECT_EQ(Shown().pixel(5, 5), qRgb(255, 255, 255));  // the new screen is cleared

    Run(QStringLiteral("FOR I = 1 TO 12\nGSCREEN(60, 20)\nNEXT I"));
    EXPECT_EQ(KeptGraphPictureCount(), 8);
}
