#include "executor/OVFileFunc.h"

#include "executor/OVDataFile.h"
#include "executor/OVStack.h"
#include "language/OVBoolTbl.h"
#include "language/OVCode.h"
#include "language/OVStrTbl.h"
#include "platform/OVNumberBits.h"
#include "platform/OVSafeSave.h"
#include "platform/OVTextEncoding.h"
#include "platform/OVTextReader.h"
#include "platform/UCS4Encoding.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStorageInfo>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace ov {

QString ShellProgram = QStringLiteral("/bin/sh");

namespace {

// ---------------------------------------------------------------- arguments

// A number argument truncated toward zero into the 32-bit range; false when
// it lies outside.
bool TruncatedInt(long double x, int32_t &value)
{
    // The bounds of the integers that truncate into the range.
    if (!(x > std::numeric_limits<int32_t>::min() - 1.0L && x < std::numeric_limits<int32_t>::max() + 1.0L))
        return false;
    value = int32_t(TruncatedInt64(x));
    return true;
}

// One string argument on top; 50011 with the function as subject otherwise.
bool PopStringArg(int32_t f, QString &s)
{
    if (TopTag() != tagString) {
        SetError(50011, f);
        return false;
    }
    s = PopString();
    return true;
}

// ---------------------------------------------------------------- names and encodings

// A program's file name as a path here; empty, which names nothing, for a
// name with a drive letter.
QString PathOf(const QString &name)
{
    QString path;
    return ProgramFilePath(name, path) ? path : QString();
}

// The encoding a whole-file write uses: the code page given, else the one
// SETENCODING chose, else the ANSI code page. Nothing for a code page with
// no encoding here.
std::optional<TextEncoding> WriteEncoding(bool given, int32_t codePage)
{
    if (given)
        return EncodingOfCodePage(codePage);
    return EncodingOfCodePage(CurrentEncoding >= 1 ? CurrentEncoding : 0);
}

// ---------------------------------------------------------------- whole files

// The code page on top, truncated; -1, which no encoding has, when it lies
// outside the 32-bit range.
int32_t PopCodePage()
{
    int32_t codePage = -1;
    if (!TruncatedInt(PopNumber(), codePage))
        codePage = -1;
    return codePage;
}

// Opens a whole-file read in the code page given, else in the one
// SETENCODING chose, else in the encoding detected from its first bytes.
// Sets the error and gives false when it cannot: 2101 no such file, 50012
// (with the function as subject) a code page with no encoding, 2103 the
// file refused reading.
bool OpenWholeFile(const QString &name, bool given, int32_t codePage, int32_t f, TextReader &reader)
{
    const QString path = PathOf(name);
    if (!QFileInfo(path).isFile()) {
        SetError(2101);
        return false;
    }
    std::optional<TextEncoding> encoding;
    if (given || CurrentEncoding >= 1) {
        encoding = EncodingOfCodePage(given ? codePage : CurrentEncoding);
        if (!encoding) {
            SetError(50012, f);
            return false;
        }
    }
    if (!reader.Open(path, encoding ? *encoding : GetFileEncoding(path))) {
        SetError(2103);
        return false;
    }
    return true;
}

// Reads a whole file as OpenWholeFile opens it; a text longer than a string
// holds is error 30101, and a read that fails on the way 2103.
bool ReadWholeFile(const QString &name, bool given, int32_t codePage, int32_t f, QString &text)
{
    TextReader reader;
    if (!OpenWholeFile(name, given, codePage, f, reader))
        return false;
    if (!reader.ReadRest(text, StringLengthLimit)) {
        SetError(30101);
        return false;
    }
    if (reader.Failed()) {
        SetError(2103);
        return false;
    }
    return true;
}

// Adds the text at the end of the file, which is created when missing (the
// mark only when it is empty). A write that fails part of the way (a full
// disk) cuts the file back to its old length, so that a program that tries
// again does not repeat what got through.
bool AppendTextFile(const QString &path, const QString &text, const TextEncoding &encoding)
{
    QFile file(path);
    if (!OpenForWriting(file, true))
        return false;
    const qint64 oldLength = file.size();
    QByteArray bytes = encoding.WriteBom && oldLength == 0 ? EncodingMark(encoding.CodePage) : QByteArray();
    bytes += EncodeText(text, encoding);
    if (file.write(bytes) == bytes.size())
        return true;
    file.resize(oldLength);
    return false;
}

// Writes a whole text: the file is created or replaced, or appended to.
// 50026 with the statement as subject when the file cannot be written, or
// when a channel writes it (the two writers would lose each other's text).
bool WriteWholeFile(const QString &name, const QString &text, const TextEncoding &encoding, bool append, int32_t s)
{
    const QString path = PathOf(name);
    bool written = false;
    if (path.isEmpty() || QFileInfo(path).isDir() || ChannelHoldsFile(path, true))
        written = false;
    else if (!append)
        written = WriteTextFile(path, text, encoding);
    else
        written = AppendTextFile(path, text, encoding);
    if (!written)
        SetError(50026, s);
    return written;
}

// The string array named by the code cell after the statement's own cell: a
// whole string array of one dimension whose elements all lie in the table.
StrVarType *FetchLineArray()
{
    FetchCurrentCell();
    const int32_t v = CurrentCell.SecondCode;
    if (CurrentCell.FirstCode != ckStrArrVar || v < 1 || size_t(v) >= StrVars.size())
        return nullptr;
    StrVarType &record = StrVars[size_t(v)];
    if (record.Dimensions != 1 || record.FirstElement < 1 || record.Bound[0] < 0
        || size_t(record.FirstElement) + size_t(record.Bound[0]) >= StrArrayData.size())
        return nullptr;
    return &record;
}

// The number of lines that element 0 states: a whole number of 1 or more,
// else 0 (no count stated: "0", "-1" after a read that did not fit, text).
int64_t StatedLineCount(const QString &text)
{
    bool ok = false;
    const double m = text.trimmed().toDouble(&ok);
    if (!ok || !(m >= 1) || m != std::floor(m))
        return 0;
    return m > double(std::numeric_limits<int32_t>::max()) ? std::numeric_limits<int32_t>::max() : int64_t(m);
}

// The arguments of READALLTEXT and READALLLINES: the name, below the code
// page when there is one; 50011 with the function as subject otherwise.
bool PopReadArgs(bool withCodePage, int32_t f, QString &name, int32_t &codePage)
{
    const bool shaped = withCodePage ? TopTag() == tagNumber && SecondTag() == tagString : TopTag() == tagString;
    if (!shaped) {
        SetError(50011, f);
        return false;
    }
    if (withCodePage)
        codePage = PopCodePage();
    name = PopString();
    return true;
}

// READALLTEXT(name [, code page]).
void FnReadAllText(bool withCodePage)
{
    QString name;
    int32_t codePage = 0;
    QString text;
    if (PopReadArgs(withCodePage, fnREADALLTEXT, name, codePage)
        && ReadWholeFile(name, withCodePage, codePage, fnREADALLTEXT, text))
        PushString(std::move(text));
}

// A$() = READALLLINES(name [, code page]): the lines fill elements 1 .. bound,
// element 0 gets their count, or -1 when the array was too small.
void ExecReadAllLines(bool withCodePage)
{
    QString name;
    int32_t codePage = 0;
    if (!PopReadArgs(withCodePage, fnREADALLLINES, name, codePage))
        return;
    if (!QFileInfo(PathOf(name)).isFile()) {
        SetError(2101);
        return;
    }
    StrVarType *array = FetchLineArray();
    if (array == nullptr) {
        SetError(50011, fnREADALLLINES);
        return;
    }
    TextReader reader;
    if (!OpenWholeFile(name, withCodePage, codePage, fnREADALLLINES, reader))
        return;
    // The lines read take no more memory together than one string may.
    const int32_t bound = array->Bound[0];
    const size_t first = size_t(array->FirstElement);
    qsizetype total = 0;
    int32_t stored = 0;
    QString line;
    while (stored < bound && !reader.AtEnd()) {
        if (!reader.ReadLine(line, StringLengthLimit - total)) {
            SetError(30101);
            return;
        }
        total += line.size();
        StrArrayData[first + size_t(++stored)] = std::move(line);
    }
    if (reader.Failed()) {
        SetError(2103);
        return;
    }
    StrArrayData[first] = reader.AtEnd() ? QString::number(stored) : QStringLiteral("-1");
}

// WRITEALLTEXT(name, text [, code page]), and APPENDALLTEXT, which adds the
// text at the end of the file (in the file's own encoding when none is set).
void ExecWriteAllText(int32_t s, bool withCodePage, bool append)
{
    const bool shaped = withCodePage
        ? TopTag() == tagNumber && SecondTag() == tagString && ThirdTag() == tagString
        : TopTag() == tagString && SecondTag() == tagString;
    if (!shaped) {
        SetError(50022, s);
        return;
    }
    const int32_t codePage = withCodePage ? PopCodePage() : 0;
    const QString text = PopString();
    const QString name = PopString();
    std::optional<TextEncoding> encoding;
    const QString path = PathOf(name);
    if (append && !withCodePage && CurrentEncoding < 1 && QFileInfo(path).isFile() && QFileInfo(path).size() > 0)
        encoding = GetFileEncoding(path);
    else
        encoding = WriteEncoding(withCodePage, codePage);
    if (!encoding) {
        SetError(50026, s);
        return;
    }
    WriteWholeFile(name, text, *encoding, append, s);
}

// WRITEALLLINES(name, A$() [, code page]): elements 1 .. n, each ended by
// CR LF, where n is the bound or, when smaller, the count in element 0.
void ExecWriteAllLines(bool withCodePage)
{
    const bool shaped = withCodePage ? TopTag() == tagNumber && SecondTag() == tagString : TopTag() == tagString;
    if (!shaped) {
        SetError(50022, stWRITEALLLINES);
        return;
    }
    const int32_t codePage = withCodePage ? PopCodePage() : 0;
    const QString name = PopString();
    const StrVarType *array = FetchLineArray();
    if (array == nullptr) {
        SetError(50022, stWRITEALLLINES);
        return;
    }
    const std::optional<TextEncoding> encoding = WriteEncoding(withCodePage, codePage);
    if (!encoding) {
        SetError(50026, stWRITEALLLINES);
        return;
    }
    const size_t first = size_t(array->FirstElement);
    int64_t n = array->Bound[0];
    const int64_t stated = StatedLineCount(StrArrayData[first]);
    if (stated >= 1)
        n = std::min(n, stated);
    QString text;
    for (int64_t i = 1; i <= n; ++i) {
        text += StrArrayData[first + size_t(i)];
        text += QStringLiteral("\r\n");
    }
    WriteWholeFile(name, text, *encoding, false, stWRITEALLLINES);
}

// ---------------------------------------------------------------- files and folders

// FILEEXISTS and DIRECTORYEXISTS.
void FnFileExists(int32_t f)
{
    QString name;
    if (!PopStringArg(f, name))
        return;
    const QFileInfo info(PathOf(name));
    PushBool(f == fnFILEEXISTS ? info.isFile() : info.isDir());
}

// DISKFREE and DISKSIZE: the drive is named by the first character's code
// less 64, on its low byte; 0 (the empty text) is the current folder's file
// system, 3 ("C") the root's, and any other drive does not exist (-1).
void FnDiskSpace(int32_t f)
{
    QString text;
    if (!PopStringArg(f, text))
        return;
    const int drive = text.isEmpty() ? 0 : (text.at(0).unicode() - 64) & 0xFF;
    QStorageInfo storage;
    if (drive == 0)
        storage.setPath(QDir::currentPath());
    else if (drive == 3)
        storage.setPath(QStringLiteral("/"));
    if (!storage.isValid() || !storage.isReady()) {
        PushNumber(-1);
        return;
    }
    PushNumber(f == fnDISKFREE ? storage.bytesAvailable() : storage.bytesTotal());
}

// RENAMEFILE(old, new): a file or a folder is moved; an existing new name
// is not replaced.
void FnRenameFile()
{
    if (TopTag() != tagString || SecondTag() != tagString) {
        SetError(50011, fnRENAMEFILE);
        return;
    }
    const QString to = PathOf(PopString());
    const QString from = PathOf(PopString());
    const QFileInfo source(from);
    bool moved = false;
    if (!to.isEmpty() && source.exists() && !QFileInfo::exists(to))
        moved = source.isDir() ? QDir().rename(from, to) : QFile::rename(from, to);
    PushBool(moved);
}

// FILELEN: the length in bytes, in the full range of a number.
void FnFileLen()
{
    QString name;
    if (!PopStringArg(fnFILELEN, name))
        return;
    const QFileInfo info(PathOf(name));
    if (!info.isFile()) {
        SetError(54095);
        return;
    }
    PushNumber(static_cast<long double>(info.size()));
}

// CREATEDIR, DELETEFILE, REMOVEDIR (an empty folder) and SETCURRENTDIR.
void FnDirectoryOp(int32_t f)
{
    QString name;
    if (!PopStringArg(f, name))
        return;
    const QString path = PathOf(name);
    bool done = false;
    if (!path.isEmpty()) {
        switch (f) {
        case fnCREATEDIR: done = QDir().mkdir(path); break;
        case fnDELETEFILE: done = !QFileInfo(path).isDir() && QFile::remove(path); break;
        case fnREMOVEDIR: done = QDir().rmdir(path); break;
        default: done = QDir::setCurrent(path); break;
        }
    }
    PushBool(done);
}

// GETFILEDATETIME: the last-write time as "yyyy/MM/dd HH:mm:ss", the date
// alone at midnight.
void FnGetFileDateTime()
{
    QString name;
    if (!PopStringArg(fnGETFILEDATETIME, name))
        return;
    const QFileInfo info(PathOf(name));
    if (!info.isFile()) {
        SetError(54095);
        return;
    }
    const QDateTime stamp = info.lastModified();
    const QTime time = stamp.time();
    const bool midnight = time.hour() == 0 && time.minute() == 0 && time.second() == 0;
    PushString(stamp.toString(midnight ? QStringLiteral("yyyy/MM/dd") : QStringLiteral("yyyy/MM/dd HH:mm:ss")));
}

// ---------------------------------------------------------------- file search

// The one open search: the matching names, taken when it began, and the next
// one to give.
struct FindRecord {
    QStringList Names;
    qsizetype Next = 0;
};

FindRecord Search;

// The wildcard match of a name, without regard to case: "*" any run of
// characters, "?" any one character.
bool WildcardMatch(QStringView pattern, QStringView name)
{
    qsizetype p = 0, n = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == u'?' || pattern[p].toCaseFolded() == name[n].toCaseFolded())) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

