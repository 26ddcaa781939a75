// The short name of the running Windows version ("95" ... "8.1" or "Unknown"),
// looked up once at start-up. Other code keys on the name: "2000" is refused,
// and the console's larger text limit is for "Vista" and "7".
#pragma once

#include <QString>

namespace ov {

// What the platform reports about its version.
struct VersionRecord {
    bool Valid = false;   // false when the platform could not supply the record
    int Major = 0;
    int Minor = 0;
    int PlatformId = 0;   // 1: the 95 family, 2: the NT family
    QString ServicePack;  // e.g. " A " for the second edition of 98
};

// The short name for a version record.
QString WindowsVersionNameFor(const VersionRecord &r);

// The name of the running system. There is no Windows version record to
// read, so the system's own product name is returned ("Unknown" when it is
// empty or would pass for one of the Windows names above).
QString GetWindowsVersionName();

// Largest program text, in characters, for the editor and the worker's
// size check: 262,144 on the older Windows systems named by the version
// record ("95" to "XP", "8" and "8.1"), else 1,048,576 (this desktop's
// system, "Vista" and "7").
int ProgramSizeLimit(const QString &versionName);

// Largest text of the console window: 5,242,880 on "Vista" and "7",
// else 1,048,576.
int ConsoleTextLimit(const QString &versionName);

}  // namespace ov
