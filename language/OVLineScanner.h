// The line scanner: turns the whole text in ScanText into canonical pre-code.
// Single-line IF becomes a block with its own ENDIF, the DO forms become
// distinct statements, signs fold into literals, comments disappear, routine
// headers get their variable-range cells, and block nesting is checked.
#pragma once

#include "language/OVHeader.h"

namespace ov {

// A record of the block-nesting check: a block code and, for FOR, the
// loop variable's name.
struct BlockChkType {
    int32_t Code = 0;
    QString Text;
    int32_t SourcePos = 0;  // where the block was opened, for a block left open
};

constexpr int BlockChkDepth = 64;

extern CodeType LastToken;        // the cell the scanner wrote last
extern int32_t RoutineCount;      // SUB, FUNCTION and DEF routines numbered so far
extern uint8_t OptionAllowed;     // 1 while OPTION EXPLICIT may still appear
extern BlockChkType LastBlockChk; // the record last pushed or popped
extern uint8_t SingleLineIfOpen;  // a THEN with more text after it on its line
extern int32_t RoutineRangePos;   // where the routine's closing range values go
extern CodeType EmitCell;         // the cell being prepared for the pre-code

// Scans ScanText from its start into the pre-code at PreCodePos.
void ScanLine();
void EmitEndOfLine();
void PushBlockChk(const BlockChkType &record);
BlockChkType PopBlockChk();

// The scope prefix of routine number n: "0001", ..., "9999", then "0000".
QString ScopePrefixFor(int32_t routine);

// ---------------------------------------------------------------- for the rewriters

// Hands the current token (TokenCell, copied to EmitCell) to its handler.
void HandleToken();
// The cell last written, or kind 0 when nothing was written in this scan.
CodeType LastWritten();
// The cell written n cells back (1 = the last), or kind 0.
CodeType WrittenBack(int32_t n);
// Replaces the cell last written.
void OverwriteLast(const CodeType &cell);
// Drops the cell last written.
void DropLast();
// A keyword at the start of a statement; THEN and ELSE count for member forms.
bool IsStatementPosition(bool memberForm);
// A token that ends a statement (a line comment does), without moving the
// reading position.
bool EndsStatement(const CodeType &cell);
// Skips a comment up to the end of its line; true when the line end was reached.
bool SkipCommentToLineEnd();
// The end-of-line handling: closes a single-line IF, then emits the line end.
void HandleEndOfLine();

} // namespace ov