// As the platform matches: a pattern ending in ".*" also takes names with no
// extension, so "*.*" takes every name.
bool MatchesPattern(const QString &pattern, const QString &name)
{
    if (WildcardMatch(pattern, name))
        return true;
    return pattern.endsWith(QStringLiteral(".*")) && !name.contains(u'.')
        && WildcardMatch(QStringView(pattern).chopped(2), name);
}

// FINDFIRSTFILE(pattern): starts a new search, replacing any other, and gives
// the first name (files and folders alike), or "" when nothing matches.
void FnFindFirstFile()
{
    QString text;
    if (!PopStringArg(fnFINDFIRSTFILE, text))
        return;
    CloseFileSearch();
    const QString pattern = text.isEmpty() ? QStringLiteral("*.*") : PathOf(text);
    const qsizetype slash = pattern.lastIndexOf(u'/');
    const QString folder = slash < 0 ? QStringLiteral(".") : slash == 0 ? QStringLiteral("/") : pattern.left(slash);
    const QString namePattern = pattern.mid(slash + 1);
    if (!pattern.isEmpty() && !namePattern.isEmpty()) {
        const QDir dir(folder);
        const QStringList entries = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                                  QDir::Name | QDir::IgnoreCase);
        for (const QString &entry : entries) {
            if (MatchesPattern(namePattern, entry))
                Search.Names += entry;
        }
    }
    PushString(Search.Names.isEmpty() ? QString() : Search.Names[Search.Next++]);
}

