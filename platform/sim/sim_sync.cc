#include "platform/sim/sim_sync.h"

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <thread>

namespace pf::sim {
namespace {

class SimEvent : public KernelObject {
 public:
  SimEvent(bool manualReset, bool signalled) : manualReset_(manualReset), signalled_(signalled) {}
  ObjectKind kind() const override { return ObjectKind::Event; }
  bool IsWaitable() const override { return true; }
  bool IsSignaled() const override { return signalled_; }
  void OnWaitSatisfied() override {
    if (!manualReset_) signalled_ = false;
  }
  void Set(bool signalled) { signalled_ = signalled; }

 private:
  bool manualReset_;
  bool signalled_;
};

// A use of a critical section that Windows leaves undefined.
[[noreturn]] void Misuse(const char* call, const char* what) {
  std::fprintf(stderr, "simulated PC: %s of a critical section %s\n", call, what);
  std::abort();
}

// The kinds CloseHandle closes; the others have closers of their own
// (RegCloseKey, ClosePrinter, CloseServiceHandle, SetupDiDestroyDeviceInfoList).
constexpr std::initializer_list<ObjectKind> kKernelKinds = {ObjectKind::File, ObjectKind::Device, ObjectKind::Event,
                                                            ObjectKind::Process};

}  // namespace

// One critical section: its holder and depth, guarded by a mutex of its own
// so that a thread can block on it without the PC's lock.
class SimSync::Section {
 public:
  unsigned initialisations = 1;

  void Enter() {
    std::unique_lock<std::mutex> lock(mutex_);
    const std::thread::id self = std::this_thread::get_id();
    if (depth_ > 0 && holder_ == self) {
      ++depth_;
      return;
    }
    free_.wait(lock, [&] { return depth_ == 0; });
    holder_ = self;
    depth_ = 1;
  }
  void Leave() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (depth_ == 0 || holder_ != std::this_thread::get_id()) Misuse("LeaveCriticalSection", "the thread does not hold");
    if (--depth_ == 0) {
      holder_ = std::thread::id();
      lock.unlock();
      free_.notify_one();
    }
  }
  bool Held() {
    std::lock_guard<std::mutex> lock(mutex_);
    return depth_ > 0;
  }

 private:
  std::mutex mutex_;
  std::condition_variable free_;
  std::thread::id holder_;
  unsigned depth_ = 0;
};

bool SetEventState(SimKernel& kernel, HANDLE event, bool signalled) {
  auto lock = kernel.Lock();
  auto object = kernel.FindAs<SimEvent>(event, {ObjectKind::Event});
  if (!object) return false;
  object->Set(signalled);
  return true;
}

void CompleteOverlapped(SimKernel& kernel, OVERLAPPED* overlapped, DWORD error, DWORD count) {
  if (overlapped == nullptr) return;
  overlapped->Internal = error;
  overlapped->InternalHigh = count;
  if (auto event = kernel.FindAs<SimEvent>(overlapped->hEvent, {ObjectKind::Event})) event->Set(true);
}

BOOL SimSync::CloseHandle(HANDLE handle) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("CloseHandle")) return kernel_.Fail(error);
  return kernel_.Close(handle, kKernelKinds);
}

HANDLE SimSync::CreateEventW(const void* security, BOOL manualReset, BOOL initialState, const wchar_t* name) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("CreateEventW")) {
    kernel_.SetLastError(error);
    return 0;
  }
  if (security != nullptr || name != nullptr) {
    kernel_.SetLastError(ERROR_NOT_SUPPORTED);
    return 0;
  }
  kernel_.SetLastError(ERROR_SUCCESS);
  return kernel_.Insert(std::make_shared<SimEvent>(manualReset != FALSE, initialState != FALSE));
}

BOOL SimSync::SetEvent(HANDLE event) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("SetEvent")) return kernel_.Fail(error);
  auto object = kernel_.LookupAs<SimEvent>(event, {ObjectKind::Event});
  if (!object) return FALSE;
  object->Set(true);
  return TRUE;
}

BOOL SimSync::ResetEvent(HANDLE event) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("ResetEvent")) return kernel_.Fail(error);
  auto object = kernel_.LookupAs<SimEvent>(event, {ObjectKind::Event});
  if (!object) return FALSE;
  object->Set(false);
  return TRUE;
}

