#include "tools/tqsim/scenario.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <nlohmann/json.hpp>

#include "common/text/case_fold.h"
#include "common/text/utf.h"
#include "platform/sim/reg_file.h"
#include "tools/tqsim/embedded.h"

namespace tqsim {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

// What reading needs besides the JSON: where relative paths start, and the
// first problem found. Readers go on after a problem with defaults; only the
// first one is reported.
struct Reading {
  std::string folder;
  std::string error;

  bool Fail(const std::string& path, const std::string& message) {
    if (error.empty()) error = path + ": " + message;
    return false;
  }
};

std::string Field(const std::string& path, const char* name) { return path.empty() ? name : path + "." + name; }
std::string Item(const std::string& path, std::size_t index) { return path + "[" + std::to_string(index) + "]"; }

// True when value is an object whose fields are all known; the first
// unknown one is the problem.
bool CheckObject(const Json& value, const std::string& path, std::initializer_list<const char*> known, Reading& r) {
  if (!value.is_object()) return r.Fail(path.empty() ? "scenario" : path, "expected an object");
  for (const auto& [name, ignored] : value.items()) {
    if (std::none_of(known.begin(), known.end(), [&](const char* k) { return name == k; })) {
      return r.Fail(Field(path, name.c_str()), "unknown field");
    }
  }
  return true;
}

const Json* Find(const Json& object, const char* name) {
  auto found = object.find(name);
  return found == object.end() ? nullptr : &*found;
}

bool ReadString(const Json& value, const std::string& path, std::string* out, Reading& r) {
  if (!value.is_string()) return r.Fail(path, "expected a string");
  *out = value.get<std::string>();
  return true;
}

bool ReadWide(const Json& value, const std::string& path, std::wstring* out, Reading& r) {
  std::string utf8;
  if (!ReadString(value, path, &utf8, r)) return false;
  *out = text::Utf8ToUtf16(utf8);
  return true;
}

template <typename Number>
bool ReadNumber(const Json& value, const std::string& path, long long least, long long most, Number* out, Reading& r) {
  if (!value.is_number_integer()) return r.Fail(path, "expected a whole number");
  // Non-negative numbers are kept unsigned, so a huge one is not read as negative.
  const bool inRange =
      value.is_number_unsigned()
          ? value.get<unsigned long long>() <= static_cast<unsigned long long>(most) &&
                (least <= 0 || value.get<unsigned long long>() >= static_cast<unsigned long long>(least))
          : value.get<long long>() >= least && value.get<long long>() <= most;
  if (!inRange) return r.Fail(path, "out of range " + std::to_string(least) + ".." + std::to_string(most));
  *out = static_cast<Number>(value.get<long long>());
  return true;
}

constexpr long long kDwordMax = 0xFFFFFFFFLL;

bool ReadDword(const Json& value, const std::string& path, pf::DWORD* out, Reading& r) {
  return ReadNumber(value, path, 0, kDwordMax, out, r);
}

bool ReadBool(const Json& value, const std::string& path, bool* out, Reading& r) {
  if (!value.is_boolean()) return r.Fail(path, "expected true or false");
  *out = value.get<bool>();
  return true;
}

// One of the names, by its position.
bool ReadChoice(const Json& value, const std::string& path, std::initializer_list<const char*> names, int* out,
                Reading& r) {
  std::string text;
  if (!ReadString(value, path, &text, r)) return false;
  int index = 0;
  for (const char* name : names) {
    if (text == name) {
      *out = index;
      return true;
    }
    ++index;
  }
  std::string list;
  for (const char* name : names) list += (list.empty() ? "" : ", ") + std::string(name);
  return r.Fail(path, "expected one of " + list);
}

template <typename Reader>
bool ReadList(const Json& value, const std::string& path, Reading& r, Reader readItem) {
  if (!value.is_array()) return r.Fail(path, "expected a list");
  for (std::size_t i = 0; i < value.size(); ++i) readItem(value[i], Item(path, i));
  return r.error.empty();
}

// --- Host files ---

fs::path HostPath(const std::string& written, const Reading& r) {
  const fs::path path = fs::u8path(written);
  return path.is_absolute() ? path : fs::u8path(r.folder) / path;
}

bool ReadHostFile(const fs::path& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// An installation folder is a driver package; a folder far larger is a
// mistake (a home folder, a disk) that reading would take long to find out.
constexpr std::uintmax_t kMostFolderBytes = 512u << 20;
constexpr std::size_t kMostFolderFiles = 10000;

// Every file below the folder, named by its path below it with backslashes,
// in name order.
bool ReadFolder(const std::string& written, const std::string& path, std::vector<ScenarioFile>* files, Reading& r) {
  const fs::path folder = HostPath(written, r);
  std::error_code error;
  if (!fs::is_directory(folder, error)) return r.Fail(path, "no such folder: " + written);
  fs::recursive_directory_iterator it(folder, error), end;
  std::uintmax_t bytes = 0;
  for (; !error && it != end; it.increment(error)) {
    if (!it->is_regular_file(error)) continue;
    bytes += it->file_size(error);
    if (files->size() >= kMostFolderFiles || bytes > kMostFolderBytes) {
      return r.Fail(path, written + " holds more than 10000 files or 512 MiB: not an installation folder");
    }
    std::string name = it->path().lexically_relative(folder).string();
    std::replace(name.begin(), name.end(), '/', '\\');
    ScenarioFile file{name, std::string()};
    if (!ReadHostFile(it->path(), &file.bytes)) return r.Fail(path, "cannot read " + name + " in " + written);
    files->push_back(std::move(file));
  }
  if (error) return r.Fail(path, "cannot list " + written);
  std::sort(files->begin(), files->end(),
            [](const ScenarioFile& a, const ScenarioFile& b) { return a.shownName < b.shownName; });
  return true;
}

// A .reg seed, checked line by line as the simulated registry will import it.
bool ReadSeed(const Json& value, const std::string& path, std::vector<ScenarioFile>* seeds, Reading& r) {
  std::string written;
  if (!ReadString(value, path, &written, r)) return false;
  ScenarioFile seed{written, std::string()};
  if (!ReadHostFile(HostPath(written, r), &seed.bytes)) return r.Fail(path, "cannot read " + written);
  std::vector<pf::sim::RegFileOp> ops;
  std::string problem;
  if (!pf::sim::ParseRegFile(pf::sim::RegFileToUtf8(seed.bytes), &ops, &problem)) {
    return r.Fail(path, written + ": " + problem);
  }
  seeds->push_back(std::move(seed));
  return true;
}

// --- The PC ---

bool ReadWindows(const Json& value, const std::string& path, WindowsVersion* windows, Reading& r) {
  if (!CheckObject(value, path, {"major", "minor", "build", "platformId", "probeFails", "wow64"}, r)) return false;
  if (const Json* f = Find(value, "major")) ReadDword(*f, Field(path, "major"), &windows->major, r);
  if (const Json* f = Find(value, "minor")) ReadDword(*f, Field(path, "minor"), &windows->minor, r);
  if (const Json* f = Find(value, "build")) ReadDword(*f, Field(path, "build"), &windows->build, r);
  if (const Json* f = Find(value, "platformId")) ReadDword(*f, Field(path, "platformId"), &windows->platformId, r);
  if (const Json* f = Find(value, "probeFails")) ReadBool(*f, Field(path, "probeFails"), &windows->probeFails, r);
  if (const Json* f = Find(value, "wow64")) ReadBool(*f, Field(path, "wow64"), &windows->wow64, r);
  return r.error.empty();
}

// {"startMs": N, "timerResolution": MS}: the tick counter's value when setup
// starts, and the period of the timer that ends sleeps and time-outs in
// milliseconds, to the microsecond (15.625 on Windows; 0, the default: exact).
bool ReadClock(const Json& value, const std::string& path, ClockPlan* clock, Reading& r) {
  if (!CheckObject(value, path, {"startMs", "timerResolution"}, r)) return false;
  if (const Json* f = Find(value, "startMs")) ReadDword(*f, Field(path, "startMs"), &clock->startMs, r);
  if (const Json* f = Find(value, "timerResolution")) {
    const std::string at = Field(path, "timerResolution");
    if (!f->is_number()) return r.Fail(at, "expected a number of milliseconds");
    const double ms = f->get<double>();
    if (!(ms >= 0 && ms <= 1000)) return r.Fail(at, "out of range 0..1000");
    clock->timerPeriodUs = static_cast<pf::DWORD>(std::llround(ms * 1000));
  }
  return r.error.empty();
}

bool ReadPc(const Json& value, const std::string& path, Scenario* s, Reading& r) {
  if (!CheckObject(value, path, {"seeds", "windows", "inputCodePage", "commonProgramFiles", "clock"}, r)) return false;
  if (const Json* f = Find(value, "seeds")) {
    ReadList(*f, Field(path, "seeds"), r,
             [&](const Json& item, const std::string& at) { ReadSeed(item, at, &s->seeds, r); });
  }
  if (const Json* f = Find(value, "windows")) ReadWindows(*f, Field(path, "windows"), &s->windows, r);
  if (const Json* f = Find(value, "inputCodePage")) {
    pf::UINT codePage = 0;
    if (ReadNumber(*f, Field(path, "inputCodePage"), 1, 65535, &codePage, r)) s->inputCodePage = codePage;
  }
  if (const Json* f = Find(value, "commonProgramFiles")) {
    std::wstring folder;
    if (f->is_null()) {
      s->commonProgramFiles.reset();
    } else if (ReadWide(*f, Field(path, "commonProgramFiles"), &folder, r)) {
      s->commonProgramFiles = folder;
    }
  }
  if (const Json* f = Find(value, "clock")) ReadClock(*f, Field(path, "clock"), &s->clock, r);
  return r.error.empty();
}

// --- USB printers ---

// "atOnce", "never", {"afterMs": N, "bytes": M} or {"failsWith": E, "afterMs": N}.
bool ReadTransfer(const Json& value, const std::string& path, std::vector<pf::sim::UsbTransfer>* script, Reading& r) {
  using pf::sim::UsbTransfer;
  if (value.is_string()) {
    int choice = 0;
    if (!ReadChoice(value, path, {"atOnce", "never"}, &choice, r)) return false;
    script->push_back(choice == 0 ? UsbTransfer::AtOnce() : UsbTransfer::Never());
    return true;
  }
  if (!CheckObject(value, path, {"afterMs", "bytes", "failsWith"}, r)) return false;
  pf::DWORD after = 0, bytes = UsbTransfer::kAll, error = 0;
  if (const Json* f = Find(value, "afterMs")) ReadDword(*f, Field(path, "afterMs"), &after, r);
  if (const Json* f = Find(value, "bytes")) ReadNumber(*f, Field(path, "bytes"), 0, 255, &bytes, r);
  const Json* fails = Find(value, "failsWith");
  if (fails && ReadNumber(*fails, Field(path, "failsWith"), 1, kDwordMax, &error, r) && Find(value, "bytes")) {
    return r.Fail(Field(path, "bytes"), "a failing transfer moves no bytes");
  }
  script->push_back(fails ? UsbTransfer::Fails(error, after) : UsbTransfer::After(after, bytes));
  return r.error.empty();
}

// "1b 7c 81 ..." or "1b7c81...": bytes in hexadecimal, blanks ignored.
bool ReadHex(const Json& value, const std::string& path, std::vector<pf::BYTE>* bytes, Reading& r) {
  std::string text;
  if (!ReadString(value, path, &text, r)) return false;
  text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; }), text.end());
  auto digit = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  if (text.size() % 2 != 0) return r.Fail(path, "an odd number of hex digits");
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const int high = digit(text[i]), low = digit(text[i + 1]);
    if (high < 0 || low < 0) return r.Fail(path, "not a hex digit: " + text.substr(i, 2));
    bytes->push_back(static_cast<pf::BYTE>(high * 16 + low));
  }
  return true;
}

