#include "platform/win32/win32_spooler.h"

#include <windows.h>
#include <winspool.h>

namespace pf::win32 {
namespace {

::HANDLE H(pf::HANDLE h) { return reinterpret_cast<::HANDLE>(h); }

class Win32Spooler : public SpoolerApi {
 public:
  pf::BOOL EnumPrintersW(pf::DWORD flags, const wchar_t* name, pf::DWORD level, pf::BYTE* buffer, pf::DWORD size,
                         pf::DWORD* needed, pf::DWORD* returned) override {
    ::DWORD n = 0, r = 0;
    const ::BOOL ok = ::EnumPrintersW(flags, const_cast<wchar_t*>(name), level, buffer, size, &n, &r);
    if (needed != nullptr) *needed = n;
    if (returned != nullptr) *returned = r;
    return ok;
  }
  pf::BOOL OpenPrinterW(const wchar_t* name, pf::HANDLE* printer, const pf::PRINTER_DEFAULTSW* defaults) override {
    ::HANDLE h = nullptr;
    const ::BOOL ok = ::OpenPrinterW(const_cast<wchar_t*>(name), &h,
                                     reinterpret_cast<::PRINTER_DEFAULTSW*>(const_cast<pf::PRINTER_DEFAULTSW*>(defaults)));
    if (printer != nullptr) *printer = reinterpret_cast<pf::HANDLE>(h);
    return ok;
  }
  pf::BOOL GetPrinterW(pf::HANDLE printer, pf::DWORD level, pf::BYTE* buffer, pf::DWORD size,
                       pf::DWORD* needed) override {
    ::DWORD n = 0;
    const ::BOOL ok = ::GetPrinterW(H(printer), level, buffer, size, &n);
    if (needed != nullptr) *needed = n;
    return ok;
  }
  pf::BOOL SetPrinterW(pf::HANDLE printer, pf::DWORD level, pf::BYTE* info, pf::DWORD command) override {
    return ::SetPrinterW(H(printer), level, info, command);
  }
  pf::BOOL ClosePrinter(pf::HANDLE printer) override { return ::ClosePrinter(H(printer)); }

  pf::BOOL WriteProfileStringW(const wchar_t* section, const wchar_t* key, const wchar_t* value) override {
    return ::WriteProfileStringW(section, key, value);
  }
  pf::DWORD GetProfileStringW(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue,
                              wchar_t* buffer, pf::DWORD size) override {
    return ::GetProfileStringW(section, key, defaultValue, buffer, size);
  }

  pf::LRESULT SendMessageTimeoutW(pf::HWND window, pf::UINT message, pf::WPARAM wParam, pf::LPARAM lParam,
                                  pf::UINT flags, pf::UINT timeout, pf::DWORD_PTR* result) override {
    ::DWORD_PTR answer = 0;
    const ::LRESULT sent =
        ::SendMessageTimeoutW(reinterpret_cast<::HWND>(window), message, wParam, lParam, flags, timeout, &answer);
    if (result != nullptr) *result = answer;
    return sent;
  }
};

}  // namespace

SpoolerApi& SpoolerGroup() {
  static Win32Spooler spooler;
  return spooler;
}

}  // namespace pf::win32
