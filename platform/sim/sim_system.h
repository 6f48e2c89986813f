// The simulated process environment: last error, module path, Windows
// version, the tick counter and Sleep on the kernel's virtual clock, local
// time, local memory, system message texts and recorded message boxes
// answered from a queue.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/system.h"

namespace pf::sim {

class SimKernel;

struct MessageBoxRecord {
  HWND owner;
  std::wstring text, caption;
  UINT type;
};

class SimSystem : public SystemApi {
 public:
  explicit SimSystem(SimKernel& kernel);

  DWORD GetLastError() override;
  void SetLastError(DWORD error) override;
  DWORD GetModuleFileNameW(HMODULE module, wchar_t* buffer, DWORD size) override;
  DWORD GetModuleFileNameA(HMODULE module, char* buffer, DWORD size) override;
  BOOL GetVersionExW(OSVERSIONINFOW* info) override;
  // The pseudo handle, as Windows' ((HANDLE)-1).
  HANDLE GetCurrentProcess() override;
  // Answers for the current process only (its pseudo handle); any other
  // handle fails with ERROR_INVALID_HANDLE. A PC whose Windows lacks the
  // function is made with FailCall("IsWow64Process", ERROR_PROC_NOT_FOUND).
  BOOL IsWow64Process(HANDLE process, BOOL* wow64) override;
  void GetLocalTime(SYSTEMTIME* time) override;
  DWORD GetTickCount() override;
  void Sleep(DWORD milliseconds) override;
  int MessageBoxW(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) override;
  void* LocalAlloc(UINT flags, std::size_t bytes) override;
  void* LocalFree(void* block) override;
  DWORD FormatMessageW(DWORD flags, const void* source, DWORD messageId, DWORD languageId, wchar_t* buffer,
                       DWORD size) override;

  // Test API.
  // The path of the PC's own program (setup); the threads of a service
  // process get their service program's path instead.
  void SetModulePath(std::wstring path) { modulePath_ = std::move(path); }
  const std::wstring& modulePath() const { return modulePath_; }
  // The calling thread's program as GetModuleFileName gives it: the image of
  // a program the PC started, or modulePath().
  const std::wstring& ModulePath() const;
  void SetVersion(DWORD major, DWORD minor, DWORD build, DWORD platformId);
  void SetGetVersionFails(bool fails) { versionFails_ = fails; }
  // A 64-bit Windows on which setup runs under WOW64.
  void SetWow64(bool wow64) { wow64_ = wow64; }
  bool wow64() const { return wow64_; }
  // The kernel's clock, for tests that only hold the system group.
  void SetTickCount(DWORD tick);
  // Runs action once the clock reaches atTick (compared modulo 2^32 from now).
  void Schedule(DWORD atTick, std::function<void()> action);
  // Moves the clock forward, firing due events in time order.
  void AdvanceClock(DWORD milliseconds);
  // Blocks of local memory not yet freed.
  size_t LocalBlockCount() const;
  void SetLocalTime(const SYSTEMTIME& time) { localTime_ = time; }
  void QueueMessageBoxAnswer(int answer) { answers_.push_back(answer); }
  const std::vector<MessageBoxRecord>& messageBoxes() const { return messageBoxes_; }

 private:
  SimKernel& kernel_;
  std::wstring modulePath_ = L"C:\\TQPrinterSetup\\setup.exe";
  DWORD major_ = 6, minor_ = 1, build_ = 7601, platformId_ = VER_PLATFORM_WIN32_NT;
  bool versionFails_ = false;
  bool wow64_ = false;
  std::set<void*> localBlocks_;
  SYSTEMTIME localTime_{2026, 1, 4, 1, 9, 0, 0, 0};
  std::deque<int> answers_;
  std::vector<MessageBoxRecord> messageBoxes_;
};

}  // namespace pf::sim
