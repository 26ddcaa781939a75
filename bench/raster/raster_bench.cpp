// Times the pixel drawing routines on an RGB32 picture and prints the rate
// of each against its goal: one-pixel lines of about 100 pixels at least
// 500,000 a second in every drawing mode, circles of radius up to 50 at
// least 100,000 a second, a full flood fill of 3000 by 2500 within 100 ms.
// Times are the processor time of the drawing thread.
#include "devices/OVRaster.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>

using namespace ov;
using i64 = long long;

namespace {

// The thread's processor time: the figures hold on a busy machine too.
struct ThreadClock {
    using duration = std::chrono::nanoseconds;
    using time_point = std::chrono::time_point<ThreadClock>;
    static time_point now()
    {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return time_point(duration(i64(t.tv_sec) * 1000000000 + t.tv_nsec));
    }
};

// Runs `step` (which draws `per` figures) until half a second has passed;
// returns figures per second.
double Rate(const std::function<void(int)> &step, int per)
{
    using Clock = ThreadClock;
    const auto t0 = Clock::now();
    long n = 0;
    double seconds = 0;
    for (int i = 0; seconds < 0.5; ++i) {
        step(i);
        n += per;
        seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    }
    return n / seconds;
}

void Report(const char *what, double value, const char *unit, double goal, bool atLeast)
{
    const bool ok = atLeast ? value >= goal : value <= goal;
    std::printf("%-44s %12.0f %-10s goal %s %.0f  %s\n", what, value, unit, atLeast ? ">=" : "<=", goal,
                ok ? "ok" : "MISSED");
}

// 100-pixel lines in all directions about the middle of a 640 by 480 picture.
QPoint LineEnd(int i, int which)
{
    const double a = i * 0.61803398875;
    const int dx = int(std::lround(50 * std::cos(a))), dy = int(std::lround(50 * std::sin(a)));
    return which == 0 ? QPoint(320 - dx, 240 - dy) : QPoint(320 + dx, 240 + dy);
}

} // namespace

int main()
{
    QImage image(640, 480, QImage::Format_RGB32);
    image.fill(Qt::white);
    // Lines of about 100 pixels per second with the pen.
    auto lines = [&](const RasterPen &pen) {
        return Rate([&](int i) {
            for (int k = 0; k < 100; ++k)
                RasterLine(image, LineEnd(i * 100 + k, 0), LineEnd(i * 100 + k, 1), pen);
        }, 100);
    };
    for (int mode = 1; mode <= 16; ++mode) {
        char name[64];
        std::snprintf(name, sizeof name, "one-pixel lines, mode %d", mode);
        Report(name, lines(RasterPen{0x3366CC, mode, 0, 1}), "lines/s", 500000, true);
    }
    Report("one-pixel dash-dot lines, xor", lines(RasterPen{0x3366CC, 7, 3, 1}), "lines/s", 500000, true);
    Report("width-5 lines", lines(RasterPen{0x3366CC, 13, 0, 5}), "lines/s", 0, true);
    const RasterPen far{0, 13, 0, 1};
    Report("far lines (clipped, +-1e9)", Rate([&](int i) {
               for (int k = 0; k < 1000; ++k)
                   RasterLine(image, QPoint(-1000000000 + k, -999999000), QPoint(1000000000, 1000000000 - i), far);
           }, 1000), "lines/s", 0, true);

    for (int mode : {13, 7}) {
        const RasterPen pen{0x3366CC, mode, 0, 1};
        char name[64];
        std::snprintf(name, sizeof name, "circles r 1..50, mode %d", mode);
        Report(name, Rate([&](int i) {
                   for (int r = 1; r <= 50; ++r)
                       RasterEllipse(image, RasterBox{320 - r, 240 - r, 320 + r, 240 + r}, pen, nullptr);
                   (void)i;
               }, 50), "circles/s", 100000, true);
    }
    const RasterBrush brush{0xCC6633, 0};
    const RasterPen pen{0x3366CC, 13, 0, 1};
    Report("filled circles r 1..50", Rate([&](int) {
               for (int r = 1; r <= 50; ++r)
                   RasterEllipse(image, RasterBox{320 - r, 240 - r, 320 + r, 240 + r}, pen, &brush);
           }, 50), "circles/s", 0, true);
    Report("filled pies r 1..50", Rate([&](int) {
               for (int r = 1; r <= 50; ++r)
                   RasterPie(image, RasterBox{320 - r, 240 - r, 320 + r, 240 + r}, QPoint(400, 240), QPoint(320, 100),
                             pen, brush);
           }, 50), "pies/s", 0, true);

    QImage big(3000, 2500, QImage::Format_RGB32);
    for (int style : {0, 7}) {
        double worst = 0;
        for (int k = 0; k < 5; ++k) {
            big.fill(Qt::white);
            const auto t0 = ThreadClock::now();
            RasterFloodFill(big, QPoint(1500, 1250), 0, RasterBrush{0x0000FF, style});
            worst = std::max(worst, std::chrono::duration<double, std::milli>(ThreadClock::now() - t0).count());
        }
        Report(style == 0 ? "flood fill 3000x2500, solid (worst of 5)" : "flood fill 3000x2500, hatch (worst of 5)",
               worst, "ms", 100, false);
    }
    return 0;
}
