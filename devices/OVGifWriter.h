// Writes a picture as a GIF file with giflib: one frame, no transparency.
// A picture of at most 256 colours gets a palette of exactly its colours, so
// every pixel reads back as it was written; only a picture with more colours
// goes through giflib's quantiser (which keeps 5 bits of each channel).
#pragma once

#include <QByteArray>
#include <QImage>

namespace ov {

// The GIF file's bytes; empty when the picture cannot be written.
QByteArray EncodeGif(const QImage &image);

} // namespace ov