bool ReadUsbPrinter(const Json& value, const std::string& path, UsbPrinterPlan* printer, Reading& r) {
  if (!CheckObject(value, path,
                   {"vendorId", "productId", "serial", "printerId", "printerInstance", "portNumber", "portDescription",
                    "model", "code", "replyHex", "writes", "reads", "appearsAtMs", "unpluggedAtMs"},
                   r)) {
    return false;
  }
  pf::sim::UsbPrinterSeed& seed = printer->seed;
  const std::pair<const char*, std::wstring*> texts[] = {{"vendorId", &seed.vendorId},
                                                         {"productId", &seed.productId},
                                                         {"serial", &seed.serial},
                                                         {"printerId", &seed.printerId},
                                                         {"printerInstance", &seed.printerInstance},
                                                         {"portDescription", &seed.portDescription}};
  for (const auto& [name, out] : texts) {
    if (const Json* f = Find(value, name)) ReadWide(*f, Field(path, name), out, r);
  }
  if (const Json* f = Find(value, "portNumber")) ReadNumber(*f, Field(path, "portNumber"), 1, 999, &seed.portNumber, r);

  const Json* model = Find(value, "model");
  const Json* hex = Find(value, "replyHex");
  if (model && hex) return r.Fail(Field(path, "replyHex"), "give either model or replyHex");
  if (Find(value, "code") && !model) return r.Fail(Field(path, "code"), "code goes with model");
  if (model) {
    std::string name;
    pf::BYTE code = 1;
    if (ReadString(*model, Field(path, "model"), &name, r) && name.find('\0') != std::string::npos) {
      return r.Fail(Field(path, "model"), "a model name holds no NUL");
    }
    if (const Json* f = Find(value, "code")) ReadNumber(*f, Field(path, "code"), 1, 255, &code, r);
    printer->reply = pf::sim::SimUsbPrinter::ModelReply(name, code);
  }
  if (hex) ReadHex(*hex, Field(path, "replyHex"), &printer->reply, r);
  if (const Json* f = Find(value, "writes")) {
    ReadList(*f, Field(path, "writes"), r,
             [&](const Json& item, const std::string& at) { ReadTransfer(item, at, &printer->writes, r); });
  }
  if (const Json* f = Find(value, "reads")) {
    ReadList(*f, Field(path, "reads"), r,
             [&](const Json& item, const std::string& at) { ReadTransfer(item, at, &printer->reads, r); });
  }
  if (const Json* f = Find(value, "appearsAtMs")) ReadDword(*f, Field(path, "appearsAtMs"), &printer->appearsAtMs, r);
  if (const Json* f = Find(value, "unpluggedAtMs")) {
    pf::DWORD at = 0;
    if (ReadDword(*f, Field(path, "unpluggedAtMs"), &at, r)) printer->unpluggedAtMs = at;
  }
  return r.error.empty();
}

