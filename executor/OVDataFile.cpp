#include "executor/OVDataFile.h"

#include "executor/OVConsoleOut.h"
#include "executor/OVDisplayWidth.h"
#include "executor/OVStack.h"
#include "language/OVCode.h"
#include "language/OVGetTokenUnit.h"
#include "language/OVStrTbl.h"
#include "platform/OVNumberBits.h"
#include "platform/OVSafeSave.h"
#include "platform/OVStringBuffer.h"
#include "platform/OVTextEncoding.h"
#include "platform/OVTextReader.h"
#include "platform/UCS4Encoding.h"
#include "resources/OVInterfaceTexts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <cmath>
#include <memory>
#include <string>

namespace ov {

int ChannelMode[ChannelCount + 1] = {};

namespace {

// Output is encoded and written whenever this many characters are pending;
// the pending text keeps room for twice as many, so that it rarely grows.
constexpr qsizetype WriteBufferLength = 1024;
// LINE INPUT # keeps a line buffer up to this long for the next line.
constexpr qsizetype KeptLineRoom = 4096;
constexpr int TabLimit = 120;

// A file as the system knows it, whatever name it was reached by.
struct FileId {
    dev_t Device = 0;
    ino_t Inode = 0;
    bool Known = false;
    bool operator==(const FileId &) const = default;
};

FileId IdOf(const struct stat &status) { return {status.st_dev, status.st_ino, true}; }

// The file a name leads to; unknown when there is none.
FileId FileIdOfName(const QString &path)
{
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? IdOf(status) : FileId{};
}

FileId FileIdOfDescriptor(int fd)
{
    struct stat status {};
    return fd >= 0 && ::fstat(fd, &status) == 0 ? IdOf(status) : FileId{};
}

struct Channel {
    TextEncoding Encoding;
    FileId Identity;     // to keep a file from being written by two at once
    // input
    TextReader Reader;
    bool HasPushBack = false;
    char16_t PushBack = 0;
    QString Line;        // LINE INPUT #: the line being read
    // output
    std::unique_ptr<QFile> File;
    std::u16string Pending;  // written by the program, not yet to the file
    int Column = 0;      // display column of the current output line
};

Channel Channels[ChannelCount + 1];

bool ValidChannel(int n) { return n >= 1 && n <= ChannelCount; }

// A whole number from a cell or a stack value, or `fallback` when it is out
// of the 32-bit range.
int Truncated(long double x, int fallback = 0)
{
    return x >= -2147483648.0L && x < 2147483648.0L ? int(TruncatedInt64(x)) : fallback;
}

// Blanks and control characters at both ends removed.
QString TrimControls(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= u' ')
        ++first;
    while (last > first && text[last - 1].unicode() <= u' ')
        --last;
    return text.mid(first, last - first);
}

// ---------------------------------------------------------------- output

// Encodes and writes the pending text. Unless `final`, a trailing high
// surrogate waits for its partner, so that a pair is never split.
bool FlushPending(Channel &ch, bool final, int32_t subject)
{
    auto length = qsizetype(ch.Pending.size());
    if (!final && length > 0 && QChar::isHighSurrogate(ch.Pending.back()))
        --length;
    if (length == 0 || !ch.File)
        return true;
    const QByteArray bytes = EncodeText(QStringView(ch.Pending).first(length), ch.Encoding);
    ch.Pending.erase(0, size_t(length));  // keeps the buffer
    if (ch.File->write(bytes) != bytes.size()) {
        SetError(50026, subject);
        return false;
    }
    return true;
}

// Text for the file as it is: the column is the caller's.
void WriteRaw(int n, QStringView text)
{
    Channel &ch = Channels[n];
    if ((ChannelMode[n] != cmOutput && ChannelMode[n] != cmAppend) || !ch.File)
        return;
    ch.Pending.append(text.utf16(), size_t(text.size()));
    if (qsizetype(ch.Pending.size()) >= WriteBufferLength)
        FlushPending(ch, false, stPRINT_FILE);
}

void WriteFileText(int n, QStringView text)
{
    Channels[n].Column += StrDisplayWidth(text);
    WriteRaw(n, text);
}

void WriteFileComma(int n)
{
    Channel &ch = Channels[n];
    const int zone = std::max(1, PrintPrecision + 5);
    const int next = (ch.Column / zone + 1) * zone;
    WriteRaw(n, QString(next - ch.Column, u' '));
    ch.Column = next;
}

void WriteFileNewLine(int n)
{
    WriteRaw(n, u"\r\n");
    Channels[n].Column = 0;
}

// The blanks up to the column of the TAB mark on top of the stack.
QString NumberToFileText(int n)
{
    long double x = PopNumber();
    if (ErrorNumber != 0)
        return {};
    x = std::min<long double>(x, TabLimit);
    if (!(x >= 1))
        return {};
    const int blanks = int(x) - Channels[n].Column;
    return blanks >= 1 ? QString(blanks, u' ') : QString();
}

// The channel number on top of the stack; 0 after an error.
int PopChannel()
{
    if (TopTag() != tagNumber) {
        SetError(50022, stPRINT_FILE);
        return 0;
    }
    const int n = Truncated(PopNumber());
    if (!ValidChannel(n)) {
        SetError(40001);
        return 0;
    }
    return n;
}

// An output or append channel, else 3011 (closed) or 3012 (input).
bool CheckWritable(int n)
{
    if (ChannelMode[n] == cmClosed) {
        SetError(3011);
        return false;
    }
    if (ChannelMode[n] == cmInput) {
        SetError(3012);
        return false;
    }
    return true;
}

// Writes the item on top of the stack, which is popped; TAB marks give the
// blanks up to their column. False after an error.
bool WriteItem(int n)
{
    switch (TopTag()) {
    case tagNumber: WriteFileText(n, PrintNumber(PopNumber()).View()); return true;
    case tagString: WriteFileText(n, PopString()); return true;
    case tagBool: WriteFileText(n, PopBool() ? u"True" : u"False"); return true;
    case tagTabMark: {
        const QString blanks = NumberToFileText(n);
        if (ErrorNumber != 0)
            return false;
        WriteFileText(n, blanks);
        return true;
    }
    default: SetError(50022, stPRINT_FILE); return false;
    }
}

// PRINT # item (137), or the last item of the statement, which ends the line (277).
void ExecPrintFile(bool endsLine)
{
    const int n = PopChannel();
    if (n == 0 || !CheckWritable(n) || !WriteItem(n))
        return;
    if (endsLine)
        WriteFileNewLine(n);
}

void PrintFileSeparator(bool comma)
{
    const int n = PopChannel();
    if (n == 0 || !CheckWritable(n))
        return;
    if (comma)
        WriteFileComma(n);
    else
        WriteFileNewLine(n);
}

// PRINT # n, USING picture; items: the picture rules of PRINT USING, then
// the separator that ends the statement decides how the line goes on.
void ExecPrintFileUsing()
{
    const int n = PopChannel();
    if (n == 0 || !CheckWritable(n))
        return;
    if (TopTag() != tagString) {
        SetError(50002);
        return;
    }
    WriteUsingPicture(PopString(), [n](const QString &text) { WriteFileText(n, text); });
    if (ErrorNumber != 0)
        return;
    const CodeType last = SkipToStatementEnd();
    if (last.FirstCode == ckPrintSep && last.SecondCode == opComma)
        WriteFileComma(n);
    else if (last.FirstCode == ckPrintSep && last.SecondCode == stPRINT)
        WriteFileNewLine(n);
}

// ---------------------------------------------------------------- input

bool AtTextEnd(Channel &ch) { return ch.Reader.AtEnd(); }
// At the end of the data: nothing left in the text and nothing pushed back.
bool AtDataEnd(Channel &ch) { return !ch.HasPushBack && AtTextEnd(ch); }
bool IsLineEnd(char16_t c) { return c == u'\r' || c == u'\n'; }
bool NextIsLineEnd(Channel &ch) { return !AtTextEnd(ch) && IsLineEnd(ch.Reader.Peek()); }

// The rest of the current line, appended to `line`; its line end (CR LF, CR
// or LF) is read and not kept. A line longer than a string holds is error
// 30101.
bool ReadLine(Channel &ch, QString &line)
{
    if (!ch.Reader.AppendLine(line, StringLengthLimit)) {
        SetError(30101);
        return false;
    }
    return true;
}

char16_t TakeChar(Channel &ch)
{
    if (ch.HasPushBack) {
        ch.HasPushBack = false;
        return ch.PushBack;
    }
    return ch.Reader.Take();
}

void PushBack(Channel &ch, char16_t c)
{
    ch.PushBack = c;
    ch.HasPushBack = true;
}

// One INPUT # item. A number item ends at ",", or at a character after a
// blank that follows its text (that character is pushed back). A string
// item ends at ","; one that begins with a double quote runs to the
// closing quote and may hold commas (the quotes are not kept); after it,
// blanks and one "," are passed over. Any item ends at the end of its line
// (which is read) or of the file. The item is trimmed.
QString ReadInputItem(Channel &ch, bool numberMode)
{
    QString item;
    QString line;
    if (!ch.HasPushBack) {
        if (AtTextEnd(ch))
            return item;
        if (NextIsLineEnd(ch)) {
            ReadLine(ch, line);
            return item;
        }
    }
    bool first = true;        // nothing but blanks read yet
    bool blankSeen = false;   // number mode: a blank after the item's text
    bool quoted = false;      // string mode: inside the quotes
    bool closed = false;      // string mode: after the closing quote
    for (;;) {
        const char16_t c = TakeChar(ch);
        bool ended = false;
        if (numberMode) {
            if (c == u' ') {
                blankSeen = !item.isEmpty();
            } else if (c == u',') {
                ended = true;
            } else if (blankSeen) {
                PushBack(ch, c);
                ended = true;
            } else {
                item += QChar(c);
            }
        } else if (closed) {
            if (c == u',') {
                ended = true;
            } else if (c != u' ') {
                PushBack(ch, c);
                ended = true;
            }
        } else if (c == u'"' && first) {
            quoted = true;
        } else if (c == u'"' && quoted) {
            quoted = false;
            closed = true;
        } else if (c == u',' && !quoted) {
            ended = true;
        } else {
            item += QChar(c);
        }
        if (c != u' ')
            first = false;
        if (ended || AtDataEnd(ch))
            break;
        if (NextIsLineEnd(ch)) {
            ReadLine(ch, line);
            break;
        }
        if (item.size() >= StringLengthLimit) {
            SetError(30101);
            break;
        }
    }
    return TrimControls(item);
}

// An INPUT # number: an optional sign, then a decimal number with optional
// fraction and exponent; the empty item is 0.
bool ParseItemNumber(const QString &item, long double &value)
{
    value = 0;
    if (item.isEmpty())
        return true;
    QStringView text(item);
    const bool negative = text[0] == u'-';
    if (text[0] == u'+' || text[0] == u'-')
        text = text.mid(1);
    if (text.isEmpty() || !(text[0].isDigit() || text[0] == u'.') || text[0].unicode() >= 128)
        return false;
    if (!ParseDecimal(text, value))
        return false;
    if (negative)
        value = -value;
    return true;
}

// The channel of an operand cell: a numeric literal, or the constant 0 of
// CLOSE without arguments.
int ChannelOfCell(const CodeType &cell)
{
    if (cell.FirstCode == ckNumLiteral)
        return Truncated(GetNumLiteralValue(cell), -1);
    if (cell.FirstCode == ckNumConst && cell.SecondCode >= 0 && cell.SecondCode < int32_t(std::size(NumConstants)))
        return Truncated(NumConstants[cell.SecondCode], -1);
    return -1;
}

// Fetches the channel cell of INPUT # or LINE INPUT #; 0 after an error.
int FetchChannel()
{
    FetchCurrentCell();
    const int n = ChannelOfCell(CurrentCell);
    if (!ValidChannel(n)) {
        SetError(40001);
        return 0;
    }
    return n;
}

// The mode errors of INPUT # and LINE INPUT #: `base` + 1 closed, + 2
// output, + 3 append.
bool CheckReadable(int n, int32_t base)
{
    switch (ChannelMode[n]) {
    case cmInput: return true;
    case cmOutput: SetError(base + 2); return false;
    case cmAppend: SetError(base + 3); return false;
    default: SetError(base + 1); return false;
    }
}

bool ValidStrVar(int32_t v) { return v >= 1 && size_t(v) < StrVars.size(); }
bool ValidNumVar(int32_t v) { return v >= 1 && size_t(v) < NumVars.size(); }

// The string variable of a target cell; nullptr for any other cell.
QString *StringTarget(const CodeType &target)
{
    const int32_t v = target.SecondCode;
    if (target.FirstCode == ckStrVar && ValidStrVar(v))
        return &StrVars[size_t(v)].Value;
    if (target.FirstCode == ckWorkStrVar && (v == 1 || v == 2))
        return &WorkStrVars[v].Value;
    return nullptr;
}

void StoreString(const CodeType &target, const QString &value)
{
    if (QString *variable = StringTarget(target))
        *variable = value;
}

void StoreNumber(const CodeType &target, long double value)
{
    const int32_t v = target.SecondCode;
    if (target.FirstCode == ckNumVar && ValidNumVar(v))
        NumVars[size_t(v)].Value = value;
    else if (target.FirstCode == ckWorkNumVar && (v == 1 || v == 2))
        WorkNumVars[v].Value = value;
}

void ExecInputFile()
{
    const int n = FetchChannel();
    FetchCurrentCell();
    const CodeType target = CurrentCell;
    if (n == 0 || !CheckReadable(n, 3030))
        return;
    Channel &ch = Channels[n];
    const bool numeric = target.FirstCode == ckNumVar || target.FirstCode == ckWorkNumVar;
    const bool text = target.FirstCode == ckStrVar || target.FirstCode == ckWorkStrVar;
    if (!numeric && !text)
        return;
    if (AtDataEnd(ch)) {
        SetError(3035);
        return;
    }
    const QString item = ReadInputItem(ch, numeric);
    if (ErrorNumber != 0)
        return;
    if (text) {
        StoreString(target, item);
        return;
    }
    long double value = 0;
    if (!ParseItemNumber(item, value)) {
        SetError(3041);
        return;
    }
    StoreNumber(target, value);
}

void ExecLineInputFile()
{
    const int n = FetchChannel();
    FetchCurrentCell();
    const CodeType target = CurrentCell;
    if (n == 0 || !CheckReadable(n, 3020))
        return;
    Channel &ch = Channels[n];
    if (AtDataEnd(ch)) {
        SetError(3025);
        return;
    }
    // The line is read into the channel's buffer, which then changes places
    // with the variable's string: a loop of lines reuses two buffers. The
    // variable is left as it was when the line is too long.
    QString &line = ch.Line;
    EmptyKeepingBuffer(line);
    if (ch.HasPushBack) {
        line += QChar(ch.PushBack);
        ch.HasPushBack = false;
    }
    if (ReadLine(ch, line)) {
        if (QString *variable = StringTarget(target))
            variable->swap(line);
    }
    // Whatever the buffer now holds, the line or the variable's old text,
    // stays only when it is short.
    if (line.capacity() > KeptLineRoom)
        line = QString();
}

// ---------------------------------------------------------------- OPEN, CLOSE, SETENCODING

void ExecOpen()
{
    FetchCurrentCell();
    const CodeType file = CurrentCell;
    FetchCurrentCell();
    const int32_t modeCode = CurrentCell.SecondCode;
    FetchCurrentCell();
    const int n = ChannelOfCell(CurrentCell);
    QString name;
    if (file.FirstCode == ckStrLiteral && file.SecondCode >= 0 && size_t(file.SecondCode) < StrLiterals.size())
        name = StrLiterals[size_t(file.SecondCode)];
    else if (file.FirstCode == ckStrVar && ValidStrVar(file.SecondCode))
        name = StrVars[size_t(file.SecondCode)].Value;
    else {
        SetError(50002);
        return;
    }
    const int mode = modeCode == stINPUT ? cmInput : modeCode == stOUTPUT ? cmOutput : modeCode == stAPPEND ? cmAppend
                                                                                                         : cmClosed;
    if (!ValidChannel(n)) {
        SetError(40001);
        return;
    }
    if (ChannelMode[n] != cmClosed) {
        SetError(3001);
        return;
    }
    OpenFileChannel(name, mode, n);
}

void ExecClose()
{
    FetchCurrentCell();
    const int n = ChannelOfCell(CurrentCell);
    if (n < 0 || n > ChannelCount) {
        SetError(40001);
        return;
    }
    CloseFileChannel(n);
}

// The names SETENCODING knows, compared in upper case.
struct EncodingName {
    const char *Name;
    int32_t CodePage;
};
constexpr EncodingName SetEncodingNames[] = {
    {"shift_jis", cpShiftJis}, {"utf-16", cpUtf16LE}, {"unicodeFFFE", cpUtf16BE}, {"EUC-JP", cpEucJp},
    {"iso-2022-jp", cpJis},    {"utf-8", cpUtf8},     {"AUTO", -1},
};

void ExecSetEncoding()
{
    switch (TopTag()) {
    case tagNumber: {
        const int codePage = Truncated(PopNumber(), -1);
        CurrentEncoding = codePage >= 0 && EncodingOfCodePage(codePage) ? codePage : 0;
        break;
    }
    case tagString: {
        const QString name = PopString().toUpper();
        CurrentEncoding = 0;
        for (const EncodingName &known : SetEncodingNames) {
            if (name == QString::fromLatin1(known.Name).toUpper())
                CurrentEncoding = known.CodePage;
        }
        break;
    }
    default:
        SetError(50022, stSETENCODING);
        break;
    }
}

// ---------------------------------------------------------------- FILES


// The entries a pattern names: a folder (the current one when none is
// given) and a name with the wildcards "*" and "?"; "*.*" is every name.
QFileInfoList FindEntries(const QString &pattern)
{
    QString path;
    if (!ProgramFilePath(pattern, path))
        return {};
    const qsizetype slash = path.lastIndexOf(u'/');
    QString folder = slash < 0 ? QStringLiteral(".") : path.left(slash);
    if (slash == 0)
        folder = QStringLiteral("/");
    QString filter = path.mid(slash + 1);
    if (filter.isEmpty())
        return {};
    if (filter == QLatin1String("*.*"))
        filter = QStringLiteral("*");
    QDir dir(folder);
    if (!dir.exists())
        return {};
    return dir.entryInfoList(QStringList{filter}, QDir::AllEntries | QDir::Hidden | QDir::System,
                             QDir::Name | QDir::IgnoreCase);
}

void ExecFiles()
{
    FetchCurrentCell();
    QString pattern;
    if (CurrentCell.FirstCode == ckStrLiteral && CurrentCell.SecondCode >= 0
        && size_t(CurrentCell.SecondCode) < StrLiterals.size())
        pattern = StrLiterals[size_t(CurrentCell.SecondCode)];
    if (pattern.isEmpty())
        pattern = QStringLiteral("*.*");
    PrintLine(InterfaceText(65169) + QDir::toNativeSeparators(QDir::currentPath()));
    for (const QFileInfo &entry : FindEntries(pattern)) {
        if (entry.isDir())
            PrintLine(QStringLiteral("<DIR>          ") + entry.fileName());
        else
            PrintLine(QString::number(entry.size()).rightJustified(14) + u' ' + entry.fileName());
    }
}

} // namespace

