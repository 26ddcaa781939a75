// Text encodings of program and data files: the encoding SETENCODING chose,
// and UTF-32, which the platform's codecs lack.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace ov {

extern int CurrentEncoding;  // the encoding SETENCODING chose; 0 detects it

// UTF-32: every code point as four bytes, least significant first unless
// BigEndian is set; WriteBom adds the byte-order mark.
struct Ucs4Encoding {
    bool BigEndian = false;
    bool WriteBom = true;

    // FF FE 00 00 (little-endian) or 00 00 FE FF; empty without WriteBom.
    QByteArray Preamble() const;
    // Every code point as four bytes, without the preamble: a surrogate pair
    // is one code point; a lone surrogate is left out, since UTF-32 cannot
    // hold it.
    QByteArray GetBytes(QStringView text) const;
    // The number of bytes GetBytes produces.
    qsizetype GetByteCount(QStringView text) const;
    // Every four bytes form one code point: one UTF-16 unit up to FFFF, a
    // surrogate pair above it. A value above 10FFFF and an incomplete final
    // group read as U+FFFD.
    QString GetChars(QByteArrayView bytes) const;
    // The number of UTF-16 units GetChars produces.
    qsizetype GetCharCount(QByteArrayView bytes) const;
};

} // namespace ov