// --- Printers, print UI, faults, user ---

bool ReadPrinter(const Json& value, const std::string& path, ExistingPrinter* printer, Reading& r) {
  if (!CheckObject(value, path, {"name", "port", "driver"}, r)) return false;
  const Json* name = Find(value, "name");
  if (!name) return r.Fail(Field(path, "name"), "missing");
  ReadWide(*name, Field(path, "name"), &printer->name, r);
  printer->port = L"LPT1:";
  printer->driver = L"Generic / Text Only";
  if (const Json* f = Find(value, "port")) ReadWide(*f, Field(path, "port"), &printer->port, r);
  if (const Json* f = Find(value, "driver")) ReadWide(*f, Field(path, "driver"), &printer->driver, r);
  return r.error.empty();
}

bool ReadPrintUi(const Json& value, const std::string& path, PrintUiPlan* plan, Reading& r) {
  if (!CheckObject(value, path, {"behaviour", "name", "exitCode", "takesMs"}, r)) return false;
  int behaviour = 0;
  if (const Json* f = Find(value, "behaviour")) {
    ReadChoice(*f, Field(path, "behaviour"), {"adds", "addsNothing", "addsNamed", "fails", "neverEnds"}, &behaviour,
               r);
  }
  plan->behaviour = static_cast<PrintUiPlan::Behaviour>(behaviour);
  const Json* name = Find(value, "name");
  if ((plan->behaviour == PrintUiPlan::Behaviour::kAddsNamed) != (name != nullptr)) {
    return r.Fail(Field(path, "name"), name ? "only with behaviour addsNamed" : "missing for addsNamed");
  }
  if (name) ReadWide(*name, Field(path, "name"), &plan->name, r);
  const Json* exitCode = Find(value, "exitCode");
  if (exitCode && plan->behaviour != PrintUiPlan::Behaviour::kFails) {
    return r.Fail(Field(path, "exitCode"), "only with behaviour fails");
  }
  if (exitCode) ReadNumber(*exitCode, Field(path, "exitCode"), 1, kDwordMax, &plan->exitCode, r);
  if (const Json* f = Find(value, "takesMs")) ReadDword(*f, Field(path, "takesMs"), &plan->takesMs, r);
  return r.error.empty();
}

