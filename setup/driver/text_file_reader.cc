#include "setup/driver/text_file_reader.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/platform.h"

namespace {

constexpr std::int64_t kChunk = 4194304;  // bytes (UTF-8) or units (UTF-16)
constexpr std::int64_t kMaxBytes = std::numeric_limits<std::int32_t>::max();

// Reads until size bytes arrived or the file ends.
bool ReadFully(ReadableFile* file, std::uint8_t* buffer, std::uint32_t size, std::uint32_t* got) {
  *got = 0;
  while (*got < size) {
    std::uint32_t n = 0;
    if (!file->Read(buffer + *got, size - *got, &n)) return false;
    if (n == 0) break;
    *got += n;
  }
  return true;
}

}  // namespace

std::int32_t GetInputLocaleAnsiCodePage() {
  pf::LCID locale = static_cast<pf::LCID>(pf::GetKeyboardLayout(0) & 0xFFFF);
  wchar_t text[10] = {};
  if (pf::GetLocaleInfoW(locale, pf::LOCALE_IDEFAULTANSICODEPAGE, text, 10) == 0) return 0;
  std::int32_t value = 0;
  for (int i = 0; i < 10 && text[i] >= L'0' && text[i] <= L'9'; ++i) value = value * 10 + (text[i] - L'0');
  return value;
}

std::size_t DecodeUtf8(const std::uint8_t* input, std::size_t size, char16_t* output, std::size_t room,
                       std::size_t* consumed) {
  std::size_t i = 0;
  std::size_t k = 0;
  while (i < size && k < room) {
    std::uint8_t b0 = input[i];
    if (b0 < 0x80) {
      output[k++] = b0;
      i += 1;
    } else if (b0 <= 0xDF) {
      if (i + 1 >= size) break;
      output[k++] = static_cast<char16_t>(((b0 & 0x1F) << 6) + (input[i + 1] & 0x7F));
      i += 2;
    } else {
      if (i + 2 >= size) break;
      output[k++] = static_cast<char16_t>((b0 << 12) + ((input[i + 1] & 0x7F) << 6) + (input[i + 2] & 0x7F));
      i += 3;
    }
  }
  *consumed = i;
  return k;
}

TextFileReader::TextFileReader() : codePage_(GetInputLocaleAnsiCodePage()) {}

std::u16string_view TextFileReader::TextView() const {
  if (!buffer_) return {};
  const char16_t* text = buffer_.get();
  std::size_t units = static_cast<std::size_t>(capacity_) / 2;
  return std::u16string_view(text, std::find(text, text + units, u'\0') - text);
}

void TextFileReader::Clear() {
  buffer_.reset();
  capacity_ = 0;
  length_ = 0;
}

bool TextFileReader::Reserve(std::int64_t bytes) {
  if (capacity_ >= bytes) return true;
  if (bytes > kMaxBytes) return false;
  std::size_t units = static_cast<std::size_t>(bytes + 1) / 2;
  std::unique_ptr<char16_t[]> grown(new char16_t[units]());
  if (buffer_) std::memcpy(grown.get(), buffer_.get(), static_cast<std::size_t>(length_));
  buffer_ = std::move(grown);
  capacity_ = static_cast<std::int32_t>(bytes);
  return true;
}

bool TextFileReader::Append(const char16_t* units, std::int64_t count) {
  if (!Reserve(length_ + 2 * count + 2)) return false;
  std::memcpy(buffer_.get() + length_ / 2, units, static_cast<std::size_t>(2 * count));
  length_ += static_cast<std::int32_t>(2 * count);
  return true;
}

bool TextFileReader::ReadAll(ReadableFile* file, std::int32_t hint) {
  std::int64_t length = 0;
  if (!file->GetLength(&length) || !file->SeekTo(0)) return false;
  std::uint8_t head[3] = {};
  std::uint32_t got = 0;
  if (!ReadFully(file, head, 3, &got) || !file->SeekTo(0)) return false;
  bool ff_fe = got >= 2 && head[0] == 0xFF && head[1] == 0xFE;
  bool fe_ff = got >= 2 && head[0] == 0xFE && head[1] == 0xFF;
  bool utf8Mark = got >= 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF;

  if (hint == kUtf16LittleEndian || (hint == 0 && ff_fe)) return ReadUtf16(file, length, false, ff_fe);
  if (hint == kUtf16BigEndian || (hint == 0 && fe_ff)) return ReadUtf16(file, length, true, fe_ff);
  if (hint == kUtf8 || (hint == 0 && utf8Mark)) return ReadUtf8(file, length, utf8Mark);
  return ReadAnsi(file, length, hint);
}

