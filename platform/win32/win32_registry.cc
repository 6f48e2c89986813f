#include "platform/win32/win32_registry.h"

#include <windows.h>

namespace pf::win32 {
namespace {

::HKEY K(pf::HKEY key) { return reinterpret_cast<::HKEY>(key); }
::HKEY* KP(pf::HKEY* key) { return reinterpret_cast<::HKEY*>(key); }
::DWORD* DP(pf::DWORD* value) { return reinterpret_cast<::DWORD*>(value); }

static_assert(sizeof(pf::HKEY) == sizeof(::HKEY), "handles keep their size");
static_assert(sizeof(pf::DWORD) == sizeof(::DWORD), "DWORD keeps its size");

class Win32Registry : public RegistryApi {
 public:
  LONG RegOpenKeyExW(pf::HKEY k, const wchar_t* s, pf::DWORD o, pf::DWORD a, pf::HKEY* r) override {
    return ::RegOpenKeyExW(K(k), s, o, a, KP(r));
  }
  LONG RegCreateKeyExW(pf::HKEY k, const wchar_t* s, pf::DWORD o, pf::DWORD a, pf::HKEY* r, pf::DWORD* d) override {
    return ::RegCreateKeyExW(K(k), s, 0, nullptr, o, a, nullptr, KP(r), DP(d));
  }
  LONG RegQueryValueExW(pf::HKEY k, const wchar_t* n, pf::DWORD* t, pf::BYTE* d, pf::DWORD* s) override {
    return ::RegQueryValueExW(K(k), n, nullptr, DP(t), d, DP(s));
  }
  LONG RegSetValueExW(pf::HKEY k, const wchar_t* n, pf::DWORD t, const pf::BYTE* d, pf::DWORD s) override {
    return ::RegSetValueExW(K(k), n, 0, t, d, s);
  }
  LONG RegDeleteValueW(pf::HKEY k, const wchar_t* n) override { return ::RegDeleteValueW(K(k), n); }
  LONG RegDeleteKeyW(pf::HKEY k, const wchar_t* s) override { return ::RegDeleteKeyW(K(k), s); }
  LONG RegEnumKeyExW(pf::HKEY k, pf::DWORD i, wchar_t* n, pf::DWORD* l) override {
    return ::RegEnumKeyExW(K(k), i, n, DP(l), nullptr, nullptr, nullptr, nullptr);
  }
  LONG RegEnumValueW(pf::HKEY k, pf::DWORD i, wchar_t* n, pf::DWORD* l, pf::DWORD* t, pf::BYTE* d,
                     pf::DWORD* s) override {
    return ::RegEnumValueW(K(k), i, n, DP(l), nullptr, DP(t), d, DP(s));
  }
  LONG RegOpenKeyExA(pf::HKEY k, const char* s, pf::DWORD o, pf::DWORD a, pf::HKEY* r) override {
    return ::RegOpenKeyExA(K(k), s, o, a, KP(r));
  }
  LONG RegCreateKeyExA(pf::HKEY k, const char* s, pf::DWORD o, pf::DWORD a, pf::HKEY* r, pf::DWORD* d) override {
    return ::RegCreateKeyExA(K(k), s, 0, nullptr, o, a, nullptr, KP(r), DP(d));
  }
  LONG RegQueryValueExA(pf::HKEY k, const char* n, pf::DWORD* t, pf::BYTE* d, pf::DWORD* s) override {
    return ::RegQueryValueExA(K(k), n, nullptr, DP(t), d, DP(s));
  }
  LONG RegSetValueExA(pf::HKEY k, const char* n, pf::DWORD t, const pf::BYTE* d, pf::DWORD s) override {
    return ::RegSetValueExA(K(k), n, 0, t, d, s);
  }
  LONG RegDeleteValueA(pf::HKEY k, const char* n) override { return ::RegDeleteValueA(K(k), n); }
  LONG RegDeleteKeyA(pf::HKEY k, const char* s) override { return ::RegDeleteKeyA(K(k), s); }
  LONG RegEnumKeyExA(pf::HKEY k, pf::DWORD i, char* n, pf::DWORD* l) override {
    return ::RegEnumKeyExA(K(k), i, n, DP(l), nullptr, nullptr, nullptr, nullptr);
  }
  LONG RegCloseKey(pf::HKEY k) override { return ::RegCloseKey(K(k)); }
};

}  // namespace

RegistryApi& RegistryGroup() {
  static Win32Registry registry;
  return registry;
}

}  // namespace pf::win32
