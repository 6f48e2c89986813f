#include "platform/sim/sim_system.h"

#include "platform/sim/sim_kernel.h"
#include "platform/sim/sim_sync.h"

#include <gtest/gtest.h>

#include <vector>

namespace pf::sim {
namespace {

TEST(SimSystemTest, ScheduledEventsFireInOrderAtTheirTickDuringSleep) {
  SimKernel kernel;
  SimSystem system(kernel);
  system.SetTickCount(1000);
  std::vector<DWORD> fired;
  system.Schedule(1500, [&] { fired.push_back(system.GetTickCount()); });
  system.Schedule(1200, [&] { fired.push_back(system.GetTickCount()); });
  system.Sleep(300);
  EXPECT_EQ(fired, (std::vector<DWORD>{1200}));
  EXPECT_EQ(system.GetTickCount(), 1300u);
  system.AdvanceClock(1000);
  EXPECT_EQ(fired, (std::vector<DWORD>{1200, 1500}));
  EXPECT_EQ(system.GetTickCount(), 2300u);
}

TEST(SimSystemTest, TickCounterWrapsAndEventsAcrossTheWrapStillFire) {
  SimKernel kernel;
  SimSystem system(kernel);
  system.SetTickCount(0xFFFFFF00u);
  bool fired = false;
  system.Schedule(0x10, [&] { fired = true; });
  system.Sleep(0x100);
  EXPECT_FALSE(fired);
  system.Sleep(0x10);
  EXPECT_TRUE(fired);
  EXPECT_EQ(system.GetTickCount(), 0x10u);
}

// Windows' default timer: a sleep lasts until the timer's first tick (every
// 15.625 ms) at or after its time, so never less than asked; the counter
// moves only at the ticks; a time-out ends the same way; Sleep(0) takes no
// time. Across the wrap the counter's differences stay right.
TEST(SimSystemTest, WithWindowsTimerSleepsAndTimeOutsEndAtTheTimersTicks) {
  SimKernel kernel;
  SimSystem system(kernel);
  SimSync sync(kernel);
  kernel.SetTimerPeriod(15625);
  system.SetTickCount(0xFFFFFFF0u);
  EXPECT_EQ(system.GetTickCount(), 0xFFFFFFF0u);
  std::vector<std::uint64_t> ends;
  for (DWORD ms : {10u, 10u, 10u, 1u, 0u, 16u, 500u}) {
    system.Sleep(ms);
    ends.push_back(kernel.Now());
  }
  // Ticks at 15.625, 31.25, 46.875, 62.5, 78.125 and 93.75 ms, then 593.75.
  EXPECT_EQ(ends, (std::vector<std::uint64_t>{16, 32, 47, 63, 63, 94, 594}));
  EXPECT_EQ(system.GetTickCount() - 0xFFFFFFF0u, 593u);  // the count at the last tick

  std::vector<std::uint64_t> fired;
  kernel.ScheduleIn(3, [&] { fired.push_back(kernel.Now()); });  // not on a tick: as a device completes
  EXPECT_EQ(system.GetTickCount() - 0xFFFFFFF0u, 593u);
  const HANDLE event = sync.CreateEventW(nullptr, TRUE, FALSE, nullptr);
  EXPECT_EQ(sync.WaitForSingleObject(event, 1000), WAIT_TIMEOUT);
  EXPECT_EQ(fired, std::vector<std::uint64_t>{597});
  EXPECT_EQ(kernel.Now(), 1594u);  // 1593.75, the first tick at or after 1594
  EXPECT_EQ(sync.WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  EXPECT_EQ(kernel.Now(), 1594u);
  sync.CloseHandle(event);
}

TEST(SimSystemTest, VersionAndModulePath) {
  SimKernel kernel;
  SimSystem system(kernel);
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = 200;
  EXPECT_EQ(system.GetVersionExW(&info), FALSE);
  EXPECT_EQ(system.GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  info.dwOSVersionInfoSize = sizeof info;
  system.SetVersion(5, 0, 2195, VER_PLATFORM_WIN32_NT);
  ASSERT_EQ(system.GetVersionExW(&info), TRUE);
  EXPECT_EQ(info.dwMajorVersion, 5u);
  EXPECT_EQ(info.dwBuildNumber, 2195u);
  system.SetGetVersionFails(true);
  EXPECT_EQ(system.GetVersionExW(&info), FALSE);
  system.SetGetVersionFails(false);
  kernel.ClearFaults();  // counts the calls from here
  kernel.FailCall("GetVersionExW", ERROR_INVALID_PARAMETER, 0);
  EXPECT_EQ(system.GetVersionExW(&info), FALSE);
  EXPECT_EQ(system.GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(system.GetVersionExW(&info), TRUE);

  system.SetModulePath(L"D:\\a\\setup.exe");
  wchar_t buffer[6];
  EXPECT_EQ(system.GetModuleFileNameW(0, buffer, 6), 6u);
  EXPECT_EQ(std::wstring(buffer), L"D:\\a\\");
  EXPECT_EQ(system.GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  char narrow[32];
  EXPECT_EQ(system.GetModuleFileNameA(0, narrow, 32), 14u);
  EXPECT_STREQ(narrow, "D:\\a\\setup.exe");
}

TEST(SimSystemTest, MessageBoxesAreRecordedAndAnsweredFromTheQueue) {
  SimKernel kernel;
  SimSystem system(kernel);
  system.QueueMessageBoxAnswer(IDNO);
  EXPECT_EQ(system.MessageBoxW(7, L"Remove?", L"Setup", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(system.MessageBoxW(0, L"Done", L"Setup", MB_OK), IDOK);
  ASSERT_EQ(system.messageBoxes().size(), 2u);
  EXPECT_EQ(system.messageBoxes()[0].owner, 7u);
  EXPECT_EQ(system.messageBoxes()[0].text, L"Remove?");
  EXPECT_EQ(system.messageBoxes()[0].type, MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(system.messageBoxes()[1].caption, L"Setup");
}

}  // namespace
}  // namespace pf::sim
