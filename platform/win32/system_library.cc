#include "platform/win32/system_library.h"

namespace pf::win32 {

::HMODULE SystemLibrary::Module() {
  ::HMODULE module = module_.load(std::memory_order_acquire);
  if (module != nullptr) return module;
  wchar_t path[MAX_PATH];
  UINT length = ::GetSystemDirectoryW(path, MAX_PATH);
  if (length == 0) return nullptr;
  const UINT nameLength = static_cast<UINT>(::lstrlenW(fileName_));
  const bool separator = length < MAX_PATH && path[length - 1] != L'\\';
  if (length >= MAX_PATH || length + separator + nameLength >= MAX_PATH) {
    ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return nullptr;
  }
  if (separator) path[length++] = L'\\';
  for (UINT i = 0; i <= nameLength; ++i) path[length + i] = fileName_[i];
  module = ::LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  // Two threads may both load it; the loader counts the second load, and
  // neither is ever freed.
  if (module != nullptr) module_.store(module, std::memory_order_release);
  return module;
}

::FARPROC SystemLibrary::Find(const char* name) {
  const ::HMODULE module = Module();
  if (module == nullptr) return nullptr;
  return ::GetProcAddress(module, name);
}

}  // namespace pf::win32
