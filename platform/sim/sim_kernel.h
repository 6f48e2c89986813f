// The kernel of the simulated PC: what every simulated group shares.
//
// - One handle table for every object kind (files, devices, events,
//   processes, printers, service handles, device information sets, registry
//   keys). Handles are never reused while the kernel lives, so a stale handle
//   stays stale.
// - One last error per thread.
// - One virtual clock: a millisecond tick counter that wraps like
//   GetTickCount (it starts at 0 unless set, say 1.5 s before the wrap), and
//   events scheduled on it that fire as time passes. Sleep and waits advance
//   it at once; nothing in the simulated PC waits in real time. By default a
//   Sleep and a wait's time-out last exactly as long as asked; with a timer
//   period (Windows' default timer ticks every 15.625 ms) they last until the
//   timer's first tick at or after that time, and the counter moves only at
//   the timer's ticks, as on Windows.
// - One rule for ANSI text: the code pages group's ANSI code page.
// - One lock: every simulated call holds the kernel's lock for its whole run
//   (take it with Lock()). It is recursive, so a call may call another group.
//   A call that must wait for another real thread (the service manager waits
//   for a service's threads) waits with Wait(), which releases every level
//   the thread holds and takes them all back before it returns; whatever
//   changes what such a waiter waits for calls Notify() with the lock held.
// - The calling thread's account: the administrator that runs setup, unless
//   the thread belongs to a service process, which runs as the local system;
//   and the program it belongs to, for GetModuleFileName.
// - Faults: any simulated call can be told to fail with a given Win32 error,
//   and every call is recorded by name, so a test can fail each call of a run
//   in turn.
// - The programs the PC has: code registered under an image path, which the
//   process and service groups start.
// - The devices the PC has, reached through device paths ("\\?\...",
//   "\\.\...") instead of the file tree.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/sync.h"
#include "platform/types.h"

namespace pf::sim {

class SimCodePages;

enum class ObjectKind { File, Device, Event, Process, Printer, ServiceManager, Service, DeviceInfoSet, RegistryKey };

// What a handle refers to. Objects are shared: a handle holds its object, and
// so may whatever else still needs it (a pending transfer, a process thread).
class KernelObject {
 public:
  virtual ~KernelObject() = default;
  virtual ObjectKind kind() const = 0;
  // Objects WaitForSingleObject accepts, and whether they are signalled now.
  virtual bool IsWaitable() const { return false; }
  virtual bool IsSignaled() const { return false; }
  // Called when a wait on the object was satisfied (an auto-reset event resets).
  virtual void OnWaitSatisfied() {}
  // Called when one handle to the object is closed, with the kernel locked.
  virtual void OnHandleClosed() {}
};

// An object that ReadFile, WriteFile and the overlapped calls reach: a
// device, or a part of one such as a USB printer's pipe. A transfer that is
// started with an OVERLAPPED and does not complete at once returns FALSE with
// ERROR_IO_PENDING; the object completes it later on the virtual clock.
class SimIoObject : public KernelObject {
 public:
  ObjectKind kind() const override { return ObjectKind::Device; }
  virtual BOOL Read(void* buffer, DWORD size, DWORD* read, OVERLAPPED* overlapped) = 0;
  virtual BOOL Write(const void* buffer, DWORD size, DWORD* written, OVERLAPPED* overlapped) = 0;
  virtual BOOL GetOverlappedResult(OVERLAPPED* overlapped, DWORD* transferred, BOOL wait) = 0;
  virtual BOOL CancelIo() = 0;
  virtual BOOL DeviceIoControl(DWORD code, void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned,
                               OVERLAPPED* overlapped) = 0;
};

// A device of the PC, registered under its device path.
class SimDevice {
 public:
  virtual ~SimDevice() = default;
  // Opens the device itself (rest empty) or a named part of it (rest is what
  // follows the device path and its backslash, such as "PIPE01"). Returns the
  // object for the new handle, or null with *error set.
  virtual std::shared_ptr<SimIoObject> Open(const std::wstring& rest, DWORD access, DWORD share, DWORD flags,
                                            DWORD* error) = 0;
};

// How a program is started: its image path and its whole command line (the
// image path, quoted when it holds a space, then the parameters).
struct SimProcessStart {
  std::wstring imagePath;
  std::wstring commandLine;
};
// A program of the PC: runs to its end and returns the process's exit code.
using SimProgram = std::function<DWORD(const SimProcessStart& start)>;

// The accounts a simulated thread can run as.
enum class Account { Administrator, LocalSystem };

// The kernel's lock: a recursive mutex that a waiting thread can release at
// every level at once and take back at the same depth.
class KernelMutex {
 public:
  void lock();
  bool try_lock();
  void unlock();
  // Releases every level the calling thread holds; returns how many it held.
  unsigned ReleaseAll();
  // Takes the lock back at the depth ReleaseAll returned (nothing for 0).
  void Reacquire(unsigned depth);

