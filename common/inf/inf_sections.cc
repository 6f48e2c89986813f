#include "common/inf/inf_sections.h"

#include "common/text/case_fold.h"

namespace inf {
namespace {

std::wstring Trim(const std::wstring& text) {
  const std::size_t begin = text.find_first_not_of(L" \t\r");
  if (begin == std::wstring::npos) return std::wstring();
  return text.substr(begin, text.find_last_not_of(L" \t\r") - begin + 1);
}

// The position of the first `mark` outside double quotes, or npos.
std::size_t FindOutsideQuotes(const std::wstring& line, wchar_t mark) {
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == L'"') quoted = !quoted;
    if (line[i] == mark && !quoted) return i;
  }
  return std::wstring::npos;
}

std::vector<std::wstring> SplitCommas(const std::wstring& text) {
  std::vector<std::wstring> parts;
  std::size_t begin = 0;
  for (;;) {
    const std::size_t comma = text.find(L',', begin);
    parts.push_back(Trim(text.substr(begin, comma == std::wstring::npos ? std::wstring::npos : comma - begin)));
    if (comma == std::wstring::npos) return parts;
    begin = comma + 1;
  }
}

// The architecture a TargetOSVersion decoration names, upper case: "AMD64"
// for "NTamd64.10.0", empty for "NT.6.1" or "NT"; "?" for what is not a
// decoration of the NT family.
std::wstring DecorationArchitecture(const std::wstring& decoration) {
  const std::wstring upper = text::Upper(decoration);
  if (upper.compare(0, 2, L"NT") != 0) return L"?";
  const std::size_t dot = upper.find(L'.');
  return upper.substr(2, dot == std::wstring::npos ? std::wstring::npos : dot - 2);
}

}  // namespace

Sections ReadSections(const std::wstring& text) {
  Sections sections;
  std::wstring section;
  std::size_t begin = 0;
  while (begin <= text.size()) {
    std::size_t end = text.find(L'\n', begin);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(begin, end - begin);
    begin = end + 1;
    line = Trim(line.substr(0, FindOutsideQuotes(line, L';')));
    if (line.empty()) continue;
    if (line.front() == L'[' && line.back() == L']') {
      section = text::Upper(Trim(line.substr(1, line.size() - 2)));
      sections[section];
    } else if (!section.empty()) {
      sections[section].push_back(line);
    }
  }
  return sections;
}

bool SplitEntry(const std::wstring& line, std::wstring* key, std::wstring* value) {
  const std::size_t equals = FindOutsideQuotes(line, L'=');
  if (equals == std::wstring::npos) return false;
  *key = Trim(line.substr(0, equals));
  *value = Trim(line.substr(equals + 1));
  return true;
}

std::wstring Unquoted(const std::wstring& text) {
  return text.size() >= 2 && text.front() == L'"' && text.back() == L'"' ? text.substr(1, text.size() - 2) : text;
}

std::wstring KeyText(const Sections& sections, const std::wstring& key) {
  if (key.size() >= 2 && key.front() == L'%' && key.back() == L'%') {
    const std::wstring name = text::Upper(key.substr(1, key.size() - 2));
    if (auto strings = sections.find(L"STRINGS"); strings != sections.end()) {
      for (const std::wstring& line : strings->second) {
        std::wstring entry, value;
        if (SplitEntry(line, &entry, &value) && text::Upper(entry) == name) return Unquoted(value);
      }
    }
    return key;
  }
  return Unquoted(key);
}

std::vector<std::wstring> ModelsSections(const Sections& sections, const std::wstring& architecture) {
  std::vector<std::wstring> found;
  const auto manufacturer = sections.find(L"MANUFACTURER");
  if (manufacturer == sections.end()) return found;
  const std::wstring wanted = text::Upper(architecture);
  const bool x86 = wanted == L"X86";
  auto take = [&](const std::wstring& name) {
    if (sections.count(name) != 0) found.push_back(name);
  };
  for (const std::wstring& line : manufacturer->second) {
    std::wstring key, value;
    if (!SplitEntry(line, &key, &value)) value = line;  // a bare models section name
    const std::vector<std::wstring> parts = SplitCommas(value);
    if (x86) take(text::Upper(parts[0]));
    for (std::size_t i = 1; i < parts.size(); ++i) {
      const std::wstring platform = DecorationArchitecture(parts[i]);
      if (platform == wanted || (x86 && platform.empty())) take(text::Upper(parts[0] + L"." + parts[i]));
    }
  }
  return found;
}

}  // namespace inf