// FINDNEXTFILE: the next name of the open search, or "".
void FnFindNextFile()
{
    PushString(Search.Next < Search.Names.size() ? Search.Names[Search.Next++] : QString());
}

// ---------------------------------------------------------------- the rest

// EOF(n): whether the reader of input channel n is at the end of its text.
void FnEof()
{
    if (TopTag() != tagNumber) {
        SetError(50011, fnEOF);
        return;
    }
    int32_t channel = 0;
    if (!TruncatedInt(PopNumber(), channel) || channel < 1 || channel > ChannelCount) {
        SetError(3006);
        return;
    }
    if (ChannelMode[channel] != cmInput) {
        SetError(3005);
        return;
    }
    PushBool(ChannelAtEnd(channel));
}

// SHELL(command) and SYSCMD command: the command runs in the shell, in the
// current folder, without waiting; SHELL tells whether it started.
void FnShell(bool wantResult)
{
    QString command;
    if (!PopStringArg(fnSHELL, command))
        return;
    const bool started = QProcess::startDetached(ShellProgram, {QStringLiteral("-c"), command}, QDir::currentPath());
    if (wantResult)
        PushBool(started);
}

// GETDIMTYPE(A(), k): the number of dimensions for k = 0, the bound of
// dimension k, or 0 beyond the last dimension.
void FnGetDimType()
{
    const int32_t refTag = SecondTag();
    if ((refTag != tagNumRef && refTag != tagStrRef && refTag != tagBoolRef) || TopTag() != tagNumber) {
        SetError(50011, fnGETDIMTYPE);
        return;
    }
    const long double k = std::trunc(PopNumber());
    const long double index = PopNumber();
    if (k < 0) {
        SetError(50011, fnGETDIMTYPE);
        return;
    }
    int dimensions = 0;
    const Bounds *bounds = nullptr;
    auto take = [&](const auto &table) {
        if (index >= 1 && index < table.size()) {
            dimensions = table[size_t(index)].Dimensions;
            bounds = &table[size_t(index)].Bound;
        }
    };
    switch (refTag) {
    case tagNumRef: take(NumVars); break;
    case tagStrRef: take(StrVars); break;
    default: take(BoolVars); break;
    }
    dimensions = std::clamp(dimensions, 0, int(std::tuple_size_v<Bounds>));
    if (k == 0)
        PushNumber(dimensions);
    else if (k > dimensions)
        PushNumber(0);
    else
        PushNumber((*bounds)[size_t(k) - 1]);
}

} // namespace

