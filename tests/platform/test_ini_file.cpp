#include "platform/OVIniFile.h"

#include "tests/file_conditions.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <cstring>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace ov;
using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray ReadBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A folder in which no file can be created: read-only, or, where that does
// not stop this process (root), a "folder" that is a plain file.
QString UnwritableFolder(const QTemporaryDir &tmp)
{
    const QString dir = tmp.filePath(u"locked"_s);
    QDir().mkpath(dir);
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner);
    QFile probe(dir + u"/probe"_s);
    if (!probe.open(QIODevice::WriteOnly))
        return dir;
    probe.remove();
    const QString file = tmp.filePath(u"plain-file"_s);
    WriteBytes(file, "x");
    return file;
}

// An access list in the system's encoding: the owner, `user` and the
// owning group with `mask` as their upper bound, and others.
QByteArray AccessList(uid_t user, uint16_t owner, uint16_t named, uint16_t group, uint16_t mask, uint16_t others)
{
    QByteArray list;
    const auto add = [&](uint16_t tag, uint16_t permissions, uint32_t id) {
        const char entry[8] = {char(tag & 0xff), char(tag >> 8), char(permissions), 0,
                               char(id & 0xff), char((id >> 8) & 0xff), char((id >> 16) & 0xff), char(id >> 24)};
        list.append(entry, sizeof entry);
    };
    list.append("\x02\0\0\0", 4);  // version 2
    add(0x01, owner, uint32_t(-1));
    add(0x02, named, user);
    add(0x04, group, uint32_t(-1));
    add(0x10, mask, uint32_t(-1));
    add(0x20, others, uint32_t(-1));
    return list;
}

struct stat StatusOf(const QString &path)
{
    struct stat status {};
    ::stat(QFile::encodeName(path).constData(), &status);
    return status;
}

// Loads the settings file, sets S/k to `value` and saves it; the save's error.
QString SetAndSave(const QString &path, const QString &value)
{
    IniFile ini(path);
    QString error;
    if (!ini.load() || !ini.writeString(QStringLiteral("S"), QStringLiteral("k"), value))
        return QStringLiteral("not loaded or set");
    if (!ini.save(&error) && error.isEmpty())
        error = QStringLiteral("not saved");
    return error;
}

}  // namespace

TEST(IniFile, ReadsHandEditedFiles)
{
    QTemporaryDir tmp;
    const QString path = tmp.filePath(u"a.ini"_s);
    WriteBytes(path, "\xEF\xBB\xBF" "stray=outside any section\r\n"
                     "; a comment\r\n"
                     "\r\n"
                     "  [ configuration ]  \r\n"
                     "  Font Name  =  \xEF\xBC\xAD\xEF\xBC\xB3 gothic  \r\n"
                     "font name=second entry\r\n"
                     ";Hidden=1\r\n"
                     "Path=C:=x;y\n"
                     "Quoted=\" Bold\"\n"
                     "Single='a b'\n"
                     "Empty=\n"
                     "no equals sign\n"
                     "[Other]\n"
                     "Path=other");
    IniFile ini(path);
    ASSERT_TRUE(ini.load());
    EXPECT_EQ(ini.readString(u"CONFIGURATION"_s, u"FONT NAME"_s), u"ＭＳ gothic");
    EXPECT_EQ(ini.readString(u"Configuration"_s, u"Path"_s), u"C:=x;y");
    EXPECT_EQ(ini.readString(u"Configuration"_s, u"Quoted"_s), u" Bold");
    EXPECT_EQ(ini.readString(u"Configuration"_s, u"Single"_s), u"a b");
    EXPECT_TRUE(ini.hasKey(u"Configuration"_s, u"Empty"_s));
    EXPECT_EQ(ini.readString(u"Configuration"_s, u"Empty"_s, u"dflt"_s), u"");
    EXPECT_EQ(ini.readString(u"Configuration"_s, u"Hidden"_s, u"dflt"_s), u"dflt");
    EXPECT_EQ(ini.readString(u"Configuration"_s, u"stray"_s, u"dflt"_s), u"dflt");
    EXPECT_EQ(ini.readString(u"Other"_s, u"Path"_s), u"other");
    EXPECT_EQ(ini.readString(u"Missing"_s, u"Path"_s, u"dflt"_s), u"dflt");
}

TEST(IniFile, WritesKeepTheRestOfTheFileAndReadBackExactly)
{
    QTemporaryDir tmp;
    const QString path = tmp.filePath(u"sub/folder/a.ini"_s);
    IniFile ini(path);
    EXPECT_FALSE(ini.exists());
    ASSERT_TRUE(ini.load());  // a missing file is an empty document
    const QStringList values = {u" Bold Italic"_s, u"\"quoted\""_s, u"'"_s, u"   "_s,
                                u"ＭＳ ゴシック"_s, u"a = b ; c"_s, u""_s};
    for (int i = 0; i < values.size(); ++i)
        ASSERT_TRUE(ini.writeString(u"S"_s, u"K"_s + QString::number(i), values[i]));
    ASSERT_TRUE(ini.save());
    EXPECT_TRUE(ini.exists());
    EXPECT_TRUE(ReadBytes(path).contains("K4=\xEF\xBC\xAD\xEF\xBC\xB3"));  // UTF-8 on disk

    IniFile again(path);
    ASSERT_TRUE(again.load());
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(again.readString(u"s"_s, u"k"_s + QString::number(i), u"missing"_s), values[i]);

    // Comments, other sections and unknown keys survive; a new key joins the
    // end of its own section, a replaced one keeps its place.
    WriteBytes(path, "; top\n[A]\nx=1\n; about B\n\n[B]\ny=2\n");
    ASSERT_TRUE(again.load());
    ASSERT_TRUE(again.writeString(u"a"_s, u"New"_s, u"n"_s));
    ASSERT_TRUE(again.writeString(u"B"_s, u"Y"_s, u"3"_s));
    ASSERT_TRUE(again.writeString(u"C"_s, u"z"_s, u"4"_s));
    ASSERT_TRUE(again.save());
    EXPECT_EQ(ReadBytes(path), "; top\n[A]\nx=1\nNew=n\n; about B\n\n[B]\nY=3\n\n[C]\nz=4\n");
}

