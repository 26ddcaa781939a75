#include "language/OVDeclared.h"
#include "language/OVLineScanner.h"
#include "language/OVPreScan.h"
#include "lexer_fixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace ov;

namespace {

class PreScan : public LexerFixture {
protected:
    // A fresh interpreter, then the pre-scan over the text.
    static void Run(const QString &text)
    {
        ErrorNumber = 0;
        ErrorSubject = 0;
        InitInterpreter();
        IncludeOffset = 0;
        Scan(text);
        PreScanDeclarations();
    }

    static void ExpectDeclared(const QString &name, uint8_t kind)
    {
        const int32_t index = FindDeclared(name);
        ASSERT_NE(index, 0) << name.toStdString();
        EXPECT_EQ(DeclaredKind(index), kind) << name.toStdString();
    }

    QString WriteFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    QTemporaryDir dir_;
};

const QString kTail = QStringLiteral("\r\n") + QChar(0) + QChar(0);

} // namespace

TEST_F(PreScan, RoutinesAreNumberedAndScopeTheirLocals)
{
    Run(QStringLiteral("DIM G(10), N$\r\n"
                       "SUB First(X, Y$ AS STRING)\r\n"
                       "  DIM L(3)\r\n"
                       "END SUB\r\n"
                       "DEF FNTwice(V) = V * 2\r\n"
                       "FUNCTION Third$(Z)\r\n"
                       "  DIM K AS BOOLEAN\r\n"
                       "  EXIT FUNCTION\r\n"
                       "ENDFUNCTION\r\n"
                       "PUBLIC P\r\n"
                       "DIM H"));
    ASSERT_EQ(ErrorNumber, 0);
    EXPECT_EQ(RoutineCount, 3);
    ExpectDeclared(QStringLiteral("G"), dkDim);
    ExpectDeclared(QStringLiteral("N$"), dkDim + 1);
    ExpectDeclared(QStringLiteral("FIRST"), dkSub);
    ExpectDeclared(QStringLiteral("0001X"), dkLocal);
    ExpectDeclared(QStringLiteral("0001Y$"), dkLocal + 1);
    ExpectDeclared(QStringLiteral("0001L"), dkLocal);
    ExpectDeclared(QStringLiteral("FNTWICE"), dkFunction);
    ExpectDeclared(QStringLiteral("THIRD$"), dkFunction + 1);
    ExpectDeclared(QStringLiteral("0003Z"), dkLocal);
    ExpectDeclared(QStringLiteral("0003K"), dkLocal + 2);
    // END SUB in two words and ENDFUNCTION both closed their scopes.
    ExpectDeclared(QStringLiteral("P"), dkPublic);
    ExpectDeclared(QStringLiteral("H"), dkDim);
    EXPECT_EQ(DeclContext, dcNone);
    EXPECT_TRUE(ScopePrefix.isEmpty());
}

TEST_F(PreScan, OptionExplicitOnlyBeforeTheFirstStatement)
{
    Run(QStringLiteral("REM settings\r\n' more\r\nOPTION EXPLICIT ' 宣言を強制\r\nA = 1"));
    EXPECT_EQ(ErrorNumber, 0);
    EXPECT_EQ(OptionExplicitOn, 1);

    Run(QStringLiteral("OPTION EXPLICIT ON"));
    EXPECT_EQ(ErrorNumber, 0);
    EXPECT_EQ(OptionExplicitOn, 1);

    Run(QStringLiteral("OPTION EXPLICIT OFF"));
    EXPECT_EQ(ErrorNumber, 0);
    EXPECT_EQ(OptionExplicitOn, 0);

    Run(QStringLiteral("PRINT 1\r\nOPTION EXPLICIT"));
    EXPECT_EQ(ErrorNumber, 55004);
    EXPECT_EQ(OptionExplicitOn, 0);
}

TEST_F(PreScan, CommentsAndSkippedTextMayHoldAnyCharacter)
{
    Run(QStringLiteral("' 日本語のコメント\r\n"
                       "REM 100% done\r\n"
                       "{ ブロック ~ \r\n コメント }\r\n"
                       "SUB A(X) ' サブ ~\r\n"
                       "  DIM Y ' 変数\r\n"
                       "END SUB\r\n"
                       "FUNCTION F(Q) AS REAL ' 関数\r\n"
                       "END FUNCTION\r\n"
                       "DEF FNQ$(A$) = A$ + \":\" ' 文字列\r\n"
                       "PUBLIC CONST M$ = \"x\" ' 定数 ~\r\n"
                       "PRINT \"かな\""));
    EXPECT_EQ(ErrorNumber, 0);
    EXPECT_EQ(RoutineCount, 3);
    ExpectDeclared(QStringLiteral("0001Y"), dkLocal);

    Run(QStringLiteral("A = 1 { 閉じない"));  // an open block comment ends with the text
    EXPECT_EQ(ErrorNumber, 0);
    Run(QStringLiteral("A = 1 ' 日本語"));
    EXPECT_EQ(ErrorNumber, 0);
}

