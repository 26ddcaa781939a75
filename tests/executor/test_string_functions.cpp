#include "executor/OVDisplayWidth.h"
#include "executor/OVStack.h"
#include "executor/OVStrFunc.h"
#include "language/OVStrTbl.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <variant>

using namespace ov;

namespace {

using Arg = std::variant<long double, QString>;

const QString kGrin = QString::fromUtf8("😀");  // U+1F600, a surrogate pair
const QString kHigh = QString(QChar(0xD83D));   // a lone high surrogate

// Runs function f on a fresh stack holding the arguments, deepest first.
void Call(int32_t f, std::initializer_list<Arg> args)
{
    InitStacks();
    ClearError();
    for (const Arg &a : args) {
        if (auto *n = std::get_if<long double>(&a))
            PushNumber(*n);
        else
            PushString(std::get<QString>(a));
    }
    ASSERT_TRUE(DispatchStringFunction(f)) << f;
}

QString Str(int32_t f, std::initializer_list<Arg> args)
{
    Call(f, args);
    EXPECT_EQ(ErrorNumber, 0) << f;
    EXPECT_EQ(TagStackTop, 1) << f;
    return PopString();
}

long double Num(int32_t f, std::initializer_list<Arg> args)
{
    Call(f, args);
    EXPECT_EQ(ErrorNumber, 0) << f;
    EXPECT_EQ(TagStackTop, 1) << f;
    return PopNumber();
}

void ExpectError(int32_t f, std::initializer_list<Arg> args, int number, int subject)
{
    Call(f, args);
    EXPECT_EQ(ErrorNumber, number) << f;
    EXPECT_EQ(ErrorSubject, subject) << f;
    EXPECT_LE(TagStackTop, int(args.size())) << f;  // nothing pushed
}

QString U(const char *utf8) { return QString::fromUtf8(utf8); }

} // namespace

TEST(StringFunctions, SurrogatePairIsOneCharacter)
{
    const QString s = "a" + kGrin + "b";
    for (int32_t f : {fnLEN, fnKLEN})
        EXPECT_EQ(Num(f, {s}), 3);
    EXPECT_EQ(Str(fnLEFT_STR, {s, 2.0L}), "a" + kGrin);
    EXPECT_EQ(Str(fnKRIGHT_STR, {s, 2.0L}), kGrin + "b");
    EXPECT_EQ(Str(fnMID_STR, {s, 2.0L, 1.0L}), kGrin);
    EXPECT_EQ(Str(fnKMID_STR, {s, 3.0L, 5.0L}), "b");
    EXPECT_EQ(Str(fnMID_STR, {s, 4.0L, 1.0L}), "");  // past the last character, though not the last unit
    EXPECT_EQ(Num(fnINSTR, {1.0L, s, QString("b")}), 4);  // INSTR counts units
    EXPECT_EQ(Num(fnLEN, {kHigh + "a"}), 2);              // a lone surrogate is a character

    EXPECT_EQ(Num(fnASCU, {kGrin}), 0x1F600);
    EXPECT_EQ(Str(fnCHRU, {(long double)0x1F600}), kGrin);
    EXPECT_EQ(Num(fnASCU, {kHigh + "a"}), 0xD83D);      // only a valid pair combines
    EXPECT_EQ(Num(fnASCU, {kHigh}), 0xD83D);
    EXPECT_EQ(Num(fnASCW, {kGrin}), 0xD83D);
    EXPECT_EQ(Num(fnASCW, {U("あ")}), 12354);
    EXPECT_EQ(Str(fnCHRW, {65536.0L + 65}), "A");
    Call(fnISSURROGATE, {kGrin});
    EXPECT_TRUE(PopBool());
    Call(fnISSURROGATE, {QString("a")});
    EXPECT_FALSE(PopBool());
}