TEST(IniFile, DeletesAndRefusals)
{
    QTemporaryDir tmp;
    const QString path = tmp.filePath(u"a.ini"_s);
    WriteBytes(path, "[S]\nk=1\nK=2\nother=3\n[T]\nk=4\n");
    IniFile ini(path);
    ASSERT_TRUE(ini.load());
    ini.deleteKey(u"s"_s, u"k"_s);  // every entry of the key, in that section only
    EXPECT_FALSE(ini.hasKey(u"S"_s, u"k"_s));
    EXPECT_EQ(ini.readString(u"T"_s, u"k"_s), u"4");

    QString error;
    EXPECT_FALSE(ini.writeString(u"S"_s, u"k"_s, u"two\nlines"_s, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(ini.writeString(u"S"_s, u"a=b"_s, u"v"_s));
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(ReadBytes(path), "[S]\nother=3\n[T]\nk=4\n");

    ASSERT_TRUE(ini.remove());
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(ini.remove());  // nothing left to delete
}

TEST(IniFile, FailedSaveIsReportedAndLeavesTheOldFile)
{
    QTemporaryDir tmp;
    const QString locked = UnwritableFolder(tmp);
    IniFile ini(locked + u"/a.ini"_s);
    ASSERT_TRUE(ini.writeString(u"S"_s, u"k"_s, u"v"_s));
    QString error;
    EXPECT_FALSE(ini.save(&error));
    EXPECT_FALSE(error.isEmpty());

    // A read-only file stays as it is (where this process cannot write it).
    const QString path = tmp.filePath(u"ro.ini"_s);
    WriteBytes(path, "[S]\nk=old\n");
    QFile::setPermissions(path, QFile::ReadOwner);
    IniFile ro(path);
    ASSERT_TRUE(ro.load());
    ASSERT_TRUE(ro.writeString(u"S"_s, u"k"_s, u"new"_s));
    if (!QFileInfo(path).isWritable()) {
        EXPECT_FALSE(ro.save(&error));
        EXPECT_EQ(ReadBytes(path), "[S]\nk=old\n");
    }
}

// The settings file is saved as the whole-file statements save a file: its
// other names see the change, its owner (when the superuser saves another
// user's file), group, permissions, access list and extended attributes
// stay, and where its folder takes no new file it is written where it is.
TEST(IniFile, SaveKeepsWhatTheFileIsBesidesItsText)
{
    QTemporaryDir tmp;
    const QString path = tmp.filePath(u"a.ini"_s);
    const QString other = tmp.filePath(u"other.ini"_s);
    WriteBytes(path, "[S]\nk=1\n");
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(other).constData()), 0);
    ASSERT_EQ(SetAndSave(path, u"2"_s), QString());
    EXPECT_EQ(ReadBytes(other), "[S]\nk=2\n");
    ASSERT_TRUE(QFile::remove(other));

    const QByteArray name = QFile::encodeName(path);
    const bool superuser = ::geteuid() == 0;
    if (superuser) {
        ASSERT_EQ(::chown(name.constData(), ::test::OrdinaryId, ::test::OrdinaryId), 0);
    }
    ASSERT_EQ(::chmod(name.constData(), 0644), 0);
    const QByteArray acl = AccessList(::test::OrdinaryId + 1, 6, 6, 4, 6, 4);
    const bool withAcl = ::setxattr(name.constData(), "system.posix_acl_access", acl.constData(), size_t(acl.size()), 0) == 0;
    const bool withNote = ::setxattr(name.constData(), "user.note", "kept", 4, 0) == 0;
    const mode_t mode = StatusOf(path).st_mode & 07777;  // the group's bits show the list's mask
    {
        const ::test::Umask mask(002);
        EXPECT_EQ(SetAndSave(path, u"3"_s), QString());
    }
    EXPECT_EQ(ReadBytes(path), "[S]\nk=3\n");
    EXPECT_EQ(StatusOf(path).st_mode & 07777, mode);
    if (superuser) {
        EXPECT_EQ(StatusOf(path).st_uid, ::test::OrdinaryId);
    }
    if (withAcl) {
        QByteArray kept(256, '\0');
        kept.resize(::getxattr(name.constData(), "system.posix_acl_access", kept.data(), size_t(kept.size())));
        EXPECT_EQ(kept, acl);
    }
    if (withNote) {
        char value[8] = {};
        EXPECT_EQ(::getxattr(name.constData(), "user.note", value, sizeof value), 4);
    }

    const QString folder = tmp.filePath(u"locked"_s);
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString locked = folder + u"/b.ini"_s;
    WriteBytes(locked, "[S]\nk=1\n");
    const ino_t inode = StatusOf(locked).st_ino;
    ::test::RefusingFolder refusing(folder);
    if (!refusing.Refuses())
        GTEST_SKIP() << "no folder here can be made to refuse new files";
    EXPECT_EQ(SetAndSave(locked, u"2"_s), QString());
    EXPECT_EQ(ReadBytes(locked), "[S]\nk=2\n");
    EXPECT_EQ(StatusOf(locked).st_ino, inode);
}
