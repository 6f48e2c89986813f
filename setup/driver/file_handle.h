// FileHandle: a file opened for reading, owned through pf::UniqueFile and
// closed when the object goes. It is also the ReadableFile that
// TextFileReader reads.
#pragma once

#include <cstdint>
#include <string>

#include "platform/unique_handle.h"
#include "setup/driver/readable_file.h"

class FileHandle : public ReadableFile {
 public:
  FileHandle() = default;
  explicit FileHandle(pf::HANDLE handle) : handle_(handle) {}

  // Opens an existing file for reading; others may read and write it meanwhile.
  static FileHandle OpenForReading(const std::wstring& path);

  bool IsValid() const { return handle_.IsValid(); }
  pf::HANDLE get() const { return handle_.get(); }
  // Closes the file; the last error stays that of the call that mattered.
  void Close() { handle_.reset(); }

  bool GetLength(std::int64_t* length) override;
  bool SeekTo(std::int64_t position) override;
  bool SeekBy(std::int64_t distance) override;
  bool Read(void* buffer, std::uint32_t size, std::uint32_t* read) override;

 private:
  pf::UniqueFile handle_;
};