TEST(StringFunctions, CountsAndPositionsAtTheirLimits)
{
    EXPECT_EQ(Str(fnLEFT_STR, {QString("abc"), 5.0L}), "abc");
    EXPECT_EQ(Str(fnLEFT_STR, {QString("abc"), 1e300L}), "abc");
    EXPECT_EQ(Str(fnRIGHT_STR, {QString("abc"), 0.0L}), "");
    EXPECT_EQ(Str(fnRIGHT_STR, {QString("abc"), 1e30L}), "abc");
    EXPECT_EQ(Str(fnMID_STR, {QString("abcdef"), 2.0L, 3.0L}), "bcd");
    EXPECT_EQ(Str(fnMID_STR, {QString("abcdef"), 7.0L, 1.0L}), "");
    EXPECT_EQ(Str(fnMID_STR, {QString("abcdef"), 2.0L, 0.0L}), "");
    // start + length would wrap a 32- or 64-bit integer
    EXPECT_EQ(Str(fnMID_STR, {QString("abcdef"), 2.0L, 4294967295.0L}), "bcdef");
    EXPECT_EQ(Str(fnMID_STR, {QString("abcdef"), 3.0L, 1e30L}), "cdef");
    EXPECT_EQ(Str(fnMID_STR, {QString("abcdef"), 1e30L, 1e30L}), "");
    // Counts truncate toward zero however close they come to the next whole number.
    EXPECT_EQ(Str(fnMID_STR, {QString("abcdef"), 2.9999999999999999L, 1.99999L}), "b");
    EXPECT_EQ(Str(fnMID_STR, {QString("abcdef"), 0.5L, 2.0L}), "");
    EXPECT_EQ(Str(fnLEFT_STR, {QString("abcdef"), 0x1p53L - 1}), "abcdef");
    EXPECT_EQ(Str(fnRIGHT_STR, {QString("abcdef"), 1e-4940L}), "");

    EXPECT_EQ(Num(fnINSTR, {1.0L, QString("abcabc"), QString("c")}), 3);
    EXPECT_EQ(Num(fnKINSTR, {4.0L, QString("abcabc"), QString("c")}), 3);  // within the tail
    EXPECT_EQ(Num(fnINSTR, {-7.0L, QString("abcabc"), QString("b")}), 2);
    EXPECT_EQ(Num(fnINSTR, {1e30L, QString("abc"), QString("c")}), 0);
    EXPECT_EQ(Num(fnINSTR, {1.0L, QString("abc"), QString()}), 0);

    EXPECT_EQ(Str(fnREPLACE_STR, {QString("aaa"), QString("aa"), QString("b")}), "ba");
    EXPECT_EQ(Str(fnREPLACE_STR, {QString("abc"), QString(), QString("x")}), "abc");
    EXPECT_EQ(Str(fnSPACE_STR, {-3.0L}), "   ");
    EXPECT_EQ(Str(fnSPC, {1024.0L}).size(), 1024);
    EXPECT_EQ(Str(fnSTRING_STR, {300.0L, 65.0L}), QString(255, u'A'));
    EXPECT_EQ(Str(fnSTRING_STR, {2.0L, QString("ab")}), "abab");
    EXPECT_EQ(Str(fnSTRING_STR, {-1.0L, QString("ab")}), "");
    EXPECT_EQ(Str(fnSTRING_STR, {2.0L, 65536.0L + 0x3042}), U("ああ"));
    EXPECT_EQ(Str(fnTRIM_STR, {U("\t x \n")}), "x");
    EXPECT_EQ(Str(fnLTRIM_STR, {U("　x ")}), U("　x "));  // the full-width blank stays
    EXPECT_EQ(Str(fnRTRIM_STR, {U(" x ")}), " x");
}

