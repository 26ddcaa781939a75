// The file-system functions and the whole-file reads and writes, run handler
// by handler inside a temporary folder that is the current folder meanwhile.
#include "executor/OVDataFile.h"
#include "executor/OVFileFunc.h"
#include "executor/OVInterpreter.h"
#include "executor/OVStack.h"
#include "executor/OVTranslate.h"
#include "platform/UCS4Encoding.h"
#include "language/OVCode.h"
#include "language/OVStrTbl.h"
#include "language/OVVarTable.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <initializer_list>
#include <variant>

using namespace ov;
using namespace Qt::StringLiterals;

namespace {

class FileFunctions : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        previous_ = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(dir_.path()));
        InitializeInterpreterUnits();
        InitInterpreter();
        ClearError();
    }
    void TearDown() override
    {
        CloseFileSearch();
        CurrentEncoding = 0;
        ShellProgram = u"/bin/sh"_s;
        QDir::setCurrent(previous_);
    }

    static void Put(const QString &name, const QByteArray &bytes)
    {
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    static QByteArray Bytes(const QString &name)
    {
        QFile file(name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    // Pushes the arguments, strings or numbers, on a fresh stack.
    static void Args(std::initializer_list<std::variant<QString, long double>> args)
    {
        ClearError();
        InitStacks();
        for (const auto &a : args)
            std::holds_alternative<QString>(a) ? PushString(std::get<QString>(a)) : PushNumber(std::get<long double>(a));
    }
    // Runs function f; its result, or "error N".
    static QString Run(int32_t f, std::initializer_list<std::variant<QString, long double>> args)
    {
        Args(args);
        EXPECT_TRUE(DispatchFileFunction(f));
        if (ErrorNumber != 0)
            return u"error %1"_s.arg(ErrorNumber);
        switch (TopTag()) {
        case tagString: return PopString();
        case tagBool: return PopBool() ? u"T"_s : u"F"_s;
        default: return QString::number(double(PopNumber()), 'g', 15);
        }
    }
    // Runs statement s with the whole-array cell of `array` as its operand.
    static void Exec(int32_t s, std::initializer_list<std::variant<QString, long double>> args, const char *array = nullptr)
    {
        Args(args);
        CodePos = CodeEnd + 1;
        EmitCode(CodeType{ckStrArrVar, array ? FindVar(QString::fromUtf8(array), vtString) : 0, 0});
        CodeEnd = CodePos - 1;
        CodePos = CodeEnd;
        EXPECT_TRUE(DispatchFileSystemStatement(s));
    }
    static QString &Element(const char *name, int i)
    {
        const StrVarType &r = StrVars[size_t(FindVar(QString::fromUtf8(name), vtString))];
        return StrArrayData[size_t(r.FirstElement + i)];
    }

    QTemporaryDir dir_;
    QString previous_;
};

TEST_F(FileFunctions, NamesAndFolders)
{
    ASSERT_TRUE(QDir().mkpath(u"sub/new"_s));
    Put(u"sub/a.txt"_s, "x");
    EXPECT_EQ(Run(fnFILEEXISTS, {u"sub\\a.txt"_s}), u"T"_s);
    EXPECT_EQ(Run(fnFILEEXISTS, {u"sub"_s}), u"F"_s);
    EXPECT_EQ(Run(fnFILEEXISTS, {u"C:\\sub\\a.txt"_s}), u"F"_s);  // a drive names nothing
    EXPECT_EQ(Run(fnFILEEXISTS, {1.0L}), u"error 50011"_s);
    EXPECT_EQ(Run(fnDELETEFILE, {u"sub\\new"_s}), u"F"_s);  // a folder is no file
    EXPECT_EQ(Run(fnSETCURRENTDIR, {u"sub\\new"_s}), u"T"_s);
    EXPECT_EQ(QDir::currentPath(), QDir(dir_.path()).absoluteFilePath(u"sub/new"_s));
    EXPECT_EQ(Run(fnSETCURRENTDIR, {u"C:\\"_s}), u"F"_s);
}

TEST_F(FileFunctions, LengthTimeStampAndDiskSpace)
{
    {
        QFile big(u"big.bin"_s);  // sparse, beyond the 32-bit range
        ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(5'000'000'000LL));
    }
    EXPECT_EQ(Run(fnFILELEN, {u"big.bin"_s}), u"5000000000"_s);
    for (const QString &name : {u"none"_s, u"."_s}) {
        EXPECT_EQ(Run(fnFILELEN, {name}), u"error 54095"_s);
        EXPECT_EQ(Run(fnGETFILEDATETIME, {name}), u"error 54095"_s);
    }
    QFile file(u"big.bin"_s);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2021, 3, 4), QTime(5, 6, 7)), QFileDevice::FileModificationTime));
    EXPECT_EQ(Run(fnGETFILEDATETIME, {u"big.bin"_s}), u"2021/03/04 05:06:07"_s);
    ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2021, 12, 31), QTime(0, 0)), QFileDevice::FileModificationTime));
    EXPECT_EQ(Run(fnGETFILEDATETIME, {u"big.bin"_s}), u"2021/12/31"_s);

    EXPECT_EQ(Run(fnDISKSIZE, {u"C:\\"_s}), QString::number(double(QStorageInfo(u"/"_s).bytesTotal()), 'g', 15));
    EXPECT_EQ(Run(fnDISKSIZE, {QString()}), QString::number(double(QStorageInfo(dir_.path()).bytesTotal()), 'g', 15));
    for (const QString &drive : {u"c"_s, u"D"_s, u"1"_s})
        EXPECT_EQ(Run(fnDISKFREE, {drive}), u"-1"_s);
}

