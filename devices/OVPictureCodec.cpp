#include "devices/OVPictureCodec.h"

#include "devices/OVGifWriter.h"
#include "devices/OVPictureComplete.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>

namespace ov {

namespace {

// The largest picture decoded: 64 Mi pixels (a 48-megapixel photograph fits).
constexpr qint64 MaxPixels = qint64(1) << 26;
// Qt's reader refuses on its own any image over 128 MB, some 33 million
// pixels at four bytes; its limit becomes what the largest picture takes in
// the widest form it decodes into, eight bytes a pixel (16-bit PNG).
constexpr int DecodeLimitMB = int(MaxPixels * 8 >> 20);

QByteArray FormatName(PictureFormat format)
{
    switch (format) {
    case PictureFormat::Jpeg: return QByteArrayLiteral("jpeg");
    case PictureFormat::Bmp: return QByteArrayLiteral("bmp");
    case PictureFormat::Png: return QByteArrayLiteral("png");
    case PictureFormat::Gif: return QByteArrayLiteral("gif");
    }
    return QByteArray();
}

// A reader of the named format only: no guessing from the contents.
void Prepare(QImageReader &reader, PictureFormat format)
{
    reader.setFormat(FormatName(format));
    reader.setAutoDetectImageFormat(false);
}

bool AcceptableSize(QSize size)
{
    return size.width() > 0 && size.height() > 0 && qint64(size.width()) * size.height() <= MaxPixels;
}

} // namespace

bool ReadPictureSize(const QString &path, PictureFormat format, QSize &size)
{
    QImageReader reader(path);
    Prepare(reader, format);
    if (!reader.canRead())
        return false;
    size = reader.size();
    return size.width() > 0 && size.height() > 0;
}

// A file cut short is refused before its decoder fills in what it lacks.
QImage DecodePicture(const QString &path, PictureFormat format)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !PictureDataComplete(file, format) || !file.seek(0))
        return QImage();
    QImageReader reader(&file);
    Prepare(reader, format);
    reader.setAllocationLimit(DecodeLimitMB);
    if (!reader.canRead() || !AcceptableSize(reader.size()))
        return QImage();
    QImage image;
    if (!reader.read(&image))
        return QImage();
    return image;
}

QByteArray EncodePicture(const QImage &image, PictureFormat format)
{
    if (image.isNull())
        return QByteArray();
    if (format == PictureFormat::Gif)
        return EncodeGif(image);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, FormatName(format));
    if (!writer.write(image))
        return QByteArray();
    return bytes;
}

} // namespace ov
