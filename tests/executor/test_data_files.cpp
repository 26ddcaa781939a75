// Data files on channels: programs write and read files in a temporary
// folder through the headless host, and the files' bytes are checked.
#include "executor/OVDataFile.h"
#include "executor/OVHeadlessHost.h"
#include "executor/OVInterpreter.h"
#include "executor/OVMThread.h"
#include "platform/OVTextEncoding.h"
#include "language/OVCode.h"
#include "language/OVHeader.h"
#include "tests/file_conditions.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ov;

namespace {

class DataFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        previous_ = QDir::currentPath();
        QDir::setCurrent(dir_.path());
        InitializeInterpreterUnits();
        SetRunHost(&host_);
        WriteBytes("in.txt", "1\r\n");
    }
    void TearDown() override
    {
        runs_.Join();
        SetRunHost(nullptr);
        QDir::setCurrent(previous_);
    }

    // The console lines of a program run, without the closing "OK" and the
    // empty line after it.
    QStringList Run(const QString &program)
    {
        SourceText = QString(program).replace(u'\n', QStringLiteral("\r\n"));
        RunMode = 0;
        ProgramRunning = 1;
        StopRequested = 0;
        const qsizetype before = host_.Console().Lines().size();
        EXPECT_TRUE(runs_.Start());
        runs_.Join();
        QStringList lines = host_.Console().Lines().mid(before);
        if (lines.size() >= 2 && lines.last().isEmpty() && lines[lines.size() - 2] == QStringLiteral("OK"))
            lines.resize(lines.size() - 2);
        return lines;
    }
    // The error a program stops with; 0 when it runs through.
    int ErrorOf(const QString &program)
    {
        Run(program);
        return ErrorNumber;
    }

    static void WriteBytes(const QString &name, const QByteArray &bytes)
    {
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    static QByteArray ReadBytes(const QString &name)
    {
        QFile file(name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    }

    QTemporaryDir dir_;
    QString previous_;
    HeadlessHost host_;
    RunController runs_;
};

QByteArray Bytes(std::initializer_list<uint8_t> values)
{
    QByteArray bytes;
    for (const uint8_t v : values)
        bytes += char(v);
    return bytes;
}

} // namespace

TEST_F(DataFiles, ItemsWithQuotesCommasAndBlanksComeBackAsWritten)
{
    WriteBytes("q.txt", "\"a, b\" , \"c\",plain \r\n  first, second\r\n");
    const QStringList lines = Run(QStringLiteral(
        "OPEN \"d.txt\" FOR OUTPUT AS #1\n"
        "PRINT #1, 1; \",\"; 2\n"
        "PRINT #1, 12, -3.5\n"
        "CLOSE #1\n"
        "OPEN \"d.txt\" FOR INPUT AS #2\n"
        "INPUT #2, A, B, C, D\n"
        "OPEN \"q.txt\" FOR INPUT AS #3\n"
        "INPUT #3, P$, Q$, R$\n"
        "LINE INPUT #3, L$\n"
        "PRINT A; B; C; D; EOF(2)\n"
        "PRINT P$; \"|\"; Q$; \"|\"; R$; \"|\"; L$; \"|\"; EOF(3)"));
    EXPECT_EQ(lines, (QStringList{QStringLiteral(" 1 2 12-3.5True"),
                                  QStringLiteral("a, b|c|plain|  first, second|True")}));
    EXPECT_EQ(ReadBytes("d.txt"), QByteArray(" 1, 2\r\n 12") + QByteArray(20, ' ') + "-3.5\r\n");
}

TEST_F(DataFiles, TheLastItemAndBareLineFeedsAreRead)
{
    // no line break at the end, lines ended by LF alone
    WriteBytes("raw.txt", "10 20\n30,abc");
    WriteBytes("pair.txt", "7 8");
    WriteBytes("tail.txt", "5 x");
    const QStringList lines = Run(QStringLiteral(
        "OPEN \"raw.txt\" FOR INPUT AS #1\n"
        "INPUT #1, A, B\n"
        "INPUT #1, C, S$\n"
        "PRINT A; B; C; S$; EOF(1)\n"
        "OPEN \"pair.txt\" FOR INPUT AS #2\n"
        "INPUT #2, X\n"
        "PRINT EOF(2)\n"  // the 8 pushed back is still to come
        "INPUT #2, Y\n"
        "OPEN \"tail.txt\" FOR INPUT AS #3\n"
        "INPUT #3, Z\n"
        "LINE INPUT #3, L$\n"
        "PRINT X; Y; Z; L$; EOF(2); EOF(3)"));
    EXPECT_EQ(lines, (QStringList{QStringLiteral(" 10 20 30abcTrue"), QStringLiteral("False"),
                                  QStringLiteral(" 7 8 5xTrueTrue")}));
}

