#include "setup/log/setup_log.h"

#include "common/text/utf.h"
#include "platform/platform.h"
#include "platform/unique_handle.h"

namespace {

pf::UniqueFile& LogFile() {
  static pf::UniqueFile file;
  return file;
}

// One line in a fixed buffer: no allocation, nothing beyond the buffer.
class Line {
 public:
  void Ascii(const char* text) {
    while (*text != '\0') Byte(*text++);
  }
  void Wide(std::wstring_view units) {
    for (std::size_t i = 0; i < units.size();) {
      char32_t c = text::NextCodePoint(units, &i);
      if (text::IsSurrogate(c)) c = text::kReplacementCharacter;
      if (c < 0x80) {
        Byte(static_cast<char>(c));
      } else if (c < 0x800) {
        Byte(static_cast<char>(0xC0 | (c >> 6)));
        Byte(static_cast<char>(0x80 | (c & 0x3F)));
      } else {
        if (c < 0x10000) {
          Byte(static_cast<char>(0xE0 | (c >> 12)));
        } else {
          Byte(static_cast<char>(0xF0 | (c >> 18)));
          Byte(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        }
        Byte(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        Byte(static_cast<char>(0x80 | (c & 0x3F)));
      }
    }
  }
  // value in decimal, at least width digits.
  void Number(unsigned long value, int width = 1) {
    char digits[10];
    int count = 0;
    do {
      digits[count++] = static_cast<char>('0' + value % 10);
      value /= 10;
    } while (value != 0);
    for (int i = count; i < width; ++i) Byte('0');
    while (count > 0) Byte(digits[--count]);
  }
  void Byte(char c) {
    if (size_ < kTextLimit) bytes_[size_++] = c;
  }
  void End() {
    bytes_[size_++] = '\r';
    bytes_[size_++] = '\n';
  }
  const char* data() const { return bytes_; }
  pf::DWORD size() const { return static_cast<pf::DWORD>(size_); }

 private:
  static constexpr std::size_t kTextLimit = 1000;
  char bytes_[kTextLimit + 2];
  std::size_t size_ = 0;
};

}  // namespace

bool OpenSetupLog(const std::wstring& path) {
  pf::UniqueFile file(pf::CreateFileW(path.c_str(), pf::GENERIC_WRITE, pf::FILE_SHARE_READ, pf::OPEN_ALWAYS,
                                      pf::FILE_ATTRIBUTE_NORMAL));
  if (!file || !pf::SetFilePointerEx(file.get(), 0, nullptr, pf::FILE_END)) return false;
  LogFile() = std::move(file);
  return true;
}

void CloseSetupLog() { LogFile().reset(); }

bool IsSetupLogOpen() { return LogFile().IsValid(); }

void LogStep(const char* step, const char* outcome, std::wstring_view detail, pf::DWORD error) {
  if (!IsSetupLogOpen()) return;
  // The caller's last error outlives the line.
  const pf::DWORD lastError = pf::GetLastError();
  pf::SYSTEMTIME now{};
  pf::GetLocalTime(&now);
  Line line;
  line.Number(now.wYear, 4);
  line.Byte('-');
  line.Number(now.wMonth, 2);
  line.Byte('-');
  line.Number(now.wDay, 2);
  line.Byte(' ');
  line.Number(now.wHour, 2);
  line.Byte(':');
  line.Number(now.wMinute, 2);
  line.Byte(':');
  line.Number(now.wSecond, 2);
  line.Ascii("  ");
  line.Ascii(step);
  line.Ascii(": ");
  line.Ascii(outcome);
  if (!detail.empty()) {
    if (detail.front() != L' ') line.Byte(' ');
    line.Wide(detail);
  }
  if (error != 0) {
    line.Ascii(" (error ");
    line.Number(error);
    line.Byte(')');
  }
  line.End();
  pf::DWORD written = 0;
  pf::WriteFile(LogFile().get(), line.data(), line.size(), &written);
  pf::SetLastError(lastError);
}
