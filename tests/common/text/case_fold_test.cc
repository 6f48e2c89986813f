#include "common/text/case_fold.h"

#include <gtest/gtest.h>

namespace {

TEST(CaseFold, FoldsAsWindowsComparesNames) {
  EXPECT_EQ(text::Upper(L"Software\\tq-Printer_1"), L"SOFTWARE\\TQ-PRINTER_1");
  // Latin-1 and its neighbours: ä, ÿ (to U+0178), ā; ÷ is no letter.
  EXPECT_EQ(text::Upper(L"\u00E4\u00FF\u0101\u00F7"), L"\u00C4\u0178\u0100\u00F7");
  // Greek with its final sigma, Cyrillic, full-width letters.
  EXPECT_EQ(text::Upper(L"\u03B1\u03C2\u03C3 \u0434\u0451 \uFF41\uFF5A"), L"\u0391\u03A3\u03A3 \u0414\u0401 \uFF21\uFF3A");
  // Chinese, digits, upper-case letters, surrogates stay.
  const std::wstring same{0x4E2D, L'7', L'Q', 0x00C4, 0xD83D, 0xDE00};
  EXPECT_EQ(text::Upper(same), same);
}

TEST(CaseFold, NoFoldIntoAsciiAndNeverTwoUnits) {
  // Dotless i and long s stay apart from I and S; ß has no one-unit upper case.
  EXPECT_EQ(text::UpperChar(0x0131), static_cast<wchar_t>(0x0131));
  EXPECT_EQ(text::UpperChar(0x017F), static_cast<wchar_t>(0x017F));
  EXPECT_EQ(text::Upper(L"stra\u00DFe"), L"STRA\u00DFE");
  EXPECT_FALSE(text::EqualsNoCase(L"\u0131", L"i"));
}

TEST(CaseFold, LowerIsTheTablesInverse) {
  EXPECT_EQ(text::Lower(L"USB\\VID_F1C1&PID_0001\\SER1"), L"usb\\vid_f1c1&pid_0001\\ser1");
  // Σ lowers to σ, not to the final form; Ÿ to ÿ; full-width and Cyrillic letters.
  EXPECT_EQ(text::Lower(L"\u03A3\u0178\uFF34\u0401"), L"\u03C3\u00FF\uFF54\u0451");
  // What has no small letter in the table stays: İ, digits, Chinese.
  const std::wstring same{0x0130, L'7', 0x4E2D, L'q'};
  EXPECT_EQ(text::Lower(same), same);
}

TEST(CaseFold, Comparisons) {
  EXPECT_TRUE(text::EqualsNoCase(L"Enum\\UsbPrint", L"ENUM\\usbprint"));
  EXPECT_TRUE(text::EqualsNoCase(L"B\u00E4r", L"B\u00C4R"));
  EXPECT_TRUE(text::EqualsNoCase(L"\uFF54\uFF51", L"\uFF34\uFF31"));
  // Full-width and plain letters are different names.
  EXPECT_FALSE(text::EqualsNoCase(L"\uFF34\uFF31", L"TQ"));
  EXPECT_FALSE(text::EqualsNoCase(L"ab", L"abc"));
  EXPECT_TRUE(text::EndsWithNoCase(L"C:\\Windows\\WinHlp32.EXE", L"\\winhlp32.exe"));
  EXPECT_FALSE(text::EndsWithNoCase(L"hlp32.exe", L"\\winhlp32.exe"));
  EXPECT_TRUE(text::EndsWithNoCase(L"x", L""));
}

}  // namespace
