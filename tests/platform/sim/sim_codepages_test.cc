#include "platform/sim/sim_codepages.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_kernel.h"

namespace pf::sim {
namespace {

std::wstring Decode(SimCodePages& pages, UINT codePage, const std::string& bytes) {
  const int n = pages.MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(n, L'\0');
  EXPECT_EQ(pages.MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), &wide[0], n), n);
  return wide;
}

TEST(SimCodePagesTest, InputLocaleMapsBackToItsCodePage) {
  SimKernel kernel;
  SimCodePages pages(&kernel);
  for (UINT cp : {936u, 950u, 932u, 949u, 1252u, 1251u, 20127u}) {
    pages.SetInputLocaleAnsiCodePage(cp);
    wchar_t text[10];
    const LCID language = static_cast<LCID>(pages.GetKeyboardLayout(0) & 0xFFFF);
    ASSERT_GT(pages.GetLocaleInfoW(language, LOCALE_IDEFAULTANSICODEPAGE, text, 10), 0) << cp;
    EXPECT_EQ(std::wstring(text), std::to_wstring(cp));
  }
  pages.SetInputLocaleAnsiCodePage(950);
  EXPECT_EQ(pages.GetKeyboardLayout(0) & 0xFFFF, 0x0404u);
}

TEST(SimCodePagesTest, InvalidInputBecomesReplacementCharacters) {
  SimCodePages pages;
  EXPECT_EQ(Decode(pages, CP_UTF8, "a\xFF" "b\xE4\xB8"), (std::wstring{L'a', 0xFFFD, L'b', 0xFFFD}));
  EXPECT_EQ(Decode(pages, 936, "A\xD6"), L"A?");  // lead byte cut off at the end
  EXPECT_EQ(Decode(pages, 1252, "\x81\x80"), (std::wstring{0x81, 0x20AC}));
  EXPECT_EQ(Decode(pages, CP_UTF8, "\xF0\x9F\x98\x80"), (std::wstring{0xD83D, 0xDE00}));
}

TEST(SimCodePagesTest, UnrepresentableCharactersEncodeAsQuestionMarks) {
  SimCodePages pages;
  const std::wstring wide{L'A', 0x4E2D, 0x0E01};
  char out[8];
  const int n = pages.WideCharToMultiByte(1252, 0, wide.data(), 3, out, 8);
  EXPECT_EQ(std::string(out, n), "A??");
  EXPECT_EQ(pages.WideCharToMultiByte(936, 0, wide.data(), 3, out, 8), 4);
  EXPECT_EQ(std::string(out, 3), "A\xD6\xD0");
}

}  // namespace
}  // namespace pf::sim
