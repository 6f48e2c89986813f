#include "setup/driver/driver_identity.h"

#include <cwctype>

#include "common/text/case_fold.h"
#include "platform/platform.h"
#include "setup/app/setup_context.h"
#include "setup/driver/file_handle.h"
#include "setup/driver/text_file_reader.h"

namespace {

constexpr std::u16string_view kLptMarker = u"LPTENUM\\";
constexpr std::u16string_view kUsbMarker = u"USBPRINT\\";

std::wstring ToWide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

// The marker with the rest of its line, line breaks as spaces, trimmed; empty
// when the marker is missing or no line feed follows it. *lineEnd gets the
// position of that line feed (npos when none).
std::wstring HardwareIdAt(std::u16string_view text, std::u16string_view marker, std::size_t* lineEnd) {
  std::size_t start = text.find(marker);
  *lineEnd = start == std::u16string_view::npos ? start : text.find(u'\n', start);
  if (*lineEnd == std::u16string_view::npos) return {};
  std::wstring id = ToWide(text.substr(start, *lineEnd - start));
  for (wchar_t& c : id) {
    if (c == L'\r' || c == L'\n') c = L' ';
  }
  std::size_t first = 0;
  while (first < id.size() && std::iswspace(static_cast<std::wint_t>(id[first]))) ++first;
  std::size_t last = id.size();
  while (last > first && std::iswspace(static_cast<std::wint_t>(id[last - 1]))) --last;
  return id.substr(first, last - first);
}

// The text between the first two double quotes of the line that ends at lineEnd.
std::wstring QuotedNameBefore(std::u16string_view text, std::size_t lineEnd) {
  if (lineEnd == std::u16string_view::npos) return {};
  std::u16string_view before = text.substr(0, lineEnd);
  std::size_t previous = before.rfind(u'\n');
  std::size_t lineStart = previous == std::u16string_view::npos ? 0 : previous + 1;
  std::size_t open = before.find(u'"', lineStart);
  if (open == std::u16string_view::npos) return {};
  std::size_t close = before.find(u'"', open + 1);
  if (close == std::u16string_view::npos) return {};
  return ToWide(before.substr(open + 1, close - open - 1));
}

}  // namespace

std::wstring GetProgramFolder() {
  wchar_t path[pf::MAX_PATH] = {};
  pf::DWORD length = pf::GetModuleFileNameW(0, path, pf::MAX_PATH);
  if (length >= pf::MAX_PATH) length = pf::MAX_PATH - 1;
  std::wstring full(path, length);
  full.resize(full.find(L'\0') == std::wstring::npos ? full.size() : full.find(L'\0'));
  std::size_t slash = full.rfind(L'\\');
  return slash == std::wstring::npos ? std::wstring() : full.substr(0, slash);
}

bool LoadDriverIdentity(SetupContext* context) {
  DriverInf inf;
  std::int32_t codePage = 0;
  bool read = ReadDriverInf(GetProgramFolder() + L"\\TQPRINTER.INF", &inf, &codePage);
  context->usbHardwareId = inf.usbHardwareId;
  context->lptHardwareId = inf.lptHardwareId;
  context->driverModel = inf.modelName;
  context->deviceDescription = inf.modelName;
  return read;
}

DriverInf ParseDriverInf(const std::wstring& path) {
  DriverInf inf;
  std::int32_t codePage = 0;
  ReadDriverInf(path, &inf, &codePage);
  return inf;
}

bool ReadDriverInf(const std::wstring& path, DriverInf* inf, std::int32_t* codePage, std::u16string* text) {
  *inf = DriverInf();
  TextFileReader reader;
  *codePage = reader.CodePage();
  {
    FileHandle file = FileHandle::OpenForReading(path);
    // A file that opens but cannot be read is as unusable as a missing one:
    // its identity would be the empty text's.
    if (!file.IsValid() || !reader.ReadAll(&file, 0)) return false;
  }
  *codePage = reader.CodePage();
  *inf = ParseDriverInfText(reader.TextView());
  if (text != nullptr) *text = reader.TextView();
  return true;
}

DriverInf ParseDriverInfText(std::u16string_view text) {
  DriverInf inf;
  std::size_t lineEnd = 0;
  inf.lptHardwareId = HardwareIdAt(text, kLptMarker, &lineEnd);
  inf.usbHardwareId = HardwareIdAt(text, kUsbMarker, &lineEnd);
  inf.modelName = QuotedNameBefore(text, lineEnd);
  return inf;
}

bool IsOfferedHardwareId(const std::wstring& id) {
  if (id.empty()) return false;
  if (id.size() < 4) return true;
  for (std::size_t i = id.size() - 4; i < id.size(); ++i) {
    if (text::UpperChar(id[i]) != L'F') return true;
  }
  return false;
}
