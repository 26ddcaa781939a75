// The control screen's window: a dialog-style top-level widget with 40
// labels, buttons, one-line and multi-line text boxes that show the control
// model. Created once and reset for every CSCREEN, so replacing the form
// adds no widgets. Text typed into a box goes back to the model; a click on
// a button is announced for the event run.
#pragma once

#include "devices/OVControlModel.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace ov {

class TOVControlForm : public QWidget {
    Q_OBJECT

public:
    explicit TOVControlForm(QWidget *parent = nullptr);

    // A fresh form: every widget takes its record, the window its size and
    // place from the globals; then it shows.
    void ShowFresh();
    // One widget takes its record again.
    void Mirror(ControlKind kind, int n);
    void MirrorAll();

    QLabel *Label[ControlCount + 1] = {};
    QPushButton *Button[ControlCount + 1] = {};
    QLineEdit *Edit[ControlCount + 1] = {};
    QPlainTextEdit *Memo[ControlCount + 1] = {};

signals:
    void ButtonClicked(int n);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void CreateControls();
    QWidget *WidgetOf(ControlKind kind, int n) const;

    bool mirroring_ = false;  // the model's own changes are not typed text
};

} // namespace ov
