// Text helpers of the device code: removing characters, trimming white
// space. Letter case comes from common/text, as registry names compare.
#pragma once

#include <string>

// The text without any of the character `removed`.
std::wstring WithoutChar(std::wstring text, wchar_t removed);
// The text without white space at either end.
std::wstring Trim(const std::wstring& text);
