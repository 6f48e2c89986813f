// Platform groups that pass every call on to the simulated PC and note, in
// the timeline, what the transcript shows of it: the service operations
// (create, start, stop, delete, with the binary path), the files opened for
// writing and the programs started. The simulated PC's own groups call one
// another directly, so only what the running programs do is noted.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/process.h"
#include "platform/services.h"
#include "tools/tqsim/timeline.h"

namespace tqsim {

class RecordingServices : public pf::ServiceApi {
 public:
  RecordingServices(pf::ServiceApi& inner, Timeline& timeline) : inner_(inner), timeline_(timeline) {}

  // The operations in order, each with whether it succeeded.
  struct Operation {
    std::string op;
    bool ok;
  };
  std::vector<Operation> Operations() const;

  pf::SC_HANDLE OpenSCManagerW(const wchar_t* machine, const wchar_t* database, pf::DWORD access) override;
  pf::SC_HANDLE OpenSCManagerA(const char* machine, const char* database, pf::DWORD access) override;
  pf::SC_HANDLE CreateServiceW(pf::SC_HANDLE manager, const wchar_t* name, const wchar_t* displayName, pf::DWORD access,
                               pf::DWORD serviceType, pf::DWORD startType, pf::DWORD errorControl,
                               const wchar_t* binaryPath, const wchar_t* loadOrderGroup, pf::DWORD* tagId,
                               const wchar_t* dependencies, const wchar_t* account, const wchar_t* password) override;
  pf::SC_HANDLE CreateServiceA(pf::SC_HANDLE manager, const char* name, const char* displayName, pf::DWORD access,
                               pf::DWORD serviceType, pf::DWORD startType, pf::DWORD errorControl,
                               const char* binaryPath, const char* loadOrderGroup, pf::DWORD* tagId,
                               const char* dependencies, const char* account, const char* password) override;
  pf::SC_HANDLE OpenServiceW(pf::SC_HANDLE manager, const wchar_t* name, pf::DWORD access) override;
  pf::SC_HANDLE OpenServiceA(pf::SC_HANDLE manager, const char* name, pf::DWORD access) override;
  pf::BOOL StartServiceW(pf::SC_HANDLE service, pf::DWORD argc, const wchar_t** argv) override;
  pf::BOOL StartServiceA(pf::SC_HANDLE service, pf::DWORD argc, const char** argv) override;
  pf::BOOL ControlService(pf::SC_HANDLE service, pf::DWORD control, pf::SERVICE_STATUS* status) override;
  pf::BOOL QueryServiceStatus(pf::SC_HANDLE service, pf::SERVICE_STATUS* status) override;
  pf::BOOL DeleteService(pf::SC_HANDLE service) override;
  pf::BOOL CloseServiceHandle(pf::SC_HANDLE handle) override;
  pf::BOOL StartServiceCtrlDispatcherA(const pf::SERVICE_TABLE_ENTRYA* table) override;
  pf::SERVICE_STATUS_HANDLE RegisterServiceCtrlHandlerA(const char* name, pf::LPHANDLER_FUNCTION handler) override;
  pf::BOOL SetServiceStatus(pf::SERVICE_STATUS_HANDLE handle, const pf::SERVICE_STATUS* status) override;

 private:
  // Notes an operation on the service of `handle` (or named `name`) that
  // returned `ok`; extra fields follow the name.
  void Note(const std::string& op, pf::SC_HANDLE handle, std::wstring name, bool ok, const Json& extra = Json());
  void Remember(pf::SC_HANDLE handle, const std::wstring& name);

  pf::ServiceApi& inner_;
  Timeline& timeline_;
  mutable std::mutex mutex_;
  std::map<pf::SC_HANDLE, std::wstring> names_;  // open service handles
  std::vector<Operation> operations_;
};

class RecordingFiles : public pf::FileApi {
 public:
  RecordingFiles(pf::FileApi& inner, Timeline& timeline) : inner_(inner), timeline_(timeline) {}

