// The program's texts: strings of the string table and their %s formatting.
#pragma once

#include <string>

// The string-table text of `id`; empty when there is none.
std::wstring LoadText(unsigned id);
// `pattern` with its first "%s" replaced by `argument`; other text unchanged.
std::wstring FormatText(const std::wstring& pattern, const std::wstring& argument);
// `pattern` with its first "%d" replaced by `number` in decimal.
std::wstring FormatNumber(const std::wstring& pattern, long long number);
