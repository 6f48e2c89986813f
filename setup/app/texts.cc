#include "setup/app/texts.h"

#include "framework/window_api.h"

std::wstring LoadText(unsigned id) { return fw::Windows().LoadStringW(id); }

std::wstring FormatText(const std::wstring& pattern, const std::wstring& argument) {
  std::wstring::size_type at = pattern.find(L"%s");
  if (at == std::wstring::npos) return pattern;
  return pattern.substr(0, at) + argument + pattern.substr(at + 2);
}
