// The one conversion of a decimal number's text to an 80-bit number, for
// every place that reads numbers: program literals, VAL, INPUT replies,
// INPUT # and point files.
#pragma once

#include <string_view>

namespace ov {

// `text` whole as a decimal number (an optional minus sign, digits with an
// optional point and exponent), rounded to the nearest 80-bit value; one
// below the normal range reads as the subnormal value it rounds to. False
// for any other text and for a value beyond the range of numbers either way
// (above the largest, or so small that it rounds to zero).
bool ReadDecimal(std::string_view text, long double &value);

} // namespace ov
