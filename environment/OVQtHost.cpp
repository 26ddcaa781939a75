#include "environment/OVQtHost.h"

#include <QThread>

namespace ov {

TOVQtHost::TOVQtHost(RunHost &windows, QObject *parent) : QObject(parent), windows_(windows)
{
}

void TOVQtHost::Synchronise(const std::function<void()> &step)
{
    if (QThread::currentThread() == thread()) {
        step();
        return;
    }
    // What the worker drew shows before the step: INPUT, a dialog, the end of the run.
    QMetaObject::invokeMethod(
        this,
        [this, &step] {
            windows_.RefreshGraphWindow();
            step();
        },
        Qt::BlockingQueuedConnection);
}

void TOVQtHost::Post(std::function<void()> step)
{
    if (QThread::currentThread() == thread()) {
        step();
        return;
    }
    QMetaObject::invokeMethod(this, std::move(step), Qt::QueuedConnection);
}

} // namespace ov
