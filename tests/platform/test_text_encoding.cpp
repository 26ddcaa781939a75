#include "platform/OVTextEncoding.h"
#include "platform/UCS4Encoding.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

using namespace ov;

namespace {

QByteArray Bytes(std::initializer_list<uint8_t> values)
{
    QByteArray bytes;
    for (const uint8_t v : values)
        bytes += char(v);
    return bytes;
}

// "日本語" in three encodings, and the text itself.
const QString kJapanese = QString::fromUtf8("日本語");
const QByteArray kSjisJapanese = Bytes({0x93, 0xFA, 0x96, 0x7B, 0x8C, 0xEA});
const QByteArray kEucJapanese = Bytes({0xC6, 0xFC, 0xCB, 0xDC, 0xB8, 0xEC});
const QByteArray kJisJapanese = QByteArray("\x1B$BF|K\\8l\x1B(B");

} // namespace

TEST(TextEncoding, ByteOrderMarksDecideFirst)
{
    EXPECT_EQ(DetectEncoding(Bytes({0xFF, 0xFE, 0x00, 0x00, 0x41, 0x00, 0x00, 0x00})), ekUtf32LE);
    EXPECT_EQ(DetectEncoding(Bytes({0xFF, 0xFE, 0x41, 0x00})), ekUtf16LE);
    EXPECT_EQ(DetectEncoding(Bytes({0x00, 0x00, 0xFE, 0xFF})), ekUtf32BE);
    EXPECT_EQ(DetectEncoding(Bytes({0xFE, 0xFF, 0x00, 0x41})), ekUtf16BE);
    EXPECT_EQ(DetectEncoding(Bytes({0xEF, 0xBB, 0xBF, 'A'})), ekUtf8Bom);
    EXPECT_EQ(DetectEncoding(Bytes({0xFF, 0xFE, 0x00})), ekUtf16LE);  // too short for UTF-32
    EXPECT_EQ(DetectEncoding(QByteArray()), ekDefault);
}

TEST(TextEncoding, JisNeedsAnEscapeBeforeAnyEightBitByte)
{
    EXPECT_EQ(DetectEncoding("PRINT " + kJisJapanese), ekJis);
    EXPECT_EQ(DetectEncoding(QByteArray("PRINT F|K\\8l")), ekDefault);  // the same without escapes
    EXPECT_EQ(DetectEncoding(QByteArray("x\x1B&@\x1B$BF|")), ekJis);
    EXPECT_EQ(DetectEncoding(QByteArray("x\x1B$(D")), ekJis);
    EXPECT_EQ(DetectEncoding(QByteArray("x\x1B$")), ekDefault);  // cut-off sequence
    // An eight-bit byte first: not JIS, so the Shift_JIS bytes decide.
    EXPECT_EQ(DetectEncoding(kSjisJapanese + kJisJapanese), ekSjis);
}

TEST(TextEncoding, ScoresChooseAmongShiftJisEucAndUtf8)
{
    EXPECT_EQ(DetectEncoding(QByteArray("10 PRINT \"A\"\r\n")), ekDefault);  // ASCII only
    EXPECT_EQ(DetectEncoding("' " + kSjisJapanese + Bytes({0xB6, 0xC5})), ekSjis);
    EXPECT_EQ(DetectEncoding("' " + kEucJapanese + Bytes({0x8E, 0xB6})), ekEuc);
    EXPECT_EQ(DetectEncoding("' " + kJapanese.toUtf8()), ekUtf8);
    // E0 A1 is one pair both in Shift_JIS and in EUC-JP: a tie.
    EXPECT_EQ(DetectEncoding(Bytes({'A', 0xE0, 0xA1})), ekDefault);
    // An invalid byte for the leading scanner: its score no longer wins.
    EXPECT_EQ(DetectEncoding(kSjisJapanese + Bytes({0x80})), ekDefault);
    // Short kana in UTF-8 are also valid Shift_JIS of the same score.
    EXPECT_EQ(DetectEncoding(QStringLiteral("PRINT \"あいうえ\"").toUtf8()), ekUtf8);
}

