// ReadableFile: an opened file as the INF text reader needs it.
#pragma once

#include <cstdint>

class ReadableFile {
 public:
  virtual ~ReadableFile() = default;

  virtual bool GetLength(std::int64_t* length) = 0;
  // Moves to an absolute position.
  virtual bool SeekTo(std::int64_t position) = 0;
  // Moves relative to the current position.
  virtual bool SeekBy(std::int64_t distance) = 0;
  // Reads up to size bytes; *read is 0 at the end of the file.
  virtual bool Read(void* buffer, std::uint32_t size, std::uint32_t* read) = 0;
};
