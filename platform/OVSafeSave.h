// Replacing a file so that its name never stands empty or absent: the new
// contents go to a temporary file in the same folder and are flushed to
// disk; the previous file is kept under the backup name (a hard link to it,
// or else a copy, renamed over any older backup in one step); then the
// temporary file is renamed over the name. A failure leaves the previous
// file as it was. A symbolic link is saved through: the file it names is
// replaced, its backup kept beside it, and the link stays; a loop of links
// is an error that leaves the links alone.
//
// The new file is made to be the old one in everything but its contents:
// its owner, group, permissions and extended attributes. Where it cannot be
// (the user may not give it the owner, group or attributes), where the file
// has other names (hard links), or where the folder takes no new file (or
// the name cannot be replaced), the file is written in place, its old
// contents put back when that fails. A device or a pipe is always written
// in place. A file the user may not write is refused as a plain write
// refuses it.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <functional>

namespace ov {

// The steps of a save, in order.
enum class SaveStep { Write, Backup, Replace };

// Tests make a step fail: false from the hook fails the step as a failure of
// its file operation would, with the errno the hook leaves (EIO when it
// leaves none). The hook is called before each step; before Write the
// temporary file exists, empty, with the owner and permissions it keeps.
using SaveFaultHook = std::function<bool(SaveStep step)>;
void SetSaveFaultHook(SaveFaultHook hook);

// How the temporary file of a save by process `pid` on this machine begins
// (".ovsave-", the process id, a tag of the machine, "-"); six random
// characters follow. Tests leave such files as a killed save can.
QString SaveTemporaryStem(qint64 pid);

// The backup name of the file a save replaces (the end of the links from
// the name saved to); empty for no backup.
using BackupNaming = std::function<QString(const QString &target)>;

// Writes `bytes` to `path`, or to the file it links to. With a backup name,
// an existing file is kept there first; a backup that cannot be made does
// not stop the save. A file replaced keeps its permissions; a new file has
// those the umask leaves, as any new file. False with `error` set to the
// system's reason (a full disk, a read-only one, a loop of links, a file the
// user may not write) when the file could not be written.
// Temporary files that earlier saves in that folder left behind when they
// were killed are removed on the way.
bool ReplaceFileKeepingBackup(const QString &path, const QByteArray &bytes, const BackupNaming &backupOf,
                              QString &error);

// Replaces `path` as ReplaceFileKeepingBackup does (without a backup) by a
// copy of the file `source`, read in blocks rather than held whole. The copy
// has the permissions of a new file made with the source's, whether it is
// new or replaces a file.
bool ReplaceFileWithCopy(const QString &path, const QString &source, QString &error);

// Opens the file named by `file` for writing, unbuffered, as QFile::open
// would (created when missing; emptied, or written at its end when
// `append`), except that a pipe with no reader is an error at once rather
// than a wait for one.
bool OpenForWriting(QFile &file, bool append);

} // namespace ov
