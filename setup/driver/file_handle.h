// FileHandle: the one owner of a file handle of the platform, closed when the
// object goes. It is also the ReadableFile that TextFileReader reads.
#pragma once

#include <cstdint>
#include <string>

#include "platform/types.h"
#include "setup/driver/readable_file.h"

class FileHandle : public ReadableFile {
 public:
  FileHandle() = default;
  explicit FileHandle(pf::HANDLE handle) : handle_(handle) {}
  ~FileHandle() override;
  FileHandle(FileHandle&& other) noexcept;
  FileHandle& operator=(FileHandle&& other) noexcept;
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  // Opens an existing file for reading; others may read and write it meanwhile.
  static FileHandle OpenForReading(const std::wstring& path);

  bool IsValid() const { return handle_ != pf::INVALID_HANDLE_VALUE; }
  pf::HANDLE get() const { return handle_; }
  void Close();

  bool GetLength(std::int64_t* length) override;
  bool SeekTo(std::int64_t position) override;
  bool SeekBy(std::int64_t distance) override;
  bool Read(void* buffer, std::uint32_t size, std::uint32_t* read) override;

 private:
  pf::HANDLE handle_ = pf::INVALID_HANDLE_VALUE;
};
