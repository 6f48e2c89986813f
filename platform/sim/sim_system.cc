#include "platform/sim/sim_system.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/sim/sim_codepages.h"
#include "platform/sim/sim_kernel.h"

namespace pf::sim {
namespace {

constexpr DWORD kErrorModNotFound = 126;
constexpr HANDLE kCurrentProcess = ~static_cast<HANDLE>(0);  // (HANDLE)-1
constexpr DWORD kVersionInfoSize = 276;    // OSVERSIONINFOW
constexpr DWORD kVersionInfoExSize = 284;  // OSVERSIONINFOEXW

// Windows' own texts (English) for the errors the programs may show.
const struct {
  DWORD code;
  const wchar_t* text;
} kSystemMessages[] = {
    {0, L"The operation completed successfully."},
    {2, L"The system cannot find the file specified."},
    {3, L"The system cannot find the path specified."},
    {5, L"Access is denied."},
    {6, L"The handle is invalid."},
    {8, L"Not enough memory resources are available to process this command."},
    {31, L"A device attached to the system is not functioning."},
    {87, L"The parameter is incorrect."},
    {122, L"The data area passed to a system call is too small."},
    {124, L"The system call level is not correct."},
    {1722, L"The RPC server is unavailable."},
    {1797, L"The printer driver is unknown."},
    {1801, L"The printer name is invalid."},
    {1802, L"The printer already exists."},
};

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

SimSystem::SimSystem(SimKernel& kernel) : kernel_(kernel) {}

DWORD SimSystem::GetLastError() { return kernel_.LastError(); }

void SimSystem::SetLastError(DWORD error) { kernel_.SetLastError(error); }

DWORD SimSystem::GetModuleFileNameW(HMODULE module, wchar_t* buffer, DWORD size) {
  if (module != 0) {
    SetLastError(kErrorModNotFound);
    return 0;
  }
  return CopyTruncated(ModulePath(), buffer, size, this);
}

DWORD SimSystem::GetModuleFileNameA(HMODULE module, char* buffer, DWORD size) {
  if (module != 0) {
    SetLastError(kErrorModNotFound);
    return 0;
  }
  return CopyTruncated(kernel_.ToAnsi(ModulePath()), buffer, size, this);
}

const std::wstring& SimSystem::ModulePath() const {
  return kernel_.CallerImage().empty() ? modulePath_ : kernel_.CallerImage();
}

void SimSystem::SetVersion(DWORD major, DWORD minor, DWORD build, DWORD platformId) {
  major_ = major;
  minor_ = minor;
  build_ = build;
  platformId_ = platformId;
}

BOOL SimSystem::GetVersionExW(OSVERSIONINFOW* info) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("GetVersionExW")) return kernel_.Fail(error);
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

const wchar_t* SimSystem::GetCommandLineW() {
  auto lock = kernel_.Lock();
  startedAs_ = commandLine_.empty() ? L"\"" + modulePath_ + L"\"" : commandLine_;
  return startedAs_.c_str();
}

HANDLE SimSystem::GetCurrentProcess() { return kCurrentProcess; }

BOOL SimSystem::IsWow64Process(HANDLE process, BOOL* wow64) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("IsWow64Process")) return kernel_.Fail(error);
  if (process != kCurrentProcess) return kernel_.Fail(ERROR_INVALID_HANDLE);
  if (wow64 == nullptr) return kernel_.Fail(ERROR_INVALID_PARAMETER);
  *wow64 = wow64_ ? TRUE : FALSE;
  return TRUE;
}

void SimSystem::GetLocalTime(SYSTEMTIME* time) {
  if (time != nullptr) *time = localTime_;
}

DWORD SimSystem::GetTickCount() { return kernel_.TickCount(); }

void SimSystem::Sleep(DWORD milliseconds) {
  auto lock = kernel_.Lock();
  kernel_.Enter("Sleep");
  kernel_.AdvanceClock(kernel_.TimerDelay(milliseconds));
}

void SimSystem::SetTickCount(DWORD tick) { kernel_.SetTickCount(tick); }

void SimSystem::Schedule(DWORD atTick, std::function<void()> action) { kernel_.ScheduleAt(atTick, std::move(action)); }

void SimSystem::AdvanceClock(DWORD milliseconds) { kernel_.AdvanceClock(milliseconds); }

int SimSystem::MessageBoxW(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
  auto lock = kernel_.Lock();
  kernel_.Enter("MessageBoxW");
  messageBoxes_.push_back(MessageBoxRecord{owner, text ? text : L"", caption ? caption : L"Error", type});
  if (answers_.empty()) return IDOK;
  const int answer = answers_.front();
  answers_.pop_front();
  return answer;
}

void* SimSystem::LocalAlloc(UINT flags, std::size_t bytes) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("LocalAlloc")) {
    kernel_.SetLastError(error);
    return nullptr;
  }
  void* block = (flags & LMEM_ZEROINIT) ? std::calloc(bytes ? bytes : 1, 1) : std::malloc(bytes ? bytes : 1);
  if (block == nullptr) {
    kernel_.SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  localBlocks_.insert(block);
  return block;
}

void* SimSystem::LocalFree(void* block) {
  auto lock = kernel_.Lock();
  kernel_.Enter("LocalFree");
  if (block == nullptr) return nullptr;
  if (localBlocks_.erase(block) == 0) {
    kernel_.SetLastError(ERROR_INVALID_HANDLE);
    return block;
  }
  std::free(block);
  return nullptr;
}

size_t SimSystem::LocalBlockCount() const { return localBlocks_.size(); }

DWORD SimSystem::FormatMessageW(DWORD flags, const void* source, DWORD messageId, DWORD languageId,
                                wchar_t* buffer, DWORD size) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("FormatMessageW")) {
    kernel_.SetLastError(error);
    return 0;
  }
  if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || buffer == nullptr) {
    kernel_.SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  for (const auto& message : kSystemMessages) {
    if (message.code != messageId) continue;
    const std::wstring text = std::wstring(message.text) + L"\r\n";
    if (text.size() + 1 > size) {
      kernel_.SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    std::copy(text.begin(), text.end(), buffer);
    buffer[text.size()] = L'\0';
    return static_cast<DWORD>(text.size());
  }
  kernel_.SetLastError(317);  // ERROR_MR_MID_NOT_FOUND: no text for this code
  return 0;
}

}  // namespace pf::sim
