// The declaration pre-scan: one pass over ScanText before the line scanner.
// It registers the names that SUB, FUNCTION and DEF headers, their parameter
// lists, DIM and PUBLIC declare, with the scope prefix of their routine; it
// numbers the routines, reads OPTION EXPLICIT, and splices the text of every
// INCLUDE file into ScanText so that the line scanner reads it in place.
#pragma once

#include <QString>

namespace ov {

// The folder of the file the program text was read from, where a relative
// INCLUDE name is looked up before the current folder; empty for a text of
// no file. A run of the editor's or the runner's program sets it to the
// program's folder, LOAD to the loaded file's; RUN keeps it.
extern QString IncludeFolder;

// Reads ScanText from LinePos to its end with the lexer in its declaring
// mode. Results: the declared-name table, RoutineCount, OptionExplicitOn,
// ScanText and ScanTextLength grown by the included files, IncludeOffset,
// and ErrorNumber with ErrorSubject at the first fault (LinePos is its place).
void PreScanDeclarations();

} // namespace ov
