// Reading and writing picture files in the four formats of the graphics
// screen. The format is the one the file's name gives, never guessed from
// the contents: a file that is not what its name says does not decode.
// Picture files are untrusted input: the size is read from the header and
// checked before any pixels are decoded.
#pragma once

#include "devices/OVGraphCanvas.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace ov {

// The size the file's header gives, without decoding the pixels; false for
// a file that does not read as its format.
bool ReadPictureSize(const QString &path, PictureFormat format, QSize &size);

// The first picture of the file (the first frame of a GIF); a null image
// when it does not decode or is larger than a picture may be.
QImage DecodePicture(const QString &path, PictureFormat format);

// The picture as a file of the format, with the format's default settings;
// empty when it cannot be encoded.
QByteArray EncodePicture(const QImage &image, PictureFormat format);

} // namespace ov
