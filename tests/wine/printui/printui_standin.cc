// A stand-in for the system's printui.dll, for the Wine tests only: Wine's
// own print UI parses its switches and adds nothing. Installed into a test
// prefix's system folder and preferred over Wine's with
// WINEDLLOVERRIDES=printui=n, it does what the print-UI entry point does for
// the two command lines setup.exe uses:
//   /if /b "name" /f "inf" /r "port" /m "model" [/z]   adds the driver (on
//       Wine's PostScript driver files) and the printer; a name that exists
//       already gets " (副本 N)", as Windows names copies;
//   /k /n "name"                                      records a test page.
// Every call is appended to C:\printui-calls.txt (UTF-8, one line each) so
// that a test can see what setup.exe asked for; the line names the build
// that took it ("call(64-bit):", "call(32-bit):").
//
// It is built for both architectures. In a 64-bit prefix the 64-bit build in
// system32 is the print UI that installs; the 32-bit build in syswow64 is
// what a 32-bit program's "system32\rundll32.exe" reaches there, and it only
// records that it was started ("call(32-bit under WOW64):"): the 32-bit print
// UI of 64-bit Windows makes no printer from an INF's x64 driver. In a 32-bit
// prefix the 32-bit build is the print UI and installs.
#include <string>
#include <vector>

#include <windows.h>
#include <shellapi.h>
#include <winspool.h>

namespace {

void Record(const std::wstring& line) {
  HANDLE file = ::CreateFileW(L"C:\\printui-calls.txt", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::wstring text = line + L"\n";
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
  std::string utf8(size, '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &utf8[0], size, nullptr, nullptr);
  DWORD written = 0;
  ::WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  ::CloseHandle(file);
}

std::vector<std::wstring> PrinterNames() {
  std::vector<std::wstring> names;
  DWORD needed = 0, count = 0;
  ::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
  std::vector<BYTE> buffer(needed + 4);
  if (!::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count)) return names;
  const auto* printers = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) names.push_back(printers[i].pPrinterName);
  return names;
}

bool Taken(const std::vector<std::wstring>& names, const std::wstring& name) {
  for (const std::wstring& existing : names) {
    if (::lstrcmpiW(existing.c_str(), name.c_str()) == 0) return true;
  }
  return false;
}

// The INF must exist and name the model, as the real print UI requires.
bool InfNamesModel(const std::wstring& inf, const std::wstring& model) {
  HANDLE file = ::CreateFileW(inf.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::string bytes(::GetFileSize(file, nullptr), '\0');
  DWORD read = 0;
  ::ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
  ::CloseHandle(file);
  const int size = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(read), nullptr, 0);
  std::wstring text(size, L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(read), &text[0], size);
  return text.find(L"\"" + model + L"\"") != std::wstring::npos;
}

void AddPrinter(const std::wstring& base, const std::wstring& inf, const std::wstring& port,
                const std::wstring& model) {
  if (!InfNamesModel(inf, model)) {
    Record(L"refused: the INF does not name the model");
    return;
  }
  std::wstring driverPath = L"wineps.drv", dataFile = L"generic.ppd", configFile = L"wineps.drv";
  DRIVER_INFO_3W driver{};
  driver.cVersion = 3;
  driver.pName = const_cast<wchar_t*>(model.c_str());
  driver.pDriverPath = &driverPath[0];
  driver.pDataFile = &dataFile[0];
  driver.pConfigFile = &configFile[0];
  if (!::AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES)) {
    Record(L"AddPrinterDriverExW failed: " + std::to_wstring(::GetLastError()));
  }
  const std::vector<std::wstring> names = PrinterNames();
  std::wstring name = base;
  for (int copy = 1; Taken(names, name); ++copy) name = base + L" (副本 " + std::to_wstring(copy) + L")";
  std::wstring processor = L"winprint", datatype = L"RAW";
  PRINTER_INFO_2W info{};
  info.pPrinterName = &name[0];
  info.pPortName = const_cast<wchar_t*>(port.c_str());
  info.pDriverName = const_cast<wchar_t*>(model.c_str());
  info.pPrintProcessor = &processor[0];
  info.pDatatype = &datatype[0];
  HANDLE printer = ::AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
  if (printer == nullptr) {
    Record(L"AddPrinterW failed: " + std::to_wstring(::GetLastError()));
    return;
  }
  ::ClosePrinter(printer);
  Record(L"added: " + name + L" on " + port);
}

// The build and, for the 32-bit one, whether it runs under WOW64.
std::wstring Build() {
  if (sizeof(void*) == 8) return L"64-bit";
  BOOL wow64 = FALSE;
  return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64 ? L"32-bit under WOW64" : L"32-bit";
}

}  // namespace

extern "C" __declspec(dllexport) void CALLBACK PrintUIEntryW(HWND, HINSTANCE, LPCWSTR commandLine, int) {
  const std::wstring build = Build();
  Record(L"call(" + build + L"):" + commandLine);
  if (build == L"32-bit under WOW64") return;
  int count = 0;
  LPWSTR* args = ::CommandLineToArgvW(commandLine, &count);
  if (args == nullptr) return;
  std::wstring base, inf, port, model, target;
  bool install = false, testPage = false;
  for (int i = 0; i < count; ++i) {
    const std::wstring arg = args[i];
    const bool hasValue = i + 1 < count;
    if (arg == L"/if") install = true;
    if (arg == L"/k") testPage = true;
    if (arg == L"/b" && hasValue) base = args[++i];
    if (arg == L"/f" && hasValue) inf = args[++i];
    if (arg == L"/r" && hasValue) port = args[++i];
    if (arg == L"/m" && hasValue) model = args[++i];
    if (arg == L"/n" && hasValue) target = args[++i];
  }
  ::LocalFree(args);
  if (install) AddPrinter(base, inf, port, model);
  if (testPage) Record(L"test page: " + target);
}
