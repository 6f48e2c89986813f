// A tqsim scenario: the PC the installation runs on and what the user does,
// read from a JSON file. Reading checks everything (unknown fields, types,
// ranges, the .reg seeds line by line, the installation folder) so that a
// run never starts from a scenario it would have to guess about; the first
// problem comes back as one line naming the field or the seed's line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/sim_usb_printer.h"
#include "platform/sim/usb_printer_seed.h"
#include "platform/types.h"

namespace tqsim {

// A file the scenario brings along: the name it is shown under (as the
// scenario wrote it, never a host path) and its bytes.
struct ScenarioFile {
  std::string shownName;
  std::string bytes;
};

// The PC's clock: the tick counter's value when setup starts (it wraps from
// 0xFFFFFFFF to 0), and the period of the timer that ends sleeps and
// time-outs, in microseconds (0: they last exactly as asked; Windows' default
// timer: 15625).
struct ClockPlan {
  pf::DWORD startMs = 0;
  pf::DWORD timerPeriodUs = 0;
};

struct WindowsVersion {
  bool probeFails = false;
  bool wow64 = false;  // 64-bit Windows: setup runs under WOW64
  pf::DWORD major = 6, minor = 1, build = 7601;
  pf::DWORD platformId = pf::VER_PLATFORM_WIN32_NT;
};

// One of the maker's USB printers behind its pipe "PIPE01".
struct UsbPrinterPlan {
  pf::sim::UsbPrinterSeed seed;
  std::vector<pf::BYTE> reply;  // what reads return
  // The scripts of the pipe's transfers, in order; later ones complete at once.
  std::vector<pf::sim::UsbTransfer> writes, reads;
  pf::DWORD appearsAtMs = 0;  // 0: plugged in before setup starts
  std::optional<pf::DWORD> unpluggedAtMs;
};

struct ExistingPrinter {
  std::wstring name, port, driver;
};

struct PrintUiPlan {
  enum class Behaviour { kAdds, kAddsNothing, kAddsNamed, kFails, kNeverEnds };
  Behaviour behaviour = Behaviour::kAdds;
  std::wstring name;       // kAddsNamed
  pf::DWORD exitCode = 1;  // kFails
  pf::DWORD takesMs = 0;
};

struct FaultPlan {
  std::string call;
  pf::DWORD error = 0;
  long occurrence = -1;  // -1: every call
};

enum class Page { kWelcome, kConnection, kDetection, kInstall };
const char* PageName(Page page);

struct UserPlan {
  std::optional<Page> cancelOn;
  std::optional<std::wstring> port;         // L"USB" or L"LPT": the radio to click on the detection page
  std::optional<std::wstring> printerName;  // typed into the name box
  int installAgain = 0;                     // after a failed install: Back and Next again, at most so often
};

struct Scenario {
  std::string fileName;  // the scenario file's own name, without its folder
  std::string description;
  std::string installFolder;               // as written; empty for the sample package
  std::vector<ScenarioFile> installFiles;  // shownName: the path below the folder
  std::wstring setupPath = L"C:\\TQPrinterSetup\\setup.exe";

  std::vector<ScenarioFile> seeds;
  WindowsVersion windows;
  std::optional<pf::UINT> inputCodePage;
  ClockPlan clock;
  std::optional<std::wstring> commonProgramFiles = std::wstring(L"C:\\Program Files\\Common Files");

  std::vector<UsbPrinterPlan> usbPrinters;
  std::vector<ExistingPrinter> printers;
  PrintUiPlan printUi;
  std::vector<FaultPlan> faults;
  UserPlan user;
  // How many times setup runs, one after another, on the same PC (2: a
  // second installation); the user acts the same way each time.
  int runs = 1;
  // setup.exe's arguments for each run (one entry serves every run; empty:
  // none, the wizard); none at all when the scenario gives no commandLine.
  std::vector<std::wstring> commandLines;
};

// Reads the scenario in `text`; relative paths in it (the installation
// folder, the seeds) are taken from `folder` on the host. False with a
// one-line *error on the first problem.
bool ParseScenario(const std::string& text, const std::string& folder, Scenario* scenario, std::string* error);

// Reads the scenario file at `path` (see ParseScenario).
bool ReadScenario(const std::string& path, Scenario* scenario, std::string* error);

}  // namespace tqsim
