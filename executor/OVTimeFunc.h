// Time, key and conversion built-in functions: DATE$, TIME$, TIMER,
// YEARTIMER, GETHOUR and its kin, DAYOFWEEK, ISLEAPYEAR, INKEY$, INPUT$ (from
// the keyboard and from a data-file channel), VAL, PI and PI$.
#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>

namespace ov {

// Runs the time, key or conversion built-in with this function value; false
// when it is none.
bool DispatchTimeFunction(int32_t f);

// The clock the time functions read, as local date and time; nullptr
// restores the system clock. Tests set a fixed one.
using ClockSource = QDateTime (*)();
void SetClockSource(ClockSource source);

// VAL of a text: "&H" and hexadecimal digits, or a decimal number with
// optional sign, point and exponent after leading blanks; 0 for any other
// text and for a value beyond the range of numbers.
long double ValueOfText(const QString &text);

} // namespace ov
