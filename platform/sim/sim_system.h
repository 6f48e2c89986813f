// The simulated process environment: last error, module path, Windows
// version, a virtual millisecond clock with scheduled events, local time and
// recorded message boxes answered from a queue.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/system.h"

namespace pf::sim {

class SimCodePages;

struct MessageBoxRecord {
  HWND owner;
  std::wstring text, caption;
  UINT type;
};

class SimSystem : public SystemApi {
 public:
  // codePages converts the module path for GetModuleFileNameA; may be null
  // until SetCodePages is called (the path is then narrowed byte by byte).
  explicit SimSystem(SimCodePages* codePages = nullptr);
  void SetCodePages(SimCodePages* codePages) { codePages_ = codePages; }

  DWORD GetLastError() override;
  void SetLastError(DWORD error) override;
  DWORD GetModuleFileNameW(HMODULE module, wchar_t* buffer, DWORD size) override;
  DWORD GetModuleFileNameA(HMODULE module, char* buffer, DWORD size) override;
  BOOL GetVersionExW(OSVERSIONINFOW* info) override;
  void GetLocalTime(SYSTEMTIME* time) override;
  DWORD GetTickCount() override;
  void Sleep(DWORD milliseconds) override;
  int MessageBoxW(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) override;

  // Test API.
  void SetModulePath(std::wstring path) { modulePath_ = std::move(path); }
  void SetVersion(DWORD major, DWORD minor, DWORD build, DWORD platformId);
  void SetGetVersionFails(bool fails) { versionFails_ = fails; }
  void SetTickCount(DWORD tick) { tick_ = tick; }
  // Runs action once the clock reaches atTick (compared modulo 2^32 from now).
  void Schedule(DWORD atTick, std::function<void()> action);
  // Moves the clock forward, firing due events in time order.
  void AdvanceClock(DWORD milliseconds);
  void SetLocalTime(const SYSTEMTIME& time) { localTime_ = time; }
  void QueueMessageBoxAnswer(int answer) { answers_.push_back(answer); }
  const std::vector<MessageBoxRecord>& messageBoxes() const { return messageBoxes_; }

 private:
  struct Event {
    std::uint64_t due;  // absolute virtual time
    std::uint64_t order;
    std::function<void()> action;
  };

  std::recursive_mutex mutex_;
  SimCodePages* codePages_;
  std::wstring modulePath_ = L"C:\\TQPrinterSetup\\setup.exe";
  DWORD major_ = 6, minor_ = 1, build_ = 7601, platformId_ = VER_PLATFORM_WIN32_NT;
  bool versionFails_ = false;
  DWORD tick_ = 0;
  std::uint64_t now_ = 0;  // virtual time that never wraps
  std::uint64_t nextOrder_ = 0;
  std::vector<Event> events_;
  SYSTEMTIME localTime_{2026, 1, 4, 1, 9, 0, 0, 0};
  std::deque<int> answers_;
  std::vector<MessageBoxRecord> messageBoxes_;
};

}  // namespace pf::sim
