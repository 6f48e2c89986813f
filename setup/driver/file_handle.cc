#include "setup/driver/file_handle.h"

#include <utility>

#include "platform/platform.h"

FileHandle::~FileHandle() { Close(); }

FileHandle::FileHandle(FileHandle&& other) noexcept
    : handle_(std::exchange(other.handle_, pf::INVALID_HANDLE_VALUE)) {}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, pf::INVALID_HANDLE_VALUE);
  }
  return *this;
}

FileHandle FileHandle::OpenForReading(const std::wstring& path) {
  return FileHandle(pf::CreateFileW(path.c_str(), pf::GENERIC_READ, pf::FILE_SHARE_READ | pf::FILE_SHARE_WRITE,
                                    pf::OPEN_EXISTING, pf::FILE_ATTRIBUTE_NORMAL));
}

void FileHandle::Close() {
  if (!IsValid()) return;
  // Keep the last error of the call that mattered, not of the close.
  pf::DWORD error = pf::GetLastError();
  pf::CloseHandle(handle_);
  pf::SetLastError(error);
  handle_ = pf::INVALID_HANDLE_VALUE;
}

bool FileHandle::GetLength(std::int64_t* length) { return pf::GetFileSizeEx(handle_, length) != pf::FALSE; }

bool FileHandle::SeekTo(std::int64_t position) {
  return pf::SetFilePointerEx(handle_, position, nullptr, pf::FILE_BEGIN) != pf::FALSE;
}

bool FileHandle::SeekBy(std::int64_t distance) {
  return pf::SetFilePointerEx(handle_, distance, nullptr, pf::FILE_CURRENT) != pf::FALSE;
}

bool FileHandle::Read(void* buffer, std::uint32_t size, std::uint32_t* read) {
  pf::DWORD count = 0;
  bool ok = pf::ReadFile(handle_, buffer, size, &count) != pf::FALSE;
  *read = ok ? count : 0;
  return ok;
}
