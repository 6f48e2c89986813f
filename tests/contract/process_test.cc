// Starting programs: the same assertions against the simulated PC and Win32.
#include <string>

#include "platform/platform.h"
#include "platform/unique_handle.h"
#include "tests/contract/contract_env.h"

namespace {

using namespace pf;

class ProcessContract : public ContractTest {
 protected:
  static SHELLEXECUTEINFOW Record(const wchar_t* file, const wchar_t* parameters) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpFile = file;
    info.lpParameters = parameters;
    info.nShow = SW_HIDE;
    return info;
  }
};

TEST_F(ProcessContract, AProgramThatDoesNotExistDoesNotStart) {
  SHELLEXECUTEINFOW info = Record(L"tq-contract-no-such-program.exe", nullptr);
  info.hProcess = 99;
  EXPECT_FALSE(ShellExecuteExW(&info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(info.hProcess, 0u);
  EXPECT_EQ(info.hInstApp, static_cast<std::uintptr_t>(SE_ERR_FNF));
  EXPECT_EQ(ShellExecuteW(0, L"open", L"tq-contract-no-such-program.exe", nullptr, nullptr, SW_HIDE), SE_ERR_FNF);
  EXPECT_EQ(WinExec("tq-contract-no-such-program.exe", SW_HIDE), static_cast<UINT>(ERROR_FILE_NOT_FOUND));
}

TEST_F(ProcessContract, ASystemProgramRunsToItsExitCodeBehindItsHandle) {
  // A bare name with a trailing blank, as the installer names rundll32.
  SHELLEXECUTEINFOW info = Record(L"cmd.exe ", L"/c exit 3");
  ASSERT_TRUE(ShellExecuteExW(&info)) << GetLastError();
  EXPECT_GT(info.hInstApp, 32u);
  ASSERT_NE(info.hProcess, 0u);
  UniqueKernelHandle process(info.hProcess);
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeProcess(process.get(), &code));
  // The simulated program runs only when the clock moves; a real one may be
  // done already.
  if (IsSimulated()) EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(WaitForSingleObject(process.get(), 30000), WAIT_OBJECT_0);
  ASSERT_TRUE(GetExitCodeProcess(process.get(), &code));
  EXPECT_EQ(code, 3u);
  EXPECT_FALSE(ClosePrinter(process.get()));  // not a printer handle
  EXPECT_TRUE(CloseHandle(process.release()));
}

}  // namespace
