// The graphics window: a tool window with the picture in a scroll area,
// drawn from the surface under its lock. What the worker draws reaches the
// screen through the surface's dirty rectangle, at most about 60 times a
// second, or at once on a refresh. The window records the mouse (in picture
// pixels) and keys for the running program. TOVGraphForm2 keeps a previous
// picture when a program opens the screen again.
#pragma once

#include <QImage>
#include <QScrollArea>
#include <QTimer>
#include <QWidget>

namespace ov {

class TGraphSurface;

// The picture itself, scaled to its own size when stretched.
class TGraphPicture : public QWidget {
    Q_OBJECT

public:
    TGraphPicture(TGraphSurface &surface, QWidget *parent = nullptr);
    // The picture's size, set by the open step (the worker changes the
    // size globals while the window paints).
    void SetPictureSize(QSize size) { pictureSize_ = size.expandedTo(QSize(1, 1)); }
    QSize PictureSize() const { return pictureSize_; }
    // The widget area that shows the rectangle of picture pixels.
    QRect ToWidget(const QRect &pixels) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QPoint ToPicture(QPointF at) const;
    void Record(int event, QPointF at);

    TGraphSurface &surface_;
    QSize pictureSize_{1, 1};
};

class TOVGraphForm : public QWidget {
    Q_OBJECT

public:
    explicit TOVGraphForm(TGraphSurface &surface);

    // Sizes and places the window for the picture and shows it.
    void LayoutGraphForm();
    // 0 plain, 1 scrolled over the whole picture, 2 stretched to the window.
    void SetView(int view);
    int View() const { return view_; }
    // Shows what has been drawn now.
    void Flush();

    QScrollArea *ScrollBox1 = nullptr;
    TGraphPicture *PaintBox1 = nullptr;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void ShowDirty();
    void KeepAspect();

    TGraphSurface &surface_;
    QTimer refresh_;
    int view_ = 0;
};

// A previous picture, kept until the user closes it.
class TOVGraphForm2 : public QWidget {
    Q_OBJECT

public:
    TOVGraphForm2(const TOVGraphForm &old, QImage picture);

    QScrollArea *ScrollBox1 = nullptr;
};

// The window steps of the graphics screen (user-interface thread).
void KeepGraphPicture();
void ShowGraphForm();
void CloseGraphForm();
void SetGraphFormView(int view);
void RefreshGraphForm();
// The open windows, for tests and the screenshot.
TOVGraphForm *GraphForm();
int KeptGraphPictureCount();
// Closes every graphics window (at the end of the application).
void DestroyGraphForms();

} // namespace ov
