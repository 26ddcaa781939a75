// The table of declared names: what the declaration pre-scan found (SUB,
// FUNCTION and DEF names, DIM, PUBLIC, parameters and constants), consulted
// by the lexer when it registers names.
#pragma once

#include "language/OVHeader.h"

namespace ov {

constexpr int DcVarCapacity = 1024;

struct DcVarType {
    QString Name;
    uint8_t Kind = 0;   // only the low seven bits are read
    int32_t Value = 0;  // a constant's literal or truth value, or the variable's index
    int32_t Parameters = -1;  // a SUB, FUNCTION or DEF FN: how many parameters it takes
};

// Kinds of declared names; each group is numeric, string, Boolean, formula.
enum DcKind : uint8_t {
    dkSub = 1,
    dkFunction = 2,       // 2..5
    dkDim = 6,            // 6..9, DIM outside any routine
    dkPublic = 10,        // 10..13
    dkLocal = 14,         // 14..17, parameters and DIM inside routines
    dkConst = 18,         // 18..21
    dkPublicConst = 22,   // 22..24
};

extern DcVarType DcVarTable[DcVarCapacity + 1];  // 1-based
extern int32_t DcVarCount;

int32_t FindDeclared(const QString &name);
inline bool IsDeclaredName(const QString &name) { return FindDeclared(name) != 0; }
// Only the names visible inside a routine: routine names, PUBLIC variables and PUBLIC CONST.
int32_t FindDeclaredGlobal(const QString &name);
// True when the program declares a SUB of that name. The user-interface thread
// may call it only while no run is active (test RunThreadActive first).
bool IsDeclaredVar(const QString &name);

// The declared SUB, FUNCTION or DEF FN that a routine's name cell calls; 0
// when the cell names none.
int32_t FindDeclaredRoutine(const CodeType &nameCell);
// Whether a call with `count` arguments fits the routine the name cell calls:
// false only when the routine's parameter count is known and differs.
bool ArgumentCountFits(const CodeType &nameCell, int count);

// Appends a declared name; the caller has checked capacity and duplicates.
int32_t AddDeclared(const QString &name, uint8_t kind);
// Empties the table.
void ClearDeclared();

inline uint8_t DeclaredKind(int32_t index) { return DcVarTable[index].Kind & 0x7F; }

} // namespace ov
