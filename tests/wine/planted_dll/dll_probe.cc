// tq_dll_probe NAME...: loads each DLL by name the way a careless program
// does (the default search, the program's own folder first), for the Wine
// tests' check that a planted DLL beside a program is loaded and writes its
// marker. Prints each name with the path it was loaded from, or the error.
// Exit code 0 when every name loaded. Never shipped.
#include <cwchar>

#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  int failures = 0;
  for (int i = 1; i < argc; ++i) {
    const HMODULE module = ::LoadLibraryW(argv[i]);
    if (module == nullptr) {
      std::wprintf(L"%ls: error %lu\n", argv[i], ::GetLastError());
      ++failures;
      continue;
    }
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(module, path, MAX_PATH);
    std::wprintf(L"%ls: %ls\n", argv[i], path);
  }
  return failures == 0 ? 0 : 1;
}
