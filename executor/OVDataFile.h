// Data files on channels 1 to 8: OPEN, CLOSE, PRINT # (with zones, TAB and
// USING), INPUT #, LINE INPUT #, SETENCODING and the folder listing FILES.
// A channel is a text file read or written in one encoding; an input
// channel reads its file by blocks, an output channel writes its text in
// pieces of 1024 characters.
#pragma once

#include <QString>
#include <cstdint>

namespace ov {

constexpr int ChannelCount = 8;

enum ChannelModeValue : int { cmClosed = 0, cmInput = 1, cmOutput = 2, cmAppend = 3 };

// The mode each channel was opened in (ChannelModeValue). Index 0 is unused.
extern int ChannelMode[ChannelCount + 1];

// Opens channel n (1 to 8) in the mode: 2 creates or replaces the file, 1
// and 3 want an existing file; the encoding is SETENCODING's, else the ANSI
// code page for a new file and the detected one for an existing file. Sets
// the error (54092, 2101, 50026) and returns false when it fails.
bool OpenFileChannel(const QString &name, int mode, int channel);
// Closes channel n, or every channel for 0, writing what an output channel
// still holds. A failed write sets error 50026 (CLOSE); the channel is
// closed all the same.
void CloseFileChannel(int channel);

// For the file functions. Each is false for a channel that is not open in
// a mode it applies to.
//
// No data is left on the input channel: its text is read to the end and
// INPUT # holds no character pushed back (that character is data still to
// be read, so a loop on EOF reads the last item too).
bool ChannelAtEnd(int channel);
// Reads up to `count` characters from an input channel, a pushed-back
// character first; false when the channel is at its end. More than a string
// holds is error 30101.
bool ReadChannelChars(int channel, int count, QString &text);
// Whether a channel has open the file that `path` names: open for writing
// (OUTPUT or APPEND), or, unless `writersOnly`, open at all. A file is
// known by its device and inode, so every name of it counts, links too.
// OPEN and every statement that writes a whole file ask here first.
bool ChannelHoldsFile(const QString &path, bool writersOnly);

// A file name as a program gives it: backslashes become slashes. False for a
// name that starts with a drive letter, which names nothing here, and for a
// name holding a NUL, which no file has. Every statement and function that
// takes a file name goes through here.
bool ProgramFilePath(const QString &name, QString &path);

// Runs the channel statement with this value (OPEN, CLOSE, INPUT #,
// LINE INPUT #, PRINT #, SETENCODING, FILES ...); false when it is none.
bool DispatchDataFileStatement(int32_t s);
// The separator cells of PRINT # (kind 52): 21 the comma, 136 the line end.
void DispatchFilePrintSeparator(int32_t value);

} // namespace ov
