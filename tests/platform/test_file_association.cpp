#include "platform/OVFileAssociation.h"
#include "tests/xdg_sandbox.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <unistd.h>

using namespace ov;
using namespace Qt::Literals::StringLiterals;

namespace {

class FileAssociation : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Tmp.isValid()); }

    static QString Run(const QString &program, const QStringList &arguments, int *status = nullptr)
    {
        QProcess p;
        p.start(program, arguments);
        p.waitForFinished(60000);
        if (status != nullptr)
            *status = p.exitCode();
        return QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
    }
    static QString QueryDefault() { return Run(u"xdg-mime"_s, {u"query"_s, u"default"_s, OvtMimeType()}); }
    static void Write(const QString &path, const QByteArray &bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QByteArray Read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // A stand-in for the program's icon, outside the sandbox's folders.
    QString Icon()
    {
        const QString path = Tmp.filePath(u"icon.png"_s);
        if (!QFile::exists(path))
            Write(path, kIconBytes);
        return path;
    }

    static constexpr char kIconBytes[] = "\x89PNG icon";
    QTemporaryDir Tmp;
    XdgSandbox Sandbox{Tmp.path()};
};

} // namespace

TEST_F(FileAssociation, RegistersEachChoiceAndRemovesIt)
{
    const QString program = Tmp.filePath(u"bin/orvane"_s);
    EXPECT_EQ(QueryAssociation(), AssociationKind::None);
    QString error;
    for (AssociationKind kind : {AssociationKind::Run, AssociationKind::RunShown, AssociationKind::Edit}) {
        ASSERT_TRUE(RegisterAssociation(kind, program, Icon(), &error)) << error.toStdString();
        EXPECT_EQ(QueryAssociation(), kind);
        EXPECT_EQ(QueryDefault(), OvtDesktopEntryName());
        int status = -1;
        const QString report = Run(u"desktop-file-validate"_s, {OvtDesktopEntryPath()}, &status);
        EXPECT_EQ(status, 0) << report.toStdString();
    }
    // The MIME database now types program files by their extension.
    const QString globs = Tmp.filePath(u"data/mime/globs2"_s);
    EXPECT_TRUE(Read(globs).contains("text/x-orvane-ovt:*.ovt"));

    QString remaining = u"x"_s;
    ASSERT_TRUE(RemoveAssociation(&remaining, &error)) << error.toStdString();
    EXPECT_TRUE(remaining.isEmpty());
    EXPECT_FALSE(QFile::exists(OvtMimePackagePath()));
    EXPECT_FALSE(QFile::exists(OvtDesktopEntryPath()));
    EXPECT_FALSE(Read(UserMimeAppsListPath()).contains("orvane-ovt.desktop"));
    EXPECT_FALSE(Read(globs).contains("*.ovt"));
    EXPECT_EQ(QueryAssociation(), AssociationKind::None);
}

// The entry names the program's icon, copied into the user's icon folder,
// and the type names it too; the removal takes the copy away.
TEST_F(FileAssociation, InstallsAndNamesTheProgramsIcon)
{
    QString error;
    ASSERT_TRUE(RegisterAssociation(AssociationKind::Edit, u"/usr/bin/orvane"_s, Icon(), &error))
        << error.toStdString();
    EXPECT_EQ(Read(ProgramIconPath()), QByteArray(kIconBytes));
    EXPECT_TRUE(ProgramIconPath().startsWith(Tmp.filePath(u"data/icons/"_s)));
    EXPECT_TRUE(Read(OvtDesktopEntryPath()).contains("\nIcon=" + ProgramIconPath().toUtf8() + "\n"));
    EXPECT_TRUE(Read(OvtMimePackagePath()).contains("<icon name=\"orvane\"/>"));
    ASSERT_TRUE(RemoveAssociation(nullptr, &error)) << error.toStdString();
    EXPECT_FALSE(QFile::exists(ProgramIconPath()));

    // No icon to copy: nothing is written.
    EXPECT_FALSE(RegisterAssociation(AssociationKind::Edit, u"/usr/bin/orvane"_s, Tmp.filePath(u"none.png"_s),
                                     &error));
    EXPECT_TRUE(error.contains(u"none.png"_s));
    EXPECT_FALSE(QFile::exists(OvtDesktopEntryPath()));
}

