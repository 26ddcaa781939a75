#include "environment/OVQtHost.h"
#include "executor/OVHeadlessHost.h"

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>
#include <atomic>
#include <thread>

using namespace ov;

// Steps handed over by a worker run on the user-interface thread, posted
// ones in order ahead of a later synchronised one.
TEST(QtHost, WorkerStepsRunOnTheInterfaceThreadInOrder)
{
    HeadlessHost windows;
    TOVQtHost host(windows);
    QStringList seen;
    std::atomic<bool> done{false};
    QThread *ui = QThread::currentThread();
    std::thread worker([&] {
        host.Post([&] { seen << QStringLiteral("one"); });
        host.Post([&] { seen << QStringLiteral("two"); });
        host.Synchronise([&] {
            seen << (QThread::currentThread() == ui ? QStringLiteral("sync on ui") : QStringLiteral("sync elsewhere"));
        });
        done = true;
    });
    while (!done)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    EXPECT_EQ(seen, (QStringList{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("sync on ui")}));
}
