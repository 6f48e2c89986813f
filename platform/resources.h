// The program's own resources (KERNEL32): finding one by type and id,
// loading it, its size and its bytes. Module 0 is the program itself.
//
// Names and types are either strings or integer ids made with
// MAKEINTRESOURCEW, as in Windows. A loaded resource stays valid for the
// life of the module; nothing is freed.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "platform/types.h"

namespace pf {

using HRSRC = std::uintptr_t;
using HGLOBAL = std::uintptr_t;

inline const wchar_t* MAKEINTRESOURCEW(WORD id) {
  return reinterpret_cast<const wchar_t*>(static_cast<std::uintptr_t>(id));
}
inline bool IS_INTRESOURCE(const wchar_t* name) { return (reinterpret_cast<std::uintptr_t>(name) >> 16) == 0; }

inline constexpr LONG ERROR_RESOURCE_DATA_NOT_FOUND = 1812;
inline constexpr LONG ERROR_RESOURCE_TYPE_NOT_FOUND = 1813;
inline constexpr LONG ERROR_RESOURCE_NAME_NOT_FOUND = 1814;

class ResourceApi {
 public:
  virtual ~ResourceApi() = default;

  // 0 when not found (ERROR_RESOURCE_TYPE_NOT_FOUND or _NAME_NOT_FOUND).
  virtual HRSRC FindResourceW(HMODULE module, const wchar_t* name, const wchar_t* type) = 0;
  virtual HGLOBAL LoadResource(HMODULE module, HRSRC resource) = 0;
  virtual DWORD SizeofResource(HMODULE module, HRSRC resource) = 0;
  virtual const void* LockResource(HGLOBAL loaded) = 0;
};

// clang-format off
inline HRSRC FindResourceW(HMODULE m, const wchar_t* n, const wchar_t* t) { return Current().resources->FindResourceW(m, n, t); }
inline HGLOBAL LoadResource(HMODULE m, HRSRC r) { return Current().resources->LoadResource(m, r); }
inline DWORD SizeofResource(HMODULE m, HRSRC r) { return Current().resources->SizeofResource(m, r); }
inline const void* LockResource(HGLOBAL g) { return Current().resources->LockResource(g); }
// clang-format on

}  // namespace pf
