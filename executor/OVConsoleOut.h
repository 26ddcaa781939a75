// Console output and INPUT replies: the pending output line and its display
// column, PRINT items and zones, TAB, PRINT USING pictures, and the items cut
// from the reply typed for INPUT.
#pragma once

#include "executor/OVConsoleQueue.h"
#include "executor/OVRunHost.h"

#include <functional>

namespace ov {

constexpr int ConsoleLineLimit = 1'000'000;

extern QString OutputLine;     // the pending console line
extern int OutputColumn;       // its display width
extern int PrintPrecision;     // significant digits of printed numbers
extern int InputRestartPos;    // code position of the INPUT statement, to ask again
extern int InputRetry;         // set when a reply item was not a number
extern QString InputReply;     // the reply being cut into items
extern int ConsoleLineCount;   // lines added to the memo since it was cleared

// A number as PRINT shows it, held without a string: ASCII characters, so
// their count is also their display width. The longest text, in the
// exponent form, has 26.
struct PrintNumberText {
    char16_t Units[32];
    qsizetype Length = 0;
    QStringView View() const { return {Units, Length}; }
};

// The general format with PrintPrecision significant digits, a blank before
// a number that is not negative.
PrintNumberText PrintNumber(long double x);
QString FormatPrintNumber(long double x);

void AppendPrintText(QStringView text);
void PrintComma();
void PrintLine(const QString &text);
void PrintPrompt(const QString &text);
void PrintTab();
void ExecPrint();
void ExecPrintUsing();
void ExecInputNumberItem();
void ExecInputStringItem();

// PRINT USING pictures, shared with PRINT # USING. WriteUsingPicture hands
// each literal and each formatted field to `write` in order, popping the
// values below the (already popped) picture as the fields use them, and
// stops at the first error (3501 a value of the wrong type, 3502 "_" at the
// end). The field formatters read one field starting at `pos` and leave
// `pos` after it.
void WriteUsingPicture(const QString &picture, const std::function<void(const QString &)> &write);
QString FormatPictureNumber(const QString &picture, qsizetype &pos);
QString FormatPictureString(const QString &picture, qsizetype &pos);
// Groups the digits of the integer part of a number text in thousands.
QString InsertThousandsSeparators(const QString &text);

// Empties the pending line at the start of a run.
void ResetOutputLine();

} // namespace ov
