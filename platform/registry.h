// Registry functions of ADVAPI32, wide and ANSI forms, with Win32 semantics.
//
// Value data crosses this seam as bytes exactly as Windows stores them: a
// REG_SZ written through the wide form is UTF-16LE with its terminating NUL.
// The ANSI forms convert names and string data through the ANSI code page, as
// Windows does. Keys are enumerated by index until ERROR_NO_MORE_ITEMS.
#pragma once

#include "platform/types.h"

namespace pf {

inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr HKEY HKEY_USERS = 0x80000003u;

inline constexpr DWORD KEY_QUERY_VALUE = 0x0001;
inline constexpr DWORD KEY_SET_VALUE = 0x0002;
inline constexpr DWORD KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr DWORD KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr DWORD KEY_NOTIFY = 0x0010;
// The 64-bit view of the registry for a 32-bit program on 64-bit Windows;
// ignored by 32-bit Windows.
inline constexpr DWORD KEY_WOW64_64KEY = 0x0100;
inline constexpr DWORD KEY_READ = 0x20019;
inline constexpr DWORD KEY_WRITE = 0x20006;
inline constexpr DWORD KEY_ALL_ACCESS = 0xF003F;

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;

inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
// The key lives in memory only and is gone when the system restarts; keys
// below a volatile key must be volatile too.
inline constexpr DWORD REG_OPTION_VOLATILE = 1;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// One group of the platform: the registry. Names follow the Win32 functions;
// a null name means the key's default value, as in Windows.
inline constexpr LONG ERROR_CHILD_MUST_BE_VOLATILE = 1021;

class RegistryApi {
 public:
  virtual ~RegistryApi() = default;

  virtual LONG RegOpenKeyExW(HKEY key, const wchar_t* subKey, DWORD options, DWORD sam, HKEY* result) = 0;
  virtual LONG RegCreateKeyExW(HKEY key, const wchar_t* subKey, DWORD options, DWORD sam, HKEY* result,
                               DWORD* disposition) = 0;
  virtual LONG RegQueryValueExW(HKEY key, const wchar_t* name, DWORD* type, BYTE* data, DWORD* size) = 0;
  virtual LONG RegSetValueExW(HKEY key, const wchar_t* name, DWORD type, const BYTE* data, DWORD size) = 0;
  virtual LONG RegDeleteValueW(HKEY key, const wchar_t* name) = 0;
  virtual LONG RegDeleteKeyW(HKEY key, const wchar_t* subKey) = 0;
  // nameLength: in, the buffer's size in characters; out, the name's length without NUL.
  virtual LONG RegEnumKeyExW(HKEY key, DWORD index, wchar_t* name, DWORD* nameLength) = 0;
  virtual LONG RegEnumValueW(HKEY key, DWORD index, wchar_t* name, DWORD* nameLength, DWORD* type, BYTE* data,
                             DWORD* size) = 0;

  virtual LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, DWORD sam, HKEY* result) = 0;
  virtual LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD options, DWORD sam, HKEY* result,
                               DWORD* disposition) = 0;
  virtual LONG RegQueryValueExA(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* size) = 0;
  virtual LONG RegSetValueExA(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size) = 0;
  virtual LONG RegDeleteValueA(HKEY key, const char* name) = 0;
  virtual LONG RegDeleteKeyA(HKEY key, const char* subKey) = 0;
  virtual LONG RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameLength) = 0;

  virtual LONG RegCloseKey(HKEY key) = 0;
};

}  // namespace pf
