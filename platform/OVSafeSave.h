// Replacing a file so that its name never stands empty or absent. The name
// is opened as a plain write opens it (created when missing, never
// emptied): the kernel follows its links, applies its link protections and
// refuses a file this user may not write, and a pipe without a reader fails
// at once. The rest works from that descriptor and from the folder the
// kernel found the file in: the new contents go to an unnamed file in that
// folder (a file under a fresh name where the file system has none), are
// flushed to disk, and the finished file is renamed over the name; the
// previous file is kept under the backup name first (a hard link to it, or
// else a copy, renamed over any older backup in one step). A failure leaves
// the previous file as it was; a save killed on the way leaves the old or
// the new contents (a new file may stay empty). Only a kill in the moment
// between linking a finished helper file in and renaming it leaves that
// file behind under its helper name: the kernel cannot link an unnamed
// file over an existing name.
//
// The new file is made to be the old one in everything but its contents:
// its owner, group, permissions and extended attributes. Where it cannot be
// (the user may not give it the owner, group or attributes), where the file
// has other names (hard links), where the folder takes no new file (or the
// name cannot be replaced), or where the name no longer holds the file
// opened, the file is written in place through the descriptor, its old
// contents put back when that fails. A device or a pipe is always written
// in place. Every helper file is made under a name of its own, exclusively,
// and only names a save made are ever removed.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <functional>

namespace ov {

// The steps of a save, in order: the new file made, written, the backup
// kept, the new file put in the old one's place.
enum class SaveStep { Create, Write, Backup, Replace };

// Tests make a step fail: false from the hook fails the step as a failure of
// its file operation would, with the errno the hook leaves (EIO when it
// leaves none); EOPNOTSUPP at Create makes the save use a named new file.
// The hook is called before each step, with the save's new file at Write
// and Replace where there is one (-1 otherwise, as for a file written in
// place); before Write it is empty, with the owner and permissions it keeps.
using SaveFaultHook = std::function<bool(SaveStep step, int newFile)>;
void SetSaveFaultHook(SaveFaultHook hook);

// The backup's name in the folder of the file a save replaces (the end of
// the links from the name saved to), from that file's name there, both as
// the system's bytes; empty for no backup.
using BackupNaming = std::function<QByteArray(const QByteArray &fileName)>;

// Writes `bytes` to `path`, or to the file it links to. With a backup name,
// an existing file is kept there first; a backup that cannot be made does
// not stop the save. A file replaced keeps its permissions; a new file has
// those the umask leaves, as any new file. False with `error` set to the
// system's reason (a full disk, a read-only one, a loop of links, a file the
// user may not write) when the file could not be written.
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
