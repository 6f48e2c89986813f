// The simulated kernel and its kernel objects group: what only the sim can
// show (the virtual clock, faults on demand, handles that are never reused,
// the lock a waiter releases, critical sections between real threads). What Windows shows too is in
// tests/contract/sync_test.cc.
#include "platform/sim/sim_kernel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/sim/sim_sync.h"

namespace pf::sim {
namespace {

class SimKernelTest : public ::testing::Test {
 protected:
  SimKernel kernel_;
  SimSync sync_{kernel_};
};

TEST_F(SimKernelTest, WaitThatTimesOutAdvancesTheClockByExactlyItsTimeOut) {
  const HANDLE event = sync_.CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(event, 0u);
  kernel_.AdvanceClock(1000);
  std::vector<std::uint64_t> fired;
  kernel_.ScheduleIn(200, [&] { fired.push_back(kernel_.Now()); });
  kernel_.ScheduleIn(800, [&] { fired.push_back(kernel_.Now()); });

  EXPECT_EQ(sync_.WaitForSingleObject(event, 500), WAIT_TIMEOUT);
  EXPECT_EQ(kernel_.Now(), 1500u);
  EXPECT_EQ(kernel_.TickCount(), 1500u);
  EXPECT_EQ(fired, std::vector<std::uint64_t>{1200});  // what falls inside the wait fires on the way

  EXPECT_EQ(sync_.WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  EXPECT_EQ(kernel_.Now(), 1500u);

  // Set exactly when the time runs out: the wait sees it signalled.
  kernel_.ScheduleIn(300, [&] { sync_.SetEvent(event); });
  EXPECT_EQ(sync_.WaitForSingleObject(event, 300), WAIT_OBJECT_0);
  EXPECT_EQ(kernel_.Now(), 1800u);
  EXPECT_EQ(fired, (std::vector<std::uint64_t>{1200, 1800}));
  sync_.CloseHandle(event);
}

TEST_F(SimKernelTest, InfiniteWaitEndsWhenScheduledWorkSignalsAndFailsWhenNothingCan) {
  const HANDLE event = sync_.CreateEventW(nullptr, FALSE, FALSE, nullptr);
  kernel_.ScheduleIn(1200, [&] { sync_.SetEvent(event); });
  EXPECT_EQ(sync_.WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(kernel_.Now(), 1200u);

  // Auto-reset: the wait took the signal, and nothing is left to set it.
  kernel_.SetLastError(0);
  EXPECT_EQ(sync_.WaitForSingleObject(event, INFINITE), WAIT_FAILED);
  EXPECT_EQ(kernel_.LastError(), static_cast<DWORD>(ERROR_POSSIBLE_DEADLOCK));
  EXPECT_EQ(kernel_.Now(), 1200u);
  sync_.CloseHandle(event);
}

TEST_F(SimKernelTest, FailCallFailsTheNamedCallAtTheGivenOccurrence) {
  kernel_.FailCall("CreateEventW", ERROR_NOT_ENOUGH_MEMORY, 1);
  const HANDLE first = sync_.CreateEventW(nullptr, TRUE, FALSE, nullptr);
  EXPECT_NE(first, 0u);
  EXPECT_EQ(sync_.CreateEventW(nullptr, TRUE, FALSE, nullptr), 0u);
  EXPECT_EQ(kernel_.LastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
  const HANDLE third = sync_.CreateEventW(nullptr, TRUE, FALSE, nullptr);
  EXPECT_NE(third, 0u);

  kernel_.FailCall("SetEvent", ERROR_ACCESS_DENIED);  // every call from now on
  EXPECT_FALSE(sync_.SetEvent(first));
  EXPECT_FALSE(sync_.SetEvent(third));
  EXPECT_EQ(kernel_.LastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(sync_.ResetEvent(first));  // other calls go on
  EXPECT_EQ(sync_.WaitForSingleObject(first, 0), WAIT_TIMEOUT);

  // Occurrences count again from ClearFaults.
  kernel_.ClearFaults();
  kernel_.FailCall("CreateEventW", ERROR_INVALID_PARAMETER, 0);
  EXPECT_EQ(sync_.CreateEventW(nullptr, TRUE, FALSE, nullptr), 0u);
  EXPECT_EQ(kernel_.LastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(sync_.SetEvent(first));

  const std::vector<std::string> calls = kernel_.Calls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "CreateEventW"), 4);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "SetEvent"), 3);
  sync_.CloseHandle(first);
  sync_.CloseHandle(third);
}

TEST_F(SimKernelTest, HandlesAreNeverReused) {
  std::set<HANDLE> seen;
  const HANDLE firstClosed = sync_.CreateEventW(nullptr, TRUE, TRUE, nullptr);
  seen.insert(firstClosed);
  ASSERT_TRUE(sync_.CloseHandle(firstClosed));
  for (int i = 0; i < 200; ++i) {
    const HANDLE event = sync_.CreateEventW(nullptr, TRUE, TRUE, nullptr);
    EXPECT_TRUE(seen.insert(event).second) << "handle " << event << " handed out twice";
    if (i % 2 == 0) sync_.CloseHandle(event);
  }
  // The first handle stays stale however many were made since.
  EXPECT_FALSE(sync_.SetEvent(firstClosed));
  EXPECT_EQ(kernel_.LastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(sync_.WaitForSingleObject(firstClosed, 0), WAIT_FAILED);
  EXPECT_EQ(kernel_.OpenHandleCount(ObjectKind::Event), 100u);
}

TEST_F(SimKernelTest, WaitReleasesEveryLevelOfTheLockAndTakesThemAllBack) {
  bool ready = false;
  auto outer = kernel_.Lock();
  auto middle = kernel_.Lock();
  auto inner = kernel_.Lock();
  std::thread other([&] {
    auto lock = kernel_.Lock();  // blocks until the waiter lets go of all three levels
    ready = true;
    kernel_.Notify();
  });
  kernel_.Wait([&] { return ready; });
  other.join();
  EXPECT_TRUE(ready);

  auto heldElsewhere = [&] {
    std::atomic<bool> taken{false};
    std::thread probe([&] {
      taken = kernel_.mutex().try_lock();
      if (taken) kernel_.mutex().unlock();
    });
    probe.join();
    return !taken;
  };
  inner.unlock();
  middle.unlock();
  EXPECT_TRUE(heldElsewhere());  // the outermost level is still this thread's
  outer.unlock();
  EXPECT_FALSE(heldElsewhere());
}

TEST_F(SimKernelTest, ThreadsRunAsTheAdministratorUntilMarkedOtherwise) {
  EXPECT_EQ(kernel_.CallerAccount(), Account::Administrator);
  Account seen = Account::Administrator;
  std::thread service([&] {
    kernel_.SetCallerAccount(Account::LocalSystem);
    seen = kernel_.CallerAccount();
  });
  service.join();
  EXPECT_EQ(seen, Account::LocalSystem);
  EXPECT_EQ(kernel_.CallerAccount(), Account::Administrator);  // per thread
}

TEST_F(SimKernelTest, CriticalSectionSerialisesThreadsWithoutHoldingThePcsLock) {
  CRITICAL_SECTION section{};
  sync_.InitializeCriticalSection(&section);
  // Updates that are not atomic, made whole by the section.
  long count = 0;
  auto add = [&] {
    for (int i = 0; i < 20000; ++i) {
      sync_.EnterCriticalSection(&section);
      const long seen = count;
      std::this_thread::yield();
      count = seen + 1;
      sync_.LeaveCriticalSection(&section);
    }
  };
  std::thread first(add), second(add);
  first.join();
  second.join();
  EXPECT_EQ(count, 40000);

  // Its holder enters again; another thread waits until it has left as often,
  // and the PC's other calls go on meanwhile.
  sync_.EnterCriticalSection(&section);
  sync_.EnterCriticalSection(&section);
  std::atomic<bool> entered{false};
  std::thread waiter([&] {
    sync_.EnterCriticalSection(&section);
    entered = true;
    sync_.LeaveCriticalSection(&section);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const HANDLE event = sync_.CreateEventW(nullptr, TRUE, FALSE, nullptr);
  EXPECT_NE(event, 0u);
  EXPECT_TRUE(sync_.CloseHandle(event));
  sync_.LeaveCriticalSection(&section);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(entered);
  sync_.LeaveCriticalSection(&section);
  waiter.join();
  EXPECT_TRUE(entered);

  // A second initialisation (another run of the same program) shares it
  // until the last deletion.
  sync_.InitializeCriticalSection(&section);
  sync_.DeleteCriticalSection(&section);
  EXPECT_EQ(sync_.LiveCriticalSections(), 1u);
  sync_.EnterCriticalSection(&section);
  sync_.LeaveCriticalSection(&section);
  sync_.DeleteCriticalSection(&section);
  EXPECT_EQ(sync_.LiveCriticalSections(), 0u);
  EXPECT_DEATH(sync_.EnterCriticalSection(&section), "EnterCriticalSection of a critical section that is not initialised");
}

TEST_F(SimKernelTest, LeavingACriticalSectionThatAnotherThreadHoldsEndsTheProcess) {
  CRITICAL_SECTION section{};
  sync_.InitializeCriticalSection(&section);
  sync_.EnterCriticalSection(&section);
  EXPECT_DEATH(std::thread([&] { sync_.LeaveCriticalSection(&section); }).join(), "the thread does not hold");
  EXPECT_DEATH(sync_.DeleteCriticalSection(&section), "that a thread holds");
  sync_.LeaveCriticalSection(&section);
  sync_.DeleteCriticalSection(&section);
}

}  // namespace
}  // namespace pf::sim
