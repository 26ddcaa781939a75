#include "executor/OVPictures.h"

#include "devices/OVGraphCanvas.h"
#include "devices/OVGraphState.h"
#include "devices/OVWorldCoord.h"
#include "executor/OVDataFile.h"
#include "executor/OVGraphScreen.h"
#include "executor/OVMThread.h"
#include "executor/OVRunCommands.h"
#include "executor/OVStack.h"
#include "language/OVHeader.h"
#include "platform/OVSafeSave.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <limits>

namespace ov {

namespace {

// ---------------------------------------------------------------- arguments

// A size: the number's absolute value, truncated and saturated.
int32_t PixelCount(long double v)
{
    return TruncSaturate(std::fabs(v), 0, std::numeric_limits<int32_t>::max());
}

// Width and height on top (height topmost); else 50022 naming the statement.
bool PopSizeArgs(int32_t statement, QSize &size)
{
    if (!IsNumberTag(TopTag()) || !IsNumberTag(SecondTag())) {
        SetError(50022, statement);
        return false;
    }
    const int32_t h = PixelCount(PopNumber());
    size = QSize(PixelCount(PopNumber()), h);
    return true;
}

// The file name on top, as a path; else 50022 naming the statement. A name
// that names nothing here gives the empty path, which no file has.
bool PopFileName(int32_t statement, QString &path)
{
    if (TopTag() != tagString) {
        SetError(50022, statement);
        return false;
    }
    if (!ProgramFilePath(PopString(), path))
        path.clear();
    return true;
}

bool IsExistingFile(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

// The format the file name's extension names, compared upper-cased; 54089
// for any other extension.
bool FormatOfName(const QString &path, PictureFormat &format)
{
    const QString extension = QFileInfo(path).suffix().toUpper();
    if (extension == u"JPG")
        format = PictureFormat::Jpeg;
    else if (extension == u"BMP")
        format = PictureFormat::Bmp;
    else if (extension == u"PNG")
        format = PictureFormat::Png;
    else if (extension == u"GIF")
        format = PictureFormat::Gif;
    else {
        SetError(54089);
        return false;
    }
    return true;
}

QSize ScreenSize()
{
    return QSize(GraphWidth, GraphHeight);
}

// ---------------------------------------------------------------- LOADPICTURE

// Decodes the file onto the picture buffer: 2101 no such file, 54089 not a
// picture format, 2112 a file that does not decode.
bool LoadFileIntoBuffer(const QString &path)
{
    if (!IsExistingFile(path)) {
        SetError(2101);
        return false;
    }
    PictureFormat format;
    if (!FormatOfName(path, format))
        return false;
    GraphSurfaceAccess *surface = GraphSurface();
    if (surface != nullptr && !surface->LoadIntoBuffer(path, format)) {
        SetError(2112);
        return false;
    }
    return true;
}

// The buffer's rectangle at the GFLOCATE offset onto the picture at the pen.
void CopyFromBuffer(QSize size)
{
    if (GraphSurfaceAccess *surface = GraphSurface())
        surface->BufferToPicture(QPoint(GFLocateX, GFLocateY), size, QPoint(GLocateX, GLocateY));
}

void ExecLoadPictureFile()
{
    QString path;
    if (PopFileName(stLOADPICTURE, path) && LoadFileIntoBuffer(path))
        CopyFromBuffer(ScreenSize());
}

void ExecLoadPictureSize()
{
    QSize size;
    if (PopSizeArgs(stLOADPICTURE, size))
        CopyFromBuffer(size);
}

void ExecLoadPictureFileSize()
{
    QSize size;
    QString path;
    if (PopSizeArgs(stLOADPICTURE, size) && PopFileName(stLOADPICTURE, path) && LoadFileIntoBuffer(path))
        CopyFromBuffer(size);
}

// ---------------------------------------------------------------- SAVEPICTURE

// The rectangle the sized forms save: from the pen, at most the screen's
// size, up to the right and bottom edges.
QRect SaveArea(QSize size)
{
    const int64_t right = std::min<int64_t>(int64_t(GLocateX) + std::min(size.width(), GraphWidth), GraphWidth);
    const int64_t bottom = std::min<int64_t>(int64_t(GLocateY) + std::min(size.height(), GraphHeight), GraphHeight);
    const int width = int(std::max<int64_t>(0, right - GLocateX));
    const int height = int(std::max<int64_t>(0, bottom - GLocateY));
    return QRect(GLocateX, GLocateY, width, height);
}

void CopyToBuffer(QRect area)
{
    if (GraphSurfaceAccess *surface = GraphSurface())
        surface->PictureToBuffer(area);
}

// The new file goes to a temporary file in the same folder; only when that
// is written does the old file become the ".bak" copy and the new one take
// its name, so a save that fails loses nothing. An older backup is replaced
// by the old file; without an old file it stays, since pictures of other
// formats of the same name share it. Through a link, the file it names is
// replaced and backed up.
bool WritePictureFile(const QString &path, const QByteArray &bytes)
{
    QString error;
    return ReplaceFileKeepingBackup(path, bytes, BackupFileName, error);
}

// The area of the picture, through the buffer (which keeps it), into the
// file: 54089 for another extension (nothing else happens), 2112 for an
// empty area or a picture that could not be encoded or written.
void SaveToFile(const QString &path, QRect area)
{
    PictureFormat format;
    if (!FormatOfName(path, format))
        return;
    if (area.isEmpty()) {
        SetError(2112);
        return;
    }
    GraphSurfaceAccess *surface = GraphSurface();
    if (surface == nullptr)
        return;
    surface->PictureToBuffer(area);
    const QByteArray bytes = surface->EncodeBuffer(area.size(), format);
    if (bytes.isEmpty() || !WritePictureFile(path, bytes))
        SetError(2112);
}

void ExecSavePictureSize()
{
    QSize size;
    if (PopSizeArgs(stSAVEPICTURE, size))
        CopyToBuffer(SaveArea(size));
}

void ExecSavePictureFile()
{
    QString path;
    if (PopFileName(stSAVEPICTURE, path))
        SaveToFile(path, QRect(QPoint(0, 0), ScreenSize()));
}

void ExecSavePictureFileSize()
{
    QSize size;
    QString path;
    if (PopSizeArgs(stSAVEPICTURE, size) && PopFileName(stSAVEPICTURE, path))
        SaveToFile(path, SaveArea(size));
}

// ---------------------------------------------------------------- GETIMAGESIZE$

// The width and height, each right-aligned in four characters (wider for
// sizes of 10000 and more), with a colon between.
void FnGetImageSize()
{
    if (TopTag() != tagString) {
        SetError(50011, fnGETIMAGESIZE_STR);
        return;
    }
    QString path;
    if (!ProgramFilePath(PopString(), path) || !IsExistingFile(path)) {
        SetError(2101);
        return;
    }
    PictureFormat format;
    if (!FormatOfName(path, format))
        return;
    QSize size;
    GraphSurfaceAccess *surface = GraphSurface();
    if (surface == nullptr || !surface->PictureFileSize(path, format, size)) {
        SetError(2112);
        return;
    }
    PushString(QStringLiteral("%1:%2").arg(size.width(), 4).arg(size.height(), 4));
}

// Runs the handler once the screen check has passed.
template <typename Handler>
void Guarded(Handler handler)
{
    if (GraphicsGuard())
        handler();
}

} // namespace

bool DispatchPictureStatement(int32_t s)
{
    switch (s) {
    case stLOADPICTURE: Guarded([] { CopyFromBuffer(ScreenSize()); }); return true;
    case StatementVariant(1, stLOADPICTURE): Guarded(ExecLoadPictureFile); return true;
    case StatementVariant(2, stLOADPICTURE): Guarded(ExecLoadPictureSize); return true;
    case StatementVariant(3, stLOADPICTURE): Guarded(ExecLoadPictureFileSize); return true;
    case stSAVEPICTURE: Guarded([] { CopyToBuffer(QRect(QPoint(0, 0), ScreenSize())); }); return true;
    case StatementVariant(1, stSAVEPICTURE): Guarded(ExecSavePictureFile); return true;
    case StatementVariant(2, stSAVEPICTURE): Guarded(ExecSavePictureSize); return true;
    case StatementVariant(3, stSAVEPICTURE): Guarded(ExecSavePictureFileSize); return true;
    default: return false;
    }
}

bool DispatchPictureFunction(int32_t f)
{
    if (f != fnGETIMAGESIZE_STR)
        return false;
    FnGetImageSize();
    return true;
}

} // namespace ov
