// Key preview of a program window (the graphics and control screens): every
// key pressed while the window has the keyboard is noted for the program
// (INKEY$, INPUT$) once, before any widget of the window acts on it and
// whichever has the focus. The widgets still get the key: a text box types
// its character, Tab and the arrows still move the focus.
#pragma once

#include <QObject>

class QWidget;

namespace ov {

class TKeyPreview : public QObject {
    Q_OBJECT

public:
    // Watches the top-level widget `window`, which owns the preview.
    explicit TKeyPreview(QWidget &window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget &window_;
};

} // namespace ov
