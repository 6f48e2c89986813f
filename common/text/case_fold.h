// Upper case as Windows compares registry key and value names and file
// names: each UTF-16 unit on its own, by a fixed table (the user's locale
// plays no part). The table holds the lower-case letters of Latin-1, Latin
// Extended-A, Greek, Cyrillic, Armenian, Latin Extended Additional, the
// small Roman numerals, the circled letters and the full-width Latin
// letters; every other unit, surrogates included, stays as it is. Dotless i
// and long s are not folded to ASCII, and a unit never becomes two ('ß'
// stays 'ß').
#pragma once

#include <string>
#include <string_view>

namespace text {

wchar_t UpperChar(wchar_t c);
std::wstring Upper(std::wstring_view text);
// The inverse of the same table: a capital the table produces becomes its
// small letter (Σ becomes σ); every other unit stays.
wchar_t LowerChar(wchar_t c);
std::wstring Lower(std::wstring_view text);
// Equal once both are upper-cased.
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);
// Whether text ends in suffix, compared without case.
bool EndsWithNoCase(std::wstring_view text, std::wstring_view suffix);

}  // namespace text
