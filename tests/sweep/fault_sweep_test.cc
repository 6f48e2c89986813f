// The fault sweep: the whole installation (the maker's USB printer answering
// at once, on 32-bit and on 64-bit Windows, and answering too late, and a
// parallel-port printer) runs once to record the platform calls it makes,
// setup's and the helper service's, then
// once for each of those calls with that call failing as Windows fails it.
// Every run must end without a crash, hold no handle and no local memory,
// show only the product's own messages, report success only for a printer it
// added, and leave a PC on which a second, clean installation succeeds.
// Where a failure has a documented message, the run shows exactly that. One
// more sweep takes an installation that fails (a printer on the PC already, a
// print UI that adds nothing): no failing call may turn it into a success.
// Two more sweep the command line: a quiet install and a quiet removal, each
// of which must end in a documented exit code with its log line, showing no
// window, and be followed by a clean run of the same kind.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/sweep/installation.h"

namespace sweep {
namespace {

// Win32 errors the product itself never names.
constexpr pf::DWORD kErrorInvalidData = 13;
constexpr pf::DWORD kErrorModNotFound = 126;
constexpr pf::DWORD kErrorResourceNameNotFound = 1814;
constexpr pf::DWORD kErrorNoMoreUserHandles = 1158;  // the process's quota of windows, cursors, ...
constexpr pf::DWORD kErrorDiskFull = 112;
constexpr pf::DWORD kErrorNoSuchDevinst = 0xE000020Bu;  // SetupAPI: the device is gone

// How each call fails on a Windows PC. The error is the one Windows gives in
// the case that happens in the field; a call with two such cases is swept
// with both.
struct CallFailure {
  const char* call;
  std::vector<pf::DWORD> errors;
};
const CallFailure kFailures[] = {
    // Registry: a key that is missing or locked down, a value that is not
    // there, a key that lost subkeys while it was walked.
    {"RegOpenKeyExW", {pf::ERROR_FILE_NOT_FOUND, pf::ERROR_ACCESS_DENIED}},
    {"RegOpenKeyExA", {pf::ERROR_FILE_NOT_FOUND, pf::ERROR_ACCESS_DENIED}},
    {"RegCreateKeyExW", {pf::ERROR_ACCESS_DENIED}},
    {"RegCreateKeyExA", {pf::ERROR_ACCESS_DENIED}},
    {"RegQueryValueExW", {pf::ERROR_FILE_NOT_FOUND}},
    {"RegQueryValueExA", {pf::ERROR_FILE_NOT_FOUND}},
    {"RegEnumKeyExW", {pf::ERROR_NO_MORE_ITEMS}},
    {"RegEnumKeyExA", {pf::ERROR_NO_MORE_ITEMS}},
    {"RegEnumValueW", {pf::ERROR_NO_MORE_ITEMS}},
    {"RegSetValueExW", {pf::ERROR_ACCESS_DENIED}},
    {"RegSetValueExA", {pf::ERROR_ACCESS_DENIED}},
    {"RegDeleteValueW", {pf::ERROR_ACCESS_DENIED}},
    {"RegDeleteValueA", {pf::ERROR_ACCESS_DENIED}},
    {"RegDeleteKeyW", {pf::ERROR_ACCESS_DENIED}},
    // Files and devices: a file another program holds or that may not be
    // written, a full disk, a USB printer that stops answering.
    {"CreateFileW", {pf::ERROR_ACCESS_DENIED}},
    {"CreateFileA", {pf::ERROR_SHARING_VIOLATION}},
    {"ReadFile", {pf::ERROR_GEN_FAILURE}},
    {"WriteFile", {kErrorDiskFull}},
    {"GetFileSizeEx", {pf::ERROR_DEVICE_NOT_CONNECTED}},  // the medium that held the file went away
    {"SetFilePointerEx", {pf::ERROR_DEVICE_NOT_CONNECTED}},
    {"CreateDirectoryW", {pf::ERROR_ACCESS_DENIED}},
    {"DeleteFileW", {pf::ERROR_ACCESS_DENIED, pf::ERROR_SHARING_VIOLATION}},
    {"RemoveDirectoryW", {pf::ERROR_ACCESS_DENIED}},
    {"SetCurrentDirectoryW", {pf::ERROR_ACCESS_DENIED}},
    {"GetOverlappedResult", {pf::ERROR_GEN_FAILURE}},
    {"DeviceIoControl", {pf::ERROR_GEN_FAILURE}},
    {"CancelIo", {pf::ERROR_NOT_FOUND}},
    {"CreateEventW", {pf::ERROR_NOT_ENOUGH_MEMORY}},
    {"WaitForSingleObject", {pf::ERROR_INVALID_HANDLE}},  // WAIT_FAILED
    // SetupAPI: the USB printer unplugged between the calls.
    {"SetupDiGetClassDevsW", {pf::ERROR_NOT_ENOUGH_MEMORY}},
    {"SetupDiEnumDeviceInterfaces", {pf::ERROR_NO_MORE_ITEMS}},
    {"SetupDiGetDeviceInterfaceDetailW", {kErrorNoSuchDevinst}},
    {"SetupDiEnumDeviceInfo", {pf::ERROR_NO_MORE_ITEMS}},
    {"SetupDiGetDeviceInstanceIdW", {kErrorNoSuchDevinst}},
    // The spooler not running, a profile that may not be written, a window
    // that does not answer the broadcast.
    {"EnumPrintersW", {pf::RPC_S_SERVER_UNAVAILABLE}},
    {"WriteProfileStringW", {pf::ERROR_ACCESS_DENIED}},
    {"SendMessageTimeoutW", {pf::ERROR_TIMEOUT}},
    // Windows' version, programs, folders and the program's own resources.
    {"GetVersionExW", {pf::ERROR_INSUFFICIENT_BUFFER}},
    {"IsWow64Process", {pf::ERROR_PROC_NOT_FOUND}},  // Windows 2000 and XP before SP2
    {"ShellExecuteExW", {pf::ERROR_FILE_NOT_FOUND}},
    {"TerminateProcess", {pf::ERROR_ACCESS_DENIED}},
    {"GetSystemDirectoryW", {pf::ERROR_NOT_ENOUGH_MEMORY}},
    {"GetWindowsDirectoryW", {pf::ERROR_NOT_ENOUGH_MEMORY}},
    {"SHGetSpecialFolderPathW", {pf::ERROR_PATH_NOT_FOUND}},
    {"LocalAlloc", {pf::ERROR_NOT_ENOUGH_MEMORY}},
    {"FindResourceW", {pf::ERROR_RESOURCE_TYPE_NOT_FOUND}},
    {"LoadResource", {pf::ERROR_NOT_ENOUGH_MEMORY}},
    {"SizeofResource", {pf::ERROR_RESOURCE_DATA_NOT_FOUND}},
    {"LockResource", {pf::ERROR_RESOURCE_DATA_NOT_FOUND}},
    // The service control manager: not allowed, a registration that is
    // there already or gone, a service that cannot take a stop yet.
    {"OpenSCManagerW", {pf::ERROR_ACCESS_DENIED}},
    {"CreateServiceW", {pf::ERROR_ACCESS_DENIED}},
    {"OpenServiceW", {pf::ERROR_SERVICE_DOES_NOT_EXIST}},
    {"StartServiceW", {pf::ERROR_SERVICE_REQUEST_TIMEOUT}},
    {"ControlService", {pf::ERROR_SERVICE_CANNOT_ACCEPT_CTRL}},
    {"DeleteService", {pf::ERROR_SERVICE_MARKED_FOR_DELETE}},
    // The helper service's own side.
    {"StartServiceCtrlDispatcherA", {pf::ERROR_FAILED_SERVICE_CONTROLLER_CONNECT}},
    {"RegisterServiceCtrlHandlerA", {pf::ERROR_SERVICE_DOES_NOT_EXIST}},
    {"SetServiceStatus", {kErrorInvalidData}},
    // The window layer: the process out of window or GDI handles, the
    // system's help program (the hand cursor's module) missing.
    {"CreateDialogParamW", {kErrorNoMoreUserHandles}},
    {"CreateWindowExW", {kErrorNoMoreUserHandles}},
    {"CreateFontIndirectW", {pf::ERROR_NOT_ENOUGH_MEMORY}},
    {"CreateSolidBrush", {pf::ERROR_NOT_ENOUGH_MEMORY}},
    {"LoadBitmapW", {pf::ERROR_NOT_ENOUGH_MEMORY}},
    {"CreateCompatibleBitmap", {pf::ERROR_NOT_ENOUGH_MEMORY}},
    {"CreateCompatibleDC", {pf::ERROR_NOT_ENOUGH_MEMORY}},
    {"GetDC", {pf::ERROR_NOT_ENOUGH_MEMORY}},
    {"LoadLibraryW", {kErrorModNotFound}},
    {"LoadCursorW", {kErrorResourceNameNotFound}},
    {"CopyIcon", {kErrorNoMoreUserHandles}},
};

bool IsWindowLayerCall(const std::string& call) {
  for (const char* name : {"CreateDialogParamW", "CreateWindowExW", "CreateFontIndirectW", "CreateSolidBrush",
                           "LoadBitmapW", "CreateCompatibleBitmap", "CreateCompatibleDC", "GetDC", "LoadLibraryW",
                           "LoadCursorW", "CopyIcon"}) {
    if (call == name) return true;
  }
  return false;
}

// Calls that Windows does not fail for the arguments a program passes them:
// closing or freeing what it holds, sleeping, showing a message box, telling
// the current directory into a buffer large enough, critical sections.
const char* const kNeverFail[] = {"CloseHandle", "RegCloseKey", "CloseServiceHandle", "ClosePrinter",
                                  "SetupDiDestroyDeviceInfoList", "LocalFree", "Sleep", "MessageBoxW",
                                  "GetCurrentDirectoryW", "InitializeCriticalSection", "EnterCriticalSection",
                                  "LeaveCriticalSection", "DeleteCriticalSection", "GetExitCodeProcess"};

const CallFailure* FailureOf(const std::string& call) {
  for (const CallFailure& failure : kFailures) {
    if (call == failure.call) return &failure;
  }
  return nullptr;
}

bool NeverFails(const std::string& call) {
  for (const char* name : kNeverFail) {
    if (call == name) return true;
  }
  return false;
}

// Every fault of a recorded run: each call of it that can fail, with each
// of its errors. A call the table does not know fails the test.
std::vector<Fault> FaultsOf(const std::vector<std::string>& calls) {
  std::vector<Fault> faults;
  std::map<std::string, long> seen;
  for (const std::string& call : calls) {
    const long occurrence = seen[call]++;
    if (NeverFails(call)) continue;
    const CallFailure* failure = FailureOf(call);
    if (failure == nullptr) {
      ADD_FAILURE() << "no Windows failure known for " << call << ": add it to the sweep's table";
      continue;
    }
    for (pf::DWORD error : failure->errors) faults.push_back({call, occurrence, error});
  }
  return faults;
}

// --- The product's messages ---

const std::wstring kListingFailed = L"枚举打印机信息失败。错误代码：";  // 491, then the error in decimal
const std::wstring kUnknownError = L"未知的安装错误";                     // 487, result 30
const std::wstring kWindowsTooOld = L"系统版本过低，请在Win2000及以上的系统上安装";  // 482, result 100
const std::wstring kNoUsbPrinter = L"没有检测到USB打印机设备。请返回上一步重新连接USB线缆并打开电源。";  // 513, result 3
const std::wstring kCannotExtract = L"无法解压服务文件，请重新启动计算机！";  // 498
const std::wstring kNoInf =
    L"找不到驱动程序安装信息文件 TQPRINTER.INF，或无法读取它。请从完整的安装文件夹中运行本程序。";  // 519
const std::wstring kNoModel = L"未能获取机器型号！";

std::wstring ListingFailed(pf::DWORD error) { return kListingFailed + std::to_wstring(error); }

bool IsProductMessage(const std::wstring& text) {
  if (text.compare(0, kListingFailed.size(), kListingFailed) == 0) {
    const std::wstring code = text.substr(kListingFailed.size());
    return !code.empty() && code.find_first_not_of(L"0123456789") == std::wstring::npos;
  }
  for (const std::wstring* known : {&kUnknownError, &kWindowsTooOld, &kNoUsbPrinter, &kCannotExtract, &kNoInf,
                                    &kNoModel}) {
    if (text == *known) return true;
  }
  return false;
}

// The message of an install result code other than 0.
std::wstring ResultMessage(int code) {
  switch (code) {
    case 3: return kNoUsbPrinter;
    case 30: return kUnknownError;
    case 100: return kWindowsTooOld;
    default: return L"(no result code " + std::to_wstring(code) + L")";
  }
}

// --- What every run must show and leave ---

// The rules that hold whatever failed: nothing held (no USB transfer left
// pending, nothing of the window system either), only the product's
// messages, a result and its message or the success line, success only for
// a printer added, and a default printer entry only for that printer. Setup
// ends at start-up only with the INF's message, or silently when its frame
// or first page could not be made (the frame's rules show no message).
std::vector<std::string> BrokenRules(const Outcome& o, Installation& pc, const std::optional<Fault>& fault) {
  std::vector<std::string> broken;
  if (o.openHandles) broken.push_back("handles left open");
  if (o.localBlocks) broken.push_back("local memory left allocated");
  if (o.windowsLeft || o.gdiObjectsLeft || o.dcsLeft || o.cursorsLeft) broken.push_back("window system objects left");
  if (o.pendingTransfers) broken.push_back("a USB transfer left pending on memory that is gone");
  for (const std::wstring& message : o.messages) {
    if (!IsProductMessage(message)) broken.push_back("a message box that is not the product's");
  }
  if (!o.wizardShown) {
    const bool windowMissing = fault && IsWindowLayerCall(fault->call) && o.messages.empty();
    if (o.messages != std::vector<std::wstring>{kNoInf} && !windowMissing) {
      broken.push_back("setup ended without its message");
    }
    return broken;
  }
  if (o.closedWith != "finish") broken.push_back("the wizard did not end with Finish");
  if (!o.resultCode) {
    broken.push_back("the install page never ran");
    return broken;
  }
  if (o.printersAdded.size() > 1) broken.push_back("more than one printer added");
  if (*o.resultCode == 0) {
    if (!o.installedLine || o.failedLine) broken.push_back("result 0 without the success line alone");
    if (o.printersAdded.empty()) broken.push_back("success reported, but no printer was added");
  } else {
    if (o.installedLine || !o.failedLine) broken.push_back("a result code without the failure line alone");
    if (o.messages.empty() || o.messages.back() != ResultMessage(*o.resultCode)) {
      broken.push_back("a result code without its message last");
    }
  }
  if (o.defaultAfter != o.defaultBefore) {
    const bool forAdded = o.printersAdded.size() == 1 &&
                          o.defaultAfter == o.printersAdded[0] + L",winspool," + pc.PortOf(o.printersAdded[0]);
    if (!forAdded) broken.push_back("a default printer entry for a printer not added");
  }
  return broken;
}

// A clean installation: installed without a message, its printer the
// default one, a device bound by the helper service, which is gone. A
// parallel device that an earlier run left half bound (its "Mfg" written,
// its "Driver" not) stays so: the parallel search passes over every
// instance that has "Mfg", taking it for bound.
std::vector<std::string> NotCleanlyInstalled(const Outcome& o, const Outcome& before, bool parallel,
                                             Installation& pc) {
  std::vector<std::string> broken = BrokenRules(o, pc, std::nullopt);
  if (o.resultCode != 0) broken.push_back("not installed");
  if (!o.messages.empty()) broken.push_back("a message box");
  if (o.printersAdded.size() != 1) {
    broken.push_back("no printer added");
  } else if (o.defaultAfter != o.printersAdded[0] + L",winspool," + pc.PortOf(o.printersAdded[0])) {
    broken.push_back("the printer added is not the default printer");
  }
  const bool halfBoundBefore = parallel && before.devicesHalfBound > 0;
  if (o.devicesBound == 0 && !halfBoundBefore) broken.push_back("no device bound to the driver");
  if (o.devicesHalfBound > 0 && !halfBoundBefore) broken.push_back("a device half bound");
  if (!o.helperStarted) broken.push_back("the helper service did not run");
  if (o.stagedLeft) broken.push_back("staged values left");
  if (o.registrationLeft) broken.push_back("the helper service's registration left");
  return broken;
}

std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : "; ") + item;
  return text;
}

