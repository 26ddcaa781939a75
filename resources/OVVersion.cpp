#include "resources/OVVersion.h"

namespace ov {

QString ProgramVersion()
{
    return QStringLiteral(ORVANE_VERSION);
}

QString ProgramReleaseDate()
{
    return QStringLiteral("2026/12/06");
}

}  // namespace ov
