#include "platform/sim/sim_files.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/sim/sim_kernel.h"
#include "platform/sim/sim_sync.h"
#include "platform/sim/sim_system.h"

namespace pf::sim {
namespace {

class SimFilesTest : public ::testing::Test {
 protected:
  SimKernel kernel_;
  SimSystem system_{kernel_};
  SimFiles files_{kernel_};
  SimSync sync_{kernel_};
};

TEST_F(SimFilesTest, PathsIgnoreCaseSlashesDotsAndFollowTheCurrentDirectory) {
  ASSERT_TRUE(files_.WriteFileBytes(L"C:\\Drivers\\TQ\\a.inf", "x"));
  EXPECT_TRUE(files_.Exists(L"c:/drivers/./x/../tq/A.INF"));
  ASSERT_TRUE(files_.SetCurrentDirectoryW(L"c:\\DRIVERS\\tq\\"));
  EXPECT_TRUE(files_.Exists(L"a.inf"));
  EXPECT_TRUE(files_.Exists(L"\\Drivers\\TQ\\a.inf"));
  wchar_t buffer[32];
  EXPECT_EQ(files_.GetCurrentDirectoryW(32, buffer), 13u);
  EXPECT_EQ(std::wstring(buffer), L"C:\\DRIVERS\\tq");
  EXPECT_EQ(files_.GetFileAttributesW(L"D:\\x"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(system_.GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(files_.CreateFileW(L"C:\\a:b", GENERIC_READ, 0, OPEN_EXISTING, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(system_.GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
}

TEST_F(SimFilesTest, InjectedFaults) {
  ASSERT_TRUE(files_.WriteFileBytes(L"C:\\f.bin", std::string(100, 'a')));
  ASSERT_TRUE(files_.FailReadsAfter(L"C:\\f.bin", 50));
  HANDLE h = files_.CreateFileW(L"C:\\f.bin", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  char buffer[64];
  DWORD read = 0;
  EXPECT_EQ(files_.ReadFile(h, buffer, 40, &read, nullptr), TRUE);
  EXPECT_EQ(read, 40u);
  EXPECT_EQ(files_.ReadFile(h, buffer, 40, &read, nullptr), FALSE);
  EXPECT_EQ(system_.GetLastError(), static_cast<DWORD>(ERROR_READ_FAULT));
  EXPECT_TRUE(sync_.CloseHandle(h));

  ASSERT_TRUE(files_.DenyAccess(L"C:\\f.bin"));
  EXPECT_EQ(files_.CreateFileW(L"C:\\f.bin", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(system_.GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

  ASSERT_TRUE(files_.WriteFileBytes(L"C:\\ro.txt", "r"));
  ASSERT_TRUE(files_.SetReadOnly(L"C:\\ro.txt"));
  EXPECT_EQ(files_.CreateFileW(L"C:\\ro.txt", GENERIC_WRITE, 0, OPEN_EXISTING, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(system_.GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(files_.DeleteFileW(L"C:\\ro.txt"), FALSE);
  EXPECT_EQ(files_.OpenHandleCount(), 0u);
}

// Every call, the ANSI forms under their own names, is recorded and fails
// as told, with nothing changed: what a sweep of failing calls relies on.
TEST_F(SimFilesTest, EachCallIsRecordedUnderItsNameAndFailsAsTold) {
  ASSERT_TRUE(files_.WriteFileBytes(L"C:\\d\\f.txt", "text"));
  const HANDLE file = files_.CreateFileW(L"C:\\d\\f.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  std::int64_t value = 0;
  wchar_t buffer[MAX_PATH];
  const std::vector<std::pair<const char*, std::function<bool()>>> calls = {
      {"CreateFileA",
       [&] { return files_.CreateFileA("C:\\d\\f.txt", GENERIC_READ, 0, OPEN_EXISTING, 0) == INVALID_HANDLE_VALUE; }},
      {"DeleteFileA", [&] { return !files_.DeleteFileA("C:\\d\\f.txt"); }},
      {"DeleteFileW", [&] { return !files_.DeleteFileW(L"C:\\d\\f.txt"); }},
      {"SetFilePointerEx", [&] { return !files_.SetFilePointerEx(file, 2, &value, FILE_BEGIN); }},
      {"GetFileSizeEx", [&] { return !files_.GetFileSizeEx(file, &value); }},
      {"CreateDirectoryW", [&] { return !files_.CreateDirectoryW(L"C:\\e"); }},
      {"RemoveDirectoryW", [&] { return !files_.RemoveDirectoryW(L"C:\\e"); }},
      {"GetFileAttributesW", [&] { return files_.GetFileAttributesW(L"C:\\d") == INVALID_FILE_ATTRIBUTES; }},
      {"SetCurrentDirectoryW", [&] { return !files_.SetCurrentDirectoryW(L"C:\\d"); }},
      {"GetCurrentDirectoryW", [&] { return files_.GetCurrentDirectoryW(MAX_PATH, buffer) == 0; }},
  };
  for (const auto& [name, call] : calls) {
    SCOPED_TRACE(name);
    kernel_.ClearFaults();
    kernel_.ClearCalls();
    kernel_.FailCall(name, ERROR_SHARING_VIOLATION);
    EXPECT_TRUE(call());
    EXPECT_EQ(system_.GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(kernel_.Calls(), std::vector<std::string>{name});
  }
  kernel_.ClearFaults();
  EXPECT_TRUE(files_.Exists(L"C:\\d\\f.txt"));
  EXPECT_FALSE(files_.Exists(L"C:\\e"));
  EXPECT_EQ(files_.CurrentDirectory(), L"C:\\");
  EXPECT_TRUE(sync_.CloseHandle(file));
  EXPECT_EQ(files_.OpenHandleCount(), 0u);
}

TEST_F(SimFilesTest, HundredMegabyteFileReadsBackWhole) {
  const std::string big(100u << 20, '\x5A');
  ASSERT_TRUE(files_.WriteFileBytes(L"C:\\big.cab", big));
  HANDLE h = files_.CreateFileW(L"C:\\big.cab", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
  std::int64_t size = 0;
  ASSERT_TRUE(files_.GetFileSizeEx(h, &size));
  EXPECT_EQ(size, static_cast<std::int64_t>(big.size()));
  std::string back(big.size(), '\0');
  DWORD read = 0;
  ASSERT_TRUE(files_.ReadFile(h, &back[0], static_cast<DWORD>(back.size()), &read, nullptr));
  EXPECT_EQ(read, big.size());
  EXPECT_TRUE(back == big);
  sync_.CloseHandle(h);
}

TEST_F(SimFilesTest, AnsiFormsConvertThroughTheAnsiCodePage) {
  HANDLE h = files_.CreateFileA("C:\\\xD6\xD0.txt", GENERIC_WRITE, 0, CREATE_NEW, 0);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  sync_.CloseHandle(h);
  EXPECT_TRUE(files_.Exists(std::wstring(L"C:\\") + wchar_t(0x4E2D) + L".txt"));
  EXPECT_TRUE(files_.DeleteFileA("C:\\\xD6\xD0.txt"));
}

}  // namespace
}  // namespace pf::sim