// --- The failures with a documented outcome ---

// Finds, in a recorded run's calls, the occurrence of `call` that one step
// of the installation makes; -1 when the run made none.
using Pick = std::function<long(const std::vector<std::string>& calls, const std::string& call)>;

Pick Nth(long n) {
  return [n](const std::vector<std::string>& calls, const std::string& call) {
    return std::count(calls.begin(), calls.end(), call) > n ? n : -1L;
  };
}

// The last call of its name before the first call named `next`.
Pick LastBefore(const std::string& next) {
  return [next](const std::vector<std::string>& calls, const std::string& call) {
    const auto end = std::find(calls.begin(), calls.end(), next);
    return static_cast<long>(std::count(calls.begin(), end, call)) - 1;
  };
}

struct Documented {
  const char* step;
  const char* call;
  Pick pick;
  bool usbOnly;
  std::optional<int> resultCode;  // none: setup ends at start-up
  std::vector<std::wstring> messages;
  bool printerAdded;
  bool helperStarted;
};

// What the product's rules give when one step fails: the listings (message
// 491 with the error; the run goes on only with both lists whole), the print
// UI's start (result 30), the USB printer's presence check (result 3), the
// helper service program's extraction (message 498, the printer installed
// all the same), the INF at start-up (message 519, and setup ends).
const Documented kDocumented[] = {
    {"the INF's opening at start-up", "CreateFileW", Nth(0), false, std::nullopt, {kNoInf}, false, false},
    {"the INF's reading at start-up", "ReadFile", Nth(0), false, std::nullopt, {kNoInf}, false, false},
    {"the INF's size at start-up", "GetFileSizeEx", Nth(0), false, std::nullopt, {kNoInf}, false, false},
    // The version stays unknown (0): older than Windows 2000 as far as setup can tell.
    {"the version probe", "GetVersionExW", Nth(0), false, 100, {kWindowsTooOld}, false, false},
    {"the size query before the print UI", "EnumPrintersW", Nth(0), false, 0, {}, true, true},
    // Without the printers there before, no printer afterwards could be told for the new one.
    {"the listing before the print UI", "EnumPrintersW", Nth(1), false, 30, {ListingFailed(1722), kUnknownError},
     false, false},
    // The size asked for stays 0, so the listing gets no room for the printer there is.
    {"the size query after the print UI", "EnumPrintersW", Nth(2), false, 30, {ListingFailed(122), kUnknownError},
     true, false},
    {"the listing after the print UI", "EnumPrintersW", Nth(3), false, 30, {ListingFailed(1722), kUnknownError},
     true, false},
    {"the buffer of the listing before", "LocalAlloc", Nth(0), false, 0, {ListingFailed(8)}, true, true},
    // Without a buffer the listing fails too: the message twice.
    {"the buffer of the listing after", "LocalAlloc", Nth(1), false, 30,
     {ListingFailed(8), ListingFailed(1784), kUnknownError}, true, false},
    {"the print UI's start", "ShellExecuteExW", Nth(0), false, 30, {kUnknownError}, false, false},
    {"the system folder of the print UI", "GetSystemDirectoryW", Nth(0), false, 30, {kUnknownError}, false, false},
    {"the USB printer's presence check", "RegOpenKeyExW", LastBefore("EnumPrintersW"), true, 3, {kNoUsbPrinter},
     false, false},
    {"the USB printer's count in the presence check", "RegQueryValueExW", LastBefore("EnumPrintersW"), true, 3,
     {kNoUsbPrinter}, false, false},
    {"the helper service program's extraction", "CreateFileW", LastBefore("OpenSCManagerW"), false, 0,
     {kCannotExtract}, true, false},
    // A window that cannot be made leaves the wizard where it was, without a
    // message: without the frame setup ends; without the first page the
    // frame shows none, and the user cancels; without a later page Next
    // stays, and the user's second Next goes on.
    {"the wizard frame's window", "CreateDialogParamW", Nth(0), false, std::nullopt, {}, false, false},
    {"the welcome page's window", "CreateDialogParamW", Nth(1), false, std::nullopt, {}, false, false},
    {"the connection page's window", "CreateDialogParamW", Nth(2), false, 0, {}, true, true},
    {"the detection page's window", "CreateDialogParamW", Nth(3), false, 0, {}, true, true},
    {"the install page's window", "CreateDialogParamW", Nth(4), false, 0, {}, true, true},
};

