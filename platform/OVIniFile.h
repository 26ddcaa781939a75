// A small ini-file layer with the semantics of the Windows profile functions:
// sections of "key=value" lines, section and key names compared without
// regard to letter case, the value being the rest of the line. The file is
// UTF-8 and is replaced as a whole when saved, so a failed save leaves the
// old file as it was. Comments, blank lines and entries that this program
// does not know survive a load and save.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace ov {

class IniFile {
public:
    explicit IniFile(QString path);

    const QString &path() const { return Path; }

    // Whether the file is there (a folder of that name does not count).
    bool exists() const;

    // Reads the file into memory; a missing file gives an empty document.
    // False with `error` set when an existing file cannot be read.
    bool load(QString *error = nullptr);

    // The value of `key` in `section`, or `defaultValue` when either is
    // missing. Blanks around the value are dropped, and one pair of matching
    // quotes (' or ") around it is removed. The first matching entry wins.
    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue = {}) const;
    bool hasKey(const QString &section, const QString &key) const;

    // Sets the value in memory: replaces the first matching entry, or adds
    // one at the end of the section, which is created when missing. A value
    // with blanks at either end is written in quotes so that it reads back
    // exactly. False with `error` set for a key or value that a line cannot
    // hold (a line break, or a key that is empty or has '=' or '[').
    bool writeString(const QString &section, const QString &key, const QString &value,
                     QString *error = nullptr);

    // Removes every entry of `key` in `section` from memory.
    void deleteKey(const QString &section, const QString &key);

    // Writes the document to the file as the whole-file statements save a
    // file (its links, owner, group, permissions and attributes kept),
    // creating the folder when needed. False with `error` set on failure;
    // the file on disk is then unchanged.
    bool save(QString *error = nullptr);

    // Deletes the file; a missing file is not an error.
    bool remove(QString *error = nullptr);

private:
    struct Line {
        QString Text;     // the line as it stands in the file
        QString Section;  // header line: the section name
        QString Key;      // entry line: the trimmed key name
        bool IsHeader = false;
        bool IsEntry = false;
    };

    static Line Parse(const QString &text);
    static bool SameName(const QString &a, const QString &b);
    // Index of the first header of `section`, or -1.
    qsizetype FindSection(const QString &section) const;
    // Index of the first entry of `key` in the section starting at header
    // `header`, or -1.
    qsizetype FindKey(qsizetype header, const QString &key) const;

    QString Path;
    std::vector<Line> Lines;
};

}  // namespace ov
