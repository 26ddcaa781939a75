#include "language/OVErrorMessage.h"

#include "language/OVGetTokenUnit.h"
#include "language/OVHeader.h"

#include <QList>
#include <gtest/gtest.h>

#include <ostream>

using namespace ov;
using namespace Qt::Literals::StringLiterals;


namespace {

class ErrorMessage : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedSubject_ = ErrorSubject;
        savedSubjectText_ = ErrorSubjectText;
#define OV_TEST_STATEMENT(n, id, name) StatementNames[n] = QStringLiteral(name);
        OV_STATEMENTS(OV_TEST_STATEMENT)
#undef OV_TEST_STATEMENT
#define OV_TEST_FUNCTION(n, id, name) FunctionNames[n] = QStringLiteral(name);
        OV_FUNCTIONS(OV_TEST_FUNCTION)
#undef OV_TEST_FUNCTION
        OperatorNames[opAdd] = u"+"_s;
        OperatorNames[opAnd] = u"AND"_s;
        ErrorSubject = 0;
        ErrorSubjectText.clear();
    }

    void TearDown() override
    {
        ErrorSubject = savedSubject_;
        ErrorSubjectText = savedSubjectText_;
    }

    static QString MessageFor(int number, int32_t subject)
    {
        ErrorSubject = subject;
        return BuildErrorMessage(number);
    }

private:
    int32_t savedSubject_ = 0;
    QString savedSubjectText_;
};

}  // namespace

TEST_F(ErrorMessage, CatalogueIsSortedUniqueAndComplete)
{
    // A duplicate or an out-of-order row would hide numbers from the halving search.
    int found = 0;
    for (int n = -10; n <= 70000; ++n)
        found += IsKnownErrorNumber(n) ? 1 : 0;
    // With the program's own messages: the four graphics messages 1239, 1247,
    // 1248 and 1250, the program's length (106), the argument count (53132)
    // and the errors raised without a catalogued text: a hex literal (110),
    // a FOR header (551, 552), a GOTO or GOSUB target (606, 573), CLS's
    // mode (1106) and THEN without IF (52361).
    EXPECT_EQ(ErrorCatalogueSize(), 303);
    EXPECT_EQ(found, ErrorCatalogueSize());
    for (int n : {1, 2, 3, 101, 106, 110, 220, 551, 552, 573, 591, 606, 682, 852, 1055, 1106, 1239, 1250, 1354,
                  1403, 2142, 3502, 6001, 30103, 40003, 50031, 52361, 52384, 53131, 53132, 54131, 55001, 55005})
        EXPECT_TRUE(IsKnownErrorNumber(n)) << n;
}

TEST_F(ErrorMessage, EveryCataloguedNumberHasItsOwnText)
{
    ErrorSubject = 1;
    ErrorSubjectText = u"1"_s;
    for (int n = 1; n <= 70000; ++n) {
        if (!IsKnownErrorNumber(n))
            continue;
        const QString message = BuildErrorMessage(n);
        EXPECT_FALSE(message.isEmpty()) << n;
        EXPECT_NE(message, u"エラーです。") << n;
    }
}

TEST_F(ErrorMessage, UnknownNumbers)
{
    for (int n : {0, -1, 4, 999, 50004, 55006, 100000})
        EXPECT_EQ(BuildErrorMessage(n), u"エラーです。") << n;
}

TEST_F(ErrorMessage, FixedTexts)
{
    // Two lines.
    EXPECT_EQ(BuildErrorMessage(3006),
              u"Eof 関数の使い方に誤りがあります。\r\nEof 関数は Eof(数値) で数値は 1,2,..,8 のいずれかです。");
    // Keyword and syntax suffix; the suffix carries the line break.
    EXPECT_EQ(BuildErrorMessage(162),
              u"Def の構文に誤りがあります。\r\n関数名は数値変数または文字列変数です。");
    // Two parts run on in one line; quotes inside the text.
    EXPECT_EQ(BuildErrorMessage(133), u"正しい式ではありません。括弧や \" などの誤りが考えられます。");
    EXPECT_EQ(BuildErrorMessage(55001), u"文字列が行末まで \" で閉じていません。");
    // A first part ending in CR LF with no second part; full-width blanks kept.
    EXPECT_EQ(BuildErrorMessage(571), u"ラベル名は数値変数型でなくてはいけません。また予約語は使えません。\r\n");
    EXPECT_EQ(BuildErrorMessage(591),
              u"Def の構文に誤りがあります。\r\n Def 文は関数名の後は ( 　変数　,　）です。");
}

