// Whole numbers as decimal text, narrow and wide, without the C library's
// printf (which a Windows program would otherwise carry whole, about 25 KB,
// for a number in a message or a registry key name).
#pragma once

#include <string>

namespace text {

// The digits of value with a leading '-' when it is negative, zeros put
// after the sign until the text is `width` characters long, as "%0*lld"
// prints it: Decimal(7, 4) is "0007", Decimal(-7, 3) is "-07".
std::string Decimal(long long value, int width = 1);
std::wstring WideDecimal(long long value, int width = 1);

}  // namespace text
