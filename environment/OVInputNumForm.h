// The data-input box of INPUT and LINE INPUT: a prompt, an edit field, OK
// and Cancel, shown modally while the run waits.
#pragma once

#include "executor/OVRunHost.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace ov {

class TInputNumForm : public QDialog {
    Q_OBJECT

public:
    explicit TInputNumForm(const InputBoxRequest &request, QWidget *parent = nullptr);

    QString Answer() const;

    QLabel *Caption = nullptr;  // the title bar, drawn by the box itself
    QLabel *Label1 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QPushButton *Button1 = nullptr;  // OK
    QPushButton *Button2 = nullptr;  // Cancel

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void LayOut(const InputBoxRequest &request);
};

// Shows the box for the request; false when it was cancelled.
bool ShowInputBoxDialog(const InputBoxRequest &request, QString &answer, QWidget *parent);

} // namespace ov
