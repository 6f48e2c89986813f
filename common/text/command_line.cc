#include "common/text/command_line.h"

namespace text {

std::vector<std::wstring> SplitArguments(std::wstring_view text) {
  std::vector<std::wstring> arguments;
  std::wstring current;
  bool inArgument = false;
  bool quoted = false;
  std::size_t i = 0;
  while (i < text.size()) {
    const wchar_t c = text[i];
    if (!quoted && (c == L' ' || c == L'\t')) {
      if (inArgument) arguments.push_back(current);
      current.clear();
      inArgument = false;
      ++i;
      continue;
    }
    inArgument = true;
    if (c == L'\\') {
      std::size_t count = 0;
      while (i < text.size() && text[i] == L'\\') ++count, ++i;
      if (i < text.size() && text[i] == L'"') {
        current.append(count / 2, L'\\');
        if (count % 2 == 1) {
          current += L'"';
          ++i;
        }
      } else {
        current.append(count, L'\\');
      }
    } else if (c == L'"') {
      if (quoted && i + 1 < text.size() && text[i + 1] == L'"') {
        current += L'"';
        i += 2;
      } else {
        quoted = !quoted;
        ++i;
      }
    } else {
      current += c;
      ++i;
    }
  }
  if (inArgument) arguments.push_back(current);
  return arguments;
}

std::vector<std::wstring> SplitCommandLine(std::wstring_view commandLine) {
  std::size_t at = commandLine.find_first_not_of(L" \t");
  if (at == std::wstring_view::npos) return {};
  if (commandLine[at] == L'"') {
    at = commandLine.find(L'"', at + 1);
    at = at == std::wstring_view::npos ? commandLine.size() : at + 1;
  } else {
    at = commandLine.find_first_of(L" \t", at);
    if (at == std::wstring_view::npos) at = commandLine.size();
  }
  return SplitArguments(commandLine.substr(at));
}

}  // namespace text
