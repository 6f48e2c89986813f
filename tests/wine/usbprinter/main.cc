// tq_usbprinter.exe: a pretend USB printer of the maker for the Wine tests.
// It lives only in a test prefix, never in what ships.
//
// Wine has no USB printers. This program makes the device path of a seeded
// USB printing interface openable and answers the model request on the
// printer's pipe, so that setup's own code runs unchanged: the real SetupAPI
// finds the interface in the seeded registry, the real CreateFileW opens its
// device path and path + "\PIPE01", and real overlapped transfers carry the
// request and the reply.
//
// How: an object-manager symbolic link \??\<interface name> pointing at the
// named-pipe file system's root (\Device\NamedPipe). Opening the device path
// then opens that root, and opening path + "\PIPE01" reaches the named pipe
// \\.\pipe\PIPE01, which this program serves. (DefineDosDeviceW with
// DDD_RAW_TARGET_PATH would make the same link, but under Wine 8 it does not
// return: it creates the link and then waits for ever on its device-change
// notice. A link to \Device\NamedPipe\<name> instead of the root opens the
// device, but Wine does not resolve <name>\PIPE01 below a pipe.) The link is
// not permanent: it goes when this program ends.
//
// The pipe: a new instance for every connection, with the next one already
// listening. Connections are taken in turn: while no request is waiting, a
// connection is read for the 7-byte request; once a request came, the next
// connection gets the reply bytes, after the reply delay (so that a reader's
// overlapped read is pending first).
//
// Usage (Windows paths):
//   tq_usbprinter.exe --state FILE [--reply HEX] [--reply-delay MS[,MS...]]
//                     [--interface NAME] [--lifetime SECONDS]
//   --state       a text file it writes, one line per event, for a script to
//                 poll: "ready" once the path opens, "request <hex>" for each
//                 request read, "replied <count>" or "reply-lost" for each reply.
//   --reply       the reply bytes in hex (default: a model reply for "TQ-5800", code 1)
//   --reply-delay milliseconds before each reply; the i-th reply takes the
//                 i-th value, the last one repeats (default 200)
//   --interface   the interface name, the device path without "\\?\"
//                 (default usb#vid_f1c1&pid_0001#ser123#{28d78fad-5a12-11d1-ae5b-0000f803a8c2})
//   --lifetime    it ends by itself after this many seconds (default 300)
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <windows.h>

namespace {

struct Options {
  std::wstring stateFile;
  std::vector<BYTE> reply;
  std::vector<DWORD> replyDelays{200};
  std::wstring interfaceName = L"usb#vid_f1c1&pid_0001#ser123#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
  DWORD lifetimeSeconds = 300;
};

constexpr wchar_t kPipePath[] = L"\\\\.\\pipe\\PIPE01";
constexpr DWORD kRequestSize = 7;

// Held for a scope (the program is built with the shipped programs'
// compilers, whose C++ library has no std::mutex or std::thread).
class Hold {
 public:
  explicit Hold(CRITICAL_SECTION* section) : section_(section) { ::EnterCriticalSection(section_); }
  ~Hold() { ::LeaveCriticalSection(section_); }
  Hold(const Hold&) = delete;
  Hold& operator=(const Hold&) = delete;

