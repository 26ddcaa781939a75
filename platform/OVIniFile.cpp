#include "platform/OVIniFile.h"

#include "platform/OVSafeSave.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace ov {

namespace {

bool IsQuote(QChar c)
{
    return c == u'"' || c == u'\'';
}

bool HasLineBreak(const QString &s)
{
    return s.contains(u'\n') || s.contains(u'\r');
}

// The value as it is written after '=': quoted when reading would otherwise
// strip blanks or quotes from it.
QString StoredValue(const QString &value)
{
    const bool blankAtEnd = !value.isEmpty() && (value.front().isSpace() || value.back().isSpace());
    const bool quoted = value.size() >= 2 && IsQuote(value.front()) && value.front() == value.back();
    return blankAtEnd || quoted ? u'"' + value + u'"' : value;
}

}  // namespace

IniFile::IniFile(QString path) : Path(std::move(path)) {}

bool IniFile::exists() const
{
    return QFileInfo(Path).isFile();
}

bool IniFile::SameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

IniFile::Line IniFile::Parse(const QString &text)
{
    Line line;
    line.Text = text;
    const QString t = text.trimmed();
    if (t.startsWith(u'[')) {
        const qsizetype close = t.indexOf(u']');
        line.Section = t.mid(1, close < 0 ? -1 : close - 1).trimmed();
        line.IsHeader = true;
    } else if (!t.startsWith(u';')) {
        const qsizetype eq = t.indexOf(u'=');
        if (eq > 0) {
            line.Key = t.left(eq).trimmed();
            line.IsEntry = !line.Key.isEmpty();
        }
    }
    return line;
}

bool IniFile::load(QString *error)
{
    Lines.clear();
    QFile file(Path);
    if (!QFileInfo::exists(Path))
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = Path + u": "_s + file.errorString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    QStringDecoder decode(QStringDecoder::Utf8);  // skips a byte-order mark
    QString text = decode(bytes);
    text.replace(u"\r\n"_s, u"\n"_s);
    text.replace(u'\r', u'\n');
    QStringList rows = text.split(u'\n');
    if (!rows.isEmpty() && rows.back().isEmpty())
        rows.removeLast();  // the final line break ends a line, it starts none
    Lines.reserve(rows.size());
    for (const QString &row : rows)
        Lines.push_back(Parse(row));
    return true;
}

qsizetype IniFile::FindSection(const QString &section) const
{
    for (qsizetype i = 0; i < qsizetype(Lines.size()); ++i)
        if (Lines[i].IsHeader && SameName(Lines[i].Section, section))
            return i;
    return -1;
}

qsizetype IniFile::FindKey(qsizetype header, const QString &key) const
{
    const QString name = key.trimmed();
    for (qsizetype i = header + 1; i < qsizetype(Lines.size()) && !Lines[i].IsHeader; ++i)
        if (Lines[i].IsEntry && SameName(Lines[i].Key, name))
            return i;
    return -1;
}

QString IniFile::readString(const QString &section, const QString &key,
                            const QString &defaultValue) const
{
    const qsizetype header = FindSection(section);
    const qsizetype at = header < 0 ? -1 : FindKey(header, key);
    if (at < 0)
        return defaultValue;
    const QString &text = Lines[at].Text;
    QString value = text.mid(text.indexOf(u'=') + 1).trimmed();
    if (value.size() >= 2 && IsQuote(value.front()) && value.front() == value.back())
        value = value.mid(1, value.size() - 2);
    return value;
}

bool IniFile::hasKey(const QString &section, const QString &key) const
{
    const qsizetype header = FindSection(section);
    return header >= 0 && FindKey(header, key) >= 0;
}

bool IniFile::writeString(const QString &section, const QString &key, const QString &value,
                          QString *error)
{
    const QString name = key.trimmed();
    if (name.isEmpty() || name.contains(u'=') || name.startsWith(u'[') || name.startsWith(u';')
        || HasLineBreak(name) || HasLineBreak(value) || HasLineBreak(section)
        || section.contains(u']')) {
        if (error)
            *error = Path + u": cannot store the value of \""_s + key + u"\" on one line"_s;
        return false;
    }
    Line entry = Parse(name + u'=' + StoredValue(value));
    qsizetype header = FindSection(section);
    if (header < 0) {
        if (!Lines.empty() && !Lines.back().Text.trimmed().isEmpty())
            Lines.push_back(Parse(QString()));
        Lines.push_back(Parse(u'[' + section + u']'));
        Lines.push_back(std::move(entry));
        return true;
    }
    if (const qsizetype at = FindKey(header, name); at >= 0) {
        Lines[at] = std::move(entry);
        return true;
    }
    // After the section's last entry, or right after its header.
    qsizetype insertAt = header + 1;
    for (qsizetype i = header + 1; i < qsizetype(Lines.size()) && !Lines[i].IsHeader; ++i)
        if (Lines[i].IsEntry)
            insertAt = i + 1;
    Lines.insert(Lines.begin() + insertAt, std::move(entry));
    return true;
}

void IniFile::deleteKey(const QString &section, const QString &key)
{
    const QString name = key.trimmed();
    bool inSection = false;
    for (qsizetype i = 0; i < qsizetype(Lines.size());) {
        const Line &line = Lines[i];
        if (line.IsHeader)
            inSection = SameName(line.Section, section);
        if (inSection && line.IsEntry && SameName(line.Key, name))
            Lines.erase(Lines.begin() + i);
        else
            ++i;
    }
}

bool IniFile::save(QString *error)
{
    const auto fail = [&](const QString &why) {
        if (error)
            *error = Path + u": "_s + why;
        return false;
    };
    const QString folder = QFileInfo(Path).path();
    if (!QDir().mkpath(folder))
        return fail(u"cannot create the folder "_s + folder);
    QString text;
    for (const Line &line : Lines)
        text += line.Text + u'\n';
    // A file the user may not write is refused, as a plain write refuses it.
    QString why;
    return ReplaceFileKeepingBackup(Path, text.toUtf8(), {}, why) || fail(why);
}

bool IniFile::remove(QString *error)
{
    QFile file(Path);
    if (!QFileInfo::exists(Path) && !QFileInfo(Path).isSymLink())
        return true;
    if (!file.remove()) {
        if (error)
            *error = Path + u": "_s + file.errorString();
        return false;
    }
    return true;
}

}  // namespace ov
