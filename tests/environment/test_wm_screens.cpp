// The graphics and control screens under a window manager: every GSCREEN
// opens a window of its own in the normal state, a state asked right after
// the window opens holds, and positions are those of the outer frame however
// quickly the windows follow one another.
#include "wm_server.h"

#include "devices/OVGraphForm.h"
#include "devices/OVGraphSurface.h"

#include "program_windows_fixture.h"
#include <QApplication>
#include <QScreen>
#include <QWindow>
#include <gtest/gtest.h>
#include <ostream>

static void PrintTo(const QPoint &point, std::ostream *out)
{
    *out << point.x() << ',' << point.y();
}

static void PrintTo(const QSize &size, std::ostream *out)
{
    *out << size.width() << 'x' << size.height();
}

using namespace ov;

namespace {

// Where the window manager put the window's frame.
QRect Frame(const QWidget *window)
{
    return test::XFrameGeometry(window->winId());
}

QPoint FrameAt(const QWidget *window)
{
    return Frame(window).topLeft();
}

QWidget *KeptPicture()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("OVGraphForm2") && w->isVisible())
            return w;
    return nullptr;
}

bool Managed(const QWidget *w)
{
    return w != nullptr && test::XWindowManagerState(w->winId()) == 1;
}

class Screens : public ProgramWindowsFixture {
protected:
    void SetUp() override
    {
        if (!WindowManagerReady)
            GTEST_SKIP() << "no X server with a window manager";
        ProgramWindowsFixture::SetUp();
        SetGraphSurface(&GraphSurfaceObject());
        GraphScreenOpen = 0;
    }
    void TearDown() override
    {
        ProgramWindowsFixture::TearDown();
        DestroyGraphForms();
        SetGraphSurface(nullptr);
    }

    void Run(const QString &text)
    {
        console_.Memo1->Clear();
        RunProgram(text);
    }
};

} // namespace

TEST_F(Screens, EveryGScreenOpensInTheNormalState)
{
    Run(QStringLiteral("GSCREEN(200, 100): GWINDOWSTATE = \"maximize\": GSCREEN(200, 100): PRINT GWINDOWSTATE"));
    EXPECT_TRUE(Console().contains(QStringLiteral("Normal"))) << Console().toStdString();
    ASSERT_TRUE(test::WaitUntil([] { return Managed(GraphForm()); }));
    EXPECT_FALSE(GraphForm()->isMaximized());

    // Nor does a state given to the closed screen reach a later one.
    Run(QStringLiteral("GWINDOWSTATE = \"maximize\": CLOSEGSCREEN: GWINDOWSTATE = \"maximize\""));
    Run(QStringLiteral("GSCREEN(150, 60): PRINT GWINDOWSTATE"));
    EXPECT_TRUE(Console().contains(QStringLiteral("Normal"))) << Console().toStdString();
    ASSERT_TRUE(test::WaitUntil([] { return Managed(GraphForm()); }));
    EXPECT_FALSE(GraphForm()->isMaximized());
    EXPECT_EQ(GraphForm()->size(), QSize(150, 60));
}

TEST_F(Screens, AMinimiseRightAfterTheScreenOpensHolds)
{
    Run(QStringLiteral("GSCREEN(200, 100): GWINDOWSTATE = \"minimize\": CSCREEN(100, 100): CWINDOWSTATE = \"minimize\"\r\n"
                       "PRINT GWINDOWSTATE; CWINDOWSTATE"));
    EXPECT_TRUE(Console().contains(QStringLiteral("MinimizeMinimize"))) << Console().toStdString();
    ASSERT_TRUE(test::WaitUntil([this] {
        return test::XWindowManagerState(GraphForm()->winId()) == 3 && test::XWindowManagerState(form_.winId()) == 3;
    }));
    Run(QStringLiteral("PRINT GWINDOWSTATE; CWINDOWSTATE"));
    EXPECT_TRUE(Console().contains(QStringLiteral("MinimizeMinimize"))) << Console().toStdString();
    EXPECT_EQ(test::XWindowManagerState(GraphForm()->winId()), 3);
    EXPECT_EQ(test::XWindowManagerState(form_.winId()), 3);
}

