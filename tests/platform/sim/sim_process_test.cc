// Starting programs on the simulated PC: where a name is found, when the
// program runs, its handle and exit code, documents and URLs, WinExec, faults
// and the record of starts.
#include "platform/sim/sim_process.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_files.h"
#include "platform/sim/sim_pc.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_shell_folders.h"
#include "platform/sim/sim_system.h"

namespace pf::sim {
namespace {

class SimProcessTest : public ::testing::Test {
 protected:
  // A program that notes which copy of it ran and ends with `code`.
  void Install(const std::wstring& path, DWORD code = 0) {
    pc_->kernel().RegisterProgram(path, [this, path, code](const SimProcessStart& start) {
      ran_.push_back(path + L" | " + start.commandLine);
      return code;
    });
  }
  static SHELLEXECUTEINFOW Record(const wchar_t* file, const wchar_t* parameters = nullptr) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpFile = file;
    info.lpParameters = parameters;
    info.nShow = SW_SHOW;
    return info;
  }
  // Starts, waits and closes; the program that ran, or empty.
  std::wstring RunToEnd(const wchar_t* file, const wchar_t* parameters = nullptr) {
    SHELLEXECUTEINFOW info = Record(file, parameters);
    if (!ShellExecuteExW(&info)) return std::wstring();
    EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), WAIT_OBJECT_0);
    CloseHandle(info.hProcess);
    return ran_.empty() ? std::wstring() : ran_.back();
  }

  ScopedSimPc pc_;
  std::vector<std::wstring> ran_;
};

TEST_F(SimProcessTest, ABareNameIsSoughtBesideTheProgramFirstThenCurrentSystemAndWindowsFolders) {
  Install(L"C:\\WINDOWS\\tool.exe");
  EXPECT_EQ(RunToEnd(L"tool.exe"), L"C:\\WINDOWS\\tool.exe | C:\\WINDOWS\\tool.exe");
  Install(L"C:\\WINDOWS\\system32\\tool.exe");
  EXPECT_EQ(RunToEnd(L"tool"), L"C:\\WINDOWS\\system32\\tool.exe | C:\\WINDOWS\\system32\\tool.exe");
  ASSERT_TRUE(pc_->files().MakeFolder(L"C:\\Work"));
  ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\Work"));
  Install(L"C:\\Work\\tool.exe");
  EXPECT_EQ(RunToEnd(L"tool.exe "), L"C:\\Work\\tool.exe | C:\\Work\\tool.exe");
  // A copy planted beside setup.exe wins over the system's; a full path does not search.
  Install(L"C:\\TQPrinterSetup\\tool.exe");
  EXPECT_EQ(RunToEnd(L"tool.exe", L"/x"), L"C:\\TQPrinterSetup\\tool.exe | C:\\TQPrinterSetup\\tool.exe /x");
  EXPECT_EQ(RunToEnd(L"C:\\WINDOWS\\system32\\tool.exe", L"/x"),
            L"C:\\WINDOWS\\system32\\tool.exe | C:\\WINDOWS\\system32\\tool.exe /x");
  EXPECT_EQ(RunToEnd(L"..\\WINDOWS\\tool.exe"), L"C:\\WINDOWS\\tool.exe | C:\\WINDOWS\\tool.exe");
}

TEST_F(SimProcessTest, AStartedProgramSeesItsOwnImageAsItsModuleAndTheStarterKeepsItsOwn) {
  std::wstring seen;
  pc_->kernel().RegisterProgram(L"C:\\Tools\\probe.exe", [&](const SimProcessStart&) {
    wchar_t path[MAX_PATH] = {};
    seen.assign(path, GetModuleFileNameW(0, path, MAX_PATH));
    return DWORD{0};
  });
  RunToEnd(L"C:\\Tools\\probe.exe");
  EXPECT_EQ(seen, L"C:\\Tools\\probe.exe");
  wchar_t own[MAX_PATH] = {};
  EXPECT_EQ(std::wstring(own, GetModuleFileNameW(0, own, MAX_PATH)), L"C:\\TQPrinterSetup\\setup.exe");
}

