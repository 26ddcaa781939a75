// The file dialogs of the frame and the editors and the dialogs that programs
// show (message boxes, input boxes, file dialogs) are run through here, so
// that tests can answer them: the hook receives the dialog ready to be shown
// and returns what its exec() would. Without a hook the dialog is shown
// modally.
#pragma once

#include <QMessageBox>
#include <functional>

class QDialog;
class QLabel;

namespace ov {

using DialogHook = std::function<int(QDialog &dialog)>;
void SetDialogHook(DialogHook hook);

// Shows the dialog modally (or hands it to the hook), wide enough for its
// title; the dialog's result.
int RunDialog(QDialog &dialog);

// A message box that keeps a text of one line on one line and whole: it
// grows past the width at which Qt's boxes wrap, up to the screen's width,
// and only a line wider than the screen is shortened, in the middle of its
// `shortenable` part (a file name, say). A text of several lines is shown
// as Qt shows it.
class OneLineMessageBox : public QMessageBox {
public:
    OneLineMessageBox(Icon icon, const QString &title, const QString &text, StandardButtons buttons,
                      QWidget *parent, const QString &shortenable = QString());

protected:
    bool event(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void FitToLine();
    QMargins OwnersFrame() const;
    int ScreenRoom() const;
    void PlaceOnScreen();
    void ShowLineWithin(QLabel &label, int room);

    QString line_;
    QString shortenable_;
};

} // namespace ov
