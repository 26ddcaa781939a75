#include "devices/OVGifWriter.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace ov;

namespace {

QImage Decoded(const QByteArray &bytes)
{
    return QImage::fromData(bytes, "GIF").convertToFormat(QImage::Format_RGB32);
}

int Distance(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

// 256 colours, pure red among them, come back exactly (giflib's quantiser
// would keep only 5 bits of each channel).
TEST(GifWriter, KeepsUpTo256ColoursExactly)
{
    QImage image(16, 16, QImage::Format_RGB32);
    for (int i = 0; i < 256; ++i)
        image.setPixel(i % 16, i / 16, qRgb(i, (i * 7) % 256, 255 - i));
    image.setPixel(0, 0, qRgb(255, 0, 0));
    const QImage back = Decoded(EncodeGif(image));
    ASSERT_EQ(back.size(), image.size());
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(back.pixel(x, y), image.pixel(x, y)) << x << "," << y;
}

// More colours go through the quantiser: the picture stays close.
TEST(GifWriter, QuantisesMoreColours)
{
    QImage image(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            image.setPixel(x, y, qRgb(x * 4, y * 4, (x + y) * 2));
    const QImage back = Decoded(EncodeGif(image));
    ASSERT_EQ(back.size(), image.size());
    int worst = 0, total = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const int d = Distance(back.pixel(x, y), image.pixel(x, y));
            worst = std::max(worst, d);
            total += d;
        }
    EXPECT_LE(total / (64 * 64), 16) << "worst " << worst;
    EXPECT_TRUE(EncodeGif(QImage()).isEmpty());
}

} // namespace
