// How the simulated PC compares names: printer, program, resource and profile
// names compare without case, as Windows compares them.
#pragma once

#include <cwctype>
#include <string>

namespace pf::sim {

inline std::wstring UpperCase(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
  return text;
}

inline bool SameText(const std::wstring& a, const std::wstring& b) {
  return a.size() == b.size() && UpperCase(a) == UpperCase(b);
}

}  // namespace pf::sim