// ---------------------------------------------------------------- the channels

bool ProgramFilePath(const QString &name, QString &path)
{
    // The system would end the name at a NUL and so name another file.
    if (name.contains(QChar(u'\0')))
        return false;
    if (name.size() >= 2 && name[1] == u':' && name[0].unicode() < 128 && name[0].isLetter())
        return false;
    path = name;
    path.replace(u'\\', u'/');
    return true;
}

bool OpenFileChannel(const QString &name, int mode, int n)
{
    if (name.isEmpty()) {
        SetError(54092);
        return false;
    }
    if (mode == cmClosed || !ValidChannel(n))
        return true;
    QString path;
    if (!ProgramFilePath(name, path) || (mode != cmOutput && !(QFileInfo(path).isFile()))) {
        SetError(2101);
        return false;
    }
    // Two channels may read one file; a channel that writes it has it alone.
    if (ChannelHoldsFile(path, mode == cmInput)) {
        SetError(50026, stOPEN);
        return false;
    }
    CloseFileChannel(n);  // whatever a reset left behind is written first
    Channel ch;
    if (CurrentEncoding >= 1)
        ch.Encoding = EncodingOfCodePage(CurrentEncoding).value_or(TextEncoding{});
    else if (mode != cmOutput)
        ch.Encoding = GetFileEncoding(path);
    if (mode == cmInput) {
        if (!ch.Reader.Open(path, ch.Encoding)) {
            SetError(50026, stOPEN);
            return false;
        }
        ch.Identity = FileIdOfName(path);
    } else {
        ch.File = std::make_unique<QFile>(path);
        ch.Pending.reserve(2 * WriteBufferLength);
        if (!OpenForWriting(*ch.File, mode == cmAppend)) {
            SetError(50026, stOPEN);
            return false;
        }
        ch.Identity = FileIdOfDescriptor(ch.File->handle());
        // A mark begins the file, never its middle.
        if (ch.Encoding.WriteBom && ch.File->size() == 0) {
            const QByteArray mark = EncodingMark(ch.Encoding.CodePage);
            if (ch.File->write(mark) != mark.size()) {
                SetError(50026, stOPEN);
                return false;
            }
        }
    }
    Channels[n] = std::move(ch);
    ChannelMode[n] = mode;
    return true;
}

