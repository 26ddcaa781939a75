// The language's vocabulary and the shared types of the interpreter: the code
// cell, its kinds, the name tables whose positions are the values of code
// cells, the constant tables, and the error convention.
#pragma once

#include "platform/OVTextEncoding.h"  // StringLengthLimit

#include <QString>
#include <cfloat>
#include <cstdint>

#include "language/OVNameLists.inc"

static_assert(LDBL_MANT_DIG == 64, "numbers are x87 80-bit extended values");

namespace ov {

// ---------------------------------------------------------------- code cells

// One cell of pre-code or intermediate code.
struct CodeType {
    int32_t FirstCode = 0;   // the cell kind (CellKind)
    int32_t SecondCode = 0;  // the value; its meaning depends on the kind
    int32_t SourcePos = 0;   // 1-based position of the token in the program text
};

inline bool operator==(const CodeType &a, const CodeType &b)
{
    return a.FirstCode == b.FirstCode && a.SecondCode == b.SecondCode && a.SourcePos == b.SourcePos;
}

// The values of FirstCode.
enum CellKind : int32_t {
    ckEof = -1,             // end of code
    ckNone = 0,             // read past the end of a store
    ckOperator = 1,         // operator number 1..44
    ckFunction = 2,         // function number or composite function value
    ckStatement = 6,        // statement number, internal statement or variant
    ckNumConst = 7,         // index into NumConstants
    ckStrConst = 8,         // index into StrConstants
    ckNumLiteral = 11,      // v names NumLiterals[v + 1]
    ckNumVar = 12,          // index into NumVars
    ckLocalNumVar = 13,     // slot of a DEF FN numeric parameter
    ckNumArrVar = 14,       // whole numeric array passed by reference
    ckStrLiteral = 21,      // v names StrLiterals[v]
    ckStrVar = 22,          // index into StrVars
    ckLocalStrVar = 23,     // slot of a DEF FN string parameter
    ckStrArrVar = 24,       // whole string array by reference
    ckBoolConst = 31,       // 1 true, 2 false
    ckBoolVar = 32,         // index into BoolVars
    ckBoolArrVar = 34,      // whole Boolean array by reference
    ckExprBegin = 41,       // opens a postfix expression
    ckExprEnd = 42,         // closes it
    ckCodeAddr = 45,        // jump or call target
    ckPrintSep = 51,        // 21 comma, 136 end of the PRINT line
    ckFilePrintSep = 52,    // the same for PRINT #
    ckWorkNumVar = 61,      // working variables of INPUT, READ and SWAP
    ckWorkStrVar = 62,
    ckWorkBoolVar = 63,
    ckFormVar = 71,         // index into FormVars
    ckPopLocalNum = 81,     // pop a number into a DEF FN slot
    ckPopLocalStr = 82,     // pop a string into a DEF FN slot
    ckLocalBoolCount = 83,  // listing only
    ckLocalNumCount = 84,   // numeric slots of a DEF FN frame
    ckLocalStrCount = 85,   // string slots of that frame
    ckBoolVarRange = 89,    // Boolean variable range of a SUB or FUNCTION
    ckNumVarRange = 90,     // numeric variable range
    ckStrVarRange = 91,     // string variable range
    ckSubBegin = 92,        // listing only
    ckSubEnd = 93,          // listing only
    ckDummyCode = 94,       // placeholder, no action
};

// ---------------------------------------------------------------- operators

enum OperatorCode : int32_t {
    opEq = 1, opNe = 2, opNeAlt = 3, opLt = 4, opGt = 5, opLe = 6, opLeAlt = 7,
    opGe = 8, opGeAlt = 9, opAdd = 10, opSub = 11, opMul = 12, opDiv = 13,
    opIntDiv = 14, opMod = 15, opPow = 16, opLParen = 17, opRParen = 18,
    opLBrace = 19, opRBrace = 20, opComma = 21, opSemicolon = 22, opColon = 23,
    opDot = 24, opQuestion = 25, opQuote = 27, opHash = 28, opDollar = 29,
    opApostrophe = 30, opNot = 31, opAnd = 32, opOr = 33, opXor = 34,
    opImp = 35, opEqv = 36, opUnderscore = 37, opEndOfLine = 38, opCaretCr = 39,
    opLineFeed = 40, opIllegal = 41, opSJis = 42, opConcat = 43, opChgSgn = 44,
};

constexpr int OperatorCount = 44;

// ------------------------------------------------- statements and functions

enum StatementCode : int32_t {
#define OV_ENUM_STATEMENT(n, id, name) st##id = n,
    OV_STATEMENTS(OV_ENUM_STATEMENT)
#undef OV_ENUM_STATEMENT
};

enum FunctionCode : int32_t {
#define OV_ENUM_FUNCTION(n, id, name) fn##id = n,
    OV_FUNCTIONS(OV_ENUM_FUNCTION)
#undef OV_ENUM_FUNCTION
};

constexpr int StatementCount = 191;
constexpr int FunctionCount = 125;
constexpr int ReservedWordCount = 38;

// Statements the translator generates beyond the keyword table.
enum InnerStatement : int32_t {
    isMixerMasterMute = 192,
    isMixerMasterVolume = 193,
    isCallStart = 195,
    isClipboardClear = 221,
    isClipboardSetText = 223,
    isDefFnReturn = 237,
    isLoopDo = 238,
    isDoUntil = 239,
    isEvalFormEnd = 241,
    isFunctionEnd = 242,
    isInputNumItem = 243,
    isInputStrItem = 244,
    isGlPop = 245,
    isGlPush = 246,
    isHelpCrossRef = 247,
    isHelpReservedWords = 248,
    isHelpTranslatorDump = 249,
    isHelpVariables = 250,
    isCaseIsEq = 251,
    isCaseList = 252,
    isCaseIsLt = 253,
    isCaseIsLe = 254,
    isCaseIsGt = 255,
    isCaseIsGe = 256,
    isJumpIfTrue = 257,
    isCaseIsNe = 258,
    isCaseRange = 259,
    isReadAllLinesToArray = 261,
    isLoopUntil = 262,
    isLoopWhile = 263,
    isLoPop = 264,
    isLoPopAll = 265,
    isLoPush = 266,
    isLoPushAll = 267,
    isMediaPlayerClose = 268,
    isMediaPlayerMode = 269,
    isMediaPlayerOpen = 270,
    isMediaPlayerPause = 271,
    isMediaPlayerPlay = 272,
    isMediaPlayerStop = 273,
    isOptionExplicitOff = 275,
    isOptionExplicitOn = 276,
    isPrintFileItem = 277,
    isPrintFileUsing = 278,
    isSubEnd = 280,
    isSubJump = 281,
    isSubStart = 282,
};

constexpr int LastInnerStatement = 282;

// Composite values of function and statement cells.
constexpr int32_t fnChangeSign = 126;        // unary minus of a number
constexpr int32_t fnClipboardGetText = 222;  // CLIPBOARD GETTEXT read
constexpr int32_t ControlPropertyFirst = 196; // control property codes 196..236
constexpr int32_t ControlPropertyLast = 236;
constexpr int32_t SettingReadBase = 1000;    // 1000 + s: statement s read as a function
constexpr int32_t PropertyWriteBase = 1000;  // 1196..1236: assign a control property
constexpr int32_t PropertyReadBase = 2000;   // 2196..2236: read a control property
constexpr int32_t OneMoreArgBase = 10000;    // 10000 + f: function f with one more argument
constexpr int32_t TwoMoreArgsBase = 20000;   // 20000 + f: function f with two more arguments

constexpr int32_t StatementVariant(int k, int32_t statement) { return 1000 * k + statement; }

// The statements that set a window setting and are read back as function
// 1000 + s outside statement position (FORECOLOR, PRECISION, ...).
bool IsSettingStatement(int32_t s);

// ---------------------------------------------------------------- name tables

// 1-based; entry 0 is empty. Filled by InitKeywordTables.
extern QString OperatorNames[OperatorCount + 1];
extern QString StatementNames[StatementCount + 1];
extern QString FunctionNames[FunctionCount + 1];
extern QString ReservedWordNames[ReservedWordCount + 1];

// Halving search of the sorted tables; 0 when the word is absent.
int SearchStatementName(const QString &word);
int SearchFunctionName(const QString &word);
// Linear search of the operator table, first equal entry; 0 when absent.
int SearchOperatorName(const QString &word);

// ------------------------------------------------------------ constant tables

extern long double NumConstants[11];  // 1 = 0, 2 = 1, 3 = -1, 4 = 65535, 5 = 10, 6 = 0.5
extern QString StrConstants[11];      // 1 = "", 2 = "? "
extern uint8_t BoolConstants[3];      // 1 = true (1), 2 = false (0)

// ------------------------------------------------------------ error convention

extern int32_t ErrorNumber;   // 0 means no error
extern int32_t ErrorSubject;  // statement, function or operator number named by the message
extern int32_t ErrorPos;      // source position recorded by the worker

// The position (1-based, in the user's text) of the first character of the
// token or pre-code cell that the translation took up last. SetError keeps it
// in ErrorReadPos, so that a translation error names the token at fault even
// when the translator has read on before it gives up.
extern int32_t ReadPos;
extern int32_t ErrorReadPos;

// Sets the error unless one is already pending, so the first fault is kept.
void SetError(int32_t number, int32_t subject = 0);
// Clears the error with everything a message could name: number, subject,
// subject text and position.
void ClearError();

// The system's name, set at start-up ("?" until then).
extern QString OSVersionName;

// Fills the name tables and the constants, clears the command history and
// names the system; runs once.
void InitKeywordTables();

} // namespace ov