TEST(StringFunctions, ErrorsAndTheirSubjects)
{
    ExpectError(fnASC, {QString()}, 50011, fnASC);
    ExpectError(fnASCU, {1.0L}, 50011, fnASCU);
    ExpectError(fnISSURROGATE, {QString()}, 50011, fnISSURROGATE);
    ExpectError(fnCHR, {QString("x")}, 50011, fnCHR_STR);
    ExpectError(fnCHRU, {-1.0L}, 50012, fnCHRU);
    ExpectError(fnCHRU, {1114112.0L}, 50012, fnCHRU);
    ExpectError(fnCHRW, {1e20L}, 50012, fnCHRW);
    ExpectError(fnKINSTR, {QString("a"), QString("a"), 1.0L}, 50011, fnINSTR);
    ExpectError(fnKLEFT_STR, {1.0L, QString("a")}, 50011, fnLEFT_STR);
    ExpectError(fnLEFT_STR, {QString("abc"), -1.0L}, 54093, 0);
    ExpectError(fnRIGHT_STR, {QString("abc"), -0.5L}, 54093, 0);
    ExpectError(fnMID_STR, {QString("abc"), 0.0L, 1.0L}, 54093, 0);
    ExpectError(fnMID_STR, {QString("abc"), 1.0L, -1.0L}, 54093, 0);
    ExpectError(fnSPC, {QString("3")}, 50011, fnSPACE_STR);
    ExpectError(fnSPACE_STR, {1025.0L}, 1026, 0);
    ExpectError(fnSPACE_STR, {-1e30L}, 1026, 0);
    ExpectError(fnSTRING_STR, {1e20L, 65.0L}, 50012, fnSTRING_STR);
    ExpectError(fnREPLACE_STR, {QString("a"), 1.0L, QString("b")}, 50011, fnREPLACE_STR);
    ExpectError(fnSPLIT_STR, {0.0L, QString("a"), 1.0L}, 50011, fnSPLIT_STR);
    ExpectError(fnUCASE_STR, {1.0L}, 50011, fnUCASE_STR);
    ExpectError(fnTRIM_STR, {1.0L}, 50011, fnTRIM_STR);
    ExpectError(OneMoreArgBase + fnNORMALIZE, {QString("a"), 1.0L}, 50011, fnNORMALIZE);
    for (long double mode : {0.0L, 3.0L, 5.0L, 33.0L, -1.0L, 1e30L})
        ExpectError(fnSTRCONV, {QString("a"), mode}, 50012, fnSTRCONV);
    ExpectError(fnSTRCONV, {1.0L, QString("a")}, 50011, fnSTRCONV);
    ExpectError(fnSTRCONV, {QString(2050, u'a'), 4.0L}, 54120, fnSTRCONV);
    ExpectError(fnAKCNV_STR, {QString(2050, u'a')}, 54120, fnAKCNV_STR);
    ExpectError(fnKACNV_STR, {QString(4099, u'a')}, 54120, fnKACNV_STR);

    // A type error leaves the arguments where they were.
    Call(fnMID_STR, {QString("abc"), QString("1"), 1.0L});
    EXPECT_EQ(TagStackTop, 3);
}

TEST(StringFunctions, AnsiCodePage932)
{
    EXPECT_EQ(Num(fnASC, {QString("A")}), 65);
    EXPECT_EQ(Num(fnASC, {U("あ")}), 0x82);  // the lead byte
    EXPECT_EQ(Num(fnASC, {U("ｱ")}), 0xB1);
    EXPECT_EQ(Num(fnASC, {kGrin}), '?');     // not in the code page
    EXPECT_EQ(Num(fnASC, {kHigh}), '?');
    EXPECT_EQ(Str(fnCHR_STR, {177.0L}), U("ｱ"));
    EXPECT_EQ(Str(fnCHR, {256.0L + 65}), "A");
    EXPECT_EQ(Str(fnCHR, {0.0L}), QString(QChar(0)));
    // The bytes glibc lacks map as Windows maps them, both ways.
    for (int byte : {0x80, 0xA0, 0xFD, 0xFE, 0xFF}) {
        const QString c = Str(fnCHR, {(long double)byte});
        ASSERT_EQ(c.size(), 1);
        EXPECT_EQ(Num(fnASC, {c}), byte) << byte;
    }
    EXPECT_EQ(Str(fnCHR, {-1.0L}), QString(QChar(0xF8F3)));
}

