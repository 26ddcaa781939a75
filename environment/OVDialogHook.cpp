#include "environment/OVDialogHook.h"

#include "devices/OVTopLevelWindow.h"

#include <QDialog>

namespace ov {

namespace {

DialogHook &Hook()
{
    static DialogHook hook;
    return hook;
}

} // namespace

void SetDialogHook(DialogHook hook)
{
    Hook() = std::move(hook);
}

int RunDialog(QDialog &dialog)
{
    WidenForTitle(dialog);
    return Hook() ? Hook()(dialog) : dialog.exec();
}

} // namespace ov
