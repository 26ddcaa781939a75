#include "devices/OVFontStyle.h"

namespace ov {

namespace {

struct StyleWord {
    FontStyleSet Bit;
    const char16_t *Upper;    // searched for in the upper-cased text
    const char16_t *Written;  // written by FontStylesToStr
};

constexpr StyleWord StyleWords[] = {
    {1, u"BOLD", u" Bold"},
    {2, u"ITALIC", u" Italic"},
    {4, u"UNDERLINE", u" Underline"},
    {8, u"STRIKEOUT", u" StrikeOut"},
};

} // namespace

FontStyleSet StrToFontStyles(const QString &text)
{
    const QString t = text.trimmed().toUpper();
    FontStyleSet styles = 0;
    for (const StyleWord &word : StyleWords) {
        if (t.contains(QStringView(word.Upper)))
            styles |= word.Bit;
    }
    return styles;
}

QString FontStylesToStr(FontStyleSet styles)
{
    QString text;
    for (const StyleWord &word : StyleWords) {
        if (styles & word.Bit)
            text += QStringView(word.Written);
    }
    return text.isEmpty() ? QStringLiteral("Normal") : text;
}

} // namespace ov
