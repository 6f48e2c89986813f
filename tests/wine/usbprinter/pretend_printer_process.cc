#include "tests/wine/usbprinter/pretend_printer_process.h"

#include <algorithm>

#include <windows.h>

namespace winetest {
namespace {

std::wstring FolderOfThisProgram() {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  const std::wstring program(path, length);
  return program.substr(0, program.find_last_of(L'\\'));
}

}  // namespace

PretendPrinterProcess::PretendPrinterProcess() {
  wchar_t temp[MAX_PATH];
  const DWORD length = ::GetTempPathW(MAX_PATH, temp);
  stateFile_ = std::wstring(temp, length) + L"tq_usbprinter_state.txt";
}

bool PretendPrinterProcess::Start(const std::wstring& arguments, std::string* error) {
  ::DeleteFileW(stateFile_.c_str());  // a line of an earlier run must not count
  const std::wstring exe = FolderOfThisProgram() + L"\\tq_usbprinter.exe";
  std::wstring commandLine = L"\"" + exe + L"\" --state \"" + stateFile_ + L"\" --lifetime 120 " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info)) {
    *error = "cannot start tq_usbprinter.exe beside the test program: error " + std::to_string(::GetLastError());
    return false;
  }
  ::CloseHandle(info.hThread);
  process_ = info.hProcess;
  if (!WaitForLine("ready")) {
    *error = "tq_usbprinter.exe did not get ready";
    return false;
  }
  return true;
}

void PretendPrinterProcess::Stop() {
  if (process_ == nullptr) return;
  ::TerminateProcess(process_, 0);
  ::WaitForSingleObject(process_, 10000);
  ::CloseHandle(process_);
  process_ = nullptr;
}

std::vector<std::string> PretendPrinterProcess::StateLines() const {
  std::vector<std::string> lines;
  HANDLE file = ::CreateFileW(stateFile_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return lines;
  std::string text(4096, '\0');
  DWORD read = 0;
  ::ReadFile(file, &text[0], static_cast<DWORD>(text.size()), &read, nullptr);
  ::CloseHandle(file);
  text.resize(read);
  for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
    lines.push_back(text.substr(at, end - at));
  }
  return lines;
}

bool PretendPrinterProcess::WaitForLine(const std::string& line, unsigned timeoutMs) const {
  for (unsigned waited = 0;; waited += 50) {
    const auto lines = StateLines();
    if (std::find(lines.begin(), lines.end(), line) != lines.end()) return true;
    if (waited >= timeoutMs) return false;
    ::Sleep(50);
  }
}

}  // namespace winetest
