#include "platform/sim/sim_system.h"

#include <algorithm>
#include <cstring>

#include "platform/sim/sim_codepages.h"

namespace pf::sim {
namespace {

constexpr DWORD kErrorModNotFound = 126;
constexpr DWORD kVersionInfoSize = 276;    // OSVERSIONINFOW
constexpr DWORD kVersionInfoExSize = 284;  // OSVERSIONINFOEXW

thread_local DWORD t_lastError = 0;

// Copies text into a buffer of size units the way GetModuleFileName does:
// what does not fit is cut to size - 1 units plus NUL and size is returned.
template <typename Char>
DWORD CopyTruncated(const std::basic_string<Char>& text, Char* buffer, DWORD size, SimSystem* system) {
  if (size == 0 || buffer == nullptr) {
    system->SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (text.size() < size) {
    std::copy(text.begin(), text.end(), buffer);
    buffer[text.size()] = 0;
    system->SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(text.size());
  }
  std::copy(text.begin(), text.begin() + (size - 1), buffer);
  buffer[size - 1] = 0;
  system->SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return size;
}

}  // namespace

SimSystem::SimSystem(SimCodePages* codePages) : codePages_(codePages) {}

DWORD SimSystem::GetLastError() { return t_lastError; }

void SimSystem::SetLastError(DWORD error) { t_lastError = error; }

DWORD SimSystem::GetModuleFileNameW(HMODULE module, wchar_t* buffer, DWORD size) {
  if (module != 0) {
    SetLastError(kErrorModNotFound);
    return 0;
  }
  return CopyTruncated(modulePath_, buffer, size, this);
}

DWORD SimSystem::GetModuleFileNameA(HMODULE module, char* buffer, DWORD size) {
  if (module != 0) {
    SetLastError(kErrorModNotFound);
    return 0;
  }
  std::string narrow;
  if (codePages_ != nullptr) {
    narrow = codePages_->ToAnsi(modulePath_);
  } else {
    for (wchar_t c : modulePath_) narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  }
  return CopyTruncated(narrow, buffer, size, this);
}

void SimSystem::SetVersion(DWORD major, DWORD minor, DWORD build, DWORD platformId) {
  major_ = major;
  minor_ = minor;
  build_ = build;
  platformId_ = platformId;
}

BOOL SimSystem::GetVersionExW(OSVERSIONINFOW* info) {
  if (info == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const DWORD size = info->dwOSVersionInfoSize;
  if ((size != kVersionInfoSize && size != kVersionInfoExSize) || versionFails_) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  if (size == kVersionInfoExSize) {
    std::memset(reinterpret_cast<unsigned char*>(info) + kVersionInfoSize, 0, kVersionInfoExSize - kVersionInfoSize);
  }
  info->dwMajorVersion = major_;
  info->dwMinorVersion = minor_;
  info->dwBuildNumber = build_;
  info->dwPlatformId = platformId_;
  std::fill(std::begin(info->szCSDVersion), std::end(info->szCSDVersion), u'\0');
  return TRUE;
}

void SimSystem::GetLocalTime(SYSTEMTIME* time) {
  if (time != nullptr) *time = localTime_;
}

DWORD SimSystem::GetTickCount() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return tick_;
}

void SimSystem::Sleep(DWORD milliseconds) { AdvanceClock(milliseconds); }

void SimSystem::Schedule(DWORD atTick, std::function<void()> action) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  const DWORD ahead = atTick - tick_;  // modulo 2^32, like the counter itself
  events_.push_back(Event{now_ + ahead, nextOrder_++, std::move(action)});
}

void SimSystem::AdvanceClock(DWORD milliseconds) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  const std::uint64_t target = now_ + milliseconds;
  for (;;) {
    auto next = std::min_element(events_.begin(), events_.end(), [](const Event& a, const Event& b) {
      return a.due != b.due ? a.due < b.due : a.order < b.order;
    });
    if (next == events_.end() || next->due > target) break;
    tick_ += static_cast<DWORD>(next->due - now_);
    now_ = std::max(now_, next->due);
    std::function<void()> action = std::move(next->action);
    events_.erase(next);
    action();  // may schedule more events or sleep in turn
  }
  if (target > now_) {
    tick_ += static_cast<DWORD>(target - now_);
    now_ = target;
  }
}

int SimSystem::MessageBoxW(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  messageBoxes_.push_back(MessageBoxRecord{owner, text ? text : L"", caption ? caption : L"Error", type});
  if (answers_.empty()) return IDOK;
  const int answer = answers_.front();
  answers_.pop_front();
  return answer;
}

}  // namespace pf::sim