 private:
  std::mutex mutex_;
  std::condition_variable free_;
  std::thread::id owner_;
  unsigned depth_ = 0;
};

class SimKernel {
 public:
  SimKernel();
  ~SimKernel();
  SimKernel(const SimKernel&) = delete;
  SimKernel& operator=(const SimKernel&) = delete;

  // The one lock of the PC.
  std::unique_lock<KernelMutex> Lock() { return std::unique_lock<KernelMutex>(mutex_); }
  KernelMutex& mutex() { return mutex_; }
  // Waits, with the lock released at every level, until ready() holds;
  // ready() is called with the lock held. The caller holds the lock.
  void Wait(const std::function<bool()>& ready);
  // Wakes every thread in Wait() to look again; called with the lock held.
  void Notify();
  // Runs action with the lock released at every level the caller holds, for
  // code of another simulated thread's own (a service's control handler).
  void RunUnlocked(const std::function<void()>& action);

  // The calling thread's account; Administrator until the thread is given
  // another. A service process marks each of its threads as it starts them.
  Account CallerAccount() const;
  void SetCallerAccount(Account account);
  // The image path of the program the calling thread runs for; empty for
  // the PC's own program (the system group's module path). A program the PC
  // starts gives each of its threads its image, so that GetModuleFileName
  // answers as in that process.
  const std::wstring& CallerImage() const;
  void SetCallerImage(const std::wstring& imagePath);

  // The calling thread's last error.
  DWORD LastError() const;
  void SetLastError(DWORD error);
  // Sets the last error and returns FALSE, for the common failure path.
  BOOL Fail(DWORD error);

  // ANSI conversions through the PC's ANSI code page.
  SimCodePages& codePages() { return *codePages_; }
  std::wstring FromAnsi(const std::string& text);
  std::string ToAnsi(const std::wstring& text);

  // --- Handles ---
  HANDLE Insert(std::shared_ptr<KernelObject> object);
  // The object of a handle if it is open and of one of the kinds given (any
  // kind when none is given), or null; the last error stays as it was (the
  // registry's calls return their errors instead of setting it).
  std::shared_ptr<KernelObject> Find(HANDLE handle, std::initializer_list<ObjectKind> kinds = {}) const;
  template <typename T>
  std::shared_ptr<T> FindAs(HANDLE handle, std::initializer_list<ObjectKind> kinds = {}) const {
    return std::dynamic_pointer_cast<T>(Find(handle, kinds));
  }
  // Removes a handle of one of the kinds given; false, and the last error
  // untouched, when there is none.
  bool Remove(HANDLE handle, std::initializer_list<ObjectKind> kinds);
  // The object of a handle if it is open and of one of the kinds given (any
  // kind when none is given); otherwise null with ERROR_INVALID_HANDLE set.
  std::shared_ptr<KernelObject> Lookup(HANDLE handle, std::initializer_list<ObjectKind> kinds = {});
  template <typename T>
  std::shared_ptr<T> LookupAs(HANDLE handle, std::initializer_list<ObjectKind> kinds = {}) {
    return std::dynamic_pointer_cast<T>(Lookup(handle, kinds));
  }
  // Closes a handle of one of the kinds given; FALSE with ERROR_INVALID_HANDLE
  // for a handle that is stale, unknown or of another kind.
  BOOL Close(HANDLE handle, std::initializer_list<ObjectKind> kinds);
  // The objects of every open handle, for those that need to look at others
  // (sharing checks between open files).
  std::vector<std::shared_ptr<KernelObject>> OpenObjects(ObjectKind kind);
  size_t OpenHandleCount() const;
  size_t OpenHandleCount(ObjectKind kind) const;

