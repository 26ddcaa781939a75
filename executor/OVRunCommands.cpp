#include "executor/OVRunCommands.h"

#include "executor/OVConsoleOut.h"
#include "executor/OVDataFile.h"
#include "executor/OVMThread.h"
#include "executor/OVRunHost.h"
#include "executor/OVStack.h"
#include "language/OVCode.h"
#include "language/OVPreScan.h"
#include "platform/OVSafeSave.h"
#include "platform/OVTextEncoding.h"
#include "platform/OVTextReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <system_error>
#include <utility>

namespace ov {

std::atomic<int> ChkMsgOn{1};

namespace {

// The buttons while a run goes on: Edit, Run and Cont off, Stop on.
void SetRunningButtons()
{
    Host().SetRunButtons(false, false, true, false);
}

// ON or OFF in the next cell; -1 for any other cell, which changes nothing.
int ReadOnOff()
{
    FetchCurrentCell();
    if (CurrentCell.FirstCode != ckStatement)
        return -1;
    if (CurrentCell.SecondCode == stON)
        return 1;
    return CurrentCell.SecondCode == stOFF ? 0 : -1;
}

} // namespace

void ExecStop()
{
    StopRequested = 1;
    ContPosition = CodePos + 1;
    Host().SetRunButtons(true, true, false, true);
}

void ExecCont()
{
    RunMode = 3;
    ProgramRunning = 1;
    StopRequested = 0;
    SavedStopRequested = 0;  // a continued program ends as a normal run
    SetRunningButtons();
}

void ExecRun()
{
    RunMode = 2;
    ProgramRunning = 1;
    StopRequested = 0;
    SavedStopRequested = 0;
    Synchronised(SetRunningButtons);
}

void ExecEcho()
{
    const int value = ReadOnOff();
    if (value >= 0)
        EchoOn = value;
}

void ExecChkMsg()
{
    const int value = ReadOnOff();
    if (value >= 0)
        ChkMsgOn = value;
}

namespace {

// ---------------------------------------------------------------- file names

// A file name as a program gives it, as a path here; a name that names
// nothing here (a drive letter, a NUL) gives the empty path, which no file has.
QString LocalPath(const QString &name)
{
    QString path;
    return ProgramFilePath(name, path) ? path : QString();
}

} // namespace

// The string argument of a file statement, as a path; false (with error
// 50022 naming the statement) when the top entry is not a string.
bool PopPathArgument(int32_t statement, QString &path)
{
    if (TopTag() != tagString) {
        SetError(50022, statement);
        return false;
    }
    path = LocalPath(PopString());
    return true;
}

bool IsExistingFile(const QString &path) { return !path.isEmpty() && QFileInfo(path).isFile(); }

namespace {

// Two string arguments, the second on top.
bool PopTwoPathArguments(int32_t statement, QString &first, QString &second)
{
    if (TopTag() != tagString || SecondTag() != tagString) {
        SetError(50022, statement);
        return false;
    }
    second = LocalPath(PopString());
    first = LocalPath(PopString());
    return true;
}

std::filesystem::path FsPath(const QString &path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// Two names of one file (also through links, or in another letter case on
// a file system that ignores it).
bool IsSameFile(const QString &a, const QString &b)
{
    std::error_code error;
    return std::filesystem::equivalent(FsPath(a), FsPath(b), error) && !error;
}

// ---------------------------------------------------------------- LIST and LOAD

// The program text is added to the console below what it shows, line by
// line; a pending PRINT line stays pending and follows it.
void ExecList()
{
    const QString pending = std::exchange(OutputLine, QString());
    const int pendingColumn = std::exchange(OutputColumn, 0);
    for (const QString &line : SplitTextLines(SourceText))
        PrintLine(line);
    OutputLine = pending;
    OutputColumn = pendingColumn;
}

// The file becomes the program text that RUN translates, read as the editor
// opens a program: its encoding detected, CR LF between the lines. A text
// longer than a string holds is error 30101.
void ExecLoad()
{
    QString path;
    if (!PopPathArgument(stLOAD, path))
        return;
    if (!IsExistingFile(path)) {
        SetError(2101);
        return;
    }
    TextReader reader;
    QString text;
    if (!reader.Open(path, GetFileEncoding(path))) {
        SetError(2112);
        return;
    }
    if (!reader.ReadRestAsLines(text, StringLengthLimit)) {
        SetError(30101);
        return;
    }
    if (reader.Failed()) {
        SetError(2112);
        return;
    }
    SourceText = std::move(text);
    IncludeFolder = QFileInfo(path).absolutePath();  // its INCLUDE files lie beside it
}

// ---------------------------------------------------------------- folders and files

void ExecChDir()
{
    QString path;
    if (!PopPathArgument(stCHDIR, path))
        return;
    if (path.isEmpty() || !QDir::setCurrent(path))
        SetError(2121);
}

// The file is never deleted: it moves to its backup name, replacing an
// older backup. A file that already carries that name stays as it is.
void ExecKill()
{
    QString path;
    if (!PopPathArgument(stKILL, path))
        return;
    if (!IsExistingFile(path)) {
        SetError(2141);
        return;
    }
    const QString backup = BackupName(path);
    if (backup == path || IsSameFile(path, backup))
        return;
    if (QFileInfo::exists(backup) && !QFile::remove(backup)) {
        SetError(2142);
        return;
    }
    if (!QFile::rename(path, backup))
        SetError(2142);
}

void ExecName()
{
    QString oldName;
    QString newName;
    if (!PopTwoPathArguments(stNAME, oldName, newName))
        return;
    if (!IsExistingFile(oldName)) {
        SetError(2131);
        return;
    }
    if (!newName.isEmpty() && QFileInfo::exists(newName)) {
        SetError(2132);
        return;
    }
    if (newName.isEmpty() || !QFile::rename(oldName, newName))
        SetError(2133);
}

// ---------------------------------------------------------------- FILECOPY

// A name against a pattern of "*" (any units) and "?" (one unit).
bool MatchesWildcards(QStringView name, QStringView pattern)
{
    qsizetype n = 0;
    qsizetype p = 0;
    qsizetype starAt = -1;  // the last "*" seen and the name position it took up to
    qsizetype starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starAt = p++;
            starName = n;
        } else if (starAt >= 0) {
            p = starAt + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

// As the dialect's file patterns have it, a pattern ending in ".*" also
// takes a name without an extension, so "*.*" takes every file.
bool MatchesPattern(QStringView name, QStringView pattern)
{
    if (MatchesWildcards(name, pattern))
        return true;
    return pattern.endsWith(u".*") && !name.contains(u'.') && MatchesWildcards(name, pattern.chopped(2));
}

// The files a source names: one file, or the files of its folder that
// match its wildcards (folders are not copied).
QStringList SourceFiles(const QString &source)
{
    const qsizetype slash = source.lastIndexOf(u'/');
    const QString pattern = source.mid(slash + 1);
    if (!pattern.contains(u'*') && !pattern.contains(u'?'))
        return IsExistingFile(source) ? QStringList{source} : QStringList{};
    const QString folder = slash < 0 ? QStringLiteral(".") : source.left(slash + 1);
    const QString prefix = slash < 0 ? QString() : source.left(slash + 1);
    QStringList files;
    const QDir dir(folder);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString &name : names) {
        if (MatchesPattern(name, pattern))
            files << prefix + name;
    }
    return files;
}

// Asked on the user-interface thread before a file is replaced.
bool MayOverwrite(const QString &target)
{
    bool yes = false;
    Synchronised([&] {
        yes = Host().AskYesNo(QStringLiteral(u"ファイルのコピー"),
                              QStringLiteral(u"%1 は既にあります。上書きしますか？").arg(QDir::toNativeSeparators(target)));
    });
    return yes;
}

// Copies one file as a whole-file write replaces a file: a copy that fails
// leaves the target as it was. The copy has the source's permissions (less
// what the umask takes from a new file) and time of last change; false when
// it fails.
bool CopyOneFile(const QString &source, const QString &target)
{
    QString reason;
    if (!ReplaceFileWithCopy(target, source, reason))
        return false;
    std::error_code error;
    const auto changed = std::filesystem::last_write_time(FsPath(source), error);
    if (!error)
        std::filesystem::last_write_time(FsPath(target), changed, error);
    return true;
}

// FILECOPY source, destination: a file, or the files that the source's
// wildcards match, into an existing folder under their own names or (one
// file) to the destination name. Replacing a file is asked first; a file is
// never copied onto itself. Errors: 2101 no source file, 2102 no folder to
// copy to, 2112 a copy that failed or a target that a channel writes.
void ExecFileCopy()
{
    QString source;
    QString destination;
    if (!PopTwoPathArguments(stFILECOPY, source, destination))
        return;
    const QStringList files = source.isEmpty() ? QStringList{} : SourceFiles(source);
    if (files.isEmpty()) {
        SetError(2101);
        return;
    }
    const QFileInfo destinationInfo(destination);
    const bool intoFolder = !destination.isEmpty() && destinationInfo.isDir();
    if (!intoFolder
        && (destination.isEmpty() || destination.endsWith(u'/') || files.size() > 1
            || !destinationInfo.dir().exists())) {
        SetError(2102);
        return;
    }
    for (const QString &file : files) {
        const QString target = intoFolder ? QDir(destination).filePath(QFileInfo(file).fileName()) : destination;
        const QFileInfo targetInfo(target);
        if (targetInfo.exists()) {
            if (!targetInfo.isFile() || ChannelHoldsFile(target, true)) {
                SetError(2112);
                return;
            }
            if (IsSameFile(file, target) || !MayOverwrite(target))
                continue;
        }
        if (!CopyOneFile(file, target)) {
            SetError(2112);
            return;
        }
    }
}

} // namespace

QByteArray BackupFileName(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    const qsizetype dot = path.lastIndexOf('.');
    return (dot > slash ? path.left(dot) : path) + ".bak";
}

QString BackupName(const QString &path)
{
    return QFile::decodeName(BackupFileName(QFile::encodeName(path)));
}

bool DispatchFileStatement(int32_t s)
{
    switch (s) {
    case stLIST: ExecList(); return true;
    case stLOAD: ExecLoad(); return true;
    case stCHDIR: ExecChDir(); return true;
    case stKILL: ExecKill(); return true;
    case stNAME: ExecName(); return true;
    case stFILECOPY: ExecFileCopy(); return true;
    default: return false;
    }
}

} // namespace ov
