// The idle event: once per wait of the event loop, never from processEvents()
// and never inside itself.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include "ui/qt/idle_hook.h"

namespace {

void RunLoopFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

TEST(IdleHook, RunsWhenTheLoopIsAboutToWait) {
    int calls = 0;
    ui::IdleHook hook([&calls] { ++calls; });
    RunLoopFor(0);
    EXPECT_GE(calls, 1);
}

TEST(IdleHook, ProcessingPendingEventsDoesNotRunIt) {
    int calls = 0;
    ui::IdleHook hook([&calls] { ++calls; });
    int delivered = 0;
    for (int i = 0; i < 5; ++i)
        QTimer::singleShot(0, [&delivered] { ++delivered; });
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(delivered, 5);
    EXPECT_EQ(calls, 0);
}

TEST(IdleHook, AnIdleLoopSleepsInsteadOfSpinning) {
    int calls = 0;
    ui::IdleHook hook([&calls] { ++calls; });
    RunLoopFor(300);
    // A loop that woke itself would call the handler thousands of times; a
    // sleeping one only around the timer that ends it.
    EXPECT_GE(calls, 1);
    EXPECT_LT(calls, 50);
}

TEST(IdleHook, IsNotReenteredFromANestedLoop) {
    int depth = 0;
    int deepest = 0;
    int calls = 0;
    ui::IdleHook hook([&] {
        ++calls;
        ++depth;
        deepest = std::max(deepest, depth);
        if (calls == 1)
            RunLoopFor(20);  // waits, and so announces another block
        --depth;
    });
    RunLoopFor(0);
    EXPECT_EQ(deepest, 1);
    EXPECT_GE(calls, 1);
}

TEST(IdleHook, DisabledHookRunsNothingAndCanBeEnabledAgain) {
    int calls = 0;
    ui::IdleHook hook([&calls] { ++calls; });
    hook.SetEnabled(false);
    RunLoopFor(0);
    EXPECT_EQ(calls, 0);
    hook.SetEnabled(true);
    RunLoopFor(0);
    EXPECT_GE(calls, 1);
}

}  // namespace
