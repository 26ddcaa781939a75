#include "devices/OVFontNames.h"

#include <QFont>
#include <QStringList>

namespace ov {

void SubstituteFonts()
{
    const QStringList gothic{QStringLiteral("IPAGothic"), QStringLiteral(u"IPAゴシック"),
                             QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("Monospace")};
    const QStringList proportional{QStringLiteral("IPAPGothic"), QStringLiteral(u"IPAPゴシック"),
                                   QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Sans Serif")};
    QFont::insertSubstitutions(QStringLiteral(u"ＭＳ ゴシック"), gothic);
    QFont::insertSubstitutions(QStringLiteral(u"ＭＳ Ｐゴシック"), proportional);
}

} // namespace ov