TEST_F(DataFiles, WrongModesClosedChannelsAndTheEndAreErrors)
{
    const struct {
        const char16_t *Program;
        int Error;
    } cases[] = {
        {u"PRINT #1, 1", 3011},
        {u"PRINT #1,", 3011},  // a bare line end too
        {u"OPEN \"in.txt\" FOR INPUT AS #1\nPRINT #1, 1", 3012},
        {u"OPEN \"in.txt\" FOR INPUT AS #1\nPRINT #1, USING \"#\"; 1", 3012},
        {u"INPUT #4, A", 3031},
        {u"OPEN \"o.txt\" FOR OUTPUT AS #4\nINPUT #4, A", 3032},
        {u"OPEN \"in.txt\" FOR APPEND AS #4\nINPUT #4, A$", 3033},
        {u"LINE INPUT #5, A$", 3021},
        {u"OPEN \"o.txt\" FOR OUTPUT AS #5\nLINE INPUT #5, A$", 3022},
        {u"OPEN \"in.txt\" FOR APPEND AS #5\nLINE INPUT #5, A$", 3023},
        {u"OPEN \"in.txt\" FOR INPUT AS #1\nINPUT #1, A, B", 3035},
        {u"OPEN \"in.txt\" FOR INPUT AS #1\nLINE INPUT #1, A$\nLINE INPUT #1, A$", 3025},
        {u"OPEN \"in.txt\" FOR INPUT AS #1\nOPEN \"in.txt\" FOR INPUT AS #1", 3001},
        {u"OPEN \"missing.txt\" FOR INPUT AS #1", 2101},
        {u"OPEN \"missing.txt\" FOR APPEND AS #1", 2101},
        {u"OPEN \"C:\\x.txt\" FOR OUTPUT AS #1", 2101},
        {u"N$ = \"\"\nOPEN N$ FOR OUTPUT AS #1", 54092},
        {u"OPEN \"no\\such\\x.txt\" FOR OUTPUT AS #1", 50026},
        // two channels writing one file would garble it
        {u"OPEN \"o.txt\" FOR OUTPUT AS #1\nOPEN \"o.txt\" FOR APPEND AS #2", 50026},
        {u"OPEN \"in.txt\" FOR INPUT AS #1\nOPEN \"in.txt\" FOR OUTPUT AS #2", 50026},
        // a write that fails is reported, at the latest when the channel closes
        {u"OPEN \"/dev/full\" FOR OUTPUT AS #1\nPRINT #1, 1\nCLOSE #1", 50026},
        {u"OPEN \"/dev/full\" FOR OUTPUT AS #1\nPRINT #1, 1", 50026},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ErrorOf(QString::fromUtf16(c.Program)), c.Error) << QString::fromUtf16(c.Program).toStdString();

    WriteBytes("bad.txt", "12x\r\n");
    EXPECT_EQ(ErrorOf(QStringLiteral("OPEN \"bad.txt\" FOR INPUT AS #1\nINPUT #1, A")), 3041);
    EXPECT_EQ(ErrorOf(QStringLiteral("OPEN \"bad.txt\" FOR INPUT AS #1\nINPUT #1, A$\nPRINT A$")), 0);
    // two readers of one file are fine, and CLOSE without a channel closes all
    EXPECT_EQ(ErrorOf(QStringLiteral("OPEN \"in.txt\" FOR INPUT AS #1\nOPEN \"in.txt\" FOR INPUT AS #8\n"
                                     "CLOSE\nOPEN \"in.txt\" FOR INPUT AS #1\nOPEN \"in.txt\" FOR INPUT AS #8")),
              0);
}

