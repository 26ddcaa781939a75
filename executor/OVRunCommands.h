// Run-control statements that steer a run from the program or the console
// (STOP, CONT, RUN, ECHO, CHKMSG, LIST, LOAD) and the statements that act on
// files by name (CHDIR, KILL, NAME, FILECOPY).
#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <cstdint>

namespace ov {

extern std::atomic<int> ChkMsgOn;  // ask before closing the main frame while set; the worker writes it, the frame reads it

void ExecStop();   // runs inside a synchronised step
void ExecCont();   // runs inside a synchronised step
void ExecRun();
void ExecEcho();
void ExecChkMsg();

// The backup name of a file: its extension replaced by ".bak"; as text,
// and as the system's bytes.
QString BackupName(const QString &path);
QByteArray BackupFileName(const QByteArray &path);

// Runs the file statement with this value (LIST, LOAD, CHDIR, KILL, NAME,
// FILECOPY); false when it is none.
bool DispatchFileStatement(int32_t s);

// The string argument of a statement that names a file, as a path here;
// false (with error 50022 naming the statement) when it is not a string.
bool PopPathArgument(int32_t statement, QString &path);
bool IsExistingFile(const QString &path);

} // namespace ov