TEST_F(FileFunctions, SearchGivesMatchesInOrderThenNothing)
{
    for (const QString &name : {u"b.txt"_s, u"A.TXT"_s, u"c.dat"_s, u"Makefile"_s, u"x[1].txt"_s})
        Put(name, "x");
    ASSERT_TRUE(QDir().mkdir(u"sub"_s));
    Put(u"sub/in.txt"_s, "x");
    auto all = [](const QString &pattern) {
        QStringList names{Run(fnFINDFIRSTFILE, {pattern})};
        while (!names.last().isEmpty())
            names += Run(fnFINDNEXTFILE, {});
        names.removeLast();
        return names.join(u' ');
    };
    EXPECT_EQ(all(u"*.txt"_s), u"A.TXT b.txt x[1].txt"_s);
    EXPECT_EQ(all(QString()), u"A.TXT b.txt c.dat Makefile sub x[1].txt"_s);
    EXPECT_EQ(all(u"?.t*"_s), u"A.TXT b.txt"_s);
    EXPECT_EQ(all(u"x[1].txt"_s), u"x[1].txt"_s);
    EXPECT_EQ(all(u"sub\\*.*"_s), u"in.txt"_s);
    EXPECT_EQ(all(u"sub\\"_s), QString());
    EXPECT_EQ(all(u"C:\\*.*"_s), QString());
    EXPECT_EQ(Run(fnFINDNEXTFILE, {}), QString());

    // A new search replaces the open one; closing ends it.
    EXPECT_EQ(Run(fnFINDFIRSTFILE, {u"*.txt"_s}), u"A.TXT"_s);
    EXPECT_EQ(Run(fnFINDFIRSTFILE, {u"*.dat"_s}), u"c.dat"_s);
    EXPECT_EQ(Run(fnFINDNEXTFILE, {}), QString());
    EXPECT_EQ(Run(fnFINDFIRSTFILE, {u"*.txt"_s}), u"A.TXT"_s);
    EXPECT_TRUE(DispatchFileSystemStatement(stFINDFILECLOSE));
    EXPECT_EQ(Run(fnFINDNEXTFILE, {}), QString());
}

TEST_F(FileFunctions, ReadAllTextDetectsOrTakesTheCodePage)
{
    const QString text = u"日本語\r\nabc"_s;
    Put(u"sjis.txt"_s, QByteArray("\x93\xfa\x96\x7b\x8c\xea\r\nabc"));
    Put(u"bom8.txt"_s, "\xEF\xBB\xBF" + text.toUtf8());
    Put(u"u16.txt"_s, QByteArray("\xFF\xFE", 2) + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2));
    for (const QString &name : {u"sjis.txt"_s, u"bom8.txt"_s, u"u16.txt"_s})
        EXPECT_EQ(Run(fnREADALLTEXT, {name}), text) << name.toStdString();

    const int32_t withPage = OneMoreArgBase + fnREADALLTEXT;
    EXPECT_EQ(Run(withPage, {u"bom8.txt"_s, 65001.0L}), text);  // the mark is not text
    EXPECT_EQ(Run(withPage, {u"u16.txt"_s, 1200.9L}), text);
    EXPECT_NE(Run(withPage, {u"bom8.txt"_s, 932.0L}), text);
    CurrentEncoding = 65001;  // SETENCODING's choice replaces detection
    EXPECT_NE(Run(fnREADALLTEXT, {u"sjis.txt"_s}), text);

    EXPECT_EQ(Run(withPage, {u"sjis.txt"_s, 99999.0L}), u"error 50012"_s);
    EXPECT_EQ(Run(withPage, {u"sjis.txt"_s, 1e12L}), u"error 50012"_s);
    EXPECT_EQ(Run(withPage, {u"none.txt"_s, 932.0L}), u"error 2101"_s);
    EXPECT_EQ(Run(fnREADALLTEXT, {u"C:\\sjis.txt"_s}), u"error 2101"_s);
    EXPECT_EQ(Run(withPage, {u"sjis.txt"_s, u"932"_s}), u"error 50011"_s);
    EXPECT_EQ(ErrorSubject, fnREADALLTEXT);
}

