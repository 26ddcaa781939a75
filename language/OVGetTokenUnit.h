// The lexer: cuts ScanText into tokens delivered as code cells, folds names
// to upper case, looks them up in the name tables and, in its registering
// mode, enters names and literals into the symbol tables.
#pragma once

#include "language/OVHeader.h"

namespace ov {

// ------------------------------------------------------------- lexer state

extern QString ScanText;         // the text being scanned, ending in CR LF and two NULs
extern int32_t ScanTextLength;   // its length in UTF-16 code units
extern int32_t LinePos;          // 1-based position of the next character
extern int32_t TokenStart;       // LinePos when the current token was begun
extern CodeType TokenCell;       // the scanner's current token
extern CodeType PrevToken;       // the token before the one being read
extern int32_t TokenSourcePos;   // source position of the token last read in mode 1
extern int32_t NameStartPos;     // LinePos of the first character of the last name
extern int32_t IncludeOffset;    // characters an INCLUDE has spliced in before LinePos
extern int32_t IncludeAnchor;    // user-text position after the INCLUDE statement, for IncludeOffset
extern int32_t IncludeSourcePos; // position of the INCLUDE keyword, which included text reports
extern uint8_t InIncludeText;    // 1 while the scanner reads included text
extern uint8_t DeclContext;      // what a name read now declares
extern QString ScopePrefix;      // four digits naming the routine being scanned
extern uint8_t OptionExplicitOn;
extern uint8_t DefLocalsActive;  // names are first looked up among DEF FN parameters
extern uint8_t MemberDotActive;  // "." is an operator
extern QString ErrorSubjectText; // error 1: the decimal code of the offending character

// Values of DeclContext.
enum DeclContextValue : uint8_t {
    dcNone = 0,
    dcPublic = 1,
    dcSubName = 2,
    dcSubBody = 3,
    dcSubParams = 4,
    dcFunctionName = 5,
    dcFunctionBody = 6,
    dcFunctionParams = 7,
    dcDefName = 8,
    dcDefParams = 9,
    dcDim = 11,
    dcConst = 13,
    dcSubConst = 14,
    dcFunctionConst = 15,
    dcPublicConst = 16,
};

// Modes of GetToken.
enum TokenMode : int {
    tmDeclare = 0,   // declaration pre-scan and CONST: names go to the declared-name table
    tmRegister = 1,  // line scanner: names and literals are entered in the symbol tables
    tmClassify = 2,  // look-ahead: literals are entered, names only classified
};

} // namespace ov

namespace ov {

// ------------------------------------------------------------- reading

void ResetLinePos();
char16_t GetChar();
char16_t GetCharUpper();

inline bool IsNonAsciiChar(char16_t c) { return c >= 128; }

// The next token. Its third word is LinePos after the token.
void GetToken(CodeType &cell, int mode);
// GetToken in mode 1 (PeekToken) or 2 (PeekTokenClass), then back to the token's start.
void PeekToken(CodeType &cell);
void PeekTokenClass(CodeType &cell);
// One character as a token, for skipping comments.
void GetRawToken(CodeType &cell);
// The letters that follow; the first other character is consumed.
void ReadWord(QString &text);
// One DEF FN parameter name, entered among the DEF FN locals.
void ReadDefParameter(CodeType &cell);
// End of a statement: nothing, ":", end of line, or a line comment (left to be
// read again).
bool IsTokenStatementEnd(const CodeType &cell);

// ------------------------------------------------------------- comments
// A block comment "{...}" stands for a blank, and so does a line continuation
// (a blank, "_", blanks, CR LF): GetToken passes over them. A line comment
// ("'" or REM) ends its statement and the rest of its line.

bool IsLineCommentMark(const CodeType &cell);
// Where the next token begins when reading from pos: past blanks, tabs, block
// comments and line continuations. Moves nothing and raises no error; every
// reader of raw text that skips blanks skips them with this.
int32_t SpacingEnd(int32_t pos);

enum class StatementRestEnd { TextEnd, LineEnd, Colon, LineComment };
// Passes over the rest of a statement character by character, never as
// tokens: after ":" or the line end, or before a line comment, which is read
// next. String literals and block comments are passed whole.
StatementRestEnd SkipStatementRest();
// The value of a numeric-literal cell, 0 for any other cell.
long double GetNumLiteralValue(const CodeType &cell);

// ------------------------------------------------------------- lookups

int LookupOperator(const QString &word);
int LookupStatement(const QString &word);
int LookupFunction(const QString &word);
int LookupBoolConst(const QString &word);  // 1 TRUE, 2 FALSE, 0 neither

// Registration of names and literals.
CodeType DeclareName(const QString &name);
CodeType RegisterName(const QString &name);
CodeType ClassifyName(const QString &name);
CodeType AddNumLiteral(const QString &text);
CodeType AddHexLiteral(const QString &digits);
// A new numeric literal entry holding the value.
CodeType AddNumLiteralValue(long double value);
CodeType AddStrLiteral(const QString &text);
CodeType FindLocalName(const QString &name);
CodeType AddLocalName(const QString &name);
// The type of an AS clause after a declared name: 1 REAL, 2 STRING, 3 BOOLEAN, 0 none.
int ReadAsType();

// Decimal text to an extended number, locale-free; false when the text is no
// such number or overflows.
bool ParseDecimal(QStringView text, long double &value);

inline void UngetChar() { --LinePos; }

} // namespace ov
