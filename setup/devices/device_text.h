// Text helpers of the device code: the letter case that registry names and
// device ids are compared in, removing characters, trimming white space.
#pragma once

#include <string>

std::wstring Upper(std::wstring text);
std::wstring Lower(std::wstring text);
// The text without any of the character `removed`.
std::wstring WithoutChar(std::wstring text, wchar_t removed);
// The text without white space at either end.
std::wstring Trim(const std::wstring& text);
