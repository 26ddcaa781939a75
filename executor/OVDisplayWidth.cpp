#include "executor/OVDisplayWidth.h"

#include <array>
#include <cstdint>

namespace ov {

namespace {

struct WidthRange {
    char16_t first;
    char16_t last;
};

#include "executor/OVEastAsianWidth.inc"

// Ambiguous characters count as wide: the Japanese locale is the default.
constexpr bool kAmbiguousIsWide = true;

// One bit per UTF-16 unit, set for a wide unit, built at compile time so
// that the width of a unit is a single lookup in 8 KB.
using WideBits = std::array<uint64_t, 0x10000 / 64>;

constexpr void MarkRanges(WideBits &bits, const WidthRange *ranges, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        for (uint32_t unit = ranges[i].first; unit <= ranges[i].last; ++unit)
            bits[unit >> 6] |= uint64_t(1) << (unit & 63);
}

constexpr WideBits BuildWideBits()
{
    WideBits bits{};
    MarkRanges(bits, kWideRanges, std::size(kWideRanges));
    if (kAmbiguousIsWide)
        MarkRanges(bits, kAmbiguousRanges, std::size(kAmbiguousRanges));
    return bits;
}

constexpr WideBits kWideBits = BuildWideBits();

// Every unit below the first ambiguous sign U+00A1 is narrow.
constexpr char16_t kFirstWideUnit = 0x00A1;
static_assert(kAmbiguousRanges[0].first == kFirstWideUnit && kWideRanges[0].first > kFirstWideUnit);

inline bool IsWideUnit(char16_t unit)
{
    return (kWideBits[unit >> 6] >> (unit & 63)) & 1;
}

} // namespace

bool IsWideChar(const QString &s)
{
    return !s.isEmpty() && IsWideUnit(s.front().unicode());
}

int StrDisplayWidth(const QString &s)
{
    int width = int(s.size());
    for (const QChar c : s)
        if (c.unicode() >= kFirstWideUnit)
            width += IsWideUnit(c.unicode());
    return width;
}

bool IsSingleByteChar(char16_t unit)
{
    return unit < 0xD800 || unit > 0xDFFF;
}

} // namespace ov
