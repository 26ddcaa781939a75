// File-system built-in functions and whole-file input and output: existence
// tests, disk space, renaming, length, folders, file search and time stamp,
// READALLTEXT, READALLLINES, WRITEALLTEXT, WRITEALLLINES, APPENDALLTEXT,
// EOF of a channel, SHELL and SYSCMD, GETDIMTYPE and SEEK.
#pragma once

#include <QString>
#include <cstdint>

namespace ov {

// Runs the file-system built-in with this function value; false when it is none.
bool DispatchFileFunction(int32_t f);
// Runs the whole-file statement with this value (WRITEALLLINES,
// WRITEALLTEXT, APPENDALLTEXT, READALLLINES into an array, FINDFILECLOSE,
// SYSCMD ...); false when it is none.
bool DispatchFileSystemStatement(int32_t s);

// Ends the search of FINDFIRSTFILE; FINDNEXTFILE then finds nothing.
void CloseFileSearch();

// The shell that runs the commands of SHELL and SYSCMD (with "-c").
extern QString ShellProgram;

} // namespace ov