// Half-width katakana, A1 to DF, are single bytes in Shift_JIS (no score)
// and pairs in EUC-JP up to the first kanji, where EUC-JP fails: the text is
// Shift_JIS, however many kana lead or tie the score.
TEST(TextEncoding, ShiftJisWithHalfWidthKatakanaIsShiftJis)
{
    const QByteArray kana = Bytes({0xA1, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xDF});  // ｡ｱｲｳｴｵﾟ
    EXPECT_EQ(DetectEncoding("' " + kana + kSjisJapanese), ekSjis);
    EXPECT_EQ(DetectEncoding(Bytes({0xA1, 0xDF, 0x82, 0xA0})), ekSjis);  // ｡ﾟあ: a tie before
    EXPECT_EQ(DecodeText(kana + kSjisJapanese, EncodingOfKind(DetectEncoding(kana + kSjisJapanese))),
              QString::fromUtf8("｡ｱｲｳｴｵﾟ日本語"));
}

// 80 is a second byte of Shift_JIS (ム is 83 80, ÷ 81 80), though no first one.
TEST(TextEncoding, ShiftJisPairsMayEndIn80)
{
    const QByteArray game = Bytes({0x83, 0x51, 0x81, 0x5B, 0x83, 0x80});  // ゲーム
    EXPECT_EQ(DetectEncoding("' " + game), ekSjis);
    EXPECT_EQ(DetectEncoding(Bytes({0x81, 0x80, 0x81, 0x80})), ekSjis);
    EXPECT_EQ(DecodeText(game, EncodingOfKind(ekSjis)), QString::fromUtf8("ゲーム"));
}

TEST(TextEncoding, DetectionReadsOnlyTheFirst1024Bytes)
{
    // U+0100 twice (valid only as UTF-8), padding, then "あ" across byte 1024
    // and a byte that would make the text invalid UTF-8 if it were read.
    QByteArray bytes = Bytes({0xC4, 0x80, 0xC4, 0x80});
    bytes += QByteArray(1022 - bytes.size(), 'a');
    bytes += Bytes({0xE3, 0x81, 0x82, 0xFF});
    ASSERT_EQ(bytes.size(), 1026);
    EXPECT_EQ(DetectEncoding(bytes), ekUtf8);
}

// A text whose first 1024 bytes are seven-bit is read on: the 1024 bytes
// from its first byte above 127 decide, and a JIS escape sequence before it
// makes the text JIS.
TEST(TextEncoding, ASevenBitHeadIsReadOnToItsFirstEightBitByte)
{
    const QByteArray head(1100, 'x');
    EXPECT_EQ(DetectEncoding(head + kJapanese.toUtf8()), ekUtf8);
    EXPECT_EQ(DetectEncoding(head + kSjisJapanese), ekSjis);
    EXPECT_EQ(DetectEncoding(head + kEucJapanese + Bytes({0x8E, 0xB6})), ekEuc);
    EXPECT_EQ(DetectEncoding(QByteArray(1024, 'x') + kJapanese.toUtf8()), ekUtf8);  // just past the head
    EXPECT_EQ(DetectEncoding(head), ekDefault);
    EXPECT_EQ(DetectEncoding(QByteArray(5000, 'x') + kJisJapanese), ekJis);
    const QByteArray oneEscape("\x1B$BF|K\\8l");  // no escape back to ASCII after it
    EXPECT_EQ(DetectEncoding(QByteArray(1022, 'x') + oneEscape), ekJis);  // across the head's end
    EXPECT_EQ(DetectEncoding(head + kSjisJapanese + kJisJapanese), ekSjis);  // an eight-bit byte first

    // The window from the first byte above 127: U+0100 twice, padding, "あ"
    // across its end and a byte past it that is no UTF-8.
    QByteArray window = Bytes({0xC4, 0x80, 0xC4, 0x80});
    window += QByteArray(1022 - window.size(), 'a');
    window += Bytes({0xE3, 0x81, 0x82, 0xFF});
    EXPECT_EQ(DetectEncoding(head + window), ekUtf8);
}

// A text with a byte above 127 in its first 1024 bytes is decided there, as
// it always was, whatever follows.
TEST(TextEncoding, AnEightBitByteInTheHeadDecidesThere)
{
    QByteArray bytes = QByteArray(1000, 'x') + kSjisJapanese;
    bytes += QByteArray(1024 - bytes.size(), 'x');
    for (int i = 0; i < 100; ++i)
        bytes += kJapanese.toUtf8();
    EXPECT_EQ(DetectEncoding(bytes), ekSjis);
    // E0 A1 ties Shift_JIS and EUC-JP: still "Default", though UTF-8 follows.
    EXPECT_EQ(DetectEncoding(Bytes({'A', 0xE0, 0xA1}) + QByteArray(1100, 'x') + kJapanese.toUtf8()), ekDefault);
}

