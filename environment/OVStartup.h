// Application-wide set-up of the windowed program, made once before any
// window exists, and its end.
#pragma once

#include <QIcon>
#include <QString>

namespace ov {

class RunController;

// The program's icon, compiled into it in several sizes; the largest is
// the file the desktop is given.
QIcon ProgramIcon();
QString ProgramIconFile();

// The application's name, version and icon; no display name, so that the
// platform appends nothing to the window titles; Qt's own texts in Japanese.
void SetUpApplication();

// Loads Qt's Japanese translations of its dialogs, buttons and context
// menus; false when they are not installed (Qt's texts then stay English).
bool InstallQtTranslations();

// Ends the session's runs for good: a run is stopped and its last window
// steps finish before the worker is joined. No CONT can follow, so what a
// stopped program's channels still hold goes to their files.
void EndRuns(RunController &runs);

}  // namespace ov
