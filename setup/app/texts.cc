#include "setup/app/texts.h"

#include "common/text/decimal.h"
#include "framework/window_api.h"

std::wstring LoadText(unsigned id) { return fw::Windows().LoadStringW(id); }

namespace {

std::wstring ReplaceFirst(const std::wstring& pattern, const wchar_t* placeholder, const std::wstring& argument) {
  std::wstring::size_type at = pattern.find(placeholder);
  if (at == std::wstring::npos) return pattern;
  return pattern.substr(0, at) + argument + pattern.substr(at + 2);
}

}  // namespace

std::wstring FormatText(const std::wstring& pattern, const std::wstring& argument) {
  return ReplaceFirst(pattern, L"%s", argument);
}

std::wstring FormatNumber(const std::wstring& pattern, long long number) {
  return ReplaceFirst(pattern, L"%d", text::WideDecimal(number));
}
