#include "platform/sim/sim_system.h"

#include "platform/sim/sim_kernel.h"

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
