// The drawing surface of the graphics screen: the picture (RGB32), the
// picture buffer that pictures are loaded into, one lock over both, and the
// rectangle drawn since the window last looked. The worker draws with one
// lock per statement; the window copies exposed areas under the same lock.
#pragma once

#include "devices/OVGraphCanvas.h"

#include <QImage>
#include <QRect>
#include <functional>
#include <memory>
#include <mutex>

class QGuiApplication;

namespace ov {

class TGraphSurface : public GraphSurfaceAccess {
public:
    void NewPicture(int width, int height, ColorValue back) override;
    QSize PictureSize() override;
    void Fill(ColorValue color) override;
    void SetPixel(QPoint at, ColorValue color) override;
    void SetPixels(const std::vector<ColoredPoint> &points) override;
    bool GetPixel(QPoint at, ColorValue &color) override;
    void Line(QPoint from, QPoint to, const CanvasState &canvas) override;
    void BoxOutline(QPoint a, QPoint b, const CanvasState &canvas) override;
    void FilledBox(QPoint a, QPoint b, const CanvasState &canvas) override;
    void Ellipse(CanvasBox box, bool filled, const CanvasState &canvas) override;
    void Arc(CanvasBox box, QPoint start, QPoint end, const CanvasState &canvas) override;
    void Pie(CanvasBox box, QPoint start, QPoint end, const CanvasState &canvas) override;
    void FloodFill(QPoint seed, ColorValue border, const CanvasState &canvas) override;
    void Text(QPoint at, const QString &text, const CanvasFont &font, ColorValue color, ColorValue back) override;
    void BufferToPicture(QPoint from, QSize size, QPoint to) override;
    void PictureToBuffer(QRect area) override;
    bool LoadIntoBuffer(const QString &path, PictureFormat format) override;
    QByteArray EncodeBuffer(QSize size, PictureFormat format) override;
    bool PictureFileSize(const QString &path, PictureFormat format, QSize &size) override;

    // For the window and the picture statements: hold Lock() while using
    // Picture() or PictureBuffer().
    std::mutex &Lock() { return mutex_; }
    QImage &Picture() { return picture_; }
    QImage &PictureBuffer() { return buffer_; }
    // A copy of the whole picture, taken under the lock.
    QImage Snapshot();
    // The rectangle drawn since the last call (empty when none).
    QRect TakeDirty();

private:
    void Touch(const QRect &r) { dirty_ |= r; }

    std::mutex mutex_;
    QImage picture_;
    QImage buffer_;
    QRect dirty_;
};

// The one surface of the process.
TGraphSurface &GraphSurfaceObject();

// An application object on the offscreen platform, for drawing text
// without windows.
std::unique_ptr<QGuiApplication> MakeOffscreenApplication();
// Text drawing needs an application object; when there is none it calls
// the maker (from the worker), which has the main thread make one and
// waits for it.
void SetApplicationMaker(std::function<void()> maker);

// Saves the picture as a PNG; false when no screen is open or it failed.
bool SaveGraphicsPng(const QString &path);

} // namespace ov