// Whether setup runs under WOW64 that cannot be told counts as 32-bit
// Windows. There the installation goes on as ever (Windows 2000 has no
// IsWow64Process); on 64-bit Windows the system folder's print UI is then
// the 32-bit one, which adds no printer: result 30, never a 32-bit install.
Documented Wow64QuestionFailing(bool wow64) {
  const Pick beforeThePrintUi = LastBefore("ShellExecuteExW");
  if (!wow64) return {"the WOW64 question of the print UI", "IsWow64Process", beforeThePrintUi, false, 0, {}, true, true};
  return {"the WOW64 question of the print UI", "IsWow64Process", beforeThePrintUi, false, 30, {kUnknownError}, false,
          false};
}

// Checks each documented failure against what its runs showed.
void ExpectDocumentedOutcomes(const std::vector<std::string>& recorded, bool parallel, bool wow64,
                              const std::map<std::string, Outcome>& outcomes) {
  std::vector<Documented> documented(std::begin(kDocumented), std::end(kDocumented));
  documented.push_back(Wow64QuestionFailing(wow64));
  for (const Documented& d : documented) {
    if (d.usbOnly && parallel) continue;
    SCOPED_TRACE(d.step);
    const long occurrence = d.pick(recorded, d.call);
    ASSERT_GE(occurrence, 0) << "the installation made no such call of " << d.call;
    for (pf::DWORD error : FailureOf(d.call)->errors) {
      const Fault fault{d.call, occurrence, error};
      const auto found = outcomes.find(Describe(fault));
      ASSERT_NE(found, outcomes.end()) << Describe(fault) << " was not swept";
      const Outcome& o = found->second;
      EXPECT_EQ(o.wizardShown, d.resultCode.has_value()) << Describe(fault) << ": " << Describe(o);
      EXPECT_EQ(o.resultCode, d.resultCode) << Describe(fault) << ": " << Describe(o);
      EXPECT_EQ(o.messages, d.messages) << Describe(fault) << ": " << Describe(o);
      EXPECT_EQ(o.printersAdded.size(), d.printerAdded ? 1u : 0u) << Describe(fault) << ": " << Describe(o);
      EXPECT_EQ(o.helperStarted, d.helperStarted) << Describe(fault) << ": " << Describe(o);
    }
  }
}