// Texts of the program's own, in two parts like the others.
TEST_F(ErrorMessage, ArgumentCountAndProgramLength)
{
    EXPECT_EQ(BuildErrorMessage(53132), u"Call と Sub (Function) の引数の個数があいません。\r\n"
                                        u"呼び出しの引数は Sub や Function の宣言と同じ個数にして下さい。");
    // The limit is the one the size check applies on the system named.
    const QString system = OSVersionName;
    OSVersionName = u"Debian GNU/Linux 12 (bookworm)"_s;
    const QString here = BuildErrorMessage(106);
    OSVersionName = u"XP"_s;
    const QString older = BuildErrorMessage(106);
    OSVersionName = system;
    EXPECT_EQ(here, u"プログラムが長すぎます。\r\nプログラムの長さは 1,048,576 文字までです。");
    EXPECT_EQ(older, u"プログラムが長すぎます。\r\nプログラムの長さは 262,144 文字までです。");
}

TEST_F(ErrorMessage, FunctionName)
{
    EXPECT_EQ(MessageFor(50011, fnSIN),
              u"関数 SIN の計算で引数の型の不一致が起きました。\r\n関数名または引数のミスタイプが考えられます。");
    EXPECT_EQ(MessageFor(54120, fnSIN), u"関数SINで変換文字数が多すぎます。");
    EXPECT_EQ(MessageFor(50014, fnABS), u"関数 ABS ");
}

TEST_F(ErrorMessage, OperatorName)
{
    EXPECT_EQ(MessageFor(50015, opAdd),
              u"演算子 + の計算で型の不一致が起きました。\r\n演算子または引数のミスタイプが考えられます。");
    EXPECT_EQ(MessageFor(50020, opAnd),
              u"論理演算子 AND の計算で型の不一致が起きました。\r\n演算子または引数のミスタイプが考えられます。");
}

TEST_F(ErrorMessage, StatementName)
{
    EXPECT_EQ(MessageFor(50025, 30), u"コマンド COLOR は現在サポートしていません。");
    EXPECT_EQ(MessageFor(501, stNEXT), u"NEXT文が正しく終わっていません。");
    EXPECT_EQ(MessageFor(802, stCOLOR), u"COLORの構文に誤りがあります。\r\nCOLOR On または COLOR Off です。");
    EXPECT_EQ(MessageFor(50031, stCOLOR),
              u"プロパティCOLOR の構文エラーです。\r\n指定または引数のミスタイプが考えられます。");
}

TEST_F(ErrorMessage, BlockMatchingDependsOnSubject)
{
    EXPECT_EQ(MessageFor(52304, 0), u"文の対応が不正です。");
    EXPECT_EQ(MessageFor(52304, stFOR), u"FOR文に対応する文がありません。");
    EXPECT_EQ(MessageFor(52305, 0), u"Block 文が正しくありません。");
    EXPECT_EQ(MessageFor(52305, stWHILE), u"Block 文が正しくありません。WHILE文に対応する文がありません。");
    EXPECT_EQ(MessageFor(52340, 0), u"Next が For と正しく対応していません。");
    EXPECT_EQ(MessageFor(52340, stFOR), u"Next が For と正しく対応していません。FOR文の誤りも考えられます。");
    EXPECT_EQ(MessageFor(52384, stIF), u"Exit 文で Do または For が正しく対応していません。IF文の誤りも考えられます。");
    // Other numbers of the same block add nothing.
    EXPECT_EQ(MessageFor(52341, stFOR), u"Next の構文に誤りがあります。 Next の次は数値変数です。");
}

// The block-matching numbers that name a statement add a hint pointing at it
// (ELSE without IF among them); with no statement named, and for every other
// number whose text does not carry a name, the subject changes nothing.
TEST_F(ErrorMessage, EveryStatementHintNamesTheStatement)
{
    const QString name = StatementNames[stELSE];
    const QList<int> hinted{52305, 52340, 52350, 52360, 52361, 52362, 52381, 52382, 52383, 52384};
    const QList<int> builtFromName{1,     501,   802,   50011, 50012, 50013, 50014, 50015, 50016, 50017,
                                   50018, 50020, 50022, 50023, 50024, 50025, 50026, 50031, 52304, 53000,
                                   54120};
    int walked = 0;
    for (int n = 1; n <= 70000; ++n) {
        if (!IsKnownErrorNumber(n) || builtFromName.contains(n))
            continue;
        const QString bare = MessageFor(n, 0);
        const QString named = MessageFor(n, stELSE);
        if (!hinted.contains(n)) {
            EXPECT_EQ(named, bare) << n;
            continue;
        }
        ++walked;
        const QString hint = n == 52305 ? u"文に対応する文がありません。"_s : u"文の誤りも考えられます。"_s;
        EXPECT_EQ(named, bare + name + hint) << n;
        EXPECT_FALSE(bare.contains(name)) << n;
    }
    EXPECT_EQ(walked, hinted.size());
    EXPECT_EQ(MessageFor(52362, stELSE),
              u"Else または ElsIf の構文に誤りがあります。If に対応していません。ELSE文の誤りも考えられます。");
}

