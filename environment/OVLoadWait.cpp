#include "environment/OVLoadWait.h"

#include "resources/OVInterfaceTexts.h"

#include <QGuiApplication>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace ov {

TOVLoadWaitForm *OVLoadWaitForm = nullptr;

TOVLoadWaitForm::TOVLoadWaitForm(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint)
{
    // Shown over the editor while it works, without taking its focus.
    setAttribute(Qt::WA_ShowWithoutActivating);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setTextVisible(false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(ProgressBar1);
    resize(222, 28);
    setWindowTitle(InterfaceText(65181));
    if (OVLoadWaitForm == nullptr)
        OVLoadWaitForm = this;
}

TOVLoadWaitForm::~TOVLoadWaitForm()
{
    if (OVLoadWaitForm == this)
        OVLoadWaitForm = nullptr;
}

void TOVLoadWaitForm::Start(const QString &caption, int maximum)
{
    setWindowTitle(caption);
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    show();
    raise();
    ProgressBar1->setRange(0, std::max(0, maximum));
    ProgressBar1->setValue(0);
    repaint();
}

void TOVLoadWaitForm::SetPosition(int position)
{
    ProgressBar1->setValue(std::clamp(position, ProgressBar1->minimum(), ProgressBar1->maximum()));
}

void TOVLoadWaitForm::Finish()
{
    hide();
    setWindowTitle(InterfaceText(65181));
}

LoadWaitScope::LoadWaitScope(const QString &caption, int textLength)
{
    if (!LoadWaitNeeded(textLength) || OVLoadWaitForm == nullptr)
        return;
    form_ = OVLoadWaitForm;
    form_->Start(caption, textLength);
}

LoadWaitScope::~LoadWaitScope()
{
    if (form_ != nullptr && OVLoadWaitForm == form_)
        form_->Finish();
}

void LoadWaitScope::SetPosition(int position)
{
    if (form_ != nullptr && OVLoadWaitForm == form_)
        form_->SetPosition(position);
}

} // namespace ov