// --- The sweep ---

struct SweptInstallation {
  const char* name;
  const char* example;  // tqsim's example that describes the PC and the user
  bool parallel;
  // The PC has a printer already and its print UI adds nothing, so the
  // installation fails (result 30); no failing call may make that a
  // success. The second installation has a print UI that works.
  bool printUiAddsNothing;
  // The PC's clock, when not the example's.
  std::optional<tqsim::ClockPlan> clock = std::nullopt;
};

// A PC that has run for 49.7 days, with Windows' default timer: the tick
// counter wraps 1.5 s after setup starts, inside detection's wait for a USB
// printer that never comes, and every sleep and time-out ends at a tick of
// the 15.625 ms timer.
constexpr tqsim::ClockPlan kWindowsClockBeforeWrap{0u - 1500u, 15625};

void PrintTo(const SweptInstallation& swept, std::ostream* out) { *out << swept.name; }

// The faults of each outcome, in the order they ran.
using OutcomeClasses = std::map<std::string, std::vector<std::string>>;

void PrintSweep(const char* name, std::size_t faults, std::size_t restarts, const OutcomeClasses& classes,
                long long ms) {
  std::printf("fault sweep (%s): %zu faults injected, %zu outcomes, %zu restarts before the second install, %lld ms\n",
              name, faults, classes.size(), restarts, ms);
  for (const auto& [outcome, causes] : classes) {
    std::printf("  %4zu x %s\n", causes.size(), outcome.c_str());
    for (std::size_t i = 0; i < causes.size() && i < 3; ++i) std::printf("         %s\n", causes[i].c_str());
  }
}