// The Exec line survives folders with blanks, quotes, "$", "%" and
// backslashes: the entry validates and each character is escaped once.
TEST_F(FileAssociation, QuotesTheProgramPath)
{
    EXPECT_EQ(AssociationExecLine(u"/opt/a b/o\"v$x%y\\z"_s, AssociationKind::Run),
              u"\"/opt/a b/o\\\\\"v\\\\$x%%y\\\\\\\\z\" -R %f"_s);
    EXPECT_EQ(AssociationExecLine(u"/usr/bin/orvane"_s, AssociationKind::Edit), u"/usr/bin/orvane %f"_s);
    EXPECT_EQ(AssociationExecLine(u"/opt/100%/orvane"_s, AssociationKind::RunShown), u"/opt/100%%/orvane -A %f"_s);
    QString error;
    ASSERT_TRUE(RegisterAssociation(AssociationKind::RunShown, u"/opt/my \"odd\" $HOME 100%/orvane"_s, Icon(), &error))
        << error.toStdString();
    int status = -1;
    const QString report = Run(u"desktop-file-validate"_s, {OvtDesktopEntryPath()}, &status);
    EXPECT_EQ(status, 0) << report.toStdString();
    // A switch inside the folder name does not count as the entry's switch.
    ASSERT_TRUE(RegisterAssociation(AssociationKind::Edit, u"/opt/x -R y/orvane"_s, Icon(), &error));
    EXPECT_EQ(QueryAssociation(), AssociationKind::Edit);
}

// The switches count only with blanks on both sides, as the registered
// lines have them: one at the very end of the line is no switch.
TEST_F(FileAssociation, ReadsASwitchOnlyBetweenBlanks)
{
    QString error;
    ASSERT_TRUE(RegisterAssociation(AssociationKind::Edit, u"/usr/bin/orvane"_s, Icon(), &error))
        << error.toStdString();
    const QByteArray entry = Read(OvtDesktopEntryPath());
    const QByteArray line = "Exec=" + AssociationExecLine(u"/usr/bin/orvane"_s, AssociationKind::Edit).toUtf8() + "\n";
    ASSERT_TRUE(entry.contains(line));
    const struct {
        const char *exec;
        AssociationKind kind;
    } cases[] = {
        {"/usr/bin/orvane %f -R", AssociationKind::Edit},   {"/usr/bin/orvane %f -A", AssociationKind::Edit},
        {"/usr/bin/orvane %f-R", AssociationKind::Edit},    {"/usr/bin/orvane -R %f", AssociationKind::Run},
        {"/usr/bin/orvane -A %f", AssociationKind::RunShown}, {"/usr/bin/orvane -R -A %f", AssociationKind::RunShown},
    };
    for (const auto &c : cases) {
        Write(OvtDesktopEntryPath(), QByteArray(entry).replace(line, "Exec=" + QByteArray(c.exec) + "\n"));
        EXPECT_EQ(QueryAssociation(), c.kind) << c.exec;
    }
}

// Another program's default for the type is not this program's association
// and survives a removal; the removal names it as remaining, and the user's
// list is changed where it stands.
TEST_F(FileAssociation, LeavesOtherProgramsAlone)
{
    QString error;
    ASSERT_TRUE(RegisterAssociation(AssociationKind::Run, u"/bin/sh"_s, Icon(), &error));
    Write(Tmp.filePath(u"data/applications/other.desktop"_s),
          "[Desktop Entry]\nType=Application\nName=Other\nExec=/bin/sh %f\n");
    Write(UserMimeAppsListPath(), "[Default Applications]\ntext/x-orvane-ovt=other.desktop;orvane-ovt.desktop;\n"
                                  "text/plain=orvane-ovt.desktop\n");
    EXPECT_EQ(QueryAssociation(), AssociationKind::None);
    Write(Tmp.filePath(u"system/applications/mimeapps.list"_s),
          "[Default Applications]\ntext/x-orvane-ovt=system.desktop\n");
    // The user keeps the list under another name too (a hard link), which
    // shows the change as well.
    const QString kept = Tmp.filePath(u"kept-mimeapps.list"_s);
    ASSERT_TRUE(::link(QFile::encodeName(UserMimeAppsListPath()).constData(), QFile::encodeName(kept).constData()) == 0);
    QString remaining;
    ASSERT_TRUE(RemoveAssociation(&remaining, &error)) << error.toStdString();
    EXPECT_EQ(Read(UserMimeAppsListPath()), "[Default Applications]\ntext/x-orvane-ovt=other.desktop;\n");
    EXPECT_EQ(Read(kept), Read(UserMimeAppsListPath()));
    EXPECT_EQ(remaining, u"other.desktop");
    EXPECT_EQ(Read(Tmp.filePath(u"system/applications/mimeapps.list"_s)),
              "[Default Applications]\ntext/x-orvane-ovt=system.desktop\n");
}

// A step that fails leaves the files as they were before.
TEST_F(FileAssociation, RollsBackAFailedRegistration)
{
    // A plain file where the applications folder belongs: the entry cannot
    // be written after the package file has been.
    Write(Tmp.filePath(u"data/applications"_s), "");
    QString error;
    EXPECT_FALSE(RegisterAssociation(AssociationKind::Run, u"/usr/bin/orvane"_s, Icon(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(OvtMimePackagePath()));
    EXPECT_FALSE(QFile::exists(ProgramIconPath()));
    EXPECT_EQ(QueryAssociation(), AssociationKind::None);
}
