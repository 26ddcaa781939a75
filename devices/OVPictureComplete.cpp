#include "devices/OVPictureComplete.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace ov {

namespace {

// The file's bytes in order, read a block at a time.
class ByteReader {
public:
    explicit ByteReader(QIODevice &device) : device_(device) {}

    // The next byte, or -1 at the end of the file.
    int Next()
    {
        if (at_ == buffer_.size() && !Fill())
            return -1;
        return uint8_t(buffer_[at_++]);
    }

    // Passes over n bytes; false when the file ends first.
    bool Skip(qint64 n)
    {
        const qint64 buffered = buffer_.size() - at_;
        if (n <= buffered) {
            at_ += n;
            return true;
        }
        const qint64 target = device_.pos() + (n - buffered);
        buffer_.clear();
        at_ = 0;
        return target <= device_.size() && device_.seek(target);
    }

    // Passes over the bytes up to the next 0xFF and takes it; false when
    // the file ends first.
    bool NextFF()
    {
        for (;;) {
            const char *from = buffer_.constData() + at_;
            if (const void *found = std::memchr(from, 0xFF, size_t(buffer_.size() - at_))) {
                at_ += static_cast<const char *>(found) - from + 1;
                return true;
            }
            if (!Fill())
                return false;
        }
    }

private:
    bool Fill()
    {
        buffer_ = device_.read(BlockSize);
        at_ = 0;
        return !buffer_.isEmpty();
    }

    static constexpr qint64 BlockSize = 1 << 16;
    QIODevice &device_;
    QByteArray buffer_;
    qsizetype at_ = 0;
};

uint32_t Little(const QByteArray &bytes, int at, int count)
{
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | uint8_t(bytes[at + i]);
    return value;
}

// ---------------------------------------------------------------- bitmaps

constexpr uint32_t BmpRgb = 0, BmpRle8 = 1, BmpRle4 = 2, BmpBitFields = 3, BmpAlphaBitFields = 6;

struct BmpHeader {
    int64_t Offset = 0, Width = 0, Height = 0, Depth = 0;
    uint32_t Compression = BmpRgb, Stated = 0;
};

// The file header and the old or a newer info header; false for others.
bool ReadBmpHeader(QIODevice &file, BmpHeader &h)
{
    const QByteArray bytes = file.read(54);
    if (bytes.size() < 26 || !bytes.startsWith("BM"))
        return false;
    h.Offset = Little(bytes, 10, 4);
    const uint32_t infoSize = Little(bytes, 14, 4);
    if (infoSize == 12) {
        h.Width = Little(bytes, 18, 2);
        h.Height = Little(bytes, 20, 2);
        h.Depth = Little(bytes, 24, 2);
        return true;
    }
    if (infoSize < 40 || bytes.size() < 54)
        return false;
    h.Width = int32_t(Little(bytes, 18, 4));
    h.Height = std::abs(int64_t(int32_t(Little(bytes, 22, 4))));  // negative: rows top down
    h.Depth = Little(bytes, 28, 2);
    h.Compression = Little(bytes, 30, 4);
    h.Stated = Little(bytes, 34, 4);
    return true;
}

// The rows, each padded to four bytes, or the stated size of compressed
// data, must lie in the file after the pixel data's offset.
bool BmpComplete(QIODevice &file)
{
    BmpHeader h;
    if (!ReadBmpHeader(file, h))
        return true;
    const int64_t available = file.size() - h.Offset;
    if (h.Compression == BmpRle8 || h.Compression == BmpRle4)
        return available >= int64_t(h.Stated);
    if (h.Compression != BmpRgb && h.Compression != BmpBitFields && h.Compression != BmpAlphaBitFields)
        return true;
    const int64_t stride = (h.Width * h.Depth + 31) / 32 * 4;
    return h.Width <= 0 || stride <= 0 || (available >= 0 && available / stride >= h.Height);
}

// ---------------------------------------------------------------- GIF

// Data sub-blocks up to the empty one that ends them.
bool SkipSubBlocks(ByteReader &bytes)
{
    for (;;) {
        const int length = bytes.Next();
        if (length <= 0)
            return length == 0;
        if (!bytes.Skip(length))
            return false;
    }
}

// A colour table follows when the flags say so, of 2^(n+1) entries.
bool SkipColorTable(ByteReader &bytes, int flags)
{
    return (flags & 0x80) == 0 || bytes.Skip(3 * (2 << (flags & 7)));
}

// Extensions are passed over up to the first image, whose data must end
// with its empty sub-block.
bool GifComplete(ByteReader &bytes)
{
    if (!bytes.Skip(10))
        return true;
    const int flags = bytes.Next();
    if (flags < 0 || !bytes.Skip(2) || !SkipColorTable(bytes, flags))
        return false;
    for (;;) {
        switch (bytes.Next()) {
        case 0x21:
            if (bytes.Next() < 0 || !SkipSubBlocks(bytes))
                return false;
            break;
        case 0x2C: {
            if (!bytes.Skip(8))
                return false;
            const int imageFlags = bytes.Next();
            return imageFlags >= 0 && SkipColorTable(bytes, imageFlags) && bytes.Next() >= 0 && SkipSubBlocks(bytes);
        }
        case -1: return false;
        default: return true;  // the trailer, or what the decoder is to judge
        }
    }
}

// ---------------------------------------------------------------- JPEG

bool StandaloneMarker(int marker)
{
    return marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7);
}

// The code of the next marker, after any bytes before it and its fill
// bytes; -1 at the end of the file.
int NextMarker(ByteReader &bytes)
{
    if (!bytes.NextFF())
        return -1;
    int marker = bytes.Next();
    while (marker == 0xFF)
        marker = bytes.Next();
    return marker;
}

// The coded data of a scan run up to the next marker that is neither a
// stuffed zero nor a restart; returns that marker.
int SkipScanData(ByteReader &bytes)
{
    for (;;) {
        const int marker = NextMarker(bytes);
        if (marker != 0x00 && !(marker >= 0xD0 && marker <= 0xD7))
            return marker;
    }
}

// Segments and scans up to the end-of-picture marker.
bool JpegComplete(ByteReader &bytes)
{
    if (bytes.Next() != 0xFF || bytes.Next() != 0xD8)
        return true;
    int marker = NextMarker(bytes);
    for (;;) {
        if (marker < 0)
            return false;
        if (marker == 0xD9)
            return true;
        if (StandaloneMarker(marker)) {
            marker = NextMarker(bytes);
            continue;
        }
        const int high = bytes.Next(), low = bytes.Next();
        if (low < 0)
            return false;
        const int length = high << 8 | low;
        if (length < 2)
            return true;
        if (!bytes.Skip(length - 2))
            return false;
        marker = marker == 0xDA ? SkipScanData(bytes) : NextMarker(bytes);
    }
}

} // namespace

bool PictureDataComplete(QIODevice &file, PictureFormat format)
{
    ByteReader bytes(file);
    switch (format) {
    case PictureFormat::Bmp: return BmpComplete(file);
    case PictureFormat::Gif: return GifComplete(bytes);
    case PictureFormat::Jpeg: return JpegComplete(bytes);
    case PictureFormat::Png: break;
    }
    return true;
}

} // namespace ov