class FaultSweepTest : public ::testing::TestWithParam<SweptInstallation> {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(ReadExample(GetParam().example, &scenario_, &error)) << error;
    if (GetParam().printUiAddsNothing) {
      scenario_.printers.push_back({L"Office Laser", L"LPT2:", L"Generic Laser"});
      scenario_.printUi.behaviour = tqsim::PrintUiPlan::Behaviour::kAddsNothing;
    }
    if (GetParam().clock) scenario_.clock = *GetParam().clock;
  }

  // What the run without a fault must show.
  std::string NotAsExpected(const Outcome& o, Installation& pc) {
    if (!GetParam().printUiAddsNothing) return Joined(NotCleanlyInstalled(o, Outcome(), GetParam().parallel, pc));
    std::vector<std::string> broken = BrokenRules(o, pc, std::nullopt);
    if (o.resultCode != 30 || o.messages != std::vector<std::wstring>{kUnknownError}) broken.push_back("not result 30");
    return Joined(broken);
  }

  tqsim::Scenario scenario_;
};

TEST_P(FaultSweepTest, EveryCallFailingInTurnEndsSoundlyAndACleanInstallFollows) {
  const auto start = std::chrono::steady_clock::now();
  const bool parallel = GetParam().parallel;
  std::vector<std::string> recorded;
  {
    Installation pc(scenario_);
    const Outcome unfaulted = pc.Run();
    ASSERT_EQ(NotAsExpected(unfaulted, pc), "") << Describe(unfaulted);
    recorded = pc.calls();
  }
  const std::vector<Fault> faults = FaultsOf(recorded);
  ASSERT_GT(faults.size(), 50u);

  OutcomeClasses classes;
  std::map<std::string, Outcome> outcomes;  // by fault
  std::size_t restarts = 0;
  for (const Fault& fault : faults) {
    Installation pc(scenario_);
    const Outcome faulted = pc.Run(fault);
    EXPECT_EQ(Joined(BrokenRules(faulted, pc, fault)), "") << Describe(fault) << ": " << Describe(faulted);
    // A helper service that cannot be stopped runs until Windows ends it.
    if (faulted.helperStillRunning) {
      pc.Restart();
      ++restarts;
    }
    pc.printUi().AddsThePrinter();
    const Outcome again = pc.Run();
    EXPECT_EQ(Joined(NotCleanlyInstalled(again, faulted, parallel, pc)), "")
        << "after " << Describe(fault) << " (" << Describe(faulted) << "), the second install: " << Describe(again);
    classes[Describe(faulted)].push_back(Describe(fault));
    outcomes[Describe(fault)] = faulted;
  }
  if (!GetParam().printUiAddsNothing) ExpectDocumentedOutcomes(recorded, parallel, scenario_.windows.wow64, outcomes);

  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  PrintSweep(GetParam().name, faults.size(), restarts, classes, static_cast<long long>(ms.count()));
}

