// UTF-8, UTF-16 and UTF-16LE bytes. Wide text is std::wstring holding UTF-16
// code units, one per wchar_t on every platform we build for; units above
// 0xFFFF in a wchar_t are taken modulo 0x10000.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace text {

constexpr char32_t kReplacementCharacter = 0xFFFD;

constexpr bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
constexpr bool IsSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

// The code point at units[*i], advancing *i past it: a surrogate pair gives
// one code point; a surrogate without its partner is returned as it is, so
// the caller decides what it stands for.
char32_t NextCodePoint(std::wstring_view units, std::size_t* i);

// Appends a code point below 0x110000 as UTF-8 (one to four bytes).
void AppendUtf8(char32_t codePoint, std::string* out);
// Appends a code point as UTF-16 units (a pair above 0xFFFF).
void AppendUtf16(char32_t codePoint, std::wstring* out);

// UTF-8 to UTF-16 as Windows converts with MultiByteToWideChar(CP_UTF8, 0):
// each maximal invalid subpart (a stray continuation byte, a cut-off
// sequence, an overlong form, an encoded surrogate, a value above 0x10FFFF)
// becomes U+FFFD. Appends to *units; false when anything was replaced.
bool Utf8ToUtf16(std::string_view utf8, std::wstring* units);
std::wstring Utf8ToUtf16(std::string_view utf8);

// UTF-16 to UTF-8; a surrogate without its partner becomes U+FFFD.
std::string Utf16ToUtf8(std::wstring_view units);

// The units as UTF-16LE bytes, two per unit, nothing added.
std::string Utf16LeBytes(std::wstring_view units);
// As Utf16LeBytes, with the terminating NUL that REG_SZ data carries.
std::string Utf16LeBytesWithNul(std::wstring_view units);
// UTF-16LE bytes back to units; an odd last byte is dropped, NULs are kept.
std::wstring FromUtf16LeBytes(std::string_view bytes);
std::wstring FromUtf16LeBytes(const unsigned char* bytes, std::size_t size);

}  // namespace text