bool ReadFault(const Json& value, const std::string& path, FaultPlan* fault, Reading& r) {
  if (!CheckObject(value, path, {"call", "error", "occurrence"}, r)) return false;
  const Json* call = Find(value, "call");
  const Json* error = Find(value, "error");
  if (!call) return r.Fail(Field(path, "call"), "missing");
  if (!error) return r.Fail(Field(path, "error"), "missing");
  if (ReadString(*call, Field(path, "call"), &fault->call, r) && fault->call.empty()) {
    return r.Fail(Field(path, "call"), "empty");
  }
  ReadNumber(*error, Field(path, "error"), 1, kDwordMax, &fault->error, r);
  if (const Json* f = Find(value, "occurrence"))
    ReadNumber(*f, Field(path, "occurrence"), 0, 1000000, &fault->occurrence, r);
  return r.error.empty();
}

bool ReadUser(const Json& value, const std::string& path, UserPlan* user, Reading& r) {
  if (!CheckObject(value, path, {"cancelOn", "port", "printerName", "installAgain"}, r)) return false;
  if (const Json* f = Find(value, "cancelOn")) {
    int page = 0;
    if (ReadChoice(*f, Field(path, "cancelOn"), {"welcome", "connection", "detection", "install"}, &page, r)) {
      user->cancelOn = static_cast<Page>(page);
    }
  }
  if (const Json* f = Find(value, "port")) {
    int port = 0;
    if (ReadChoice(*f, Field(path, "port"), {"USB", "LPT"}, &port, r)) user->port = port == 0 ? L"USB" : L"LPT";
  }
  if (const Json* f = Find(value, "printerName")) {
    std::wstring name;
    if (ReadWide(*f, Field(path, "printerName"), &name, r)) user->printerName = name;
  }
  if (const Json* f = Find(value, "installAgain"))
    ReadNumber(*f, Field(path, "installAgain"), 0, 10, &user->installAgain, r);
  return r.error.empty();
}