TEST_F(FileFunctions, WriteAllTextEncodesAndReplaces)
{
    const int32_t withPage = StatementVariant(1, stWRITEALLTEXT);
    Put(u"a.txt"_s, "much longer old content");
    Exec(stWRITEALLTEXT, {u"a.txt"_s, u"日本\r\n"_s});  // the ANSI code page
    EXPECT_EQ(Bytes(u"a.txt"_s), QByteArray("\x93\xfa\x96\x7b\r\n"));
    Exec(withPage, {u"a.txt"_s, u"A"_s, 1200.0L});
    EXPECT_EQ(Bytes(u"a.txt"_s), QByteArray("\xFF\xFE" "A\0", 4));
    CurrentEncoding = 65001;
    Exec(stWRITEALLTEXT, {u"a.txt"_s, u"日本"_s});
    EXPECT_EQ(Bytes(u"a.txt"_s), u"日本"_s.toUtf8());
    EXPECT_EQ(ErrorNumber, 0);

    Exec(withPage, {u"a.txt"_s, u"x"_s, 99999.0L});
    EXPECT_EQ(ErrorNumber, 50026);
    EXPECT_EQ(Bytes(u"a.txt"_s), u"日本"_s.toUtf8());  // left as it was
    for (const QString &name : {u"C:\\a.txt"_s, u"nofolder\\a.txt"_s, u"."_s}) {
        Exec(stWRITEALLTEXT, {name, u"x"_s});
        EXPECT_EQ(ErrorNumber, 50026) << name.toStdString();
    }
    Exec(withPage, {u"a.txt"_s, u"x"_s, u"932"_s});
    EXPECT_EQ(ErrorNumber, 50022);
    EXPECT_EQ(ErrorSubject, stWRITEALLTEXT);

    // Appending keeps the encoding of the file and writes no second mark.
    CurrentEncoding = 0;
    Put(u"log.txt"_s, QByteArray("\xFF\xFE" "a\0", 4));
    Exec(stAPPENDALLTEXT, {u"log.txt"_s, u"b"_s});
    EXPECT_EQ(Bytes(u"log.txt"_s), QByteArray("\xFF\xFE" "a\0b\0", 6));
}