TEST_F(SimProcessTest, TheProgramRunsOnTheClockAfterTheCallAndSignalsItsHandleWhenItEnds) {
  pc_->kernel().RegisterProgram(L"C:\\Program Files\\TQ\\slow.exe", [this](const SimProcessStart& start) {
    ran_.push_back(start.commandLine);
    Sleep(1500);
    return DWORD{7};
  });
  SHELLEXECUTEINFOW info = Record(L"C:\\Program Files\\TQ\\slow.exe", L"-a \"b c\"");
  ASSERT_TRUE(ShellExecuteExW(&info));
  EXPECT_EQ(info.hInstApp, 42u);
  ASSERT_NE(info.hProcess, 0u);
  EXPECT_TRUE(ran_.empty());  // not yet: the call returns first
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(pc_->process().RunningCount(), 1u);

  const std::uint64_t before = pc_->kernel().Now();
  EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(pc_->kernel().Now() - before, 1500u);
  ASSERT_EQ(ran_.size(), 1u);
  EXPECT_EQ(ran_[0], L"\"C:\\Program Files\\TQ\\slow.exe\" -a \"b c\"");  // a path with a blank is quoted
  ASSERT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, 7u);
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 0), WAIT_OBJECT_0);  // stays signalled
  EXPECT_EQ(pc_->process().RunningCount(), 0u);

  EXPECT_TRUE(CloseHandle(info.hProcess));
  EXPECT_FALSE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 0), WAIT_FAILED);
}

TEST_F(SimProcessTest, WithoutTheMaskThereIsNoHandleButTheProgramStillRuns) {
  Install(L"C:\\WINDOWS\\system32\\tool.exe");
  SHELLEXECUTEINFOW info = Record(L"tool.exe");
  info.fMask = 0;
  ASSERT_TRUE(ShellExecuteExW(&info));
  EXPECT_EQ(info.hProcess, 0u);
  EXPECT_EQ(pc_->kernel().OpenHandleCount(ObjectKind::Process), 0u);
  pc_->kernel().AdvanceClock(0);
  EXPECT_EQ(ran_.size(), 1u);
}