INSTANTIATE_TEST_SUITE_P(Installations, FaultSweepTest,
                         ::testing::Values(SweptInstallation{"usb", "usb_printer_answers.json", false, false},
                                           SweptInstallation{"usb_late_reply", "usb_printer_answers_too_late.json",
                                                             false, false},
                                           SweptInstallation{"parallel", "lpt_printer.json", true, false},
                                           SweptInstallation{"usb_64_bit_windows", "windows_10_x64.json", false, false},
                                           SweptInstallation{"usb_print_ui_adds_nothing", "usb_printer_answers.json",
                                                             false, true},
                                           SweptInstallation{"parallel_windows_clock_at_the_wrap", "lpt_printer.json",
                                                             true, false, kWindowsClockBeforeWrap}),
                         [](const ::testing::TestParamInfo<SweptInstallation>& info) { return info.param.name; });


// --- The command line ---

const std::wstring kQuiet = L"/quiet";
const std::wstring kRemoval = L"/uninstall /quiet";
const std::wstring kModel = L"TAVIR TQ-5800";

// The log ends with the line of the exit code, unless the fault kept the
// log from being opened (its folder, its file, its end) or was the writing of
// that very line.
bool LoggedItsExitCode(const Outcome& o, const Fault& fault, const std::vector<std::string>& calls) {
  if (o.log.find("setup: exit code " + std::to_string(o.exitCode) + "\r\n") != std::string::npos) return true;
  const bool logNotOpened = fault.occurrence == 0 && (fault.call == "GetSystemDirectoryW" ||
                                                      fault.call == "CreateFileW" || fault.call == "SetFilePointerEx");
  const bool lastLineLost =
      fault.call == "WriteFile" && fault.occurrence == std::count(calls.begin(), calls.end(), "WriteFile") - 1;
  return logNotOpened || lastLineLost;
}

