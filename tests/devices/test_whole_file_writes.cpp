// The statements that write a whole file (WRITEALLTEXT, WRITEALLLINES,
// APPENDALLTEXT, SAVEPICTURE) run in programs: into a folder that takes no
// new file, and at a loop of symbolic links.
#include "graph_test_helpers.h"

#include "executor/OVHeadlessHost.h"
#include "tests/file_conditions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ov;

namespace {

class WholeFileWrites : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        ov::test::AttachGraphics(&host_);
    }
    void TearDown() override
    {
        runs_.Join();
        ov::test::AttachGraphics(nullptr);
    }

    // Runs the program, in which "@" stands for the test's folder; the
    // error it ended with.
    int Run(const QString &program)
    {
        ov::test::LoadProgram(QString(program).replace(u'@', dir_.path()));
        EXPECT_TRUE(runs_.Start());
        runs_.Join();
        return ErrorNumber;
    }

    QString Path(const QString &name) const { return dir_.filePath(name); }
    void Put(const QString &name, const QByteArray &bytes) const
    {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray Bytes(const QString &name) const
    {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir dir_;
    HeadlessHost host_;
    RunController runs_;
};

} // namespace

// The files are rewritten where they stand; the picture's old contents go
// to its existing backup file.
TEST_F(WholeFileWrites, AFolderThatTakesNoNewFileHasItsFilesRewritten)
{
    ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("locked")));
    Put(QStringLiteral("locked/a.txt"), "old text, longer than the new");
    Put(QStringLiteral("locked/b.txt"), "old");
    Put(QStringLiteral("locked/c.bmp"), "A1");
    Put(QStringLiteral("locked/c.bak"), "B2");
    ::test::RefusingFolder locked(Path(QStringLiteral("locked")));
    if (!locked.Refuses())
        GTEST_SKIP() << "no folder here can be made to refuse new files";

    EXPECT_EQ(Run(QStringLiteral("GSCREEN(4, 4)\n"
                                 "WRITEALLTEXT(\"@/locked/a.txt\", \"new text\")\n"
                                 "DIM L$(2)\nL$(1) = \"one\"\nL$(2) = \"two\"\n"
                                 "WRITEALLLINES(\"@/locked/b.txt\", L$())\n"
                                 "SAVEPICTURE(\"@/locked/c.bmp\")\n")),
              0);
    EXPECT_EQ(Bytes(QStringLiteral("locked/a.txt")), "new text");
    EXPECT_EQ(Bytes(QStringLiteral("locked/b.txt")), "one\r\ntwo\r\n");
    EXPECT_EQ(Bytes(QStringLiteral("locked/c.bmp")).left(2), "BM");
    EXPECT_EQ(Bytes(QStringLiteral("locked/c.bak")), "A1");
    EXPECT_EQ(QDir(Path(QStringLiteral("locked"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.bak"),
                           QStringLiteral("c.bmp")}));
}

// Each write reports its error and leaves both links as they are.
TEST_F(WholeFileWrites, ALoopOfLinksIsAnErrorAndStays)
{
    for (const char *name : {"loop.txt", "loop.bmp"}) {
        const QString other = QString::fromLatin1(name) + QStringLiteral(".other");
        ASSERT_TRUE(QFile::link(other, Path(QString::fromLatin1(name))));
        ASSERT_TRUE(QFile::link(QString::fromLatin1(name), Path(other)));
    }
    const struct {
        const char *statement;
        int error;
    } cases[] = {
        {"WRITEALLTEXT(\"@/loop.txt\", \"new\")", 50026},
        {"DIM L$(1)\nL$(1) = \"new\"\nWRITEALLLINES(\"@/loop.txt\", L$())", 50026},
        {"APPENDALLTEXT(\"@/loop.txt\", \"new\")", 50026},
        {"GSCREEN(4, 4)\nSAVEPICTURE(\"@/loop.bmp\")", 2112},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Run(QString::fromUtf8(c.statement)), c.error) << c.statement;
        for (const char *name : {"loop.txt", "loop.txt.other", "loop.bmp", "loop.bmp.other"})
            EXPECT_TRUE(QFileInfo(Path(QString::fromLatin1(name))).isSymLink()) << c.statement << ": " << name;
    }
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).size(),
              4);
}