// The pre-scan ends a declaration where the line scanner does: at a comment
// of any form and at ":" after a type word; what a comment holds declares nothing.
TEST_F(PreScan, DeclarationsEndAtACommentOrAColon)
{
    Run(QStringLiteral("DIM A REM note: DIM X\r\n"
                       "DIM B {note: DIM Y}\r\n"
                       "PUBLIC C REM note\r\n"
                       "PUBLIC D {note}, E\r\n"
                       "PUBLIC CONST K = 1: PUBLIC F\r\n"
                       "DIM T AS BOOLEAN: PUBLIC S AS STRING: DIM R AS REAL\r\n"
                       "SUB Go(P) REM note: DIM Z\r\n"
                       "END SUB\r\n"
                       "FUNCTION Big(Q) AS BOOLEAN: DIM L AS STRING{note}\r\n"
                       "END FUNCTION"));
    ASSERT_EQ(ErrorNumber, 0);
    ExpectDeclared(QStringLiteral("A"), dkDim);
    ExpectDeclared(QStringLiteral("B"), dkDim);
    ExpectDeclared(QStringLiteral("C"), dkPublic);
    ExpectDeclared(QStringLiteral("D"), dkPublic);
    ExpectDeclared(QStringLiteral("E"), dkPublic);
    ExpectDeclared(QStringLiteral("F"), dkPublic);
    ExpectDeclared(QStringLiteral("T"), dkDim + 2);
    ExpectDeclared(QStringLiteral("S"), dkPublic + 1);
    ExpectDeclared(QStringLiteral("R"), dkDim);
    ExpectDeclared(QStringLiteral("BIG"), dkFunction + 2);
    ExpectDeclared(QStringLiteral("0002L"), dkLocal + 1);
    for (const char *inComment : {"X", "Y", "0001Z"})
        EXPECT_EQ(FindDeclared(QString::fromUtf8(inComment)), 0) << inComment;
}

TEST_F(PreScan, MisplacedDeclarationsNameTheirStatement)
{
    struct Case {
        const char *Text;
        int32_t Error;
        int32_t Subject;
    };
    const Case cases[] = {
        {"SUB A\r\nPUBLIC B\r\nEND SUB", 50024, stPUBLIC},
        {"DIM A(LEN(B$))", 50024, stDIM},
        {"DIM A(N + 1)", 50024, stDIM},
        {"DIM PRINT", 54102, stDIM},
        {"DIM X = 1", 50024, stDIM},
        {"SUB PRINT", 54102, stSUB},
        {"SUB A(X, PRINT)", 50024, stSUB},
        {"FUNCTION A(X)\r\nEND FUNCTION\r\nFUNCTION A", 52315, stFUNCTION},
        {"EXIT WHILE", 54109, 0},
        {"DO\r\nEXIT", 54109, 0},
    };
    for (const Case &c : cases) {
        Run(QString::fromUtf8(c.Text));
        EXPECT_EQ(ErrorNumber, c.Error) << c.Text;
        EXPECT_EQ(ErrorSubject, c.Subject) << c.Text;
    }
}

TEST_F(PreScan, IncludeSplicesTheFileAfterItsName)
{
    // Shift_JIS with a Japanese comment, LF line ends and no final line end.
    QByteArray bytes("' ");
    bytes += QByteArray("\x93\xFA\x96\x7B\x8C\xEA");
    bytes += "\nSUB Lib(X)\nEND SUB";
    const QString path = WriteFile(QStringLiteral("lib.ovt"), bytes);
    const QString head = QStringLiteral("INCLUDE \"") + path + QStringLiteral("\"");
    Run(head + QStringLiteral(" ' 取り込み\r\nPRINT 1"));
    ASSERT_EQ(ErrorNumber, 0);
    const QString splice = QStringLiteral("\r\n' 日本語\r\nSUB Lib(X)\r\nEND SUB\r\n:IncludeOff:\r\n");
    EXPECT_EQ(ScanText, head + splice + QStringLiteral(" ' 取り込み\r\nPRINT 1") + kTail);
    EXPECT_EQ(ScanTextLength, ScanText.size());
    EXPECT_EQ(IncludeOffset, splice.size());
    ExpectDeclared(QStringLiteral("LIB"), dkSub);
    ExpectDeclared(QStringLiteral("0001X"), dkLocal);

    // Two files, one line after the other, add up.
    const QString other = WriteFile(QStringLiteral("other.ovt"), "DIM Z");
    Run(head + QStringLiteral(" : INCLUDE \"") + other + QStringLiteral("\""));
    EXPECT_EQ(ErrorNumber, 0);
    EXPECT_EQ(IncludeOffset, splice.size() + QStringLiteral("\r\nDIM Z\r\n:IncludeOff:\r\n").size());
    ExpectDeclared(QStringLiteral("Z"), dkDim);
}

TEST_F(PreScan, IncludeFaults)
{
    Run(QStringLiteral("INCLUDE lib"));
    EXPECT_EQ(ErrorNumber, 54051);
    Run(QStringLiteral("INCLUDE \"") + dir_.filePath(QStringLiteral("missing.ovt")) + QStringLiteral("\""));
    EXPECT_EQ(ErrorNumber, 54052);
    Run(QStringLiteral("INCLUDE \"\""));
    EXPECT_EQ(ErrorNumber, 54052);

    // A file that includes itself stops at its own INCLUDE.
    const QString self = dir_.filePath(QStringLiteral("self.ovt"));
    WriteFile(QStringLiteral("self.ovt"), "A = 1\r\nINCLUDE \"" + self.toUtf8() + "\"\r\n");
    Run(QStringLiteral("INCLUDE \"") + self + QStringLiteral("\""));
    EXPECT_EQ(ErrorNumber, 54053);
}

TEST_F(PreScan, IncludePathsWithBackslashesAreRelativeToTheCurrentFolder)
{
    ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("libs")));
    WriteFile(QStringLiteral("libs/tools.ovt"), "PUBLIC T");
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir_.path()));
    Run(QStringLiteral("INCLUDE \"libs\\tools.ovt\""));
    QDir::setCurrent(saved);
    EXPECT_EQ(ErrorNumber, 0);
    ExpectDeclared(QStringLiteral("T"), dkPublic);
}
