// The association of program files (".ovt") with this program for the
// current user, on the freedesktop conventions: a MIME type declared in a
// shared-mime-info package file, a hidden desktop entry that opens the file
// with this program, the user's default for the type in mimeapps.list, and
// the program's icon in the user's icon theme folder, which the entry and
// the type both name.
// Only this program's own entry counts; another program's association is
// never changed.
#pragma once

#include <QString>

namespace ov {

// What a double click on a program file does, as the association form
// numbers it: run with the editor minimised, run with the editor shown,
// open in the editor, or not associated with this program.
enum class AssociationKind { Run = 1, RunShown = 2, Edit = 3, None = 4 };

// The MIME type, the desktop entry's file name and the package file's name.
QString OvtMimeType();
QString OvtDesktopEntryName();
QString OvtMimePackagePath();
QString OvtDesktopEntryPath();
QString UserMimeAppsListPath();
// The program's icon as installed for the desktop (a 256-pixel PNG).
QString ProgramIconPath();

// The Exec value of the desktop entry: the program path quoted by the
// Desktop Entry rules (so blanks, quotes, "$" and "%" survive), then
// "-R %f", "-A %f" or "%f".
QString AssociationExecLine(const QString &programPath, AssociationKind kind);

// This program's current association: None when the user's default for the
// type is not this program's entry or the entry is missing.
AssociationKind QueryAssociation();

// Writes both files and the icon (copied from `iconSource`, a file or a
// resource path), updates the MIME and desktop databases and makes the
// entry the user's default. On a failure every file is put back as it was
// and `error` says which step failed.
bool RegisterAssociation(AssociationKind kind, const QString &programPath, const QString &iconSource,
                         QString *error);

// Deletes both files, the icon and this program's lines from mimeapps.list
// and updates both databases. `remaining` receives the handler the desktop
// still names for the type (another program's, of the user or the whole
// system), empty when there is none.
bool RemoveAssociation(QString *remaining, QString *error);

} // namespace ov
