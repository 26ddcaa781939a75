// The program's version number and release date: one place for the version
// box, the console's banner and the application object.
#pragma once

#include <QString>

namespace ov {

QString ProgramVersion();      // "0.1.0", the project's version
QString ProgramReleaseDate();  // "2026/12/06"

}  // namespace ov