TEST_F(Screens, AGraphicsScreenShownTwiceKeepsItsFramePosition)
{
    for (const QPoint at : {QPoint(300, 300), QPoint(0, 0)}) {
        DestroyGraphForms();
        Run(QStringLiteral("GWPOSITION(%1, %2): GSCREEN(200, 100): GSCREEN(200, 100)").arg(at.x()).arg(at.y()));
        ASSERT_TRUE(test::WaitUntil([] { return Managed(GraphForm()) && Managed(KeptPicture()); }));
        EXPECT_TRUE(test::WaitUntil([at] { return FrameAt(GraphForm()) == at; }))
            << FrameAt(GraphForm()).y();
        EXPECT_TRUE(test::WaitUntil([at] { return FrameAt(KeptPicture()) == at; }))
            << FrameAt(KeptPicture()).y();
    }
}

TEST_F(Screens, AControlScreenShownTwiceKeepsItsFramePosition)
{
    Run(QStringLiteral("CWPOSITION(800, 500): CSCREEN(100, 100): CSCREEN(300, 200)"));
    ASSERT_TRUE(test::WaitUntil([this] { return Managed(&form_); }));
    EXPECT_TRUE(test::WaitUntil([this] { return FrameAt(&form_) == QPoint(800, 500); }))
        << FrameAt(&form_).y();
    EXPECT_EQ(form_.size(), QSize(300, 200));
}

TEST_F(Screens, APositionRightAfterTheScreenOpensIsTheFrames)
{
    Run(QStringLiteral("GSCREEN(200, 100): GWPOSITION(0, 0): CSCREEN(100, 100): CWPOSITION(500, 400)"));
    ASSERT_TRUE(test::WaitUntil([this] { return Managed(GraphForm()) && Managed(&form_); }));
    EXPECT_TRUE(test::WaitUntil([] { return FrameAt(GraphForm()) == QPoint(0, 0); }))
        << FrameAt(GraphForm()).y();
    EXPECT_TRUE(test::WaitUntil([this] { return FrameAt(&form_) == QPoint(500, 400); }))
        << FrameAt(&form_).y();
}

// Stretching sizes the graphics window and leaves its frame where it is,
// also right after a position statement.
TEST_F(Screens, AStretchedGraphicsScreenKeepsItsFramePosition)
{
    const struct {
        QString line;
        QPoint frame;
    } cases[] = {{QStringLiteral("GSTRETCH ON"), QPoint(300, 200)},
                 {QStringLiteral("GWPOSITION(100, 50): GSTRETCH ON"), QPoint(100, 50)}};
    for (const auto &[line, frame] : cases) {
        SCOPED_TRACE(line.toStdString());
        Run(QStringLiteral("GWPOSITION(300, 200): GSCREEN(400, 300, 200, 100)"));
        ASSERT_TRUE(test::WaitUntil([] { return Managed(GraphForm()) && GraphForm()->windowHandle()->isExposed(); }));
        RunLine(line);  // a typed line: the run keeps the screen's sizes
        ASSERT_TRUE(test::WindowManagerCaughtUp());
        EXPECT_EQ(GraphForm()->size(), QSize(200, 150));
        EXPECT_EQ(FrameAt(GraphForm()), frame);
    }
}

// The picture kept from a maximised screen stays maximised, within the
// screen, and restored it has the screen's normal place and size.
TEST_F(Screens, APictureKeptFromAMaximisedScreenLiesWithinTheScreen)
{
    Run(QStringLiteral("GSCREEN(200, 100)"));
    RunLine(QStringLiteral("GWPOSITION(100, 300)"));  // moved once shown
    ASSERT_TRUE(test::WaitUntil([] { return GraphForm()->windowHandle()->framePosition() == QPoint(100, 300); }));
    RunLine(QStringLiteral("GWINDOWSTATE = \"maximize\""));
    ASSERT_TRUE(test::WaitUntil([] { return GraphForm()->isMaximized(); }));
    RunLine(QStringLiteral("GSCREEN(300, 150)"));
    ASSERT_TRUE(test::WaitUntil([] { return Managed(KeptPicture()); }));
    QWidget *kept = KeptPicture();
    const QRect area = kept->screen()->availableGeometry();
    EXPECT_TRUE(test::WaitUntil([&] { return test::WindowManagerCaughtUp() && area.contains(Frame(kept)); }))
        << Frame(kept).y() + Frame(kept).height() << " below " << area.bottom();
    EXPECT_TRUE(kept->isMaximized());

    kept->setWindowState(Qt::WindowNoState);
    EXPECT_TRUE(test::WaitUntil([&] { return kept->size() == QSize(200, 100) && FrameAt(kept) == QPoint(100, 300); }))
        << kept->width() << 'x' << kept->height() << " at " << FrameAt(kept).x() << ',' << FrameAt(kept).y();
}
