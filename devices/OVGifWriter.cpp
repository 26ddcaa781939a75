#include "devices/OVGifWriter.h"

#include <gif_lib.h>

#include <memory>
#include <unordered_map>
#include <vector>

namespace ov {

namespace {

constexpr size_t MaxColors = 256;

// The picture as palette indices, one byte per pixel, row after row.
struct IndexedPicture {
    std::vector<GifColorType> Colors;
    std::vector<GifByteType> Pixels;
};

const QRgb *Row(const QImage &image, int y)
{
    return reinterpret_cast<const QRgb *>(image.constScanLine(y));
}

// A palette of exactly the picture's colours; false when it has more than 256.
bool ExactPalette(const QImage &image, IndexedPicture &out)
{
    std::unordered_map<QRgb, GifByteType> index;
    out.Pixels.resize(size_t(image.width()) * size_t(image.height()));
    GifByteType *pixel = out.Pixels.data();
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *line = Row(image, y);
        for (int x = 0; x < image.width(); ++x) {
            const QRgb color = line[x] & RGB_MASK;
            auto found = index.find(color);
            if (found == index.end()) {
                if (index.size() == MaxColors)
                    return false;
                found = index.emplace(color, GifByteType(index.size())).first;
                out.Colors.push_back(GifColorType{GifByteType(qRed(color)), GifByteType(qGreen(color)),
                                                  GifByteType(qBlue(color))});
            }
            *pixel++ = found->second;
        }
    }
    return true;
}

// giflib's quantiser for a picture of many colours.
bool QuantisedPalette(const QImage &image, IndexedPicture &out)
{
    const size_t count = size_t(image.width()) * size_t(image.height());
    std::vector<GifByteType> red(count), green(count), blue(count);
    size_t i = 0;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *line = Row(image, y);
        for (int x = 0; x < image.width(); ++x, ++i) {
            red[i] = GifByteType(qRed(line[x]));
            green[i] = GifByteType(qGreen(line[x]));
            blue[i] = GifByteType(qBlue(line[x]));
        }
    }
    int colors = int(MaxColors);
    out.Colors.assign(MaxColors, GifColorType{0, 0, 0});
    out.Pixels.resize(count);
    if (GifQuantizeBuffer(unsigned(image.width()), unsigned(image.height()), &colors, red.data(), green.data(),
                          blue.data(), out.Pixels.data(), out.Colors.data())
        != GIF_OK)
        return false;
    return true;
}

int AppendToArray(GifFileType *gif, const GifByteType *data, int length)
{
    static_cast<QByteArray *>(gif->UserData)->append(reinterpret_cast<const char *>(data), length);
    return length;
}

struct MapDeleter {
    void operator()(ColorMapObject *map) const { GifFreeMapObject(map); }
};

// The colour table padded to a power of two, as GIF requires.
std::unique_ptr<ColorMapObject, MapDeleter> ColorTable(std::vector<GifColorType> colors)
{
    size_t size = 2;
    while (size < colors.size())
        size *= 2;
    colors.resize(size, GifColorType{0, 0, 0});
    return std::unique_ptr<ColorMapObject, MapDeleter>(GifMakeMapObject(int(size), colors.data()));
}

QByteArray WriteGif(int width, int height, IndexedPicture &picture)
{
    const auto table = ColorTable(picture.Colors);
    if (table == nullptr)
        return QByteArray();
    QByteArray bytes;
    int error = 0;
    GifFileType *gif = EGifOpen(&bytes, AppendToArray, &error);
    if (gif == nullptr)
        return QByteArray();
    bool written = EGifPutScreenDesc(gif, width, height, table->BitsPerPixel, 0, table.get()) == GIF_OK
                   && EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
    for (int y = 0; written && y < height; ++y)
        written = EGifPutLine(gif, picture.Pixels.data() + size_t(y) * size_t(width), width) == GIF_OK;
    const bool closed = EGifCloseFile(gif, &error) == GIF_OK;  // frees it in every case
    return written && closed ? bytes : QByteArray();
}

} // namespace

QByteArray EncodeGif(const QImage &image)
{
    constexpr int MaxSide = 65535;  // the file's sizes are 16-bit
    if (image.isNull() || image.width() > MaxSide || image.height() > MaxSide)
        return QByteArray();
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    IndexedPicture picture;
    if (!ExactPalette(rgb, picture)) {
        picture = IndexedPicture();
        if (!QuantisedPalette(rgb, picture))
            return QByteArray();
    }
    return WriteGif(rgb.width(), rgb.height(), picture);
}

} // namespace ov