void CloseFileChannel(int channel)
{
    for (int n = 1; n <= ChannelCount; ++n) {
        if (channel != 0 && channel != n)
            continue;
        Channel &ch = Channels[n];
        if (ch.File) {
            FlushPending(ch, true, stCLOSE);
            ch.File->close();
        }
        ch = Channel();
        ChannelMode[n] = cmClosed;
    }
}

bool ChannelAtEnd(int n)
{
    return ValidChannel(n) && ChannelMode[n] == cmInput && AtDataEnd(Channels[n]);
}

bool ReadChannelChars(int n, int count, QString &text)
{
    text.clear();
    if (!ValidChannel(n) || ChannelMode[n] != cmInput || AtDataEnd(Channels[n]))
        return false;
    Channel &ch = Channels[n];
    if (ch.HasPushBack && count > 0) {
        text += QChar(ch.PushBack);
        ch.HasPushBack = false;
        --count;
    }
    if (!ch.Reader.Read(count, text, StringLengthLimit))
        SetError(30101);
    return true;
}

bool ChannelHoldsFile(const QString &path, bool writersOnly)
{
    const FileId file = FileIdOfName(path);
    if (!file.Known)
        return false;
    for (int n = 1; n <= ChannelCount; ++n) {
        if (ChannelMode[n] != cmClosed && Channels[n].Identity == file && !(writersOnly && ChannelMode[n] == cmInput))
            return true;
    }
    return false;
}

bool DispatchDataFileStatement(int32_t s)
{
    switch (s) {
    case stOPEN: ExecOpen(); return true;
    case stCLOSE: ExecClose(); return true;
    case stPRINT_FILE: ExecPrintFile(false); return true;
    case isPrintFileItem: ExecPrintFile(true); return true;
    case isPrintFileUsing: ExecPrintFileUsing(); return true;
    case stINPUT_FILE: ExecInputFile(); return true;
    case stLINEINPUT_FILE: ExecLineInputFile(); return true;
    case stSETENCODING: ExecSetEncoding(); return true;
    case stFILES: ExecFiles(); return true;
    default: return false;
    }
}

void DispatchFilePrintSeparator(int32_t value)
{
    if (value == opComma)
        PrintFileSeparator(true);
    else if (value == stPRINT)
        PrintFileSeparator(false);
}

} // namespace ov