DWORD SimSync::WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("WaitForSingleObject")) {
    kernel_.SetLastError(error);
    return WAIT_FAILED;
  }
  std::shared_ptr<KernelObject> object = kernel_.Lookup(handle);
  if (!object) return WAIT_FAILED;
  if (!object->IsWaitable()) {
    kernel_.SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  const bool forever = milliseconds == INFINITE;
  const std::uint64_t deadline =
      forever ? std::numeric_limits<std::uint64_t>::max() : kernel_.Now() + kernel_.TimerDelay(milliseconds);
  for (;;) {
    if (object->IsSignaled()) {
      object->OnWaitSatisfied();
      return WAIT_OBJECT_0;
    }
    if (kernel_.AdvanceToNextEvent(deadline)) continue;
    if (forever) {
      kernel_.SetLastError(ERROR_POSSIBLE_DEADLOCK);
      return WAIT_FAILED;
    }
    kernel_.AdvanceClock(static_cast<DWORD>(deadline - kernel_.Now()));
    if (object->IsSignaled()) continue;  // an event at the deadline itself
    return WAIT_TIMEOUT;
  }
}

BOOL SimSync::GetOverlappedResult(HANDLE file, OVERLAPPED* overlapped, DWORD* transferred, BOOL wait) {
  auto lock = kernel_.Lock();
  const DWORD injected = kernel_.Enter("GetOverlappedResult");
  if (injected == 0) return OverlappedResult(file, overlapped, transferred, wait);
  // One that waits returns only once the transfer is over, on Windows also
  // when it fails: the failure comes after the wait.
  if (wait) OverlappedResult(file, overlapped, transferred, wait);
  if (transferred != nullptr) *transferred = 0;
  return kernel_.Fail(injected);
}

BOOL SimSync::OverlappedResult(HANDLE file, OVERLAPPED* overlapped, DWORD* transferred, BOOL wait) {
  std::shared_ptr<KernelObject> object = kernel_.Lookup(file, {ObjectKind::File, ObjectKind::Device});
  if (!object || overlapped == nullptr) return object ? kernel_.Fail(ERROR_INVALID_PARAMETER) : FALSE;
  if (auto io = std::dynamic_pointer_cast<SimIoObject>(object)) return io->GetOverlappedResult(overlapped, transferred, wait);
  // Transfers on plain files complete at once; the record holds the outcome.
  if (transferred != nullptr) *transferred = static_cast<DWORD>(overlapped->InternalHigh);
  if (overlapped->Internal != 0) return kernel_.Fail(static_cast<DWORD>(overlapped->Internal));
  return TRUE;
}

BOOL SimSync::CancelIo(HANDLE file) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("CancelIo")) return kernel_.Fail(error);
  std::shared_ptr<KernelObject> object = kernel_.Lookup(file, {ObjectKind::File, ObjectKind::Device});
  if (!object) return FALSE;
  if (auto io = std::dynamic_pointer_cast<SimIoObject>(object)) return io->CancelIo();
  return TRUE;  // nothing is ever pending on a plain file
}

BOOL SimSync::DeviceIoControl(HANDLE device, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize,
                              DWORD* returned, OVERLAPPED* overlapped) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("DeviceIoControl")) return kernel_.Fail(error);
  auto io = kernel_.LookupAs<SimIoObject>(device, {ObjectKind::Device});
  if (!io) {
    return kernel_.Lookup(device, {ObjectKind::File}) ? kernel_.Fail(ERROR_INVALID_FUNCTION) : FALSE;
  }
  return io->DeviceIoControl(code, in, inSize, out, outSize, returned, overlapped);
}

std::shared_ptr<SimSync::Section> SimSync::FindSection(const CRITICAL_SECTION* section, const char* call) const {
  auto found = sections_.find(section);
  if (found == sections_.end()) Misuse(call, "that is not initialised");
  return found->second;
}

void SimSync::InitializeCriticalSection(CRITICAL_SECTION* section) {
  auto lock = kernel_.Lock();
  kernel_.Enter("InitializeCriticalSection");
  auto found = sections_.find(section);
  if (found != sections_.end()) {
    ++found->second->initialisations;
  } else {
    sections_.emplace(section, std::make_shared<Section>());
  }
}

void SimSync::EnterCriticalSection(CRITICAL_SECTION* section) {
  auto lock = kernel_.Lock();
  kernel_.Enter("EnterCriticalSection");
  std::shared_ptr<Section> entered = FindSection(section, "EnterCriticalSection");
  kernel_.RunUnlocked([&] { entered->Enter(); });
}

void SimSync::LeaveCriticalSection(CRITICAL_SECTION* section) {
  auto lock = kernel_.Lock();
  kernel_.Enter("LeaveCriticalSection");
  FindSection(section, "LeaveCriticalSection")->Leave();
}

void SimSync::DeleteCriticalSection(CRITICAL_SECTION* section) {
  auto lock = kernel_.Lock();
  kernel_.Enter("DeleteCriticalSection");
  std::shared_ptr<Section> deleted = FindSection(section, "DeleteCriticalSection");
  if (--deleted->initialisations > 0) return;
  if (deleted->Held()) Misuse("DeleteCriticalSection", "that a thread holds");
  sections_.erase(section);
}

size_t SimSync::LiveCriticalSections() const {
  auto lock = kernel_.Lock();
  return sections_.size();
}

}  // namespace pf::sim
