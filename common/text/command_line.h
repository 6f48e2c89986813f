// Command lines split as Windows programs split them (CommandLineToArgvW's
// rules): blanks and tabs separate the arguments, double quotes group, 2n
// backslashes before a quote give n backslashes and a grouping quote, 2n + 1
// give n and a literal quote, "" inside quotes is one literal quote, and
// other backslashes are plain characters.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace text {

// The arguments of text that holds only arguments.
std::vector<std::wstring> SplitArguments(std::wstring_view text);
// The arguments of a whole command line after its program part, which ends
// at the closing quote when it starts with one, else at the first blank.
std::vector<std::wstring> SplitCommandLine(std::wstring_view commandLine);

}  // namespace text
