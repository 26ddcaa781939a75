// Saves that replace a file whole: through symbolic links, and the
// temporary files of saves killed between their steps, which a later save
// in the folder removes while it leaves those of saves still running.
#include "platform/OVSafeSave.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

using namespace ov;

namespace {

class SafeSave : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString Path(const QString &name) const { return dir_.filePath(name); }

    static QByteArray Bytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    static void Put(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    bool Save(const QString &name, const QByteArray &bytes)
    {
        QString error;
        return ReplaceFileKeepingBackup(Path(name), bytes, {}, error);
    }
    QStringList Files() const
    {
        QStringList names = QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden);
        names.sort();
        return names;
    }

    QTemporaryDir dir_;
};

// The id of a process that has ended.
pid_t EndedProcess()
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

} // namespace

// A save killed between its steps can leave its temporary file; the next
// save in that folder removes it, and those of its scheme untouched for a
// day. It keeps the file of a save still running here (this process's, or
// another live one's), a fresh one whose writer it cannot tell, and files
// of other names.
TEST_F(SafeSave, LeftoverTemporaryFilesGoAtTheNextSave)
{
    const pid_t ended = EndedProcess();
    ASSERT_GT(ended, 0);
    const QString killed = SaveTemporaryStem(ended) + QStringLiteral("AbCdEf");
    const QString running = SaveTemporaryStem(::getppid()) + QStringLiteral("AbCdEf");
    const QString own = SaveTemporaryStem(::getpid()) + QStringLiteral("AbCdEf");
    const QString elsewhere = QStringLiteral(".ovsave-%1-00000000-AbCdEf").arg(ended);
    ASSERT_NE(SaveTemporaryStem(ended), QStringLiteral(".ovsave-%1-00000000-").arg(ended));
    for (const QString &name : {killed, running, own, elsewhere})
        Put(Path(name), "whole new text");
    const QDateTime twoDaysAgo = QDateTime::currentDateTime().addDays(-2);
    for (const char *name : {".ovsave-old", ".ovsave-fresh", ".ovsaveold", "x.ovsave-old", ".OVSAVE-old"}) {
        Put(Path(QString::fromLatin1(name)), "left");
        if (QByteArray(name).endsWith("old")) {
            QFile file(Path(QString::fromLatin1(name)));
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            ASSERT_TRUE(file.setFileTime(twoDaysAgo, QFileDevice::FileModificationTime));
        }
    }

    ASSERT_TRUE(Save(QStringLiteral("b.txt"), "new"));
    QStringList kept = {running, own, elsewhere, QStringLiteral(".OVSAVE-old"), QStringLiteral(".ovsave-fresh"),
                        QStringLiteral(".ovsaveold"), QStringLiteral("b.txt"), QStringLiteral("x.ovsave-old")};
    kept.sort();
    EXPECT_EQ(Files(), kept);
    EXPECT_EQ(Bytes(Path(QStringLiteral("b.txt"))), "new");
}

// A save through a chain of links replaces the file at its end, with the
// backup beside that file; the links stay. A chain that loops is refused.
TEST_F(SafeSave, LinksAreSavedThrough)
{
    ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("real")));
    Put(Path(QStringLiteral("real/f.txt")), "old");
    ASSERT_TRUE(QFile::link(QStringLiteral("real/f.txt"), Path(QStringLiteral("second"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("second"), Path(QStringLiteral("first"))));
    QString error;
    ASSERT_TRUE(ReplaceFileKeepingBackup(Path(QStringLiteral("first")), "new",
                                         [](const QString &target) { return target + QStringLiteral(".bak"); }, error));
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("first"))).isSymLink());
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("second"))).isSymLink());
    EXPECT_EQ(Bytes(Path(QStringLiteral("real/f.txt"))), "new");
    EXPECT_EQ(Bytes(Path(QStringLiteral("real/f.txt.bak"))), "old");
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 3);

    ASSERT_TRUE(QFile::link(QStringLiteral("loop2"), Path(QStringLiteral("loop1"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("loop1"), Path(QStringLiteral("loop2"))));
    EXPECT_FALSE(ReplaceFileKeepingBackup(Path(QStringLiteral("loop1")), "new", {}, error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("loop1"))).isSymLink());
}
