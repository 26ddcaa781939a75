// Lets a worker's window steps run on this thread until the run ends (at
// most 20 s), then joins the worker.
#pragma once

#include "executor/OVMThread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

inline void WaitForRun(ov::RunController &runs)
{
    QElapsedTimer clock;
    clock.start();
    while (ov::RunThreadActive.load() != 0 && clock.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    runs.Join();
    QCoreApplication::processEvents();
}
