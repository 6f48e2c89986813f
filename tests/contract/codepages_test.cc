#include <gtest/gtest.h>

#include <string>

#include "contract_env.h"
#include "platform/platform.h"

namespace {

using namespace pf;

std::wstring ToWide(UINT codePage, const std::string& bytes) {
  const int n = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  if (n > 0) MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), &wide[0], n);
  return wide;
}

std::string ToBytes(UINT codePage, const std::wstring& wide) {
  const int n = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0);
  std::string bytes(static_cast<size_t>(n), '\0');
  if (n > 0) WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), &bytes[0], n);
  return bytes;
}

TEST_F(ContractTest, MultiByteToWideCharDecodesGbkUtf8And1252) {
  const std::wstring zhongwen{0x4E2D, 0x6587};
  EXPECT_EQ(ToWide(936, "\xD6\xD0\xCE\xC4"), zhongwen);
  EXPECT_EQ(ToWide(CP_UTF8, "\xE4\xB8\xAD\xE6\x96\x87"), zhongwen);
  EXPECT_EQ(ToWide(1252, "\x80\xE9"), (std::wstring{0x20AC, 0x00E9}));
  EXPECT_EQ(ToWide(936, "\x80"), std::wstring{0x20AC});
}

TEST_F(ContractTest, MultiByteToWideCharBufferRules) {
  const char* text = "\xD6\xD0" "A";
  EXPECT_EQ(MultiByteToWideChar(936, 0, text, -1, nullptr, 0), 3);  // NUL counted
  wchar_t wide[8] = {};
  EXPECT_EQ(MultiByteToWideChar(936, 0, text, -1, wide, 8), 3);
  EXPECT_EQ(wide[0], 0x4E2D);
  EXPECT_EQ(wide[2], L'\0');
  EXPECT_EQ(MultiByteToWideChar(936, 0, text, 3, wide, 1), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(MultiByteToWideChar(936, 0, text, 0, wide, 8), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"\u00e9", -1, nullptr, 0), 3);
}

TEST_F(ContractTest, TextSurvivesARoundTrip) {
  const std::wstring text{L'I', L'N', L'F', 0x6253, 0x5370, 0x673A};
  EXPECT_EQ(ToWide(936, ToBytes(936, text)), text);
  EXPECT_EQ(ToWide(CP_UTF8, ToBytes(CP_UTF8, text)), text);
  EXPECT_EQ(ToBytes(936, std::wstring{0x4E2D}), "\xD6\xD0");
}

TEST_F(ContractTest, LocaleAnsiCodePageBufferRules) {
  const LCID chinese = 0x0804;
  EXPECT_EQ(GetLocaleInfoW(chinese, LOCALE_IDEFAULTANSICODEPAGE, nullptr, 0), 4);
  wchar_t data[10];
  ASSERT_EQ(GetLocaleInfoW(chinese, LOCALE_IDEFAULTANSICODEPAGE, data, 10), 4);
  EXPECT_EQ(std::wstring(data), L"936");
  EXPECT_EQ(GetLocaleInfoW(chinese, LOCALE_IDEFAULTANSICODEPAGE, data, 3), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  ASSERT_EQ(GetLocaleInfoW(0x0409, LOCALE_IDEFAULTANSICODEPAGE, data, 10), 5);
  EXPECT_EQ(std::wstring(data), L"1252");
}

}  // namespace
