// The file dialogs of the frame and the editors and the dialogs that programs
// show (message boxes, input boxes, file dialogs) are run through here, so
// that tests can answer them: the hook receives the dialog ready to be shown
// and returns what its exec() would. Without a hook the dialog is shown
// modally.
#pragma once

#include <functional>

class QDialog;
class QMessageBox;

namespace ov {

using DialogHook = std::function<int(QDialog &dialog)>;
void SetDialogHook(DialogHook hook);

// Shows the dialog modally (or hands it to the hook), wide enough for its
// title; the dialog's result.
int RunDialog(QDialog &dialog);

// Makes a message box whose text is one line wide enough to show it on one
// line, as far as the screen allows.
void KeepTextOnOneLine(QMessageBox &box);

} // namespace ov
