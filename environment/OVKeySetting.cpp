#include "environment/OVKeySetting.h"

namespace ov {

QString EditorFontName = QStringLiteral(u"ＭＳ ゴシック");
int EditorFontCharset = 128;
int EditorFontSize = 10;
FontStyleSet EditorFontStyle = 0;
ColorValue EditorFontColor = 0;
int FormatCheckOn = 1;

int TScreenFontSize = 10;
int TScreenHeight = 230;
int TScreenPosAuto = 1, TScreenLeft = 0, TScreenTop = 0;
int GScreenPosAuto = 1, GScreenLeft = 0, GScreenTop = 0;

int ExitMsgCheck = 1;
QString ProgramDir;

} // namespace ov
