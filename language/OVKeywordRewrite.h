// Keyword rewriting in the line scanner: two-word statements, argument-count
// variants, statements read as functions, member statements and control
// properties become one canonical cell each.
#pragma once

#include "language/OVHeader.h"

namespace ov {

// Rewrites the current token (EmitCell) when it is one of the rewritten
// keywords; false when the token is not, and the scanner emits it unchanged.
bool RewriteKeyword();

// "(" right after a simple variable and followed by ")": the variable cell
// becomes its whole-array cell (in a parameter list also an array parameter).
// True when it did so.
bool RewriteWholeArray(bool parameter);

// Looks ahead without consuming: the commas at bracket depth 1 of the
// argument list that follows, 0 when no "(" follows, -1 at a statement end.
int CountArguments();

// A name without the routine prefix of a local (its leading digits and blanks).
QString StripScopeDigits(const QString &name);

} // namespace ov
