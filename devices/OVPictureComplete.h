// Whether a picture file holds all the data its headers promise. The
// decoders of bitmaps, GIF and JPEG pictures fill what a cut file lacks with
// black or grey and report success; this tells such a file apart before it
// is decoded. Only what can be measured is judged: a header this does not
// understand is left to the decoder.
#pragma once

#include "devices/OVGraphCanvas.h"

#include <QIODevice>

namespace ov {

// False when the file, read from its start, stops before the pixel data of
// its first picture end: a bitmap's rows (or the compressed size it
// states), a GIF's first image, a JPEG's end marker. PNG files are not
// judged here (their decoder refuses a cut file itself).
bool PictureDataComplete(QIODevice &file, PictureFormat format);

} // namespace ov