// A file is read in blocks only as far as detection needs: an escape
// sequence across two blocks is found, and a file of seven-bit text
// with its Japanese far in is UTF-8.
TEST(TextEncoding, FileDetectionReadsOnAcrossBlocks)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto detect = [&](const QByteArray &bytes) {
        QFile file(dir.filePath(QStringLiteral("t.ovt")));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        return GetFileEncodingName(file.fileName());
    };
    const QByteArray far(200000, 'x');
    EXPECT_EQ(detect(far + kJapanese.toUtf8()), QStringLiteral("UTF-8"));
    EXPECT_EQ(detect(far + kSjisJapanese), QStringLiteral("SJIS"));
    EXPECT_EQ(detect(far), QStringLiteral("Default"));
    for (const qsizetype at : {65534, 65535, 65536, 131071})
        EXPECT_EQ(detect(QByteArray(at, 'x') + "\x1B$BF|K\\8l"), QStringLiteral("JIS")) << at;
    EXPECT_EQ(detect(QByteArray(65535, 'x') + "\x1B$" + kSjisJapanese), QStringLiteral("SJIS"));

    QString text;
    EncodingKind kind = ekDefault;
    ASSERT_TRUE(ReadTextFile(dir.filePath(QStringLiteral("t.ovt")), text, &kind));
    EXPECT_EQ(kind, ekSjis);
    EXPECT_TRUE(text.endsWith(QStringLiteral("\x1B$") + kJapanese));
}

TEST(TextEncoding, KindNames)
{
    EXPECT_EQ(EncodingKindName(ekSjis), QStringLiteral("SJIS"));
    EXPECT_EQ(EncodingKindName(ekUtf16BE), QStringLiteral("Big Endian Unicode"));
    EXPECT_EQ(EncodingKindName(ekUtf8Bom), QStringLiteral("UTF-8BOM"));
    EXPECT_EQ(EncodingKindName(ekUtf32BE), QStringLiteral("UTF-32BE"));
    EXPECT_EQ(EncodingKindName(ekDefault), QStringLiteral("Default"));
    EXPECT_EQ(EncodingKindName(9), QStringLiteral("Default"));
}

TEST(TextEncoding, JapaneseCodePagesDecode)
{
    EXPECT_EQ(DecodeText(kSjisJapanese, ekSjis), kJapanese);
    EXPECT_EQ(DecodeText(kSjisJapanese, ekDefault), kJapanese);
    EXPECT_EQ(DecodeText(kEucJapanese + Bytes({0x8E, 0xB6}), ekEuc), kJapanese + QString::fromUtf8("ｶ"));
    // The single bytes glibc rejects read as Windows reads them.
    EXPECT_EQ(DecodeText(Bytes({0x80, 0xA0, 0xFD, 0xFE, 0xFF}), ekSjis),
              QString::fromUtf16(u"\u0080\uF8F0\uF8F1\uF8F2\uF8F3"));
    // A lead byte with a bad trail byte, and one cut off at the end.
    EXPECT_EQ(DecodeText(Bytes({0x81, 0x20, 'A', 0x93}), ekSjis), QString::fromUtf16(u"\uFFFD A\uFFFD"));
    EXPECT_EQ(DecodeText(Bytes({0xA1, 'B'}), ekEuc), QString::fromUtf16(u"\uFFFDB"));
}

TEST(TextEncoding, JisDecodesItsCharacterSets)
{
    EXPECT_EQ(DecodeText("A" + kJisJapanese + "\r\nB", ekJis), "A" + kJapanese + "\r\nB");
    EXPECT_EQ(DecodeText(QByteArray("\x1B(I6E\x1B(Bx"), ekJis), QString::fromUtf8("ｶﾅx"));
    EXPECT_EQ(DecodeText(QByteArray("\x0E" "6E\x0F" "x"), ekJis), QString::fromUtf8("ｶﾅx"));
    EXPECT_EQ(DecodeText(QByteArray("\x1B&@\x1B$BF|\x1B(J\\"), ekJis), QString::fromUtf8("日\\"));
    EXPECT_EQ(DecodeText(QByteArray("\x1B$BF\x1B(B"), ekJis), QString::fromUtf16(u"\uFFFD"));
    EXPECT_EQ(DecodeText(QByteArray("\x1B%Z"), ekJis), QString::fromUtf16(u"\uFFFD%Z"));
}