 private:
  CRITICAL_SECTION* section_;
};

template <typename Work>
DWORD WINAPI RunWork(void* parameter) {
  Work* work = static_cast<Work*>(parameter);
  (*work)();
  delete work;
  return 0;
}

// Runs work on a thread of its own, which nobody waits for.
template <typename Work>
void StartThread(Work work) {
  auto* owned = new Work(std::move(work));
  HANDLE thread = ::CreateThread(nullptr, 0, RunWork<Work>, owned, 0, nullptr);
  if (thread == nullptr) {
    delete owned;
  } else {
    ::CloseHandle(thread);
  }
}

CRITICAL_SECTION g_stateLock;
std::wstring g_stateFile;

void Note(const std::string& line) {
  Hold hold(&g_stateLock);
  HANDLE file = ::CreateFileW(g_stateFile.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string text = line + "\n";
  DWORD written = 0;
  ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  ::CloseHandle(file);
  std::printf("tq_usbprinter: %s\n", line.c_str());
  std::fflush(stdout);
}

std::string Hex(const BYTE* bytes, DWORD count) {
  std::string text;
  char digits[3];
  for (DWORD i = 0; i < count; ++i) {
    std::snprintf(digits, sizeof digits, "%02x", bytes[i]);
    text += digits;
  }
  return text;
}

bool ParseHex(const std::wstring& text, std::vector<BYTE>* bytes) {
  if (text.size() % 2 != 0) return false;
  bytes->clear();
  for (size_t i = 0; i < text.size(); i += 2) {
    wchar_t* end = nullptr;
    const std::wstring pair = text.substr(i, 2);
    const unsigned long value = std::wcstoul(pair.c_str(), &end, 16);
    if (end != pair.c_str() + 2) return false;
    bytes->push_back(static_cast<BYTE>(value));
  }
  return true;
}

bool ParseOptions(int argc, wchar_t** argv, Options* options) {
  ParseHex(L"000000" L"54512D35383030" L"01" L"00", &options->reply);
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::wstring name = argv[i], value = argv[i + 1];
    if (name == L"--state") {
      options->stateFile = value;
    } else if (name == L"--reply") {
      if (!ParseHex(value, &options->reply)) return false;
    } else if (name == L"--reply-delay") {
      options->replyDelays.clear();
      for (size_t at = 0; at <= value.size();) {
        const size_t comma = value.find(L',', at);
        options->replyDelays.push_back(std::wcstoul(value.substr(at, comma - at).c_str(), nullptr, 10));
        if (comma == std::wstring::npos) break;
        at = comma + 1;
      }
    } else if (name == L"--interface") {
      options->interfaceName = value;
    } else if (name == L"--lifetime") {
      options->lifetimeSeconds = std::wcstoul(value.c_str(), nullptr, 10);
    } else {
      return false;
    }
  }
  return !options->stateFile.empty() && !options->replyDelays.empty();
}

// \??\<name> -> \Device\NamedPipe, for as long as the returned handle is open.
HANDLE LinkToPipes(const std::wstring& interfaceName) {
  struct UnicodeString {
    USHORT Length, MaximumLength;
    PWSTR Buffer;
  };
  struct ObjectAttributes {
    ULONG Length;
    HANDLE RootDirectory;
    UnicodeString* ObjectName;
    ULONG Attributes;
    PVOID SecurityDescriptor, SecurityQualityOfService;
  };
  using CreateLink = LONG(WINAPI*)(HANDLE*, ACCESS_MASK, ObjectAttributes*, UnicodeString*);
  const auto create = reinterpret_cast<CreateLink>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtCreateSymbolicLinkObject")));
  if (create == nullptr) return nullptr;
  std::wstring name = L"\\??\\" + interfaceName;
  std::wstring target = L"\\Device\\NamedPipe";
  UnicodeString nameString{static_cast<USHORT>(name.size() * 2), static_cast<USHORT>(name.size() * 2), &name[0]};
  UnicodeString targetString{static_cast<USHORT>(target.size() * 2), static_cast<USHORT>(target.size() * 2),
                             &target[0]};
  constexpr ULONG kCaseInsensitive = 0x40;
  ObjectAttributes attributes{sizeof(ObjectAttributes), nullptr, &nameString, kCaseInsensitive, nullptr, nullptr};
  constexpr ACCESS_MASK kSymbolicLinkAllAccess = 0xF0001;
  HANDLE link = nullptr;
  const LONG status = create(&link, kSymbolicLinkAllAccess, &attributes, &targetString);
  if (status != 0) {
    char text[64];
    std::snprintf(text, sizeof text, "link-failed %08lx", static_cast<unsigned long>(status));
    Note(text);
    return nullptr;
  }
  return link;
}

// The conversation over the pipe's connections, taken in the order they came.
class Printer {
 public:
  explicit Printer(const Options& options) : options_(options) {
    ::InitializeCriticalSection(&lock_);
    ::InitializeConditionVariable(&turnDone_);
  }

