// A DLL of the system folder that is not one of Windows' known DLLs
// (winspool.drv, setupapi.dll), loaded on first use by its full path.
//
// A known DLL always comes from the system folder; any other DLL loaded by
// name would first be looked for in the program's folder, where setup.exe's
// user may have anything lying about. Loaded here by full path, with the
// search for its own imports starting in the system folder too
// (LOAD_WITH_ALTERED_SEARCH_PATH), whatever the start-up could narrow on the
// Windows at hand (platform/win32/runtime/program_start.cc). The module stays
// loaded for the life of the process.
//
// When the DLL or a function cannot be had, the caller gets null and fails
// the call the way the real function fails, with an error value; nothing
// crashes. Objects of these classes are constant-initialised, so they can
// be namespace-scope statics of a backend file.
#pragma once

#include <atomic>

#include <windows.h>

namespace pf::win32 {

class SystemLibrary {
 public:
  // `fileName`: the DLL's file name in the system folder ("winspool.drv").
  explicit constexpr SystemLibrary(const wchar_t* fileName) : fileName_(fileName) {}
  SystemLibrary(const SystemLibrary&) = delete;
  SystemLibrary& operator=(const SystemLibrary&) = delete;

  // The address of the export `name`; null, with the thread's last error
  // saying why (the loader's error, ERROR_PROC_NOT_FOUND), when the DLL
  // cannot be loaded or has no such export.
  ::FARPROC Find(const char* name);

 private:
  ::HMODULE Module();

  const wchar_t* fileName_;
  std::atomic<::HMODULE> module_{nullptr};
};

// One function of a SystemLibrary, looked up on its first successful use and
// kept. `Signature` is the function's type (decltype(::EnumPrintersW)).
template <typename Signature>
class SystemFunction {
 public:
  constexpr SystemFunction(SystemLibrary& library, const char* name) : library_(library), name_(name) {}
  SystemFunction(const SystemFunction&) = delete;
  SystemFunction& operator=(const SystemFunction&) = delete;

  // The function, or null with the last error set (SystemLibrary::Find).
  Signature* Get() {
    Signature* function = function_.load(std::memory_order_acquire);
    if (function == nullptr) {
      // A FARPROC is the export's address; its type is the caller's to know.
      function = reinterpret_cast<Signature*>(reinterpret_cast<void*>(library_.Find(name_)));
      if (function != nullptr) function_.store(function, std::memory_order_release);
    }
    return function;
  }

 private:
  SystemLibrary& library_;
  const char* name_;
  std::atomic<Signature*> function_{nullptr};
};

}  // namespace pf::win32