TEST(TextEncoding, UnicodeFormsDropTheirMarks)
{
    EXPECT_EQ(DecodeText(Bytes({0xFF, 0xFE, 'A', 0, 0xE5, 0x65}), ekUtf16LE), QString::fromUtf8("A日"));
    EXPECT_EQ(DecodeText(Bytes({0xFE, 0xFF, 0, 'A', 0x65, 0xE5}), ekUtf16BE), QString::fromUtf8("A日"));
    EXPECT_EQ(DecodeText(Bytes({0xEF, 0xBB, 0xBF, 'A', 0xFF}), ekUtf8Bom), QString::fromUtf16(u"A\uFFFD"));
    EXPECT_EQ(DecodeText(Bytes({0xEF, 0xBB, 0xBF, 'A'}), ekUtf8), QChar(0xFEFF) + QStringLiteral("A"));
    EXPECT_EQ(DecodeText(Bytes({0xFF, 0xFE, 'A', 0, 'B'}), ekUtf16LE), QString::fromUtf16(u"A\uFFFD"));
    // One supplementary character is four bytes and comes back as a pair.
    const QString grin = QString::fromUtf8("\xF0\x9F\x98\x80");
    EXPECT_EQ(DecodeText(Bytes({0xFF, 0xFE, 0, 0, 0x00, 0xF6, 0x01, 0x00}), ekUtf32LE), grin);
    EXPECT_EQ(DecodeText(Bytes({0, 0, 0xFE, 0xFF, 0x00, 0x01, 0xF6, 0x00, 0, 0, 0, 'A'}), ekUtf32BE),
              grin + "A");
}

TEST(TextEncoding, Ucs4EdgeValues)
{
    const Ucs4Encoding little;
    const QByteArray bytes = Bytes({0x00, 0x00, 0x11, 0x00, 'A', 0, 0, 0, 0x00, 0xF6, 0x01, 0x00, 'B'});
    EXPECT_EQ(little.GetChars(bytes), QString::fromUtf16(u"\uFFFDA\U0001F600\uFFFD"));
    EXPECT_EQ(little.GetCharCount(bytes), 5);
    EXPECT_EQ(little.Preamble(), Bytes({0xFF, 0xFE, 0, 0}));
    EXPECT_EQ((Ucs4Encoding{true, true}.Preamble()), Bytes({0, 0, 0xFE, 0xFF}));
    EXPECT_TRUE((Ucs4Encoding{true, false}.Preamble().isEmpty()));
}

TEST(TextEncoding, ReadsAShiftJisFileWithMixedLineEnds)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("mixed.ovt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("A\r" + kSjisJapanese + "\nB\r\n\r\nC");
    file.close();

    QString text;
    EncodingKind kind = ekDefault;
    ASSERT_TRUE(ReadTextFile(path, text, &kind));
    EXPECT_EQ(kind, ekSjis);
    EXPECT_EQ(GetFileEncodingName(path), QStringLiteral("SJIS"));
    EXPECT_EQ(SplitTextLines(text), (QStringList{"A", kJapanese, "B", "", "C"}));
    EXPECT_EQ(SplitTextLines(QStringLiteral("x\r\n")), QStringList{"x"});
    EXPECT_TRUE(SplitTextLines(QString()).isEmpty());

    EXPECT_FALSE(ReadTextFile(dir.filePath(QStringLiteral("missing.ovt")), text));
    EXPECT_EQ(GetFileEncodingName(dir.filePath(QStringLiteral("missing.ovt"))), QStringLiteral("Default"));
}

// ---------------------------------------------------------------- writing

namespace {

// Full-width tilde and minus, circled one, parenthesised "kabu", half-width
// "ga" (two characters) and a character outside the BMP.
const QString kTricky = QString::fromUtf8("A～－①㈱ｶﾞ");
const QString kGrin = QString::fromUtf8("\xF0\x9F\x98\x80");

QString RoundTrip(const QString &text, int32_t codePage)
{
    const std::optional<TextEncoding> encoding = EncodingOfCodePage(codePage);
    return encoding ? DecodeText(EncodeText(text, *encoding), *encoding) : QStringLiteral("(none)");
}

} // namespace

