#include "platform/sim/sim_kernel.h"

#include <algorithm>

#include "common/text/case_fold.h"
#include "platform/sim/sim_codepages.h"

namespace pf::sim {
namespace {

thread_local DWORD t_lastError = 0;
thread_local Account t_account = Account::Administrator;
thread_local std::wstring t_image;

// Lets KernelMutex stand in for a lock in condition_variable_any::wait: its
// unlock releases every level the thread holds, its lock takes them back.
class FullRelease {
 public:
  explicit FullRelease(KernelMutex& mutex) : mutex_(mutex) {}
  void unlock() { depth_ = mutex_.ReleaseAll(); }
  void lock() { mutex_.Reacquire(depth_); }

 private:
  KernelMutex& mutex_;
  unsigned depth_ = 0;
};

// The file name part of a path: what follows its last backslash or slash.
std::wstring FileNameOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool KindAllowed(ObjectKind kind, std::initializer_list<ObjectKind> kinds) {
  return kinds.size() == 0 || std::find(kinds.begin(), kinds.end(), kind) != kinds.end();
}

}  // namespace

// --- KernelMutex ---

void KernelMutex::lock() {
  std::unique_lock<std::mutex> guard(mutex_);
  const std::thread::id self = std::this_thread::get_id();
  if (depth_ > 0 && owner_ == self) {
    ++depth_;
    return;
  }
  free_.wait(guard, [this] { return depth_ == 0; });
  owner_ = self;
  depth_ = 1;
}

bool KernelMutex::try_lock() {
  std::lock_guard<std::mutex> guard(mutex_);
  const std::thread::id self = std::this_thread::get_id();
  if (depth_ > 0 && owner_ != self) return false;
  owner_ = self;
  ++depth_;
  return true;
}

void KernelMutex::unlock() {
  std::lock_guard<std::mutex> guard(mutex_);
  if (--depth_ == 0) {
    owner_ = std::thread::id();
    free_.notify_one();
  }
}

unsigned KernelMutex::ReleaseAll() {
  std::lock_guard<std::mutex> guard(mutex_);
  if (depth_ == 0 || owner_ != std::this_thread::get_id()) return 0;
  const unsigned depth = depth_;
  depth_ = 0;
  owner_ = std::thread::id();
  free_.notify_one();
  return depth;
}

void KernelMutex::Reacquire(unsigned depth) {
  if (depth == 0) return;
  std::unique_lock<std::mutex> guard(mutex_);
  free_.wait(guard, [this] { return depth_ == 0; });
  owner_ = std::this_thread::get_id();
  depth_ = depth;
}

// --- SimKernel ---

SimKernel::SimKernel() : codePages_(std::make_unique<SimCodePages>(this)) {}

SimKernel::~SimKernel() = default;

DWORD SimKernel::LastError() const { return t_lastError; }

void SimKernel::SetLastError(DWORD error) { t_lastError = error; }

BOOL SimKernel::Fail(DWORD error) {
  t_lastError = error;
  return FALSE;
}

void SimKernel::Wait(const std::function<bool()>& ready) {
  FullRelease release(mutex_);
  changed_.wait(release, ready);
}

void SimKernel::Notify() { changed_.notify_all(); }

void SimKernel::RunUnlocked(const std::function<void()>& action) {
  const unsigned depth = mutex_.ReleaseAll();
  action();
  mutex_.Reacquire(depth);
}

Account SimKernel::CallerAccount() const { return t_account; }

void SimKernel::SetCallerAccount(Account account) { t_account = account; }

const std::wstring& SimKernel::CallerImage() const { return t_image; }

void SimKernel::SetCallerImage(const std::wstring& imagePath) { t_image = imagePath; }

std::wstring SimKernel::FromAnsi(const std::string& text) { return codePages_->FromAnsi(text); }

std::string SimKernel::ToAnsi(const std::wstring& text) { return codePages_->ToAnsi(text); }

// --- Handles ---

HANDLE SimKernel::Insert(std::shared_ptr<KernelObject> object) {
  std::lock_guard<KernelMutex> lock(mutex_);
  const HANDLE handle = nextHandle_;
  nextHandle_ += 4;
  handles_[handle] = std::move(object);
  return handle;
}

std::shared_ptr<KernelObject> SimKernel::Find(HANDLE handle, std::initializer_list<ObjectKind> kinds) const {
  std::lock_guard<KernelMutex> lock(mutex_);
  auto found = handles_.find(handle);
  if (found == handles_.end() || !KindAllowed(found->second->kind(), kinds)) return nullptr;
  return found->second;
}

bool SimKernel::Remove(HANDLE handle, std::initializer_list<ObjectKind> kinds) {
  std::lock_guard<KernelMutex> lock(mutex_);
  auto found = handles_.find(handle);
  if (found == handles_.end() || !KindAllowed(found->second->kind(), kinds)) return false;
  std::shared_ptr<KernelObject> object = std::move(found->second);
  handles_.erase(found);
  object->OnHandleClosed();
  return true;
}

std::shared_ptr<KernelObject> SimKernel::Lookup(HANDLE handle, std::initializer_list<ObjectKind> kinds) {
  std::shared_ptr<KernelObject> object = Find(handle, kinds);
  if (!object) SetLastError(ERROR_INVALID_HANDLE);
  return object;
}

BOOL SimKernel::Close(HANDLE handle, std::initializer_list<ObjectKind> kinds) {
  return Remove(handle, kinds) ? TRUE : Fail(ERROR_INVALID_HANDLE);
}

std::vector<std::shared_ptr<KernelObject>> SimKernel::OpenObjects(ObjectKind kind) {
  std::lock_guard<KernelMutex> lock(mutex_);
  std::vector<std::shared_ptr<KernelObject>> objects;
  for (const auto& [handle, object] : handles_) {
    if (object->kind() == kind) objects.push_back(object);
  }
  return objects;
}

size_t SimKernel::OpenHandleCount() const {
  std::lock_guard<KernelMutex> lock(mutex_);
  return handles_.size();
}

size_t SimKernel::OpenHandleCount(ObjectKind kind) const {
  std::lock_guard<KernelMutex> lock(mutex_);
  return static_cast<size_t>(std::count_if(handles_.begin(), handles_.end(),
                                           [kind](const auto& entry) { return entry.second->kind() == kind; }));
}

// --- Clock ---

// The whole milliseconds at the timer's last tick at or before `ms`: the
// timer ticks every period_ microseconds from the PC's start.
std::uint64_t SimKernel::LastTimerTick(std::uint64_t ms) const {
  if (period_ == 0) return ms;
  return ms * 1000 / period_ * period_ / 1000;
}

DWORD SimKernel::TickCount() const {
  std::lock_guard<KernelMutex> lock(mutex_);
  return tickAtStart_ + static_cast<DWORD>(LastTimerTick(now_));  // modulo 2^32, as the counter wraps
}

void SimKernel::SetTickCount(DWORD tick) {
  std::lock_guard<KernelMutex> lock(mutex_);
  tickAtStart_ = tick - static_cast<DWORD>(LastTimerTick(now_));
}

void SimKernel::SetTimerPeriod(DWORD microseconds) {
  std::lock_guard<KernelMutex> lock(mutex_);
  const DWORD tick = tickAtStart_ + static_cast<DWORD>(LastTimerTick(now_));
  period_ = microseconds;
  tickAtStart_ = tick - static_cast<DWORD>(LastTimerTick(now_));
}

DWORD SimKernel::TimerDelay(DWORD milliseconds) const {
  std::lock_guard<KernelMutex> lock(mutex_);
  if (period_ == 0 || milliseconds == 0) return milliseconds;
  // In microseconds. The clock stands on whole milliseconds: one that a tick
  // moved stands just after it, and the time counts from the tick itself.
  const std::uint64_t lastTick = now_ * 1000 / period_ * period_;
  const std::uint64_t start = lastTick + 1000 > now_ * 1000 ? lastTick : now_ * 1000;
  const std::uint64_t due = start + std::uint64_t{milliseconds} * 1000;
  const std::uint64_t tick = (due + period_ - 1) / period_ * period_;  // the first tick at or after it
  return static_cast<DWORD>((tick + 999) / 1000 - now_);               // never early
}

std::uint64_t SimKernel::Now() const {
  std::lock_guard<KernelMutex> lock(mutex_);
  return now_;
}

void SimKernel::ScheduleIn(DWORD delay, std::function<void()> action) {
  std::lock_guard<KernelMutex> lock(mutex_);
  events_.push_back(Event{now_ + delay, nextOrder_++, std::move(action)});
}

void SimKernel::ScheduleAt(DWORD atTick, std::function<void()> action) {
  std::lock_guard<KernelMutex> lock(mutex_);
  ScheduleIn(atTick - TickCount(), std::move(action));  // modulo 2^32, like the counter itself
}

bool SimKernel::AdvanceToNextEvent(std::uint64_t limit) {
  std::lock_guard<KernelMutex> lock(mutex_);
  auto next = std::min_element(events_.begin(), events_.end(), [](const Event& a, const Event& b) {
    return a.due != b.due ? a.due < b.due : a.order < b.order;
  });
  if (next == events_.end() || next->due > limit) return false;
  if (next->due > now_) now_ = next->due;
  std::function<void()> action = std::move(next->action);
  events_.erase(next);
  Notify();
  action();  // may schedule more events or sleep in turn
  return true;
}

void SimKernel::AdvanceClock(DWORD milliseconds) {
  std::lock_guard<KernelMutex> lock(mutex_);
  const std::uint64_t target = now_ + milliseconds;
  while (AdvanceToNextEvent(target)) {
  }
  if (target > now_) {
    now_ = target;
    Notify();
  }
}

bool SimKernel::HasPendingEvents() const {
  std::lock_guard<KernelMutex> lock(mutex_);
  return !events_.empty();
}

// --- Faults and the call record ---

void SimKernel::FailCall(const std::string& call, DWORD error, long occurrence) {
  std::lock_guard<KernelMutex> lock(mutex_);
  faults_.push_back(Fault{call, error, occurrence});
}

void SimKernel::ClearFaults() {
  std::lock_guard<KernelMutex> lock(mutex_);
  faults_.clear();
  callCounts_.clear();
}

DWORD SimKernel::Enter(const char* call) {
  std::lock_guard<KernelMutex> lock(mutex_);
  calls_.emplace_back(call);
  const long occurrence = callCounts_[call]++;
  for (const Fault& fault : faults_) {
    if (fault.call == call && (fault.occurrence < 0 || fault.occurrence == occurrence)) return fault.error;
  }
  return 0;
}

std::vector<std::string> SimKernel::Calls() const {
  std::lock_guard<KernelMutex> lock(mutex_);
  return calls_;
}

void SimKernel::ClearCalls() {
  std::lock_guard<KernelMutex> lock(mutex_);
  calls_.clear();
}

// --- Programs ---

void SimKernel::RegisterProgram(const std::wstring& imagePathOrName, SimProgram program) {
  std::lock_guard<KernelMutex> lock(mutex_);
  programs_.emplace_back(text::Upper(imagePathOrName), std::move(program));
}

const SimProgram* SimKernel::FindProgram(const std::wstring& imagePath) const {
  std::lock_guard<KernelMutex> lock(mutex_);
  const std::wstring path = text::Upper(imagePath);
  const std::wstring name = FileNameOf(path);
  // A full path registered for the program wins over a bare name; the latest
  // registration of either kind wins over earlier ones.
  for (auto it = programs_.rbegin(); it != programs_.rend(); ++it) {
    if (it->first == path) return &it->second;
  }
  for (auto it = programs_.rbegin(); it != programs_.rend(); ++it) {
    if (it->first.find_first_of(L"\\/") == std::wstring::npos && it->first == name) return &it->second;
  }
  return nullptr;
}

// --- Devices ---

void SimKernel::AddDevice(const std::wstring& devicePath, std::shared_ptr<SimDevice> device) {
  std::lock_guard<KernelMutex> lock(mutex_);
  devices_[text::Upper(devicePath)] = std::move(device);
}

void SimKernel::RemoveDevice(const std::wstring& devicePath) {
  std::lock_guard<KernelMutex> lock(mutex_);
  devices_.erase(text::Upper(devicePath));
}

bool SimKernel::IsDevicePath(const std::wstring& path) {
  return path.size() >= 4 && path[0] == L'\\' && path[1] == L'\\' && (path[2] == L'?' || path[2] == L'.') &&
         path[3] == L'\\';
}

HANDLE SimKernel::OpenDevice(const std::wstring& path, DWORD access, DWORD share, DWORD flags) {
  std::lock_guard<KernelMutex> lock(mutex_);
  const std::wstring upper = text::Upper(path);
  for (const auto& [devicePath, device] : devices_) {
    std::wstring rest;
    if (upper == devicePath) {
      rest.clear();
    } else if (upper.size() > devicePath.size() && upper.compare(0, devicePath.size(), devicePath) == 0 &&
               upper[devicePath.size()] == L'\\') {
      rest = path.substr(devicePath.size() + 1);
    } else {
      continue;
    }
    DWORD error = ERROR_FILE_NOT_FOUND;
    std::shared_ptr<SimIoObject> object = device->Open(rest, access, share, flags, &error);
    if (!object) {
      SetLastError(error);
      return INVALID_HANDLE_VALUE;
    }
    SetLastError(ERROR_SUCCESS);
    return Insert(std::move(object));
  }
  SetLastError(ERROR_FILE_NOT_FOUND);
  return INVALID_HANDLE_VALUE;
}

}  // namespace pf::sim