TEST_F(SimProcessTest, WhatCannotStartFailsAsWindowsFailsIt) {
  SHELLEXECUTEINFOW wrongSize = Record(L"tool.exe");
  wrongSize.cbSize = sizeof wrongSize - 1;
  EXPECT_FALSE(ShellExecuteExW(&wrongSize));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(wrongSize.hInstApp, static_cast<std::uintptr_t>(SE_ERR_ACCESSDENIED));

  SHELLEXECUTEINFOW missing = Record(L"nothing.exe");
  EXPECT_FALSE(ShellExecuteExW(&missing));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(missing.hProcess, 0u);

  // A file that is there but is no program the PC can run.
  ASSERT_TRUE(pc_->files().WriteFileBytes(L"C:\\TQPrinterSetup\\broken.exe", "MZ"));
  SHELLEXECUTEINFOW broken = Record(L"broken.exe");
  EXPECT_FALSE(ShellExecuteExW(&broken));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));
  EXPECT_EQ(broken.hInstApp, static_cast<std::uintptr_t>(ERROR_BAD_FORMAT));

  Install(L"C:\\WINDOWS\\system32\\tool.exe");
  pc_->kernel().FailCall("ShellExecuteExW", ERROR_NOT_ENOUGH_MEMORY);
  SHELLEXECUTEINFOW faulted = Record(L"tool.exe");
  EXPECT_FALSE(ShellExecuteExW(&faulted));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
  EXPECT_EQ(faulted.hInstApp, static_cast<std::uintptr_t>(SE_ERR_OOM));
  pc_->kernel().AdvanceClock(10);
  EXPECT_TRUE(ran_.empty());

  const std::vector<ProcessStartRecord>& starts = pc_->process().starts();
  ASSERT_EQ(starts.size(), 3u);  // the wrong size is refused before anything is looked at
  EXPECT_EQ(starts[0].file, L"nothing.exe");
  EXPECT_FALSE(starts[0].started);
  EXPECT_EQ(starts[0].error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(starts[1].imagePath, L"");
  EXPECT_EQ(starts[2].error, static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
}

TEST_F(SimProcessTest, DocumentsAndUrlsOpenWithTheirClassesOpenCommand) {
  Install(L"C:\\Program Files\\Viewer\\viewer.exe");
  SimRegistry& registry = pc_->registry();
  registry.SetString(HKEY_CLASSES_ROOT, L".txt", L"", L"txtfile");
  registry.SetString(HKEY_CLASSES_ROOT, L"txtfile\\shell\\open\\command", L"",
                     L"\"C:\\Program Files\\Viewer\\viewer.exe\" /open \"%1\"");
  registry.SetString(HKEY_CLASSES_ROOT, L"tqweb\\shell\\open\\command", L"",
                     L"\"C:\\Program Files\\Viewer\\viewer.exe\" %1");
  ASSERT_TRUE(pc_->files().WriteFileBytes(L"C:\\TQPrinterSetup\\readme.txt", "hello"));

  EXPECT_EQ(ShellExecuteW(0, L"open", L"C:\\TQPrinterSetup\\readme.txt", nullptr, nullptr, SW_SHOW), 42);
  EXPECT_EQ(ShellExecuteW(0, nullptr, L"tqweb://example/page", nullptr, nullptr, SW_SHOW), 42);
  pc_->kernel().AdvanceClock(0);
  ASSERT_EQ(ran_.size(), 2u);
  EXPECT_EQ(ran_[0], L"C:\\Program Files\\Viewer\\viewer.exe | \"C:\\Program Files\\Viewer\\viewer.exe\" /open "
                     L"\"C:\\TQPrinterSetup\\readme.txt\"");
  EXPECT_EQ(ran_[1], L"C:\\Program Files\\Viewer\\viewer.exe | \"C:\\Program Files\\Viewer\\viewer.exe\" "
                     L"tqweb://example/page");

  ASSERT_TRUE(pc_->files().WriteFileBytes(L"C:\\TQPrinterSetup\\notes.tqx", "?"));
  EXPECT_EQ(ShellExecuteW(0, L"open", L"C:\\TQPrinterSetup\\notes.tqx", nullptr, nullptr, SW_SHOW), SE_ERR_NOASSOC);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_ASSOCIATION));
  EXPECT_EQ(ShellExecuteW(0, L"open", L"http://www.tavir.com.cn", nullptr, nullptr, SW_SHOW), SE_ERR_NOASSOC);
  EXPECT_EQ(ShellExecuteW(0, L"print", L"C:\\TQPrinterSetup\\readme.txt", nullptr, nullptr, SW_SHOW),
            SE_ERR_NOASSOC);
  EXPECT_EQ(ShellExecuteW(0, L"open", L"C:\\nowhere\\x.exe", nullptr, nullptr, SW_SHOW), SE_ERR_FNF);
  pc_->kernel().FailCall("ShellExecuteW", ERROR_SHARING_VIOLATION);
  EXPECT_EQ(ShellExecuteW(0, L"open", L"tqweb://x", nullptr, nullptr, SW_SHOW), SE_ERR_SHARE);
  EXPECT_EQ(pc_->process().StartsBy(StartApi::ShellExecuteW).size(), 7u);
}

TEST_F(SimProcessTest, WinExecTakesAnAnsiCommandLineInTheCodePage) {
  Install(L"C:\\打印\\工具.exe");
  const std::string line = pc_->kernel().ToAnsi(L"\"C:\\打印\\工具.exe\" -q");
  ASSERT_NE(line.find('\xB9'), std::string::npos);  // GBK bytes, not UTF-8
  EXPECT_EQ(WinExec(line.c_str(), SW_SHOW), 33u);
  EXPECT_EQ(WinExec("missing.exe -q", SW_SHOW), static_cast<UINT>(ERROR_FILE_NOT_FOUND));
  pc_->kernel().FailCall("WinExec", ERROR_ACCESS_DENIED, 2);
  EXPECT_EQ(WinExec(line.c_str(), SW_SHOW), 0u);
  pc_->kernel().AdvanceClock(0);
  ASSERT_EQ(ran_.size(), 1u);
  EXPECT_EQ(ran_[0], L"C:\\打印\\工具.exe | \"C:\\打印\\工具.exe\" -q");
  const std::vector<ProcessStartRecord> calls = pc_->process().StartsBy(StartApi::WinExec);
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].file, L"C:\\打印\\工具.exe");
  EXPECT_EQ(calls[1].commandLine, L"missing.exe -q");
}

}  // namespace
}  // namespace pf::sim