TEST_F(FileFunctions, WholeLinesThroughAnArrayAndItsCount)
{
    ASSERT_TRUE(TranslateProgramText(u"DIM A$(3)\r\nDIM B$(2, 2)"_s));
    auto read = [](const QByteArray &content) {
        Put(u"in.txt"_s, content);
        Exec(isReadAllLinesToArray, {u"in.txt"_s}, "A$");
        return Element("A$", 0) + u'|' + Element("A$", 1) + u'|' + Element("A$", 2) + u'|' + Element("A$", 3);
    };
    EXPECT_EQ(read("1\r\n2\n3\r4\r\n5\r\n"), u"-1|1|2|3"_s);  // too many lines
    EXPECT_EQ(read("x\r\n\r\n"), u"2|x||3"_s);                // later elements stay
    EXPECT_EQ(read("p\r\nq\r\nr\r\n"), u"3|p|q|r"_s);
    EXPECT_EQ(read(""), u"0|p|q|r"_s);
    Put(u"in.txt"_s, QByteArray("\xFF\xFE" "a\0\r\0\n\0b\0", 10));
    Exec(StatementVariant(1, isReadAllLinesToArray), {u"in.txt"_s, 1200.0L}, "A$");
    EXPECT_EQ(Element("A$", 0) + Element("A$", 2), u"2b"_s);
    Exec(isReadAllLinesToArray, {u"in.txt"_s}, "B$");
    EXPECT_EQ(ErrorNumber, 50011);
    EXPECT_EQ(ErrorSubject, fnREADALLLINES);
    Exec(isReadAllLinesToArray, {u"none.txt"_s}, "A$");
    EXPECT_EQ(ErrorNumber, 2101);

    Element("A$", 1) = u"p"_s;
    Element("A$", 2) = u"q"_s;
    auto write = [](const QString &count, long double page = 0) {
        Element("A$", 0) = count;
        if (page > 0)
            Exec(StatementVariant(1, stWRITEALLLINES), {u"out.txt"_s, page}, "A$");
        else
            Exec(stWRITEALLLINES, {u"out.txt"_s}, "A$");
        return Bytes(u"out.txt"_s);
    };
    EXPECT_EQ(write(u"2"_s), "p\r\nq\r\n");
    EXPECT_EQ(write(u" 1 "_s), "p\r\n");
    // Only a whole number of 1 or more limits the count.
    for (const QString &count : {u"0"_s, u"9"_s, u"-1"_s, u"1.5"_s, u"abc"_s})
        EXPECT_EQ(write(count), "p\r\nq\r\nr\r\n") << count.toStdString();
    EXPECT_EQ(write(u"1"_s, 1201), QByteArray("\xFE\xFF\0p\0\r\0\n", 8));
    Exec(stWRITEALLLINES, {u"out.txt"_s}, "B$");
    EXPECT_EQ(ErrorNumber, 50022);
    EXPECT_EQ(ErrorSubject, stWRITEALLLINES);
}

TEST_F(FileFunctions, DimTypeShellEofAndSeek)
{
    ASSERT_TRUE(TranslateProgramText(u"DIM N(4, 6)"_s));
    Args({});
    PushNumVarRef(FindVar(u"N"_s, vtNumber));
    PushNumber(-1);
    DispatchFileFunction(fnGETDIMTYPE);
    EXPECT_EQ(ErrorNumber, 50011);
    EXPECT_EQ(Run(fnGETDIMTYPE, {u"N"_s, 1.0L}), u"error 50011"_s);
    EXPECT_EQ(ErrorSubject, fnGETDIMTYPE);

    EXPECT_EQ(Run(fnSHELL, {u"echo started > shell.txt"_s}), u"T"_s);
    for (int i = 0; i < 250 && Bytes(u"shell.txt"_s) != "started\n"; ++i)
        QThread::msleep(20);
    EXPECT_EQ(Bytes(u"shell.txt"_s), "started\n");  // run in the current folder
    Args({u"true"_s});
    EXPECT_TRUE(DispatchFileSystemStatement(stSYSCMD));
    EXPECT_EQ(TagStackTop, 0);
    ShellProgram = u"/nonexistent/sh"_s;
    EXPECT_EQ(Run(fnSHELL, {u"true"_s}), u"F"_s);
    EXPECT_EQ(Run(fnSHELL, {1.0L}), u"error 50011"_s);
    EXPECT_EQ(ErrorSubject, fnSHELL);

    Put(u"empty.txt"_s, {});
    Put(u"full.txt"_s, "x");
    ASSERT_TRUE(OpenFileChannel(u"empty.txt"_s, cmInput, 1));
    ASSERT_TRUE(OpenFileChannel(u"full.txt"_s, cmInput, 2));
    ASSERT_TRUE(OpenFileChannel(u"out.txt"_s, cmOutput, 3));
    EXPECT_EQ(Run(fnEOF, {1.0L}), u"T"_s);
    EXPECT_EQ(Run(fnEOF, {2.9L}), u"F"_s);
    EXPECT_EQ(Run(fnEOF, {3.0L}), u"error 3005"_s);
    EXPECT_EQ(Run(fnEOF, {4.0L}), u"error 3005"_s);
    EXPECT_EQ(Run(fnEOF, {0.0L}), u"error 3006"_s);
    EXPECT_EQ(Run(fnEOF, {-1e30L}), u"error 3006"_s);
    EXPECT_EQ(Run(fnEOF, {u"1"_s}), u"error 50011"_s);
    CloseFileChannel(0);
    EXPECT_EQ(Run(fnSEEK, {1.0L}), u"error 50023"_s);
    EXPECT_EQ(ErrorSubject, fnSEEK);
}

} // namespace
