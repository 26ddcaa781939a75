#include "devices/OVGraphState.h"

#include <QThread>
#include <algorithm>

namespace ov {

int32_t GraphWidth = 0, GraphHeight = 0;
int32_t PreviousGraphWidth = 0, PreviousGraphHeight = 0;
int32_t GraphClientWidth = 0, GraphClientHeight = 0;

long double WindowX1 = 0, WindowY1 = 0, WindowX2 = 0, WindowY2 = 0;
int32_t ViewLeft = 0, ViewTop = 0, ViewRight = 0, ViewBottom = 0;
long double WindowScaleX = 1, WindowScaleY = 1;

int32_t GLocateX = 0, GLocateY = 0;
int32_t GFLocateX = 0, GFLocateY = 0;

int DrawMode = 13;
int DrawStyle = 0;
int DrawWidth = 1;
int FillStyle = 0;
ColorValue GraphForeColor = 0;
ColorValue GraphBackColor = 0xFFFFFF;
ColorValue GraphBorderColor = 0;
int BorderColorSet = 0;

int GraphFontSize = 10;
QString GraphFontName;
int GraphFontCharset = 128;
FontStyleSet GraphFontStyle = 0;
ColorValue GraphFontColor = 0;

int GraphWindowLeft = 0, GraphWindowTop = 0;
int GraphWindowSized = 0;
std::atomic<int> GraphScreenOpen{0};
int MathGraphOn = 0;

std::atomic<int> LastKeyCode{0};
std::atomic<char32_t> LastKeyChar{0};

void NoteProgramKey(int virtualKey, const QString &text)
{
    LastKeyCode = virtualKey;
    QThread::msleep(5);
    if (text.isEmpty())
        return;
    LastKeyChar = text.toUcs4().value(0);
    QThread::msleep(5);
}

namespace {

// Event in bits 48..55, x and y as 24-bit two's complement in bits 24..47 and 0..23.
std::atomic<uint64_t> MouseWord{0};

constexpr uint64_t Field(int v)
{
    return uint64_t(uint32_t(std::clamp(v, -0x7FFFFF, 0x7FFFFF))) & 0xFFFFFFu;
}

constexpr int Signed24(uint64_t bits)
{
    const int v = int(bits & 0xFFFFFFu);
    return v >= 0x800000 ? v - 0x1000000 : v;
}

MouseSample Unpack(uint64_t word)
{
    return MouseSample{int(word >> 48 & 0xFF), Signed24(word >> 24), Signed24(word)};
}

} // namespace

void PublishMouse(MouseSample sample)
{
    MouseWord = uint64_t(std::clamp(sample.Event, 0, 255)) << 48 | Field(sample.X) << 24 | Field(sample.Y);
}

MouseSample PeekMouse()
{
    return Unpack(MouseWord.load());
}

MouseSample TakeMouseEvent()
{
    uint64_t word = MouseWord.load();
    while (!MouseWord.compare_exchange_weak(word, word & ~(uint64_t(0xFF) << 48))) {
    }
    return Unpack(word);
}

void ClearMouse()
{
    MouseWord = 0;
}

} // namespace ov
