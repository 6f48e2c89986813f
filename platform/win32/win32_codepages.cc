#include "platform/win32/win32_codepages.h"

#include "platform/platform.h"

#include <windows.h>

namespace pf::win32 {
namespace {

class Win32CodePages : public CodePageApi {
 public:
  pf::HKL GetKeyboardLayout(pf::DWORD t) override { return reinterpret_cast<pf::HKL>(::GetKeyboardLayout(t)); }
  int GetLocaleInfoW(pf::LCID l, pf::LCTYPE t, wchar_t* d, int s) override { return ::GetLocaleInfoW(l, t, d, s); }
  pf::UINT GetACP() override { return ::GetACP(); }
  int MultiByteToWideChar(pf::UINT c, pf::DWORD f, const char* t, int n, wchar_t* w, int m) override {
    return ::MultiByteToWideChar(c, f, t, n, w, m);
  }
  int WideCharToMultiByte(pf::UINT c, pf::DWORD f, const wchar_t* w, int n, char* t, int m) override {
    return ::WideCharToMultiByte(c, f, w, n, t, m, nullptr, nullptr);
  }
};

}  // namespace

CodePageApi& CodePagesGroup() {
  static Win32CodePages codePages;
  return codePages;
}

}  // namespace pf::win32