TEST(TextEncoding, EveryEncodingRoundTripsWhatItCanHold)
{
    for (const int32_t unicode : {cpUtf8, cpUtf16LE, cpUtf16BE, cpUtf32LE, cpUtf32BE})
        EXPECT_EQ(RoundTrip(kTricky + kGrin + "\r\n", unicode), kTricky + kGrin + "\r\n") << unicode;
    // The Japanese code pages hold all but the supplementary character,
    // which becomes one "?".
    for (const int32_t japanese : {0, cpShiftJis, cpEucJp, cpJis})
        EXPECT_EQ(RoundTrip(kTricky + kGrin + "x", japanese), kTricky + "?x") << japanese;
    EXPECT_EQ(RoundTrip(kTricky + kGrin, cpAscii), QStringLiteral("A???????"));
    EXPECT_EQ(RoundTrip(QString::fromUtf8("café 日"), 1252), QString::fromUtf8("café ?"));
}

TEST(TextEncoding, JapaneseBytesAreWindowsBytes)
{
    const TextEncoding sjis{cpShiftJis, false};
    EXPECT_EQ(EncodeText(kTricky, sjis), Bytes({'A', 0x81, 0x60, 0x81, 0x7C, 0x87, 0x40, 0x87, 0x8A, 0xB6, 0xDE}));
    // The single bytes Windows reads as U+0080 and private-use characters
    // are written back as the same bytes.
    const QByteArray singles = Bytes({0x80, 0xA0, 0xFD, 0xFE, 0xFF});
    EXPECT_EQ(EncodeText(DecodeText(singles, sjis), sjis), singles);
    EXPECT_EQ(EncodeText(kTricky, TextEncoding{cpEucJp, false}),
              Bytes({'A', 0xA1, 0xC1, 0xA1, 0xDD, 0xAD, 0xA1, 0xAD, 0xEA, 0x8E, 0xB6, 0x8E, 0xDE}));
    // JIS: seven bits, a set switched only when it changes, ASCII at the end.
    EXPECT_EQ(EncodeText(QString::fromUtf8("A日本ｶ\r\n"), TextEncoding{cpJis, false}),
              QByteArray("A\x1B$BF|K\\\x1B(I6\x1B(B\r\n"));
    EXPECT_EQ(EncodeText(QStringLiteral("plain"), TextEncoding{cpJis, false}), QByteArray("plain"));
}

TEST(TextEncoding, LoneSurrogatesNeitherCrashNorSwallowTheirNeighbours)
{
    const QString lowFirst = QString(QChar(0xDC00)) + "A";
    const QString highFirst = QString(QChar(0xD83D)) + "B";
    EXPECT_EQ(EncodeText(lowFirst + highFirst, TextEncoding{cpUtf8, false}), QByteArray("?A?B"));
    EXPECT_EQ(EncodeText(lowFirst + highFirst, TextEncoding{cpShiftJis, false}), QByteArray("?A?B"));
    EXPECT_EQ(EncodeText(highFirst + lowFirst, TextEncoding{cpJis, false}), QByteArray("?B?A"));
    // UTF-32 cannot hold them at all; the characters after them stay.
    const Ucs4Encoding big{true, true};
    EXPECT_EQ(big.GetBytes(highFirst + lowFirst + kGrin), Bytes({0, 0, 0, 'B', 0, 0, 0, 'A', 0, 1, 0xF6, 0}));
    EXPECT_EQ(big.GetByteCount(highFirst + lowFirst + kGrin), 12);
    // UTF-16 keeps every unit as it is.
    EXPECT_EQ(RoundTrip(highFirst, cpUtf16BE), highFirst);
}

TEST(TextEncoding, NamesAndCodePagesGiveEncodings)
{
    for (int32_t kind = ekSjis; kind <= ekUtf32BE; ++kind) {
        EXPECT_EQ(EncodingKindOfName(EncodingKindName(kind)), kind);
        EXPECT_EQ(GetEncodingByName(EncodingKindName(kind)), EncodingOfKind(kind));
    }
    EXPECT_EQ(GetEncodingByName(QStringLiteral("UTF-32BE")), (TextEncoding{cpUtf32BE, true}));
    EXPECT_EQ(GetEncodingByName(QStringLiteral("UTF-8BOM")), (TextEncoding{cpUtf8, true}));
    EXPECT_EQ(GetEncodingByName(QStringLiteral("ASCII")), (TextEncoding{cpAscii, false}));
    EXPECT_EQ(GetEncodingByName(QStringLiteral("utf-8")), (TextEncoding{cpAnsi, false}));
    EXPECT_EQ(GetEncodingByName(QStringLiteral("Default")), (TextEncoding{cpAnsi, false}));

    EXPECT_EQ(EncodingOfCodePage(cpUtf16LE), (TextEncoding{cpUtf16LE, true}));
    EXPECT_EQ(EncodingOfCodePage(cpUtf8), (TextEncoding{cpUtf8, false}));
    EXPECT_EQ(EncodingOfCodePage(0), (TextEncoding{cpAnsi, false}));
    EXPECT_EQ(EncodingOfCodePage(1252), (TextEncoding{1252, false}));
    EXPECT_FALSE(EncodingOfCodePage(-1));
    EXPECT_FALSE(EncodingOfCodePage(12345));
}

