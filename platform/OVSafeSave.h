// Replacing a file so that its name never stands empty or absent: the new
// contents go to a temporary file in the same folder and are flushed to
// disk; the previous file is kept under the backup name (a hard link to it,
// or else a copy, renamed over any older backup in one step); then the
// temporary file is renamed over the name. A failure leaves the previous
// file as it was.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

namespace ov {

// The steps of a save, in order.
enum class SaveStep { Write, Backup, Replace };

// Tests make a step fail: false from the hook fails the step as a failure of
// its file operation would. The hook is called before each step.
using SaveFaultHook = std::function<bool(SaveStep step)>;
void SetSaveFaultHook(SaveFaultHook hook);

// Writes `bytes` to `path`. With a `backup` name, an existing file at `path`
// is kept there first; a backup that cannot be made does not stop the save.
// The new file keeps the permissions of the one it replaces. False with
// `error` set when `path` could not be replaced.
bool ReplaceFileKeepingBackup(const QString &path, const QByteArray &bytes, const QString &backup,
                              QString &error);

} // namespace ov
