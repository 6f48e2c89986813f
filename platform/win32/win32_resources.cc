#include "platform/win32/win32_resources.h"

#include <windows.h>

namespace pf::win32 {
namespace {

::HMODULE M(pf::HMODULE module) { return reinterpret_cast<::HMODULE>(module); }
::HRSRC R(pf::HRSRC resource) { return reinterpret_cast<::HRSRC>(resource); }

// Module 0 is the program itself, as FindResourceW takes it.
class Win32Resources : public ResourceApi {
 public:
  pf::HRSRC FindResourceW(pf::HMODULE module, const wchar_t* name, const wchar_t* type) override {
    return reinterpret_cast<pf::HRSRC>(::FindResourceW(M(module), name, type));
  }
  pf::HGLOBAL LoadResource(pf::HMODULE module, pf::HRSRC resource) override {
    return reinterpret_cast<pf::HGLOBAL>(::LoadResource(M(module), R(resource)));
  }
  pf::DWORD SizeofResource(pf::HMODULE module, pf::HRSRC resource) override {
    return ::SizeofResource(M(module), R(resource));
  }
  const void* LockResource(pf::HGLOBAL loaded) override {
    return ::LockResource(reinterpret_cast<::HGLOBAL>(loaded));
  }
};

}  // namespace

ResourceApi& ResourcesGroup() {
  static Win32Resources resources;
  return resources;
}

}  // namespace pf::win32