void CloseFileSearch()
{
    Search = FindRecord{};
}

bool DispatchFileFunction(int32_t f)
{
    switch (f) {
    case fnCREATEDIR: case fnDELETEFILE: case fnREMOVEDIR: case fnSETCURRENTDIR: FnDirectoryOp(f); return true;
    case fnFILEEXISTS: case fnDIRECTORYEXISTS: FnFileExists(f); return true;
    case fnDISKFREE: case fnDISKSIZE: FnDiskSpace(f); return true;
    case fnEOF: FnEof(); return true;
    case fnFILELEN: FnFileLen(); return true;
    case fnFINDFIRSTFILE: FnFindFirstFile(); return true;
    case fnFINDNEXTFILE: FnFindNextFile(); return true;
    case fnGETDIMTYPE: FnGetDimType(); return true;
    case fnGETFILEDATETIME: FnGetFileDateTime(); return true;
    case fnREADALLTEXT: FnReadAllText(false); return true;
    case OneMoreArgBase + fnREADALLTEXT: FnReadAllText(true); return true;
    case fnRENAMEFILE: FnRenameFile(); return true;
    case fnSEEK: SetError(50023, fnSEEK); return true;  // not supported: an error, not a missing result
    case fnSHELL: FnShell(true); return true;
    default: return false;
    }
}

bool DispatchFileSystemStatement(int32_t s)
{
    switch (s) {
    case stFINDFILECLOSE: CloseFileSearch(); return true;
    case stSYSCMD: FnShell(false); return true;
    case stWRITEALLTEXT: ExecWriteAllText(s, false, false); return true;
    case StatementVariant(1, stWRITEALLTEXT): ExecWriteAllText(stWRITEALLTEXT, true, false); return true;
    case stAPPENDALLTEXT: ExecWriteAllText(s, false, true); return true;
    case StatementVariant(1, stAPPENDALLTEXT): ExecWriteAllText(stAPPENDALLTEXT, true, true); return true;
    case stWRITEALLLINES: ExecWriteAllLines(false); return true;
    case StatementVariant(1, stWRITEALLLINES): ExecWriteAllLines(true); return true;
    case isReadAllLinesToArray: ExecReadAllLines(false); return true;
    case StatementVariant(1, isReadAllLinesToArray): ExecReadAllLines(true); return true;
    default: return false;
    }
}

} // namespace ov

