#include "common/text/utf.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Utf, SurrogatePairsBothWays) {
  // U+1F600 is F0 9F 98 80 in UTF-8 and D83D DE00 in UTF-16.
  const std::string utf8 = "a\xF0\x9F\x98\x80" "b";
  const std::wstring units{L'a', 0xD83D, 0xDE00, L'b'};
  std::wstring decoded;
  EXPECT_TRUE(text::Utf8ToUtf16(utf8, &decoded));
  EXPECT_EQ(decoded, units);
  EXPECT_EQ(text::Utf16ToUtf8(units), utf8);
  // Chinese and Latin-1 round trip.
  const std::wstring mixed = L"\u4E2D\u6587 \u00E4";
  EXPECT_EQ(text::Utf8ToUtf16(text::Utf16ToUtf8(mixed)), mixed);

  std::size_t i = 1;
  EXPECT_EQ(text::NextCodePoint(units, &i), U'\U0001F600');
  EXPECT_EQ(i, 3u);
}

TEST(Utf, LoneSurrogatesBecomeTheReplacementInUtf8) {
  const std::wstring high_last{L'x', 0xD800};
  const std::wstring low_first{0xDC00, L'y'};
  const std::wstring swapped{0xDE00, 0xD83D};
  EXPECT_EQ(text::Utf16ToUtf8(high_last), "x\xEF\xBF\xBD");
  EXPECT_EQ(text::Utf16ToUtf8(low_first), "\xEF\xBF\xBDy");
  EXPECT_EQ(text::Utf16ToUtf8(swapped), "\xEF\xBF\xBD\xEF\xBF\xBD");
  // NextCodePoint hands the lone unit over for the caller to judge.
  std::size_t i = 1;
  EXPECT_EQ(text::NextCodePoint(high_last, &i), 0xD800u);
  EXPECT_EQ(i, 2u);
}

TEST(Utf, InvalidUtf8BecomesOneReplacementPerMaximalSubpart) {
  struct Case {
    std::string bytes;
    std::wstring units;
  };
  const Case cases[] = {
      {"a\xFF" "b", {L'a', 0xFFFD, L'b'}},               // never a UTF-8 byte
      {"\x80\x80", {0xFFFD, 0xFFFD}},                    // stray continuation bytes
      {"\xE4\xB8" "z", {0xFFFD, L'z'}},                  // cut-off three-byte sequence: one replacement
      {"\xE4\xB8", {0xFFFD}},                            // cut off at the end
      {"\xC0\xAF", {0xFFFD, 0xFFFD}},                    // overlong '/'
      {"\xE0\x80\xAF", {0xFFFD, 0xFFFD, 0xFFFD}},        // overlong three-byte form
      {"\xED\xA0\x80", {0xFFFD, 0xFFFD, 0xFFFD}},        // an encoded surrogate
      {"\xF4\x90\x80\x80", {0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}},  // above U+10FFFF
      {"\xF0\x9F\x98" "a", {0xFFFD, L'a'}},              // four-byte sequence missing its last byte
  };
  for (const Case& c : cases) {
    std::wstring units;
    EXPECT_FALSE(text::Utf8ToUtf16(c.bytes, &units)) << testing::PrintToString(c.bytes);
    EXPECT_EQ(units, c.units) << testing::PrintToString(c.bytes);
  }
  // Appends to what is there.
  std::wstring units = L"x";
  EXPECT_TRUE(text::Utf8ToUtf16("\xC3\xA4", &units));
  EXPECT_EQ(units, L"x\u00E4");
}

TEST(Utf, Utf16LeBytes) {
  const std::wstring units{L'A', 0x4E2D, 0xD83D, 0xDE00};
  const std::string bytes("A\0\x2D\x4E\x3D\xD8\x00\xDE", 8);
  EXPECT_EQ(text::Utf16LeBytes(units), bytes);
  EXPECT_EQ(text::Utf16LeBytesWithNul(units), bytes + std::string(2, '\0'));
  EXPECT_EQ(text::Utf16LeBytesWithNul(L""), std::string(2, '\0'));
  EXPECT_EQ(text::FromUtf16LeBytes(bytes), units);
  // An odd last byte is dropped; NULs inside stay.
  EXPECT_EQ(text::FromUtf16LeBytes(std::string("A\0B", 3)), L"A");
  EXPECT_EQ(text::FromUtf16LeBytes(std::string("A\0\0\0B\0", 6)), std::wstring(L"A\0B", 3));
  EXPECT_EQ(text::FromUtf16LeBytes(std::string("\x01", 1)), L"");
  const unsigned char raw[] = {0x2D, 0x4E, 0x41};
  EXPECT_EQ(text::FromUtf16LeBytes(raw, sizeof raw), L"\u4E2D");
}

}  // namespace
