#include "platform/OVIniFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

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