bool ReadSetupPath(const Json& value, const std::string& path, std::wstring* setupPath, Reading& r) {
  if (!ReadWide(value, path, setupPath, r)) return false;
  const std::size_t slash = setupPath->rfind(L'\\');
  if (setupPath->size() < 4 || (*setupPath)[1] != L':' || slash == std::wstring::npos ||
      slash + 1 == setupPath->size()) {
    return r.Fail(path, "expected a full Windows path such as C:\\TQPrinterSetup\\setup.exe");
  }
  return true;
}

// One command line for every run, or a list with one for each run (which
// sets the number of runs when the scenario does not).
bool ReadCommandLines(const Json& value, const std::string& path, bool runsGiven, Scenario* s, Reading& r) {
  if (!value.is_array()) {
    s->commandLines.emplace_back();
    return ReadWide(value, path, &s->commandLines.back(), r);
  }
  ReadList(value, path, r, [&](const Json& item, const std::string& at) {
    s->commandLines.emplace_back();
    ReadWide(item, at, &s->commandLines.back(), r);
  });
  if (!r.error.empty()) return false;
  if (s->commandLines.empty()) return r.Fail(path, "empty");
  if (s->commandLines.size() > 5) return r.Fail(path, "at most 5 runs");
  if (!runsGiven) s->runs = static_cast<int>(s->commandLines.size());
  if (s->commandLines.size() > 1 && s->commandLines.size() != static_cast<std::size_t>(s->runs)) {
    return r.Fail(path, "needs one command line for each of the " + std::to_string(s->runs) + " runs");
  }
  return true;
}