// The rules of every quiet run: nothing held, no window, a documented exit
// code, and nothing of others touched.
std::vector<std::string> BrokenQuietRules(const Outcome& o, const std::vector<int>& documented) {
  std::vector<std::string> broken;
  if (o.openHandles) broken.push_back("handles left open");
  if (o.localBlocks) broken.push_back("local memory left allocated");
  if (o.pendingTransfers) broken.push_back("a USB transfer left pending on memory that is gone");
  if (o.windowShown || !o.messages.empty()) broken.push_back("a window");
  if (o.windowsLeft || o.gdiObjectsLeft || o.dcsLeft || o.cursorsLeft) broken.push_back("window system objects left");
  if (std::find(documented.begin(), documented.end(), o.exitCode) == documented.end()) {
    broken.push_back("exit code " + std::to_string(o.exitCode) + " is not documented");
  }
  if (!o.otherFilesKept) broken.push_back("a file that is not Spoolmate's is gone");
  if (std::find(o.printers.begin(), o.printers.end(), L"Fax") == o.printers.end()) {
    broken.push_back("the printer of another driver is gone");
  }
  return broken;
}

// A quiet install's outcome: 0 only for a printer added after which the
// helper service ran and took the staged values (the default-printer entry
// and a device binding that could not be written are not reported, as in
// the wizard); 4 for a printer added without that; 30 may have a printer
// added that the listing after the print UI could not show.
std::vector<std::string> BrokenInstall(const Outcome& o, Installation& pc) {
  std::vector<std::string> broken = BrokenQuietRules(o, {0, 1, 3, 4, 30, 100, 1260});
  if (o.exitCode == 0 && (o.printersAdded.size() != 1 || !o.helperStarted || o.stagedLeft)) {
    broken.push_back("exit code 0 without the printer and the helper service's run");
  }
  if (o.exitCode == 4 && o.printersAdded.size() != 1) broken.push_back("exit code 4 without the printer");
  if (o.exitCode != 0 && o.exitCode != 4 && o.exitCode != 30 && !o.printersAdded.empty()) {
    broken.push_back("a failure that added a printer");
  }
  if (o.defaultAfter != o.defaultBefore &&
      (o.printersAdded.size() != 1 ||
       o.defaultAfter != o.printersAdded[0] + L",winspool," + pc.PortOf(o.printersAdded[0]))) {
    broken.push_back("a default printer entry for a printer not added");
  }
  return broken;
}

