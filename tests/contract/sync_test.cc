// The kernel objects seam (events, waits, closing handles, the overlapped
// calls on files): the same assertions against the simulated PC and Win32.
// What only the sim can show (its virtual clock, deadlocks, faults on
// demand) is in tests/platform/sim/sim_kernel_test.cc.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "contract_env.h"
#include "platform/platform.h"

namespace {

using namespace pf;

class SyncContract : public ContractTest {
 protected:
  HANDLE NewEvent(BOOL manualReset, BOOL initialState) {
    const HANDLE event = CreateEventW(nullptr, manualReset, initialState, nullptr);
    EXPECT_NE(event, 0u);
    return event;
  }
  // A scratch file holding bytes, opened for reading and writing with flags.
  HANDLE FileWith(const std::string& bytes, DWORD flags) {
    const std::wstring path = ScratchFolder() + L"\\data.bin";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written));
    CloseHandle(file);
    file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, flags);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    return file;
  }
  static OVERLAPPED At(DWORD offset, HANDLE event = 0) {
    OVERLAPPED overlapped{};
    overlapped.Offset = offset;
    overlapped.hEvent = event;
    return overlapped;
  }
  // A transfer started on an overlapped handle either completes at once or
  // is pending; either way GetOverlappedResult with wait gives its outcome.
  static BOOL Finish(HANDLE file, BOOL started, OVERLAPPED* overlapped, DWORD* count) {
    if (!started && GetLastError() != static_cast<DWORD>(ERROR_IO_PENDING)) return FALSE;
    return GetOverlappedResult(file, overlapped, count, TRUE);
  }
};

TEST_F(SyncContract, ManualResetEventsStaySetUntilReset) {
  const HANDLE event = NewEvent(TRUE, FALSE);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(event, 30), WAIT_TIMEOUT);
  ASSERT_TRUE(SetEvent(event));
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);  // still set
  ASSERT_TRUE(ResetEvent(event));
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  EXPECT_TRUE(CloseHandle(event));

  const HANDLE initiallySet = NewEvent(TRUE, TRUE);
  EXPECT_EQ(WaitForSingleObject(initiallySet, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(initiallySet, 0), WAIT_OBJECT_0);
  CloseHandle(initiallySet);
}

TEST_F(SyncContract, AutoResetEventsLetOneWaitThrough) {
  const HANDLE event = NewEvent(FALSE, TRUE);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);  // the wait took the signal
  ASSERT_TRUE(SetEvent(event));
  ASSERT_TRUE(SetEvent(event));  // setting twice is one signal
  EXPECT_EQ(WaitForSingleObject(event, 30), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 30), WAIT_TIMEOUT);
  CloseHandle(event);
}

TEST_F(SyncContract, ClosedAndStaleHandlesFailWithInvalidHandle) {
  const HANDLE event = NewEvent(TRUE, TRUE);
  ASSERT_TRUE(CloseHandle(event));
  SetLastError(0);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  SetLastError(0);
  EXPECT_FALSE(CloseHandle(event));  // a double close
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  SetLastError(0);
  EXPECT_FALSE(SetEvent(event));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

  const HANDLE file = FileWith("x", FILE_ATTRIBUTE_NORMAL);
  ASSERT_TRUE(CloseHandle(file));
  SetLastError(0);
  EXPECT_FALSE(CloseHandle(file));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  char byte = 0;
  DWORD read = 0;
  EXPECT_FALSE(ReadFile(file, &byte, 1, &read));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(SyncContract, OverlappedTransfersOnAnOverlappedFileGiveTheirCountAndSetTheEvent) {
  const HANDLE file = FileWith("", FILE_FLAG_OVERLAPPED);
  const HANDLE event = NewEvent(TRUE, FALSE);
  const char text[] = "hello world";
  OVERLAPPED write = At(0, event);
  DWORD count = 0;
  const BOOL started = WriteFile(file, text, 11, nullptr, &write);
  ASSERT_TRUE(Finish(file, started, &write, &count)) << GetLastError();
  EXPECT_EQ(count, 11u);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);  // the transfer's end sets it

  char buffer[16] = {};
  OVERLAPPED read = At(6, event);
  ResetEvent(event);
  ASSERT_TRUE(Finish(file, ReadFile(file, buffer, 5, nullptr, &read), &read, &count)) << GetLastError();
  EXPECT_EQ(count, 5u);
  EXPECT_EQ(std::string(buffer, 5), "world");
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);

  // Past the end: nothing to read, reported as the end of the file.
  OVERLAPPED beyond = At(100);
  SetLastError(0);
  EXPECT_FALSE(Finish(file, ReadFile(file, buffer, 5, nullptr, &beyond), &beyond, &count));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HANDLE_EOF));
  CloseHandle(event);
  CloseHandle(file);
}

TEST_F(SyncContract, OverlappedRecordsOnAPlainFileCompleteAtOnce) {
  const HANDLE file = FileWith("0123456789", FILE_ATTRIBUTE_NORMAL);
  char buffer[8] = {};
  DWORD read = 0;
  OVERLAPPED at = At(2);
  ASSERT_TRUE(ReadFile(file, buffer, 4, &read, &at));  // the record gives the offset
  EXPECT_EQ(read, 4u);
  EXPECT_EQ(std::string(buffer, 4), "2345");
  DWORD count = 0;
  ASSERT_TRUE(GetOverlappedResult(file, &at, &count, FALSE));
  EXPECT_EQ(count, 4u);
  EXPECT_TRUE(CancelIo(file));  // nothing is pending

  // At the end of the file a read with a record fails, unlike one without.
  OVERLAPPED end = At(10);
  SetLastError(0);
  EXPECT_FALSE(ReadFile(file, buffer, 4, &read, &end));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HANDLE_EOF));
  EXPECT_EQ(read, 0u);
  EXPECT_FALSE(GetOverlappedResult(file, &end, &count, FALSE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HANDLE_EOF));
  ASSERT_TRUE(SetFilePointerEx(file, 10, nullptr, FILE_BEGIN));
  EXPECT_TRUE(ReadFile(file, buffer, 4, &read));
  EXPECT_EQ(read, 0u);
  CloseHandle(file);
}

}  // namespace
