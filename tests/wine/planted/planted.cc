// A program planted where a careless installer would start it (an unquoted
// service path, a folder searched before the system's): when it runs it
// appends its own path to C:\planted-ran.txt, which the Wine tests require
// to stay missing. Never shipped.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  HANDLE file = ::CreateFileW(L"C:\\planted-ran.txt", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    ::WriteFile(file, path, length * sizeof(wchar_t), &written, nullptr);
    ::WriteFile(file, L"\r\n", 4, &written, nullptr);
    ::CloseHandle(file);
  }
  return 0;
}
