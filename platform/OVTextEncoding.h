// Text encodings of program and data files: the encoding of a file detected
// from its bytes, the encodings' names, and reading and writing text
// in them.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>


namespace ov {

// The longest string a run makes, in UTF-16 units (256 MiB): a longer
// result, file text or file line is error 30101 before its memory is asked for.
constexpr qsizetype StringLengthLimit = qsizetype(1) << 27;

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

// The window of bytes that detection decides on: the start of a text, or,
// when that is all seven-bit, the bytes from the first byte above 127.
constexpr qsizetype DetectionLength = 1024;

// The kind's name ("SJIS" ... "UTF-32BE"); "Default" for any other value.
QString EncodingKindName(int32_t kind);
// The kind of such a name, compared exactly; ekDefault for any other name.
EncodingKind EncodingKindOfName(const QString &name);

// ---------------------------------------------------------------- encodings

// Code pages with a meaning of their own here. The system's ANSI code page
// is 932 on every system.
constexpr int32_t cpShiftJis = 932;
constexpr int32_t cpAnsi = cpShiftJis;
constexpr int32_t cpEucJp = 20932;
constexpr int32_t cpJis = 50220;     // 50221 and 50222 are written the same way
constexpr int32_t cpUtf16LE = 1200;
constexpr int32_t cpUtf16BE = 1201;
constexpr int32_t cpUtf32LE = 12000;
constexpr int32_t cpUtf32BE = 12001;
constexpr int32_t cpUtf8 = 65001;
constexpr int32_t cpAscii = 20127;

// An encoding that text is read and written in: a code page, and whether a
// file written in it begins with the encoding's byte-order mark.
struct TextEncoding {
    int32_t CodePage = cpAnsi;
    bool WriteBom = false;
};

inline bool operator==(const TextEncoding &a, const TextEncoding &b)
{
    return a.CodePage == b.CodePage && a.WriteBom == b.WriteBom;
}

// The encoding of a detected kind: the UTF-16 and UTF-32 forms and
// "UTF-8BOM" write their mark; anything outside 0 to 8 is the ANSI code page.
TextEncoding EncodingOfKind(int32_t kind);
// The encoding of a code page: 1200 and 1201 UTF-16 with its mark, 12000
// and 12001 UTF-32 with its mark, 0 the ANSI code page, any other number
// that code page without a mark (65001 thus without one). Nothing when no
// encoding exists for the number.
std::optional<TextEncoding> EncodingOfCodePage(int32_t codePage);
// The encoding of a name as the editor shows it: the kinds' names, "ASCII"
// and "Default", compared exactly; any other name gives the ANSI code page.
TextEncoding GetEncodingByName(const QString &name);
// The encoding detected in a file.
TextEncoding GetFileEncoding(const QString &path);

// The byte-order mark of the encoding's Unicode form; empty for the other
// code pages. Written only when WriteBom is set.
QByteArray EncodingMark(int32_t codePage);
// Text to bytes, without a mark. A character the encoding cannot hold is
// written as "?", and so is a lone surrogate.
QByteArray EncodeText(QStringView text, const TextEncoding &encoding);
// The same in the encoding of a detected kind.
QByteArray EncodeText(QStringView text, EncodingKind kind);
// Bytes to text. The mark of the encoding's Unicode form at the start is
// dropped; a byte that does not decode reads as U+FFFD.
QString DecodeText(const QByteArray &bytes, const TextEncoding &encoding);
// Writes a whole file: the mark when the encoding writes one, then the text,
// as ReplaceFileKeepingBackup writes it (without a backup), so a failure
// leaves the old file as it was. False when the file cannot be written in full.
bool WriteTextFile(const QString &path, const QString &text, const TextEncoding &encoding);

// Decodes a text that arrives in blocks: a character cut at the end of one
// block, and the shift state of ISO-2022-JP, carry over to the next, so the
// blocks give the same text as the whole bytes would.
class BlockDecoder {
public:
    explicit BlockDecoder(const TextEncoding &encoding) : encoding_(encoding) {}
    // The text of the next block. `last` marks the final block (which may be
    // empty): whatever is still held is decoded with it.
    QString Decode(QByteArrayView block, bool last);

private:
    TextEncoding encoding_;
    QByteArray rest_;         // the start of a character the next block completes
    bool atStart_ = true;     // the encoding's mark is still to be dropped
    int jisSet_ = 0;          // ISO-2022-JP: the character set shifted to
    bool jisShiftedOut_ = false;
};

// ---------------------------------------------------------------- detection

// The encoding of a text from its first DetectionLength bytes: a byte-order
// mark, else JIS escape sequences, else the best-scoring valid one of
// Shift_JIS, EUC-JP and UTF-8; ekDefault for an empty text and for ties.
// When those bytes are all seven-bit, the text is read on: a JIS escape
// sequence before any byte above 127 makes it JIS, else the DetectionLength
// bytes from the first byte above 127 are scored; a seven-bit text without
// escape sequences is ekDefault.
EncodingKind DetectEncoding(QByteArrayView text);
// Detection on a file, read in blocks only as far as it needs; ekDefault
// when it is empty or unreadable.
EncodingKind DetectFileEncoding(const QString &path);
// The name of the encoding detected in a file.
QString GetFileEncodingName(const QString &path);

// ---------------------------------------------------------------- reading

// Bytes in an encoding to text. The encoding's byte-order mark at the start
// is dropped; a byte that does not decode reads as U+FFFD.
QString DecodeText(const QByteArray &bytes, EncodingKind kind);
// A whole file as the editor opens it: its encoding detected, the whole file
// decoded in it. False when it cannot be read or has
// more bytes than a string holds units (StringLengthLimit).
bool ReadTextFile(const QString &path, QString &text, EncodingKind *detected = nullptr);
// The lines of a text: CR LF, LF and a lone CR each end a line; a line end at
// the very end adds no empty line.
QStringList SplitTextLines(const QString &text);

} // namespace ov
