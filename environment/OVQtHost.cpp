#include "environment/OVQtHost.h"

#include <QThread>

#include <exception>
#include <new>

namespace ov {

TOVQtHost::TOVQtHost(RunHost &windows, QObject *parent) : QObject(parent), windows_(windows)
{
}

// A step that runs out of memory must not unwind through the event loop:
// the failure goes back to the worker, whose run ends with error 30101.
void TOVQtHost::Synchronise(const std::function<void()> &step)
{
    if (QThread::currentThread() == thread()) {
        step();
        return;
    }
    std::exception_ptr failure;
    // What the worker drew shows before the step: INPUT, a dialog, the end of the run.
    QMetaObject::invokeMethod(
        this,
        [this, &step, &failure] {
            try {
                windows_.RefreshGraphWindow();
                step();
            } catch (const std::bad_alloc &) {
                failure = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (failure)
        std::rethrow_exception(failure);
}

// Nobody waits for a posted step: one that runs out of memory is dropped.
// Posted on this object's own thread too it waits its turn, behind what is
// already queued there.
void TOVQtHost::Post(std::function<void()> step)
{
    QMetaObject::invokeMethod(
        this,
        [step = std::move(step)] {
            try {
                step();
            } catch (const std::bad_alloc &) {
            }
        },
        Qt::QueuedConnection);
}

} // namespace ov
