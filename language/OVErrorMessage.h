// The Japanese message text for an error number. The catalogue here is the
// only list of the system's error messages; the worker adds line and column.
#pragma once

#include <QString>

namespace ov {

// The message for an error number: a first part saying what is wrong,
// followed directly by a second part (often on its own line after CR LF)
// saying how the statement is written. Numbers that name a statement,
// function or operator take it from ErrorSubject through the name tables;
// error 1 shows ErrorSubjectText. Unknown numbers give "エラーです。".
QString BuildErrorMessage(int number);

// Number of catalogued error numbers, and whether a number is one of them.
int ErrorCatalogueSize();
bool IsKnownErrorNumber(int number);

}  // namespace ov
