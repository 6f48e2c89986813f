// Files and folders of the simulated PC: an in-memory tree per drive with
// Windows path rules (drive letters, either slash, no case, "." and ".."),
// a current directory (C:\ at first), share modes honoured between open
// handles, and faults a test can inject. Every call enters the kernel under
// its own name, so it is recorded and FailCall can make it fail.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/sync.h"

namespace pf::sim {

class SimKernel;

class SimFiles : public FileApi {
 public:
  explicit SimFiles(SimKernel& kernel);
  ~SimFiles() override;

  HANDLE CreateFileW(const wchar_t* path, DWORD access, DWORD share, DWORD creation, DWORD flags) override;
  HANDLE CreateFileA(const char* path, DWORD access, DWORD share, DWORD creation, DWORD flags) override;
  BOOL DeleteFileA(const char* path) override;
  // Device handles go to their device object; transfers on files complete at
  // once. With an OVERLAPPED record, the record gives the offset, holds the
  // outcome and has its event set; a read at or past the end then fails with
  // ERROR_HANDLE_EOF, as Windows does.
  BOOL ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read, OVERLAPPED* overlapped) override;
  BOOL WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD* written, OVERLAPPED* overlapped) override;
  BOOL SetFilePointerEx(HANDLE file, std::int64_t distance, std::int64_t* newPosition, DWORD method) override;
  BOOL GetFileSizeEx(HANDLE file, std::int64_t* size) override;
  BOOL CreateDirectoryW(const wchar_t* path) override;
  BOOL RemoveDirectoryW(const wchar_t* path) override;
  BOOL DeleteFileW(const wchar_t* path) override;
  DWORD GetFileAttributesW(const wchar_t* path) override;
  BOOL SetCurrentDirectoryW(const wchar_t* path) override;
  DWORD GetCurrentDirectoryW(DWORD bufferLength, wchar_t* buffer) override;

  // Test API. Paths follow the same rules as the calls above.
  // Writes a whole file, making its folders; false for an invalid path.
  bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
  bool ReadFileBytes(const std::wstring& path, std::string* bytes);
  bool MakeFolder(const std::wstring& path);
  bool Exists(const std::wstring& path);
  // Every later open of the file or folder fails with ERROR_ACCESS_DENIED.
  bool DenyAccess(const std::wstring& path);
  bool SetReadOnly(const std::wstring& path, bool readOnly = true);
  // A read that would return a byte at or beyond offset fails with ERROR_READ_FAULT.
  bool FailReadsAfter(const std::wstring& path, std::int64_t offset);
  // Files open now.
  size_t OpenHandleCount();

  // For the PC's own groups (the process group's program search): what
  // GetFileAttributesW and GetCurrentDirectoryW answer, without making a
  // call of the program's and with the last error kept.
  DWORD AttributesOf(const std::wstring& path);
  std::wstring CurrentDirectory();

 private:
  struct Node;
  struct Open;
  struct Resolved;

  // Splits and normalises a path against the current directory; sets the
  // last error and returns false when it is malformed.
  bool Resolve(const wchar_t* path, Resolved* out);
  // Finds the node of a resolved path, or sets ERROR_FILE_NOT_FOUND /
  // ERROR_PATH_NOT_FOUND. parent receives the folder that would hold it.
  std::shared_ptr<Node> Find(const Resolved& path, std::shared_ptr<Node>* parent);
  std::shared_ptr<Node> FindForTest(const std::wstring& path);
  std::shared_ptr<Node> MakeFolders(const Resolved& path, size_t depth);
  std::shared_ptr<Open> Lookup(HANDLE handle);
  // The calls with their ANSI and wide forms, entering the kernel as call.
  HANDLE Create(const char* call, const wchar_t* path, DWORD access, DWORD share, DWORD creation, DWORD flags);
  BOOL Delete(const char* call, const wchar_t* path);
  DWORD Attributes(const wchar_t* path);
  bool SharingConflict(const Node* node, DWORD access, DWORD share) const;
  void Fail(DWORD error);
  void Succeed();

  SimKernel& kernel_;
  std::map<wchar_t, std::shared_ptr<Node>> drives_;
  std::wstring currentDirectory_ = L"C:\\";
};

}  // namespace pf::sim
