#include "setup/driver/file_handle.h"

#include "platform/platform.h"

FileHandle FileHandle::OpenForReading(const std::wstring& path) {
  return FileHandle(pf::CreateFileW(path.c_str(), pf::GENERIC_READ, pf::FILE_SHARE_READ | pf::FILE_SHARE_WRITE,
                                    pf::OPEN_EXISTING, pf::FILE_ATTRIBUTE_NORMAL));
}

bool FileHandle::GetLength(std::int64_t* length) { return pf::GetFileSizeEx(handle_.get(), length) != pf::FALSE; }

bool FileHandle::SeekTo(std::int64_t position) {
  return pf::SetFilePointerEx(handle_.get(), position, nullptr, pf::FILE_BEGIN) != pf::FALSE;
}

bool FileHandle::SeekBy(std::int64_t distance) {
  return pf::SetFilePointerEx(handle_.get(), distance, nullptr, pf::FILE_CURRENT) != pf::FALSE;
}

bool FileHandle::Read(void* buffer, std::uint32_t size, std::uint32_t* read) {
  pf::DWORD count = 0;
  bool ok = pf::ReadFile(handle_.get(), buffer, size, &count) != pf::FALSE;
  *read = ok ? count : 0;
  return ok;
}
