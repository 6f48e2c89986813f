// The program under test, started in its own folder or in another one.
#pragma once

#include <string>

#include <windows.h>

namespace autoclient {

class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();

  // Starts the program with `directory` as its current folder, or its own
  // folder when `directory` is empty, and `arguments` after its quoted path
  // on its command line. On failure returns false and describes why in
  // `error`.
  bool Start(const std::wstring& path, std::wstring* error, const std::wstring& directory = L"",
             const std::wstring& arguments = L"");

  bool Running() const;
  // Waits up to `timeout_ms` for the end; gives the exit code when it ended.
  bool WaitForExit(DWORD timeout_ms, DWORD* exit_code) const;
  void Terminate();

  DWORD id() const { return id_; }
  HANDLE handle() const { return process_; }

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

}  // namespace autoclient