bool ReadScenarioObject(const Json& value, Scenario* s, Reading& r) {
  if (!CheckObject(value, "",
                   {"description", "installFolder", "setupPath", "pc", "usbPrinters", "printers", "printUi", "faults",
                    "user", "runs", "commandLine"},
                   r)) {
    return false;
  }
  if (const Json* f = Find(value, "description")) ReadString(*f, "description", &s->description, r);
  if (const Json* f = Find(value, "installFolder")) {
    if (ReadString(*f, "installFolder", &s->installFolder, r)) {
      ReadFolder(s->installFolder, "installFolder", &s->installFiles, r);
    }
  } else {
    for (const EmbeddedFile& file : SamplePackage()) s->installFiles.push_back({file.name, file.Bytes()});
  }
  if (const Json* f = Find(value, "setupPath")) ReadSetupPath(*f, "setupPath", &s->setupPath, r);
  if (const Json* f = Find(value, "pc")) ReadPc(*f, "pc", s, r);
  if (const Json* f = Find(value, "usbPrinters")) {
    ReadList(*f, "usbPrinters", r, [&](const Json& item, const std::string& at) {
      s->usbPrinters.emplace_back();
      ReadUsbPrinter(item, at, &s->usbPrinters.back(), r);
    });
  }
  if (const Json* f = Find(value, "printers")) {
    ReadList(*f, "printers", r, [&](const Json& item, const std::string& at) {
      ExistingPrinter printer;
      if (!ReadPrinter(item, at, &printer, r)) return;
      for (const ExistingPrinter& known : s->printers) {
        if (text::Upper(known.name) == text::Upper(printer.name))
          r.Fail(Field(at, "name"), "a printer of that name is listed already");
      }
      s->printers.push_back(printer);
    });
  }
  if (const Json* f = Find(value, "printUi")) ReadPrintUi(*f, "printUi", &s->printUi, r);
  if (const Json* f = Find(value, "faults")) {
    ReadList(*f, "faults", r, [&](const Json& item, const std::string& at) {
      s->faults.emplace_back();
      ReadFault(item, at, &s->faults.back(), r);
    });
  }
  if (const Json* f = Find(value, "user")) ReadUser(*f, "user", &s->user, r);
  if (const Json* f = Find(value, "runs")) ReadNumber(*f, "runs", 1, 5, &s->runs, r);
  if (const Json* f = Find(value, "commandLine")) ReadCommandLines(*f, "commandLine", Find(value, "runs") != nullptr, s, r);
  return r.error.empty();
}

}  // namespace

const char* PageName(Page page) {
  switch (page) {
    case Page::kWelcome: return "welcome";
    case Page::kConnection: return "connection";
    case Page::kDetection: return "detection";
    case Page::kInstall: return "install";
  }
  return "";
}

bool ParseScenario(const std::string& text, const std::string& folder, Scenario* scenario, std::string* error) {
  Json value;
  try {
    value = Json::parse(text);
  } catch (const Json::parse_error& e) {
    // "[json.exception.parse_error.101] parse error at line 3, column 5: ...": the part after the tag.
    const std::string what = e.what();
    const std::size_t tag = what.find("] ");
    *error = "malformed JSON: " + (tag == std::string::npos ? what : what.substr(tag + 2));
    return false;
  }
  Reading reading{folder, std::string()};
  if (!ReadScenarioObject(value, scenario, reading)) {
    *error = reading.error;
    return false;
  }
  return true;
}

bool ReadScenario(const std::string& path, Scenario* scenario, std::string* error) {
  const fs::path file = fs::u8path(path);
  std::string text;
  if (!ReadHostFile(file, &text)) {
    *error = "cannot read the scenario";
    return false;
  }
  scenario->fileName = file.filename().string();
  return ParseScenario(text, file.parent_path().string(), scenario, error);
}

}  // namespace tqsim
