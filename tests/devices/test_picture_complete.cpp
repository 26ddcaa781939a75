// Picture files cut short are told apart from whole ones, also where the
// bytes inside a whole file look like an end or a marker.
#include "devices/OVPictureCodec.h"
#include "devices/OVPictureComplete.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <vector>

#include <jpeglib.h>

using namespace ov;

namespace {

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (const int v : values)
        bytes.append(char(v));
    return bytes;
}

QByteArray Little32(int32_t v)
{
    return Bytes({v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF, (v >> 24) & 0xFF});
}

bool Complete(QByteArray bytes, PictureFormat format)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return PictureDataComplete(buffer, format);
}

// The whole file is complete; every part of it from `from` bytes on is not.
void ExpectCutBelow(const QByteArray &whole, qsizetype from, PictureFormat format)
{
    EXPECT_TRUE(Complete(whole, format));
    for (qsizetype n = from; n < whole.size(); ++n)
        EXPECT_FALSE(Complete(whole.left(n), format)) << n;
}

// A bitmap of 3 x 2 pixels, rows top down, with the compression and the
// pixel data's size it states.
QByteArray Bitmap(int depth, int compression, int stated, int dataBytes)
{
    return "BM" + Little32(0) + Little32(0) + Little32(54) + Little32(40) + Little32(3) + Little32(-2)
           + Bytes({1, 0, depth, 0}) + Little32(compression) + Little32(stated) + QByteArray(16, '\0')
           + QByteArray(dataBytes, '\x7F');
}

// A JPEG of noise as libjpeg writes it with a restart marker after every
// block of 16 x 16 pixels: its scan holds each of the eight restart markers
// among many stuffed FF 00 bytes.
QByteArray JpegWithRestarts(int width, int height)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char *out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    info.restart_interval = 1;
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(size_t(width) * 3);
    uint32_t seed = 1;
    while (info.next_scanline < info.image_height) {
        for (JSAMPLE &sample : row) {
            seed = seed * 1103515245u + 12345u;
            sample = JSAMPLE(seed >> 24);
        }
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    const QByteArray bytes(reinterpret_cast<const char *>(out), qsizetype(size));
    std::free(out);
    return bytes;
}

QImage DecodeJpeg(const QTemporaryDir &dir, const QByteArray &bytes)
{
    const QString path = dir.filePath(QStringLiteral("restarts.jpg"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QImage();
    file.close();
    return DecodePicture(path, PictureFormat::Jpeg);
}

} // namespace

// An APP1 segment holding FF D9, a scan with a stuffed FF 00, a restart
// marker and fill bytes, and a second scan after a table.
TEST(PictureComplete, AJpegEndsAtItsEndMarker)
{
    const QByteArray whole = Bytes({0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x06, 0xFF, 0xD9, 0x00, 0x00,
                                    0xFF, 0xDA, 0x00, 0x04, 0x01, 0x02, 0x11, 0xFF, 0x00, 0x22, 0xFF, 0xD3, 0x33,
                                    0xFF, 0xC4, 0x00, 0x03, 0x00, 0xFF, 0xDA, 0x00, 0x03, 0x01, 0x44, 0xFF, 0xFF, 0xD9});
    ExpectCutBelow(whole, 2, PictureFormat::Jpeg);
    EXPECT_TRUE(Complete(whole + "more", PictureFormat::Jpeg));
}

// A real JPEG whose scan has every restart marker: whole, it is complete
// and decodes; cut anywhere, also just after a restart marker, it is not.
TEST(PictureComplete, AJpegWithRestartMarkersIsWholeOnlyUpToItsEnd)
{
    const QByteArray whole = JpegWithRestarts(64, 48);
    for (int n = 0; n < 8; ++n)
        ASSERT_TRUE(whole.contains(Bytes({0xFF, 0xD0 + n}))) << n;
    ASSERT_TRUE(whole.contains(Bytes({0xFF, 0x00})));
    ExpectCutBelow(whole, 2, PictureFormat::Jpeg);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_EQ(DecodeJpeg(dir, whole).size(), QSize(64, 48));
    for (int n = 0; n < 8; ++n) {
        const qsizetype after = whole.indexOf(Bytes({0xFF, 0xD0 + n})) + 2;
        EXPECT_TRUE(DecodeJpeg(dir, whole.left(after)).isNull()) << n;
    }
}

// A global colour table, a graphic control extension, then the image; the
// trailer after it is not needed.
TEST(PictureComplete, AGifEndsWithItsFirstImage)
{
    const QByteArray whole = "GIF89a" + Bytes({1, 0, 1, 0, 0x80, 0, 0, 1, 2, 3, 4, 5, 6,
                                               0x21, 0xF9, 0x04, 0, 0, 0, 0, 0x00,
                                               0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00});
    ExpectCutBelow(whole, 10, PictureFormat::Gif);
    EXPECT_TRUE(Complete(whole + Bytes({0x3B}), PictureFormat::Gif));
}

// Rows padded to four bytes, or the stated size of compressed data.
TEST(PictureComplete, ABitmapHoldsItsRows)
{
    ExpectCutBelow(Bitmap(24, 0, 0, 24), 54, PictureFormat::Bmp);
    ExpectCutBelow(Bitmap(8, 1, 10, 10), 54, PictureFormat::Bmp);
    const QByteArray old = "BM" + Little32(0) + Little32(0) + Little32(32) + Little32(12)
                           + Bytes({2, 0, 2, 0, 1, 0, 8, 0, 0, 0, 0, 9, 9, 9}) + QByteArray(8, '\0');
    ExpectCutBelow(old, 26, PictureFormat::Bmp);
}
