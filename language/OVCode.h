// The code store: the intermediate code the translators write and the
// executor runs. Same layout as the pre-code store: guard cell 0, scratch
// cells 1 to 100, the program from cell 101.
#pragma once

#include "language/OVHeader.h"

#include <vector>

namespace ov {

extern std::vector<CodeType> CodeArray;
extern int32_t CodePos;       // write index while translating, program counter while running
extern int32_t CodeCapacity;  // highest valid index
extern int32_t CodeEnd;       // highest index that may be fetched
extern CodeType CurrentCell, NextCell, NextCell2;

// Raised whenever the code store or the numeric tables change, so that
// anything derived from them (the executor's expression plans) is redone.
extern uint32_t CodeGeneration;
inline void CodeChanged() { ++CodeGeneration; }

void InitCode();
void ResetCode();
void EmitCode(const CodeType &cell);
void PeekCode(CodeType &cell);
void PeekCodeBack(int32_t n, CodeType &cell);
inline bool IsNumLiteralCode(const CodeType &cell) { return cell.FirstCode == ckNumLiteral; }

// The fetch is the executor's hot path: an index test and a copy.
inline void GetNextCode(CodeType &cell)
{
    if (CodePos <= CodeEnd) {
        cell = CodeArray[size_t(CodePos)];
        ++CodePos;
    } else {
        cell.FirstCode = ckNone;
    }
}

inline void FetchCurrentCell() { GetNextCode(CurrentCell); }
inline void FetchNextCell() { GetNextCode(NextCell); }
inline void FetchNextCell2() { GetNextCode(NextCell2); }

} // namespace ov
