// A DLL planted where a careless program would load it (beside the program,
// in its current directory), built once under each name a planting attack
// uses. Loading it is all it notices: DllMain appends the DLL's own path and
// the loading program's path to C:\planted-dlls.txt, which the Wine tests
// require to stay missing. It exports nothing. Never shipped.
#include <windows.h>

namespace {

void AppendLine(HANDLE file, const wchar_t* text) {
  DWORD written = 0;
  ::WriteFile(file, text, ::lstrlenW(text) * sizeof(wchar_t), &written, nullptr);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t self[MAX_PATH] = {};
  wchar_t program[MAX_PATH] = {};
  ::GetModuleFileNameW(instance, self, MAX_PATH);
  ::GetModuleFileNameW(nullptr, program, MAX_PATH);
  HANDLE file = ::CreateFileW(L"C:\\planted-dlls.txt", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    AppendLine(file, self);
    AppendLine(file, L" loaded by ");
    AppendLine(file, program);
    AppendLine(file, L"\r\n");
    ::CloseHandle(file);
  }
  return TRUE;
}
