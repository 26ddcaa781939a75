// Text encodings of program and data files: the encoding of a file detected
// from its first bytes, the encodings' names, and reading text in them.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace ov {

// A file's encoding as detection reports it. Any value outside 0 to 8 is the
// system's ANSI code page ("Default"), which is code page 932 here.
enum EncodingKind : int32_t {
    ekDefault = -1,
    ekSjis = 0,       // "SJIS", code page 932
    ekEuc = 1,        // "EUC", code page 20932
    ekJis = 2,        // "JIS", code page 50220 (ISO-2022-JP)
    ekUtf16LE = 3,    // "Unicode", preamble FF FE
    ekUtf16BE = 4,    // "Big Endian Unicode", preamble FE FF
    ekUtf8 = 5,       // "UTF-8", no preamble
    ekUtf8Bom = 6,    // "UTF-8BOM", preamble EF BB BF
    ekUtf32LE = 7,    // "UTF-32LE", preamble FF FE 00 00
    ekUtf32BE = 8,    // "UTF-32BE", preamble 00 00 FE FF
};

// Detection reads no more than this many bytes from the start of a file.
constexpr qsizetype DetectionLength = 1024;

// The kind's name ("SJIS" ... "UTF-32BE"); "Default" for any other value.
QString EncodingKindName(int32_t kind);

// ---------------------------------------------------------------- detection

// The encoding of a text from its first DetectionLength bytes (later bytes
// are not looked at): a byte-order mark, else JIS escape sequences, else the
// best-scoring valid one of Shift_JIS, EUC-JP and UTF-8; ekDefault for an
// empty or seven-bit text and for ties.
EncodingKind DetectEncoding(const QByteArray &firstBytes);
// Detection on a file's first bytes; ekDefault when it is empty or unreadable.
EncodingKind DetectFileEncoding(const QString &path);
// The name of the encoding detected in a file.
QString GetFileEncodingName(const QString &path);

// ---------------------------------------------------------------- reading

// Bytes in an encoding to text. The encoding's byte-order mark at the start
// is dropped; a byte that does not decode reads as U+FFFD.
QString DecodeText(const QByteArray &bytes, EncodingKind kind);
// A whole file as the editor opens it: its encoding detected from the first
// bytes, the whole file decoded in it. False when it cannot be read.
bool ReadTextFile(const QString &path, QString &text, EncodingKind *detected = nullptr);
// The lines of a text: CR LF, LF and a lone CR each end a line; a line end at
// the very end adds no empty line.
QStringList SplitTextLines(const QString &text);

} // namespace ov
