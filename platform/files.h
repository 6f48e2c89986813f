// Files, folders and devices (KERNEL32), wide forms, with Win32 semantics:
// share modes are honoured, a failed call returns INVALID_HANDLE_VALUE or
// FALSE and sets the thread's last error. Device paths ("\\?\...",
// "\\.\...") open devices, not files. Handles are closed with CloseHandle
// (platform/sync.h).
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace pf {

inline constexpr DWORD GENERIC_READ = 0x80000000u;
inline constexpr DWORD GENERIC_WRITE = 0x40000000u;
inline constexpr DWORD FILE_SHARE_READ = 0x1;
inline constexpr DWORD FILE_SHARE_WRITE = 0x2;
inline constexpr DWORD FILE_SHARE_DELETE = 0x4;

inline constexpr DWORD CREATE_NEW = 1;
inline constexpr DWORD CREATE_ALWAYS = 2;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD OPEN_ALWAYS = 4;
inline constexpr DWORD TRUNCATE_EXISTING = 5;

inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
inline constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;

inline constexpr DWORD FILE_BEGIN = 0;
inline constexpr DWORD FILE_CURRENT = 1;
inline constexpr DWORD FILE_END = 2;

struct OVERLAPPED;  // platform/sync.h

class FileApi {
 public:
  virtual ~FileApi() = default;

  virtual HANDLE CreateFileW(const wchar_t* path, DWORD access, DWORD share, DWORD creation, DWORD flags) = 0;
  // ANSI forms convert the path through the ANSI code page (GetACP).
  virtual HANDLE CreateFileA(const char* path, DWORD access, DWORD share, DWORD creation, DWORD flags) = 0;
  virtual BOOL DeleteFileA(const char* path) = 0;
  // With an OVERLAPPED on a handle opened with FILE_FLAG_OVERLAPPED, a
  // transfer that completes later returns FALSE with ERROR_IO_PENDING; its
  // outcome is then fetched with GetOverlappedResult (platform/sync.h).
  virtual BOOL ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read, OVERLAPPED* overlapped) = 0;
  virtual BOOL WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD* written,
                         OVERLAPPED* overlapped) = 0;
  virtual BOOL SetFilePointerEx(HANDLE file, std::int64_t distance, std::int64_t* newPosition, DWORD method) = 0;
  virtual BOOL GetFileSizeEx(HANDLE file, std::int64_t* size) = 0;

  virtual BOOL CreateDirectoryW(const wchar_t* path) = 0;
  virtual BOOL RemoveDirectoryW(const wchar_t* path) = 0;
  virtual BOOL DeleteFileW(const wchar_t* path) = 0;
  virtual DWORD GetFileAttributesW(const wchar_t* path) = 0;
  virtual BOOL SetCurrentDirectoryW(const wchar_t* path) = 0;
  // Returns the length without NUL when it fits; else the size needed with NUL.
  virtual DWORD GetCurrentDirectoryW(DWORD bufferLength, wchar_t* buffer) = 0;
};

}  // namespace pf
