// The dialogs programs show: message boxes, input boxes and file dialogs.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace ov {

// Runs the dialog function with this value (MSGBOX, INPUTBOX,
// SELECTOPENFILE, SELECTSAVEFILE and their argument-count forms); false when
// it is none of them.
bool DispatchDialogFunction(int32_t f);

// Message-box style bits: the button set in the low three bits, the icon in
// the next four.
constexpr int MsgBoxButtonMask = 7;
constexpr int MsgBoxIconMask = 0x70;
constexpr int mbOK = 0;
constexpr int mbOKCancel = 1;
constexpr int mbAbortRetryIgnore = 2;
constexpr int mbYesNoCancel = 3;
constexpr int mbYesNo = 4;
constexpr int mbRetryCancel = 5;
constexpr int mbIconStop = 16;
constexpr int mbIconQuestion = 32;
constexpr int mbIconExclamation = 48;
constexpr int mbIconInformation = 64;

// The style of MSGBOX flags n, truncated toward zero: the button set n mod 8
// when it is one of the sets above (else OK alone) plus the icon bits of
// n mod 128. Higher bits are dropped; negative or non-finite flags give OK
// alone without an icon.
int MessageBoxStyle(long double n);

// A file-dialog filter in the pipe form "desc|pattern|desc|pattern" (patterns
// separated by ';') as Qt's list of "desc (pattern pattern)" entries. The
// dialog shows the descriptions alone, as they are written (an empty one
// stands for its patterns), and matches by the patterns in brackets.
QStringList FileDialogFilters(const QString &filter);

} // namespace ov
