#include "platform/OVDecimalText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace ov {

namespace {

// The C locale, whose decimal point is "." whatever the user's locale.
locale_t CLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return locale;
}

// A text that from_chars has found to be a number out of its range: the
// subnormal value it rounds to, when it is one (strtold rounds those
// correctly, from_chars gives up on them).
bool ReadSubnormal(std::string_view text, long double &value)
{
    if (CLocale() == locale_t(nullptr))
        return false;
    const std::string number(text);
    char *end = nullptr;
    const long double read = strtold_l(number.c_str(), &end, CLocale());
    if (end != number.c_str() + number.size() || !std::isfinite(read) || read == 0)
        return false;
    value = read;
    return true;
}

} // namespace

bool ReadDecimal(std::string_view text, long double &value)
{
    const char *first = text.data();
    const char *last = first + text.size();
    long double read = 0;
    const auto [end, fault] = std::from_chars(first, last, read, std::chars_format::general);
    if (first == last || end != last)
        return false;
    if (fault == std::errc::result_out_of_range)
        return ReadSubnormal(text, value);
    if (fault != std::errc() || !std::isfinite(read))
        return false;
    value = read;
    return true;
}

} // namespace ov
