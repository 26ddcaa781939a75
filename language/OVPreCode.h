// The pre-code store: the canonical token stream the line scanner writes and
// the translation pass reads. Cell 0 is a guard, cells 1 to 100 are the
// scratch area of console lines and formulas, a program starts at cell 101.
#pragma once

#include "language/OVHeader.h"

#include <vector>

namespace ov {

constexpr int32_t ScratchEnd = 100;     // last cell of the scratch area
constexpr int32_t ProgramStart = 101;   // first cell of a program

extern std::vector<CodeType> PreCodeArray;
extern int32_t PreCodePos;      // read and write index
extern int32_t PreCodeMax;      // highest valid index
extern int32_t PreCodeScanEnd;  // one past the program's last pre-code cell

// Set while a console line or formula is translated: neither store may then be
// written past the scratch area (error 30103), so the program stays intact.
extern bool ScratchLimited;

void InitPreCode();
void ResetPreCode();
void EmitPreCode(CodeType cell);
void GetNextPreCode(CodeType &cell);
void PeekPreCode(CodeType &cell);
void PeekPreCodeAhead(int32_t n, CodeType &cell);
void PeekPreCodeBack(int32_t n, CodeType &cell);
inline bool IsNumLiteralPreCode(const CodeType &cell) { return cell.FirstCode == ckNumLiteral; }

// Sizes a store to count cells; false (and error 30101) when memory runs out.
bool ResizeStore(std::vector<CodeType> &store, int32_t count);

} // namespace ov
