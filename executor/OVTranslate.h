// The whole translation of a program text or a direct command, in the order
// the run driver performs it.
#pragma once

#include <QString>

namespace ov {

// Sets ScanText to the program text as the lexer reads it (CR LF and two NULs
// at the end). False, with error 106, when the program is too large for the system.
bool SetProgramText(const QString &source);

// Run modes 0 and 2, after InitInterpreter: pre-scans the declarations
// (splicing INCLUDE files), scans into pre-code from cell 101 and translates
// into code from cell 101. False on error, with ErrorNumber and ErrorPos set.
bool TranslateProgram();

// SetProgramText, InitInterpreter and TranslateProgram in one.
bool TranslateProgramText(const QString &source);

// Run mode 1: scans and translates a console line into cells 1 to 100
// against the tables of the last program. False on error; a line that would
// not fit the scratch area is refused with 30103.
bool TranslateCommandLine(const QString &line);

// The position ErrorPos names for an error of any pass of the translation:
// the first character of the token or cell at fault, in the user's text.
int32_t TranslationErrorPosition();

} // namespace ov