// A removal's outcome: 0 only when nothing of the package is left; 4 only
// when printers and driver are gone.
std::vector<std::string> BrokenRemoval(const Outcome& o) {
  std::vector<std::string> broken = BrokenQuietRules(o, {0, 1, 4, 30});
  const bool printerLeft = std::find(o.printers.begin(), o.printers.end(), L"TQ-5800") != o.printers.end();
  const bool helperLeft = o.spoolmateFilesLeft || o.registrationLeft || o.stagedLeft;
  if (o.exitCode == 0 && (printerLeft || o.driverInstalled || helperLeft)) broken.push_back("exit code 0 with remains");
  if (o.exitCode == 4 && (printerLeft || o.driverInstalled)) broken.push_back("exit code 4 with printer or driver");
  return broken;
}

class QuietSweepTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(ReadExample("usb_printer_answers.json", &scenario_, &error)) << error;
    scenario_.printers.push_back({L"Fax", L"SHRFAX:", L"Microsoft Shared Fax Driver"});
  }
  // The run that is swept: a quiet install, or a quiet removal after one.
  Outcome Swept(Installation& pc, const std::optional<Fault>& fault) {
    if (!GetParam()) return pc.Run(fault, kQuiet);
    EXPECT_EQ(pc.Run(std::nullopt, kQuiet).exitCode, 0);
    return pc.Run(fault, kRemoval);
  }
  std::string Broken(const Outcome& o, Installation& pc) {
    return Joined(GetParam() ? BrokenRemoval(o) : BrokenInstall(o, pc));
  }

  tqsim::Scenario scenario_;
};

TEST_P(QuietSweepTest, EveryCallFailingInTurnEndsInADocumentedExitCodeWithItsLogLine) {
  const auto start = std::chrono::steady_clock::now();
  const char* name = GetParam() ? "quiet removal" : "quiet install";
  std::vector<std::string> recorded;
  {
    Installation pc(scenario_);
    const Outcome unfaulted = Swept(pc, std::nullopt);
    ASSERT_EQ(unfaulted.exitCode, 0) << Describe(unfaulted);
    ASSERT_EQ(Broken(unfaulted, pc), "") << Describe(unfaulted);
    recorded = pc.calls();
  }
  const std::vector<Fault> faults = FaultsOf(recorded);
  ASSERT_GT(faults.size(), 30u);
  OutcomeClasses classes;
  std::size_t restarts = 0;
  for (const Fault& fault : faults) {
    Installation pc(scenario_);
    const Outcome faulted = Swept(pc, fault);
    EXPECT_EQ(Broken(faulted, pc), "") << Describe(fault) << ": " << Describe(faulted);
    EXPECT_TRUE(LoggedItsExitCode(faulted, fault, pc.calls())) << Describe(fault) << ": " << faulted.log;
    if (faulted.helperStillRunning) {
      pc.Restart();
      ++restarts;
    }
    // Run again, the same command finishes the job.
    const Outcome again = pc.Run(std::nullopt, GetParam() ? kRemoval : kQuiet);
    EXPECT_EQ(again.exitCode, 0) << "after " << Describe(fault) << ": " << Describe(again) << "\n" << again.log;
    EXPECT_EQ(Broken(again, pc), "") << "after " << Describe(fault) << ": " << Describe(again);
    classes["exit code " + std::to_string(faulted.exitCode) + ": " + Describe(faulted)].push_back(Describe(fault));
  }
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  PrintSweep(name, faults.size(), restarts, classes, static_cast<long long>(ms.count()));
}

INSTANTIATE_TEST_SUITE_P(CommandLine, QuietSweepTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "removal" : "install");
                         });

}  // namespace
}  // namespace sweep
