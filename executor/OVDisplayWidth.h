// Display width of text in console columns and small Unicode helpers.
#pragma once

#include <QString>
#include <cstdint>

namespace ov {

// True when the first unit of s is wide: East Asian wide or fullwidth, or
// ambiguous while the default locale is Japanese, Chinese or Korean.
bool IsWideChar(const QString &s);
// The units of s, counting 2 for a wide unit and 1 for any other.
int StrDisplayWidth(QStringView s);
// True unless the unit is half of a surrogate pair.
bool IsSingleByteChar(char16_t unit);

// Normalisation forms, numbered as the platform numbers them.
enum NormalizationForm : int {
    nfNone = 0,
    nfC = 1,
    nfD = 2,
    nfKC = 5,
    nfKD = 6,
};

// Unicode normalisation of source in the given form. False for a form that
// is none of C, D, KC and KD (result empty); an empty source is True with an
// empty result whatever the form.
bool NormalizeText(const QString &source, QString &result, int form);

// Mapping flags of LCMapText; several may be combined.
enum LCMapFlag : uint32_t {
    lcmLowerCase = 0x100,
    lcmUpperCase = 0x200,
    lcmHiragana = 0x100000,   // katakana to hiragana
    lcmKatakana = 0x200000,   // hiragana to katakana
    lcmHalfWidth = 0x400000,  // full-width ASCII, blank and katakana to half width
    lcmFullWidth = 0x800000,  // half-width ASCII, blank and katakana to full width
};

// The whole of source mapped under the flags, as the Japanese locale maps
// it. The steps run in the order full width (a half-width katakana letter
// and a voiced mark after it join into one letter), kana, half width (a
// voiced letter splits into the half-width letter and its mark), case (by
// code point); so full width and hiragana together give hiragana, and
// katakana and half width together give half-width katakana. A step whose
// two directions are both asked for is left out.
QString LCMapText(const QString &source, uint32_t flags);

} // namespace ov