// Faults the translator names with a statement or a constant, and those
// whose text says what is wrong and how the statement is written.
TEST_F(ErrorMessage, SyntaxErrorsNameTheirCulprit)
{
    EXPECT_EQ(MessageFor(53000, stDEF), u"DEF の構文に誤りがあります。\r\n");
    ErrorSubjectText = u"LIMIT"_s;
    EXPECT_EQ(MessageFor(53000, 0),
              u"LIMIT の構文に誤りがあります。\r\nLIMIT は Const で宣言した定数です。定数には代入できません。");
    ErrorSubjectText.clear();
    EXPECT_EQ(BuildErrorMessage(110),
              u"16進数 &H の書き方に誤りがあります。\r\n16進数は &H の次に 0～9，A～F を 1～8 桁続けた形です。");
    EXPECT_EQ(BuildErrorMessage(551), u"For ～ Next の構文に誤りがあります。\r\n"
                                      u" For の次は数値変数です。For 文は For 数値変数 = 式 To 式 の形です。");
    EXPECT_EQ(BuildErrorMessage(552), u"For ～ Next の構文に誤りがあります。\r\n"
                                      u" For 文に = がありません。For 文は For 数値変数 = 式 To 式 の形です。");
    EXPECT_EQ(BuildErrorMessage(606), u"Goto の構文に誤りがあります。\r\n"
                                      u"Goto 文は 「Goto *ラベル名」又は「Goto 行番号」 です。");
    EXPECT_EQ(BuildErrorMessage(573), u"Gosub の構文に誤りがあります。\r\n"
                                      u"Gosub 文は 「Gosub *ラベル名」又は「Gosub 行番号」 です。");
    EXPECT_EQ(BuildErrorMessage(1106), u"Cls 文の引数が正しくありません。\r\n"
                                       u"Cls 文は 「Cls」又は「Cls 1」，「Cls 2」，「Cls 3」 です。");
    EXPECT_EQ(MessageFor(52361, stDO), u"Then の構文に誤りがあります。If に対応していません。DO文の誤りも考えられます。");
}

TEST_F(ErrorMessage, OffendingCharacter)
{
    ErrorSubjectText = u"12354"_s;
    EXPECT_EQ(BuildErrorMessage(1),
              u"Basic で使われない文字(UNICODE:12354)が含まれています。\r\n 又は使う場所に誤りがあります。");
}

// The last entry of each table is inside it: the message names it.
TEST_F(ErrorMessage, TheLastEntryOfEachTableIsNamed)
{
    InitKeywordTables();
    EXPECT_EQ(MessageFor(50025, StatementCount), u"コマンド WRITEALLTEXT は現在サポートしていません。");
    EXPECT_EQ(MessageFor(50012, FunctionCount), u"関数 YEARTIMER の引数の値が計算できない範囲にあります。");
    EXPECT_EQ(MessageFor(50018, OperatorCount), u"演算子 ChgSgn の計算中にエラーが起きました。");
}

TEST_F(ErrorMessage, SubjectOutsideItsTableGivesEmptyName)
{
    // The first number past each table, and numbers just beside the control
    // property codes, which name their control group instead.
    for (int32_t subject : {-1, 192, 1195, 1237, 2195, 2237})
        EXPECT_EQ(MessageFor(50025, subject), u"コマンド  は現在サポートしていません。") << subject;
    EXPECT_EQ(MessageFor(50024, 1208), u"コマンド CBUTTON の構文エラーです。\r\nコマンドまたは引数のミスタイプが考えられます。");
    EXPECT_EQ(MessageFor(50011, 2209), u"関数 CLABEL の計算で引数の型の不一致が起きました。\r\n関数名または引数のミスタイプが考えられます。");
    EXPECT_EQ(MessageFor(50025, 1236), u"コマンド CTEXTBOX は現在サポートしていません。");
    EXPECT_EQ(MessageFor(50012, FunctionCount + 1), u"関数  の引数の値が計算できない範囲にあります。");
    EXPECT_EQ(MessageFor(50018, OperatorCount + 1), u"演算子  の計算中にエラーが起きました。");
    // The same subject is in range for the statement table.
    EXPECT_EQ(MessageFor(50026, FunctionCount + 1),
              u"コマンド "_s + StatementNames[FunctionCount + 1] + u" の実行中にエラーが起きました。"_s);
}