// A whole-file write to a file that a channel writes would lose the
// channel's lines (or have them overwrite its text when the channel
// flushes): every such write is refused, whatever name it reaches the file
// by, with the error of a file the statement cannot write, and the channel
// keeps its file. Files a channel only reads are written as ever.
TEST_F(DataFiles, AFileAChannelWritesIsRefusedToEveryOtherWriter)
{
    ASSERT_TRUE(QDir().mkdir(QStringLiteral("d")));
    const QByteArray file = QFile::encodeName(dir_.filePath(QStringLiteral("f.txt")));
    const struct {
        const char *Statement;  // writes the file named @
        int Error;
        int Subject;
    } writes[] = {
        {"WRITEALLTEXT(\"@\", \"xyz\")", 50026, stWRITEALLTEXT},
        {"WRITEALLTEXT(\"@\", \"xyz\", 65001)", 50026, stWRITEALLTEXT},
        {"APPENDALLTEXT(\"@\", \"xyz\")", 50026, stAPPENDALLTEXT},
        {"DIM L$(1)\nL$(1) = \"xyz\"\nWRITEALLLINES(\"@\", L$())", 50026, stWRITEALLLINES},
        {"FILECOPY \"in.txt\", \"@\"", 2112, 0},
        {"OPEN \"@\" FOR APPEND AS #2", 50026, stOPEN},
        {"OPEN \"@\" FOR INPUT AS #2", 50026, stOPEN},
    };
    const auto check = [&](const char *who) {
        for (const char *name : {"f.txt", "hard.txt", "soft.txt", "d/../f.txt"}) {
            for (const auto &w : writes) {
                WriteBytes("f.txt", "");
                const QString statement = QString::fromUtf8(w.Statement).replace(u'@', QString::fromLatin1(name));
                Run(QStringLiteral("OPEN \"f.txt\" FOR OUTPUT AS #1\nPRINT #1, \"abc\"\n") + statement
                    + QStringLiteral("\nPRINT #1, \"def\"\nCLOSE #1"));
                EXPECT_EQ(ErrorNumber, w.Error) << who << ": " << statement.toStdString();
                EXPECT_EQ(ErrorSubject, w.Subject) << who << ": " << statement.toStdString();
                EXPECT_EQ(ReadBytes("f.txt"), "abc\r\n") << who << ": " << statement.toStdString();
            }
        }
        // A channel that reads the file leaves it to the whole-file writes.
        WriteBytes("f.txt", "old\r\n");
        EXPECT_EQ(ErrorOf(QStringLiteral("OPEN \"hard.txt\" FOR INPUT AS #1\nWRITEALLTEXT(\"f.txt\", \"xyz\")")), 0)
            << who;
        EXPECT_EQ(ReadBytes("f.txt"), "xyz") << who;
    };
    WriteBytes("f.txt", "");
    ASSERT_EQ(::link(file.constData(), QFile::encodeName(dir_.filePath(QStringLiteral("hard.txt"))).constData()), 0);
    ASSERT_EQ(::symlink("f.txt", QFile::encodeName(dir_.filePath(QStringLiteral("soft.txt"))).constData()), 0);
    check("root");
    if (::geteuid() == 0) {  // the files become the ordinary user's
        for (const char *name : {"f.txt", "d"})
            ASSERT_EQ(::chown(QFile::encodeName(dir_.filePath(QString::fromLatin1(name))).constData(),
                              ::test::OrdinaryId, ::test::OrdinaryId),
                      0);
    }
    const ::test::OrdinaryUser user(dir_.path());
    ASSERT_TRUE(user.Acting());
    check("an ordinary user");
}

TEST_F(DataFiles, SetEncodingChoosesTheEncodingOfNewFiles)
{
    const QStringList lines = Run(QStringLiteral(
        "SETENCODING(\"Shift_JIS\")\n"
        "OPEN \"sjis.txt\" FOR OUTPUT AS #1: PRINT #1, \"日①\";: CLOSE #1\n"
        "SETENCODING(\"utf-8\")\n"
        "OPEN \"utf8.txt\" FOR OUTPUT AS #1: PRINT #1, \"日😀\";: CLOSE #1\n"
        "SETENCODING(12001.9)\n"
        "OPEN \"utf32.txt\" FOR OUTPUT AS #1: PRINT #1, \"😀\";: CLOSE #1\n"
        "SETENCODING(\"iso-2022-JP\")\n"
        "OPEN \"jis.txt\" FOR OUTPUT AS #1: PRINT #1, \"ｶ\";: CLOSE #1\n"
        "SETENCODING(\"abc\")\n"
        "OPEN \"ansi.txt\" FOR OUTPUT AS #1: PRINT #1, \"ｶﾞ\";: CLOSE #1\n"
        "SETENCODING(99999)\n"
        "OPEN \"utf32.txt\" FOR INPUT AS #1: LINE INPUT #1, A$: CLOSE #1\n"
        "OPEN \"jis.txt\" FOR INPUT AS #1: LINE INPUT #1, B$: CLOSE #1\n"
        "PRINT A$; B$"));
    EXPECT_EQ(ReadBytes("sjis.txt"), Bytes({0x93, 0xFA, 0x87, 0x40}));
    EXPECT_EQ(ReadBytes("utf8.txt"), QString::fromUtf8("日😀").toUtf8());
    EXPECT_EQ(ReadBytes("utf32.txt"), Bytes({0, 0, 0xFE, 0xFF, 0, 1, 0xF6, 0}));
    EXPECT_EQ(ReadBytes("jis.txt"), QByteArray("\x1B(I6\x1B(B"));
    EXPECT_EQ(ReadBytes("ansi.txt"), Bytes({0xB6, 0xDE}));
    // detected again when read: the UTF-32 file keeps its character
    EXPECT_EQ(lines, QStringList{QString::fromUtf8("😀ｶ")});
}