TEST(TextEncoding, ReadingDropsTheMarkOfTheEncodingGiven)
{
    EXPECT_EQ(DecodeText(Bytes({0xEF, 0xBB, 0xBF, '1'}), TextEncoding{cpUtf8, false}), QStringLiteral("1"));
    EXPECT_EQ(DecodeText(Bytes({0xFE, 0xFF, 0, '1'}), TextEncoding{cpUtf16BE, true}), QStringLiteral("1"));
    EXPECT_EQ(DecodeText(Bytes({0xFF, 0xFE, 0, 0, '1', 0, 0, 0}), TextEncoding{cpUtf32LE, true}),
              QStringLiteral("1"));
    EXPECT_EQ(DecodeText(Bytes({0xA4, 0xA2, 0xFF}), TextEncoding{cpEucJp, false}), QString::fromUtf16(u"あ\uFFFD"));
    EXPECT_EQ(DecodeText(Bytes({'a', 0xE9}), TextEncoding{cpAscii, false}), QString::fromUtf16(u"a\uFFFD"));
}

TEST(TextEncoding, AUtf32FileKeepsItsEncodingWhenSavedAgain)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("wide.txt"));
    const QString text = kTricky + kGrin + "\r\n";
    for (const int32_t kind : {ekUtf32LE, ekUtf32BE, ekUtf16BE, ekUtf8Bom, ekEuc}) {
        ASSERT_TRUE(WriteTextFile(path, text, EncodingOfKind(kind)));
        // what the editor does: read, show the name, save by that name
        const QString name = GetFileEncodingName(path);
        EXPECT_EQ(name, EncodingKindName(kind));
        QString read;
        ASSERT_TRUE(ReadTextFile(path, read));
        ASSERT_TRUE(WriteTextFile(path, read, GetEncodingByName(name)));
        EXPECT_EQ(DetectFileEncoding(path), kind);
        ASSERT_TRUE(ReadTextFile(path, read));
        EXPECT_EQ(read, kind == ekEuc ? kTricky + "?\r\n" : text) << name.toStdString();
    }
    EXPECT_FALSE(WriteTextFile(dir.filePath(QStringLiteral("no/such/folder.txt")), text, TextEncoding{}));
}

TEST(TextEncoding, BlocksDecodeAsTheWholeBytes)
{
    // Characters of one to four bytes, line ends, and a character cut off
    // at the very end, decoded in blocks of every small size.
    const QString text = kTricky + kGrin + "\r\n" + kJapanese + QString::fromUtf8("ｶﾞ\n") + kGrin + "x";
    std::vector<std::pair<TextEncoding, QByteArray>> cases;
    for (const int32_t codePage : {0, cpEucJp, cpJis, cpUtf8, cpUtf16LE, cpUtf16BE, cpUtf32LE, cpUtf32BE, cpAscii, 936}) {
        const std::optional<TextEncoding> encoding = EncodingOfCodePage(codePage);
        if (encoding)
            cases.emplace_back(*encoding, EncodingMark(codePage) + EncodeText(text, *encoding) + char(0xE3));
    }
    // A JIS shift that lasts across a line end and a block end.
    cases.emplace_back(TextEncoding{cpJis, false}, QByteArray("\x1B$BF|\r\nK\\\x1B(Bz\x1B$"));
    for (const auto &[encoding, bytes] : cases) {
        const QString whole = DecodeText(bytes, encoding);
        for (const qsizetype size : {1, 2, 3, 5}) {
            BlockDecoder decoder(encoding);
            QString pieces;
            for (qsizetype i = 0; i < bytes.size(); i += size)
                pieces += decoder.Decode(QByteArrayView(bytes).sliced(i, std::min(size, bytes.size() - i)), false);
            pieces += decoder.Decode({}, true);
            EXPECT_EQ(pieces, whole) << encoding.CodePage << " in blocks of " << size;
        }
    }
    EXPECT_EQ(DecodeText(cases.back().second, TextEncoding{cpJis, false}), QString::fromUtf8("日\r\n本z\uFFFD$"));
}
