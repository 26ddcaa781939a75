#include "devices/OVGraphState.h"

namespace ov {

long double GLocateX = 0, GLocateY = 0;
long double GFLocateX = 0, GFLocateY = 0;
long double WindowScaleX = 1, WindowScaleY = 1;

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
int GraphPictureWidth = 0, GraphPictureHeight = 0;
std::atomic<int> GraphScreenOpen{0};
int MathGraphOn = 0;

std::atomic<int> MouseEvent{0};
std::atomic<int> MouseX{0};
std::atomic<int> MouseY{0};
std::atomic<int> LastKeyCode{0};
std::atomic<char32_t> LastKeyChar{0};

} // namespace ov
