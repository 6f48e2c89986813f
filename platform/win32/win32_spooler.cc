#include "platform/win32/win32_spooler.h"

#include "platform/win32/system_library.h"

#include <windows.h>
#include <winspool.h>

namespace pf::win32 {
namespace {

::HANDLE H(pf::HANDLE h) { return reinterpret_cast<::HANDLE>(h); }

// winspool.drv, from the system folder (system_library.h).
SystemLibrary winspool(L"winspool.drv");
SystemFunction<decltype(::EnumPrintersW)> enumPrinters(winspool, "EnumPrintersW");
SystemFunction<decltype(::OpenPrinterW)> openPrinter(winspool, "OpenPrinterW");
SystemFunction<decltype(::GetPrinterW)> getPrinter(winspool, "GetPrinterW");
SystemFunction<decltype(::SetPrinterW)> setPrinter(winspool, "SetPrinterW");
SystemFunction<decltype(::ClosePrinter)> closePrinter(winspool, "ClosePrinter");

// Without winspool.drv a call fails as it does when the spooler does not
// answer.
pf::BOOL SpoolerUnavailable() {
  ::SetLastError(RPC_S_SERVER_UNAVAILABLE);
  return FALSE;
}

class Win32Spooler : public SpoolerApi {
 public:
  pf::BOOL EnumPrintersW(pf::DWORD flags, const wchar_t* name, pf::DWORD level, pf::BYTE* buffer, pf::DWORD size,
                         pf::DWORD* needed, pf::DWORD* returned) override {
    const auto call = enumPrinters.Get();
    if (call == nullptr) return SpoolerUnavailable();
    ::DWORD n = 0, r = 0;
    const ::BOOL ok = call(flags, const_cast<wchar_t*>(name), level, buffer, size, &n, &r);
    if (needed != nullptr) *needed = n;
    if (returned != nullptr) *returned = r;
    return ok;
  }
  pf::BOOL OpenPrinterW(const wchar_t* name, pf::HANDLE* printer, const pf::PRINTER_DEFAULTSW* defaults) override {
    const auto call = openPrinter.Get();
    if (call == nullptr) return SpoolerUnavailable();
    ::HANDLE h = nullptr;
    const ::BOOL ok = call(const_cast<wchar_t*>(name), &h,
                           reinterpret_cast<::PRINTER_DEFAULTSW*>(const_cast<pf::PRINTER_DEFAULTSW*>(defaults)));
    if (printer != nullptr) *printer = reinterpret_cast<pf::HANDLE>(h);
    return ok;
  }
  pf::BOOL GetPrinterW(pf::HANDLE printer, pf::DWORD level, pf::BYTE* buffer, pf::DWORD size,
                       pf::DWORD* needed) override {
    const auto call = getPrinter.Get();
    if (call == nullptr) return SpoolerUnavailable();
    ::DWORD n = 0;
    const ::BOOL ok = call(H(printer), level, buffer, size, &n);
    if (needed != nullptr) *needed = n;
    return ok;
  }
  pf::BOOL SetPrinterW(pf::HANDLE printer, pf::DWORD level, pf::BYTE* info, pf::DWORD command) override {
    const auto call = setPrinter.Get();
    if (call == nullptr) return SpoolerUnavailable();
    return call(H(printer), level, info, command);
  }
  pf::BOOL ClosePrinter(pf::HANDLE printer) override {
    const auto call = closePrinter.Get();
    if (call == nullptr) return SpoolerUnavailable();
    return call(H(printer));
  }

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