bool TextFileReader::ReadUtf16(ReadableFile* file, std::int64_t length, bool bigEndian, bool hasMark) {
  if (length > kMaxBytes - 2) return false;
  std::int64_t chunkUnits = length >= kChunk ? kChunk : length / 2;
  std::uint32_t chunkBytes = static_cast<std::uint32_t>(2 * chunkUnits);
  std::unique_ptr<char16_t[]> chunk(new char16_t[chunkUnits > 0 ? chunkUnits : 1]);
  codePage_ = bigEndian ? kUtf16BigEndian : kUtf16LittleEndian;
  std::int64_t offset = hasMark ? 2 : 0;
  if (!Reserve(chunkBytes + 2)) return false;
  // A file of several chunks gets its whole room at once, not chunk by chunk.
  if (length > chunkBytes && !Reserve(length_ + (length - offset) / 2 * 2 + 2)) return false;
  if (hasMark && !file->SeekTo(2)) return false;
  std::uint8_t* bytes = reinterpret_cast<std::uint8_t*>(chunk.get());
  for (;;) {
    std::uint32_t n = 0;
    if (!file->Read(bytes, chunkBytes, &n)) return false;
    if (n == 0) break;
    std::uint32_t units = n / 2;
    for (std::uint32_t i = 0; i < units; ++i) {
      std::uint8_t first = bytes[2 * i];
      std::uint8_t second = bytes[2 * i + 1];
      chunk[i] = bigEndian ? static_cast<char16_t>((first << 8) | second) : static_cast<char16_t>(first | (second << 8));
    }
    if (!Append(chunk.get(), units)) return false;
  }
  return true;
}

bool TextFileReader::ReadUtf8(ReadableFile* file, std::int64_t length, bool hasMark) {
  if (length > (kMaxBytes - 2) / 2) return false;
  std::int64_t chunkSize = length >= kChunk ? kChunk : length;
  std::size_t room = static_cast<std::size_t>(chunkSize > 0 ? chunkSize : 1);
  std::unique_ptr<std::uint8_t[]> input(new std::uint8_t[room]);
  std::unique_ptr<char16_t[]> output(new char16_t[room]);
  if (!Reserve(2 * chunkSize + 2)) return false;
  codePage_ = kUtf8;
  if (length > chunkSize && !Reserve(length_ + 2 * length + 2)) return false;
  if (hasMark && !file->SeekTo(3)) return false;
  for (;;) {
    std::uint32_t n = 0;
    if (!file->Read(input.get(), static_cast<std::uint32_t>(chunkSize), &n)) return false;
    if (n == 0) break;
    std::size_t consumed = 0;
    std::size_t k = DecodeUtf8(input.get(), n, output.get(), static_cast<std::size_t>(chunkSize), &consumed);
    if (k == 0) break;
    if (!Append(output.get(), static_cast<std::int64_t>(k))) return false;
    if (consumed < n && !file->SeekBy(-static_cast<std::int64_t>(n - consumed))) return false;
  }
  return true;
}

bool TextFileReader::ReadAnsi(ReadableFile* file, std::int64_t length, std::int32_t hint) {
  if (length > (kMaxBytes - 2) / 2) return false;
  std::unique_ptr<std::uint8_t[]> raw(new std::uint8_t[static_cast<std::size_t>(length > 0 ? length : 1)]());
  if (hint == 0) codePage_ = GetInputLocaleAnsiCodePage();
  std::uint32_t n = 0;
  if (!file->SeekTo(0) || !ReadFully(file, raw.get(), static_cast<std::uint32_t>(length), &n)) return false;
  if (n == 0) return true;
  const char* text = reinterpret_cast<const char*>(raw.get());
  pf::UINT codePage = static_cast<pf::UINT>(codePage_);
  int needed = pf::MultiByteToWideChar(codePage, 0, text, static_cast<int>(n), nullptr, 0);
  if (needed <= 0) return true;
  std::vector<wchar_t> wide(static_cast<std::size_t>(needed), L'\0');
  int made = pf::MultiByteToWideChar(codePage, 0, text, static_cast<int>(n), wide.data(), needed);
  if (made <= 0) return true;
  raw.reset();
  std::unique_ptr<char16_t[]> units(new char16_t[static_cast<std::size_t>(made)]);
  for (int i = 0; i < made; ++i) units[i] = static_cast<char16_t>(wide[i]);
  return Append(units.get(), made);
}