  // Serves one connected instance, turn being its place in the order.
  void Serve(HANDLE pipe, unsigned turn) {
    ::EnterCriticalSection(&lock_);
    while (finishedTurns_ != turn) ::SleepConditionVariableCS(&turnDone_, &lock_, INFINITE);
    if (requestWaiting_) {
      const DWORD delay = options_.replyDelays[std::min<size_t>(replies_, options_.replyDelays.size() - 1)];
      ++replies_;
      requestWaiting_ = false;
      EndTurn();
      ::Sleep(delay);
      DWORD written = 0;
      if (::WriteFile(pipe, options_.reply.data(), static_cast<DWORD>(options_.reply.size()), &written, nullptr)) {
        Note("replied " + std::to_string(written));
      } else {
        Note("reply-lost");
      }
    } else {
      BYTE request[kRequestSize];
      DWORD got = 0;
      while (got < kRequestSize) {
        DWORD read = 0;
        if (!::ReadFile(pipe, request + got, kRequestSize - got, &read, nullptr) || read == 0) break;
        got += read;
      }
      Note((got == kRequestSize ? "request " : "request-short ") + Hex(request, got));
      requestWaiting_ = got == kRequestSize;
      EndTurn();
    }
    // Until the reader closes its end.
    BYTE rest[64];
    DWORD read = 0;
    while (::ReadFile(pipe, rest, sizeof rest, &read, nullptr) && read > 0) {
    }
    ::DisconnectNamedPipe(pipe);
    ::CloseHandle(pipe);
  }

 private:
  // Called holding lock_, which it leaves.
  void EndTurn() {
    ++finishedTurns_;
    ::LeaveCriticalSection(&lock_);
    ::WakeAllConditionVariable(&turnDone_);
  }

  const Options& options_;
  CRITICAL_SECTION lock_;
  CONDITION_VARIABLE turnDone_;
  unsigned finishedTurns_ = 0;
  bool requestWaiting_ = false;
  size_t replies_ = 0;
};

HANDLE NewInstance() {
  return ::CreateNamedPipeW(kPipePath, PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT,
                            PIPE_UNLIMITED_INSTANCES, 4096, 4096, 0, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::fprintf(stderr, "usage: tq_usbprinter --state FILE [--reply HEX] [--reply-delay MS[,MS...]] "
                         "[--interface NAME] [--lifetime SECONDS]\n");
    return 2;
  }
  ::InitializeCriticalSection(&g_stateLock);
  g_stateFile = options.stateFile;
  ::DeleteFileW(g_stateFile.c_str());

  HANDLE link = LinkToPipes(options.interfaceName);
  if (link == nullptr) return 1;
  HANDLE listening = NewInstance();
  if (listening == INVALID_HANDLE_VALUE) {
    Note("pipe-failed " + std::to_string(::GetLastError()));
    return 1;
  }
  Note("ready");

  StartThread([seconds = options.lifetimeSeconds] {
    ::Sleep(seconds * 1000);
    Note("lifetime-over");
    ::ExitProcess(0);
  });

  Printer printer(options);
  for (unsigned turn = 0;; ++turn) {
    const BOOL connected = ::ConnectNamedPipe(listening, nullptr) || ::GetLastError() == ERROR_PIPE_CONNECTED;
    HANDLE pipe = listening;
    listening = NewInstance();  // the next reader finds an instance waiting
    if (connected) {
      StartThread([&printer, pipe, turn] { printer.Serve(pipe, turn); });
    } else {
      ::CloseHandle(pipe);
      --turn;
    }
    if (listening == INVALID_HANDLE_VALUE) {
      Note("pipe-failed " + std::to_string(::GetLastError()));
      break;
    }
  }
  ::CloseHandle(link);
  return 1;
}
