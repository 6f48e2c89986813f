// TextFileReader: turns the whole content of an opened file into one UTF-16
// text followed by a NUL, whatever its encoding: UTF-16 in either byte order
// (by mark or hint), UTF-8 with its mark, or an ANSI code page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "setup/driver/readable_file.h"

// The default ANSI code page of the current input locale; 0 when unknown.
std::int32_t GetInputLocaleAnsiCodePage();

// Decodes UTF-8 the lenient way of the INF reader: continuation bytes are not
// checked, a four-byte sequence is taken as a three-byte one, and an incomplete
// sequence at the end of the input is left unconsumed. Returns the units
// produced; *consumed gets the bytes used.
std::size_t DecodeUtf8(const std::uint8_t* input, std::size_t size, char16_t* output, std::size_t room,
                       std::size_t* consumed);

class TextFileReader {
 public:
  static constexpr std::int32_t kUtf16LittleEndian = 1200;
  static constexpr std::int32_t kUtf16BigEndian = 1201;
  static constexpr std::int32_t kUtf8 = 65001;

  TextFileReader();
  TextFileReader(const TextFileReader&) = delete;
  TextFileReader& operator=(const TextFileReader&) = delete;

  // Appends the file's text. hint: 0 (decide by the byte-order mark), 1200,
  // 1201 or 65001; any other value reads ANSI in the current code page. The
  // file stays open. False when the file could not be measured, sought or read
  // (what was read before stays) or is too large to hold.
  bool ReadAll(ReadableFile* file, std::int32_t hint);

  // The text as NUL-terminated UTF-16 units; null when nothing was appended.
  const char16_t* Text() const { return buffer_.get(); }
  // The text up to its first NUL; empty when nothing was appended.
  std::u16string_view TextView() const;
  void Clear();

  std::int32_t CodePage() const { return codePage_; }
  std::int32_t Capacity() const { return capacity_; }
  std::int32_t Length() const { return length_; }

 private:
  bool ReadUtf16(ReadableFile* file, std::int64_t length, bool bigEndian, bool hasMark);
  bool ReadUtf8(ReadableFile* file, std::int64_t length, bool hasMark);
  bool ReadAnsi(ReadableFile* file, std::int64_t length, std::int32_t hint);
  // Grows the buffer to exactly bytes when it is smaller; false when too large.
  bool Reserve(std::int64_t bytes);
  bool Append(const char16_t* units, std::int64_t count);

  std::int32_t codePage_;
  std::unique_ptr<char16_t[]> buffer_;
  std::int32_t capacity_ = 0;  // bytes
  std::int32_t length_ = 0;    // bytes of text
};
