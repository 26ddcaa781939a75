// Assignment and control flow: LET, IF, the SELECT CASE tests, GOTO, GOSUB,
// RETURN, END, READ and RESTORE over the program's DATA, the statements
// skipped at run time, RANDOMIZE, BEEP and CLS; and array elements.
#pragma once

#include "language/OVHeader.h"

namespace ov {

extern int DataPointer;  // code position of the next DATA item cell

// Boolean array elements: BoolArrayData keeps a truth value as the low byte
// of -1 (0xFF) or 0; any other byte is error 54100 when read, as for
// NumberToBool.
constexpr uint8_t StoredTrue = 0xFF;
inline uint8_t BoolToStored(bool b) { return b ? StoredTrue : 0; }
bool StoredToBool(uint8_t stored);

// Array elements: pops the subscripts of the named array (last on top) and
// pushes the element (kinds 12, 22 and 32 with an array record).
void PushArrayElement(const CodeType &cell);

void ExecLet();
void ExecIf();
void ExecBranchIfTrue();
void ExecCaseValues();
void ExecCaseRange();
void ExecCaseIs(int32_t test);  // the internal statement 251, 253 ... 258
void ExecGotoGosub(bool gosub);
void ExecReturn();
void ExecEnd();
void ExecBeep();
void ExecRandomize();
void ExecRandomizeSeed();
void ExecSkipStatement();
void ExecRead();
void ExecRestore();
void ExecCls();  // runs inside a synchronised step

int32_t FindLineLabel(long double number);
// Where GOTO or GOSUB with this operand cell (an address, a line number or a
// label) leads; 0 where it leads nowhere. `error` is what the statement then
// reports, 0 where it does nothing.
int32_t GotoTarget(const CodeType &operand, int32_t &error);
int32_t FindRestoreLine(long double number);
int32_t NextDataPosition(int32_t position);

// The run-time random generator: seed * 134775813 + 1 modulo 2^32.
void SeedRandom(uint32_t seed);
uint32_t RandomSeed();
// The next draw, in [0, 1).
long double NextRandom();

} // namespace ov