  // Every file opened for writing, in the order first written, as the
  // program named it.
  std::vector<std::wstring> Written() const;

  pf::HANDLE CreateFileW(const wchar_t* path, pf::DWORD access, pf::DWORD share, pf::DWORD creation,
                         pf::DWORD flags) override;
  pf::HANDLE CreateFileA(const char* path, pf::DWORD access, pf::DWORD share, pf::DWORD creation,
                         pf::DWORD flags) override;
  pf::BOOL DeleteFileA(const char* path) override { return inner_.DeleteFileA(path); }
  pf::BOOL ReadFile(pf::HANDLE file, void* buffer, pf::DWORD toRead, pf::DWORD* read,
                    pf::OVERLAPPED* overlapped) override {
    return inner_.ReadFile(file, buffer, toRead, read, overlapped);
  }
  pf::BOOL WriteFile(pf::HANDLE file, const void* buffer, pf::DWORD toWrite, pf::DWORD* written,
                     pf::OVERLAPPED* overlapped) override {
    return inner_.WriteFile(file, buffer, toWrite, written, overlapped);
  }
  pf::BOOL SetFilePointerEx(pf::HANDLE file, std::int64_t distance, std::int64_t* newPosition,
                            pf::DWORD method) override {
    return inner_.SetFilePointerEx(file, distance, newPosition, method);
  }
  pf::BOOL GetFileSizeEx(pf::HANDLE file, std::int64_t* size) override { return inner_.GetFileSizeEx(file, size); }
  pf::BOOL CreateDirectoryW(const wchar_t* path) override { return inner_.CreateDirectoryW(path); }
  pf::BOOL RemoveDirectoryW(const wchar_t* path) override { return inner_.RemoveDirectoryW(path); }
  pf::BOOL DeleteFileW(const wchar_t* path) override { return inner_.DeleteFileW(path); }
  pf::DWORD GetFileAttributesW(const wchar_t* path) override { return inner_.GetFileAttributesW(path); }
  pf::BOOL SetCurrentDirectoryW(const wchar_t* path) override { return inner_.SetCurrentDirectoryW(path); }
  pf::DWORD GetCurrentDirectoryW(pf::DWORD bufferLength, wchar_t* buffer) override {
    return inner_.GetCurrentDirectoryW(bufferLength, buffer);
  }

 private:
  void NoteWrite(pf::HANDLE opened, pf::DWORD access, const std::wstring& path);

  pf::FileApi& inner_;
  Timeline& timeline_;
  mutable std::mutex mutex_;
  std::vector<std::wstring> written_;
};

class RecordingProcess : public pf::ProcessApi {
 public:
  RecordingProcess(pf::ProcessApi& inner, Timeline& timeline) : inner_(inner), timeline_(timeline) {}

  // The timeline events of the print-UI programs (rundll32.exe) that
  // started, in order, so that each can be completed with its outcome.
  const std::vector<std::size_t>& PrintUiEvents() const { return printUiEvents_; }

  pf::BOOL ShellExecuteExW(pf::SHELLEXECUTEINFOW* info) override;
  pf::BOOL GetExitCodeProcess(pf::HANDLE process, pf::DWORD* exitCode) override {
    return inner_.GetExitCodeProcess(process, exitCode);
  }
  pf::BOOL TerminateProcess(pf::HANDLE process, pf::UINT exitCode) override {
    return inner_.TerminateProcess(process, exitCode);
  }
  pf::INT_PTR ShellExecuteW(pf::HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                            const wchar_t* directory, int show) override;
  pf::UINT WinExec(const char* commandLine, pf::UINT show) override { return inner_.WinExec(commandLine, show); }

 private:
  pf::ProcessApi& inner_;
  Timeline& timeline_;
  std::vector<std::size_t> printUiEvents_;
};

}  // namespace tqsim