TEST(StringFunctions, WidthKanaAndCaseMapping)
{
    EXPECT_EQ(LCMapText(U("ｶﾞﾊﾟｳﾞﾜﾞｱﾞﾞ ｡A~"), lcmFullWidth), U("ガパヴヷア゛゛　。Ａ～"));
    EXPECT_EQ(LCMapText(U("ガパヴヷヰ　。Ａ～が"), lcmHalfWidth), U("ｶﾞﾊﾟｳﾞﾜﾞヰ ｡A~が"));
    EXPECT_EQ(LCMapText(U("ゔゝかカ"), lcmKatakana), U("ヴヽカカ"));
    EXPECT_EQ(LCMapText(U("ヴヽカヷｶ"), lcmHiragana), U("ゔゝかヷｶ"));
    EXPECT_EQ(LCMapText(U("ｶﾞ"), lcmFullWidth | lcmHiragana), U("が"));
    EXPECT_EQ(LCMapText(U("が"), lcmHalfWidth | lcmKatakana), U("ｶﾞ"));
    EXPECT_EQ(LCMapText(U("ｶa"), lcmFullWidth | lcmHalfWidth), U("ｶa"));

    // The whole mapping comes back, however much it grows, nulls included.
    const QString voiced = QString(4098, QChar(0x30AC));  // ガ
    EXPECT_EQ(Str(fnKACNV_STR, {voiced}), U("ｶﾞ").repeated(4098));
    EXPECT_EQ(Str(fnAKCNV_STR, {QString("a") + QChar(0) + "b"}), U("ａ") + QChar(0) + U("ｂ"));

    const QString deseret = U("𐐨");  // U+10428, upper case U+10400
    EXPECT_EQ(Str(fnSTRCONV, {U("aｂ") + deseret + "ß", 1.0L}), U("AＢ𐐀ß"));
    EXPECT_EQ(Str(fnLCASE_STR, {U("AＢ𐐀")}), U("aｂ") + deseret);
    EXPECT_EQ(Str(fnUCASE_STR, {U("éi")}), U("ÉI"));
    EXPECT_EQ(Str(fnSTRCONV, {U("ｶｷ"), 4.0L}), U("カキ"));
    EXPECT_EQ(Str(fnSTRCONV, {U("ＡＢ"), 8.0L}), "AB");
    EXPECT_EQ(Str(fnSTRCONV, {U("ひら"), 16.9L}), U("ヒラ"));
    EXPECT_EQ(Str(fnSTRCONV, {U("カタ"), 32.0L}), U("かた"));
}

TEST(StringFunctions, Normalisation)
{
    const QString decomposed = U("e\u0301");
    QString result = "x";
    EXPECT_TRUE(NormalizeText(QString(), result, nfNone));
    EXPECT_TRUE(result.isEmpty());
    EXPECT_FALSE(NormalizeText(decomposed, result, 3));
    EXPECT_TRUE(NormalizeText(U("é"), result, nfD));
    EXPECT_EQ(result, decomposed);

    EXPECT_EQ(Str(fnNORMALIZE, {decomposed}), U("é"));
    const int32_t withForm = OneMoreArgBase + fnNORMALIZE;
    EXPECT_EQ(Str(withForm, {U("ｶﾞ"), QString("nfkc")}), U("ガ"));
    EXPECT_EQ(Str(withForm, {U("ｶﾞ"), QString("NFC")}), U("ｶﾞ"));
    EXPECT_EQ(Str(withForm, {U("ガ"), QString("Nfkd")}), U("カ\u3099"));
    EXPECT_EQ(Str(withForm, {decomposed, QString("NF")}), decomposed);  // unknown form: unchanged
}