  // --- Clock ---
  // GetTickCount's value: with a timer period, the count at the timer's last tick.
  DWORD TickCount() const;
  // Sets the counter's value now; the clock goes on from there and wraps
  // from 0xFFFFFFFF to 0.
  void SetTickCount(DWORD tick);
  // The period of the timer that ends sleeps and time-outs, in microseconds:
  // 0 (the default) for exact ones, 15625 for Windows' default timer. The
  // timer ticks from the PC's start on.
  void SetTimerPeriod(DWORD microseconds);
  // How long Sleep(milliseconds), or a wait that times out after that long,
  // lasts from now: exactly that without a timer period, else until the
  // first tick of the timer at or after that time (never less; 0 stays 0).
  DWORD TimerDelay(DWORD milliseconds) const;
  // Virtual milliseconds since the PC started; never wraps.
  std::uint64_t Now() const;
  // Runs action when the clock reaches now + delay.
  void ScheduleIn(DWORD delay, std::function<void()> action);
  // Runs action once the clock reaches atTick (compared modulo 2^32 from now).
  void ScheduleAt(DWORD atTick, std::function<void()> action);
  // Moves the clock forward, firing due events in time order.
  void AdvanceClock(DWORD milliseconds);
  // Moves the clock to the next scheduled event, not beyond limit (absolute
  // virtual time), and fires it; false when there is none before limit.
  bool AdvanceToNextEvent(std::uint64_t limit);
  bool HasPendingEvents() const;

  // --- Faults and the call record ---
  // The occurrence-th call (counted from 0 since the PC started or the last
  // ClearFaults) of the named function fails with error; occurrence -1 makes
  // every call fail from now on.
  void FailCall(const std::string& call, DWORD error, long occurrence = -1);
  void ClearFaults();
  // Called by every simulated call as it starts: records it and returns the
  // error it must fail with, or 0. The caller then fails as that function
  // fails on Windows.
  DWORD Enter(const char* call);
  // The names of the calls made so far, in order.
  std::vector<std::string> Calls() const;
  void ClearCalls();

  // --- Programs ---
  // Registers a program under a full image path, or under a bare file name
  // that matches that file in any folder. Names compare without case.
  void RegisterProgram(const std::wstring& imagePathOrName, SimProgram program);
  // The program at a full image path, or null.
  const SimProgram* FindProgram(const std::wstring& imagePath) const;

  // --- Devices ---
  // Adds a device under its device path (for example
  // "\\?\usb#vid_f1c1&pid_0001#ser1#{28d78fad-...}"); compared without case.
  void AddDevice(const std::wstring& devicePath, std::shared_ptr<SimDevice> device);
  void RemoveDevice(const std::wstring& devicePath);
  static bool IsDevicePath(const std::wstring& path);
  // Opens a device path: INVALID_HANDLE_VALUE with ERROR_FILE_NOT_FOUND when
  // no device has it, or the device's own error.
  HANDLE OpenDevice(const std::wstring& path, DWORD access, DWORD share, DWORD flags);

 private:
  struct Event {
    std::uint64_t due;
    std::uint64_t order;
    std::function<void()> action;
  };
  struct Fault {
    std::string call;
    DWORD error;
    long occurrence;
  };

  mutable KernelMutex mutex_;
  std::condition_variable_any changed_;
  std::unique_ptr<SimCodePages> codePages_;

  std::map<HANDLE, std::shared_ptr<KernelObject>> handles_;
  HANDLE nextHandle_ = 0x10000;

  std::uint64_t LastTimerTick(std::uint64_t ms) const;

  DWORD tickAtStart_ = 0;  // the counter's value when the PC started (now_ 0), modulo 2^32
  DWORD period_ = 0;       // the timer's, in microseconds; 0: exact
  std::uint64_t now_ = 0;
  std::uint64_t nextOrder_ = 0;
  std::vector<Event> events_;

  std::vector<Fault> faults_;
  std::map<std::string, long> callCounts_;
  std::vector<std::string> calls_;

  std::vector<std::pair<std::wstring, SimProgram>> programs_;
  std::map<std::wstring, std::shared_ptr<SimDevice>> devices_;  // by upper-case path
};

}  // namespace pf::sim
