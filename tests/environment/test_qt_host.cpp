#include "environment/OVQtHost.h"
#include "executor/OVHeadlessHost.h"

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>
#include <atomic>
#include <new>
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

// A step that runs out of memory on the interface thread fails the worker's
// call, not the event loop; a posted one is dropped and the next runs.
TEST(QtHost, StepsOutOfMemoryFailOnTheWorker)
{
    HeadlessHost windows;
    TOVQtHost host(windows);
    std::atomic<bool> done{false};
    bool caught = false;
    bool after = false;
    std::thread worker([&] {
        host.Post([] { throw std::bad_alloc(); });
        try {
            host.Synchronise([] { throw std::bad_alloc(); });
        } catch (const std::bad_alloc &) {
            caught = true;
        }
        host.Synchronise([&] { after = true; });
        done = true;
    });
    while (!done)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    EXPECT_TRUE(caught);
    EXPECT_TRUE(after);
}