TEST_F(DataFiles, AppendWritesInTheFileEncodingWithoutASecondMark)
{
    const QStringList lines = Run(QStringLiteral(
        "SETENCODING(\"UTF-16\")\n"
        "OPEN \"w.txt\" FOR OUTPUT AS #1: PRINT #1, \"日本\": CLOSE\n"
        "SETENCODING(\"AUTO\")\n"
        "OPEN \"w.txt\" FOR APPEND AS #1: PRINT #1, \"ｶﾞ\": CLOSE\n"
        "OPEN \"w.txt\" FOR INPUT AS #1\n"
        "WHILE NOT EOF(1)\n"
        "  LINE INPUT #1, L$: PRINT \"[\"; L$; \"]\"\n"
        "WEND"));
    EXPECT_EQ(ReadBytes("w.txt"), QByteArray("\xFF\xFE", 2) + EncodeText(QString::fromUtf8("日本\r\nｶﾞ\r\n"),
                                                                          TextEncoding{cpUtf16LE, false}));
    EXPECT_EQ(lines, (QStringList{QString::fromUtf8("[日本]"), QString::fromUtf8("[ｶﾞ]")}));
}

TEST_F(DataFiles, ZonesTabAndUsingFollowTheConsoleRules)
{
    Run(QStringLiteral(
        "OPEN \"z.txt\" FOR OUTPUT AS #1\n"
        "PRINT #1, 1, 2\n"
        "PRINT #1, \"ab\"; TAB(5); \"c\"; TAB(2); \"d\"\n"
        "PRINT #1, \"日本\"; TAB(6); \"x\"\n"
        "PRINT #1, USING \"##.#|&  &\"; 3.14; \"abcdef\";\n"
        "PRINT #1, \"!\"\n"
        "PRINT #1, USING \"###\"; 7,\n"
        "PRINT #1, \"z\"\n"
        "PRINT #1,\n"
        "PRINT #1, \"a\"; TAB(3)\n"
        "CLOSE"));
    EXPECT_EQ(DecodeText(ReadBytes("z.txt"), TextEncoding{}).split(QStringLiteral("\r\n")),
              (QStringList{QStringLiteral(" 1") + QString(21, u' ') + QStringLiteral(" 2"), QStringLiteral("ab   cd"),
                           QString::fromUtf8("日本  x"), QStringLiteral(" 3.1|abcd!"),
                           QStringLiteral("  7") + QString(20, u' ') + u'z', QString(), QStringLiteral("a  "),
                           QString()}));
}

TEST_F(DataFiles, LongOutputInEveryEncodingReadsBackWhole)
{
    // Many pieces of 1024 characters, each encoded on its own.
    for (const char *name : {"iso-2022-jp", "utf-8", "EUC-JP", "unicodeFFFE"}) {
        const QStringList lines = Run(QStringLiteral(
            "SETENCODING(\"%1\")\n"
            "OPEN \"long.txt\" FOR OUTPUT AS #1\n"
            "FOR I = 1 TO 1500: PRINT #1, \"あa\";: NEXT\n"
            "PRINT #1, \"ｶﾞ\"\n"
            "CLOSE\n"
            "OPEN \"long.txt\" FOR INPUT AS #1\n"
            "LINE INPUT #1, L$\n"
            "PRINT L$; EOF(1)").arg(QLatin1String(name)));
        const QString expected = QString::fromUtf8("あa").repeated(1500) + QString::fromUtf8("ｶﾞTrue");
        EXPECT_TRUE(lines == QStringList{expected}) << name << ": " << lines.join(u'/').left(80).toStdString();
    }
}

TEST_F(DataFiles, FilesListsTheFolderAndPathsUseBackslashes)
{
    ASSERT_TRUE(QDir().mkdir(QStringLiteral("sub")));
    const QStringList lines = Run(QStringLiteral(
        "OPEN \"sub\\x.txt\" FOR OUTPUT AS #1: PRINT #1, \"abc\";: CLOSE\n"
        "FILES \"sub\\*.*\"\n"
        "FILES \"*.TXT\"\n"
        "FILES \"C:\\*.*\""));
    const QString header = QStringLiteral(u"現在のパスは ") + QDir::toNativeSeparators(QDir::currentPath());
    EXPECT_EQ(lines, (QStringList{header, QStringLiteral("<DIR>          ."), QStringLiteral("<DIR>          .."),
                                  QStringLiteral("             3 x.txt"), header,
                                  QStringLiteral("             3 in.txt"), header}));
}
