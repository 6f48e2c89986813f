// The entry point of every shipped Windows program: it narrows the DLL search
// to the system folder, then runs the C runtime's own start-up (which makes
// the static objects and calls main or wWinMain).
//
// setup.exe runs with administrator rights from a folder the user downloaded
// or copied, beside whatever else lies there. Windows looks for a DLL that a
// program loads by name in the program's folder first (and in the current
// directory), so a "winspool.drv" or "version.dll" placed there would run
// with those rights. The programs therefore import, in the ordinary way, only
// kernel32.dll, advapi32.dll and msvcrt.dll, which are known DLLs that
// Windows always takes from its system folder (cmake/pecheck.sh keeps it so).
// user32, gdi32, comctl32 and shell32 are delay-loaded by name on their
// first call (cmake/delayload.cmake), after the search is narrowed here;
// winspool.drv and setupapi.dll are loaded by the win32 backends from the
// system folder by full path (system_library.h).
//
// What runs before this function: the loader maps kernel32, advapi32 and
// msvcrt (with the system DLLs they need) and runs their initialisation, then
// the program's TLS callbacks, which are the MinGW runtime's own
// thread-local storage set-up and use only kernel32. None of that loads a DLL
// by a name that the program's folder could answer. Nothing here may use the
// C runtime, static objects or anything delay-loaded: none of it is ready.
#include <windows.h>
#include <delayimp.h>

extern "C" int WinMainCRTStartup();
extern "C" int mainCRTStartup();

namespace {

// Windows 2000 has neither call below, and its comctl32.dll is neither a
// known DLL nor side by side: loaded now from the system folder by full path,
// it is the module that the delay-loaded calls find already loaded, whatever
// lies beside the program. (Its user32, gdi32 and shell32 are known DLLs.)
constexpr wchar_t kName[] = L"\\comctl32.dll";

void LoadCommonControlsFromSystemFolder() {
  wchar_t path[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(path, MAX_PATH);
  if (length == 0 || length + sizeof kName / sizeof kName[0] > MAX_PATH) return;
  for (UINT i = 0; i < sizeof kName / sizeof kName[0]; ++i) path[length + i] = kName[i];
  ::LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// From here on, LoadLibrary by name searches the system folder only
// (SetDefaultDllDirectories, Windows 8, and Windows Vista and 7 with update
// KB2533623). Where that call is missing, SetDllDirectoryW(L"") at least
// takes the current directory out of the search (Windows XP SP1 and later);
// the DLLs loaded by name are then known DLLs or come side by side, which no
// folder can replace. Both are looked up, since Windows 2000 has neither.
void NarrowDllSearch() {
  const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  if (kernel == nullptr) return;
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
      reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
  using SetDllDirectoryWFn = BOOL(WINAPI*)(LPCWSTR);
  const auto setDirectory =
      reinterpret_cast<SetDllDirectoryWFn>(reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDllDirectoryW")));
  if (setDirectory != nullptr) {
    setDirectory(L"");
  } else {
    LoadCommonControlsFromSystemFolder();
  }
}

// A delay-loaded system DLL or function that cannot be had: the program
// cannot go on without it, so it ends at once with the loader's error as its
// exit code (ERROR_MOD_NOT_FOUND, ERROR_PROC_NOT_FOUND) rather than with an
// unhandled exception.
FARPROC WINAPI DelayLoadFailed(unsigned notification, PDelayLoadInfo info) {
  if (notification == dliFailLoadLib || notification == dliFailGetProc) {
    ::ExitProcess(info != nullptr && info->dwLastError != 0 ? info->dwLastError : ERROR_MOD_NOT_FOUND);
  }
  return nullptr;
}

}  // namespace

extern "C" {
PfnDliHook __pfnDliFailureHook2 = DelayLoadFailed;
}

// The two entry points; tq_windows_program (cmake/tq.cmake) names the one
// for the program's subsystem.
extern "C" __attribute__((used)) int TqWindowsProgramStart() {
  NarrowDllSearch();
  return WinMainCRTStartup();
}

extern "C" __attribute__((used)) int TqConsoleProgramStart() {
  NarrowDllSearch();
  return mainCRTStartup();
}
