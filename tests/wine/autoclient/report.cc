#include "tests/wine/autoclient/report.h"

#include <cstdio>

#include "common/text/utf.h"

namespace autoclient {
namespace {

void WriteLine(const std::wstring& line) {
  const std::string utf8 = text::Utf16ToUtf8(line + L"\n");
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
  std::fflush(stdout);
}

}  // namespace

std::wstring Quote(const std::wstring& text) {
  std::wstring out = L"\"";
  for (wchar_t c : text) {
    if (c == L'\r') {
      out += L"\\r";
    } else if (c == L'\n') {
      out += L"\\n";
    } else if (c == L'\t') {
      out += L"\\t";
    } else {
      out += c;
    }
  }
  return out + L"\"";
}

bool Report::Check(bool passed, const std::wstring& what) {
  if (!passed) ++failures_;
  WriteLine((passed ? L"ok: " : L"FAIL: ") + what);
  return passed;
}

bool Report::CheckText(const std::wstring& what, const std::wstring& actual, const std::wstring& expected) {
  if (actual == expected) return Check(true, what + L" " + Quote(expected));
  return Check(false, what + L": got " + Quote(actual) + L", expected " + Quote(expected));
}

bool Report::CheckPrefix(const std::wstring& what, const std::wstring& actual, const std::wstring& prefix) {
  if (actual.compare(0, prefix.size(), prefix) == 0) return Check(true, what + L" starts " + Quote(prefix));
  return Check(false, what + L": got " + Quote(actual) + L", expected it to start " + Quote(prefix));
}

void Report::Note(const std::wstring& what) { WriteLine(L"note: " + what); }

}  // namespace autoclient
