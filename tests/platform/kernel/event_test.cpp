#include "platform/kernel/event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/kernel/relaxed.h"
#include "platform/kernel/thread.h"

TEST(AutoResetEvent, SignalSetBeforeThePollIsSeenOnceAndThenReset) {
  HEVENT event = CreateEventW("test");
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  SetEvent(event);
  SetEvent(event);  // two signals before a poll count as one
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
}

TEST(AutoResetEvent, ResetDropsAPendingSignal) {
  HEVENT event = CreateEventW("test");
  SetEvent(event);
  ResetEvent(event);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
}

TEST(AutoResetEvent, OneSignalWakesExactlyOneOfTwoWaiters) {
  HEVENT event = CreateEventW("test");
  std::atomic<int> woken{0};
  auto waiter = [&] {
    if (WaitForSingleObject(event, 300) == WAIT_OBJECT_0) woken.fetch_add(1);
  };
  std::thread a(waiter);
  std::thread b(waiter);
  SetEvent(event);
  a.join();
  b.join();
  EXPECT_EQ(woken.load(), 1);
}

TEST(AutoResetEvent, MissingEventFailsEveryCall) {
  HEVENT none;
  EXPECT_EQ(WaitForSingleObject(none, 0), WAIT_FAILED);
  EXPECT_EQ(SetEvent(none), FALSE);
  EXPECT_EQ(ResetEvent(none), FALSE);
}

namespace {
struct Counter {
  Relaxed<int> stop{0};
  Relaxed<int> passes{0};
};
UINT CountUntilStopped(Counter* counter) {
  while (counter->stop == 0) ++counter->passes;
  return 0;
}
}  // namespace

TEST(WorkerThread, RunsUntilItsStopFlagAndJoins) {
  Counter counter;
  std::unique_ptr<CWinThread> thread = AfxBeginThread(&CountUntilStopped, &counter);
  while (counter.passes < 1000) std::this_thread::yield();
  counter.stop = 1;
  thread->Join();
  EXPECT_FALSE(thread->Joinable());
}

TEST(Relaxed, ArithmeticIsAtomicAcrossThreads) {
  Relaxed<int> total{0};
  Relaxed<float> real{0.0f};
  auto add = [&] {
    for (int i = 0; i < 10000; ++i) {
      total += 1;
      real += 1.0f;
    }
  };
  std::thread a(add);
  std::thread b(add);
  a.join();
  b.join();
  EXPECT_EQ(total, 20000);
  EXPECT_FLOAT_EQ(real, 20000.0f);
  EXPECT_EQ(total.exchange(5), 20000);
  EXPECT_EQ(--total, 4);
}