TEST(StringFunctions, SplitTakesFieldsOffTheVariable)
{
    InitStrTables();
    StrVars.resize(3);
    StrVarCount = 2;
    StrVars[1].Value = "a,,bc,";
    StrVars[2].Kind = svArray;

    QStringList fields;
    for (int guard = 0; !StrVars[1].Value.isEmpty() && guard < 10; ++guard)
        fields << Str(fnSPLIT_STR, {1.0L, StrVars[1].Value, QString(",")});
    EXPECT_EQ(fields, QStringList({"a", "", "bc"}));

    StrVars[1].Value = "x::y";
    EXPECT_EQ(Str(fnSPLIT_STR, {1.0L, StrVars[1].Value, QString("::")}), "x");
    EXPECT_EQ(StrVars[1].Value, "y");
    EXPECT_EQ(Str(fnSPLIT_STR, {1.0L, StrVars[1].Value, QString("::")}), "y");
    EXPECT_EQ(StrVars[1].Value, "");
    // An empty delimiter is never found, so a loop on it ends.
    StrVars[1].Value = "ab";
    EXPECT_EQ(Str(fnSPLIT_STR, {1.0L, StrVars[1].Value, QString()}), "ab");
    EXPECT_EQ(StrVars[1].Value, "");

    // No variable (index 0), an array record, an index out of range.
    EXPECT_EQ(Str(fnSPLIT_STR, {0.0L, QString("p;q"), QString(";")}), "p");
    EXPECT_EQ(Str(fnSPLIT_STR, {2.0L, QString("p;q"), QString(";")}), "p");
    EXPECT_EQ(StrVars[2].Value, "");
    EXPECT_EQ(Str(fnSPLIT_STR, {99.0L, QString("p;q"), QString(";")}), "p");
}

namespace {

// The characters of s: a high surrogate followed by a low one is one.
QStringList Characters(const QString &s)
{
    QStringList chars;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const bool pair = i + 1 < s.size() && s[i].isHighSurrogate() && s[i + 1].isLowSurrogate();
        chars << s.mid(i, pair ? 2 : 1);
        i += pair ? 1 : 0;
    }
    return chars;
}

} // namespace

// The scans four units at a time against a character-by-character model, on
// strings of every length around the four-unit steps, with and without
// surrogates (a pair, a lone half) at every place.
TEST(StringFunctions, SlicesAndSearchesAgreeWithTheCharacterModel)
{
    QStringList texts;
    const QString base = QStringLiteral("abcabcaXbcab");
    for (qsizetype n = 0; n <= base.size(); ++n)
        texts << base.left(n);
    for (qsizetype at = 0; at <= 9; ++at) {
        texts << QString(base).insert(at, kGrin);
        texts << QString(base).left(9).insert(at, kHigh);
        texts << QString(base).left(9).insert(at, QChar(0xDC00));  // a lone low half
    }
    for (const QString &s : texts) {
        const QStringList chars = Characters(s);
        const auto count = chars.size();
        EXPECT_EQ(Num(fnLEN, {s}), count) << s.toStdString();
        for (qsizetype n = 0; n <= count + 1; ++n) {
            EXPECT_EQ(Str(fnLEFT_STR, {s, (long double)n}), chars.mid(0, n).join(QString()));
            EXPECT_EQ(Str(fnRIGHT_STR, {s, (long double)n}), chars.mid(std::max<qsizetype>(0, count - n)).join(QString()));
            for (qsizetype start = 1; start <= count + 2; ++start)
                EXPECT_EQ(Str(fnMID_STR, {s, (long double)start, (long double)n}), chars.mid(start - 1, n).join(QString()))
                    << s.toStdString() << " " << start << " " << n;
        }
        for (const QString &t : {QStringLiteral("a"), QStringLiteral("ab"), QStringLiteral("bca"),
                                 QStringLiteral("cab"), QStringLiteral("X"), QStringLiteral("aXb"),
                                 QStringLiteral("abcabcaXbcab"), QStringLiteral("z"), kGrin, kHigh}) {
            for (qsizetype from = -1; from <= s.size() + 1; ++from) {
                const qsizetype tail = std::max<qsizetype>(from, 1) - 1;
                const qsizetype found = tail >= s.size() ? -1 : s.indexOf(t, tail);
                EXPECT_EQ(Num(fnINSTR, {(long double)from, s, t}), found < 0 ? 0 : found - tail + 1)
                    << s.toStdString() << " " << t.toStdString() << " " << from;
            }
        }
    }
}
