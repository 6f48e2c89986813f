#include "tools/tqinfcheck/inf_check.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/sim/sim_files.h"
#include "platform/sim/sim_pc.h"

namespace {

TEST(JsonStringTest, EscapesEverythingJsonNeeds) {
  EXPECT_EQ(JsonString(L"a\"b\\c\n\r\t"), "\"a\\\"b\\\\c\\n\\r\\t\"");
  EXPECT_EQ(JsonString(std::wstring(L"\x01\x1F", 2)), "\"\\u0001\\u001F\"");
  EXPECT_EQ(JsonString(L"\x4E2D"), "\"\xE4\xB8\xAD\"");
  // A pair becomes one four-byte character, lone halves stay escaped.
  EXPECT_EQ(JsonString(std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}), "\"\xF0\x9F\x98\x80\"");
  EXPECT_EQ(JsonString(std::wstring{wchar_t(0xDE00), L'x', wchar_t(0xD83D)}), "\"\\uDE00x\\uD83D\"");
}

TEST(InfWarningsTest, NamesEachProblem) {
  DriverInf inf;
  inf.usbHardwareId = L"USBPRINT\\XFFFF";
  std::vector<std::string> warnings = InfWarnings(inf);
  ASSERT_EQ(warnings.size(), 3u);
  EXPECT_NE(warnings[0].find("LPTENUM"), std::string::npos);
  EXPECT_NE(warnings[1].find("not offer"), std::string::npos);
  EXPECT_NE(warnings[2].find("model name"), std::string::npos);
  inf.lptHardwareId = L"LPTENUM\\A, B";
  inf.usbHardwareId = L"USBPRINT\\OK";
  inf.modelName = L"M";
  warnings = InfWarnings(inf);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find("text after"), std::string::npos);
}

TEST(CheckInfTest, SamplePackageIsClean) {
  std::ifstream in(TQ_SAMPLE_INF, std::ios::binary);
  ASSERT_TRUE(in);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  pf::sim::ScopedSimPc pc;
  ASSERT_TRUE(pc->files().WriteFileBytes(L"C:\\S\\TQPRINTER.INF", bytes));
  std::string json;
  ASSERT_TRUE(CheckInf(L"C:\\S\\TQPRINTER.INF", L"TQPRINTER.INF", &json));
  EXPECT_EQ(json,
            "{\"file\":\"TQPRINTER.INF\",\"codePage\":936,"
            "\"lptHardwareId\":\"LPTENUM\\\\TAVIRTQPRINTER5800\","
            "\"usbHardwareId\":\"USBPRINT\\\\TAVIRTQ-5800TQMM\","
            "\"driverModel\":\"TAVIR TQ-5800\",\"deviceDescription\":\"TAVIR TQ-5800\","
            "\"lptOffered\":true,\"usbOffered\":true,\"warnings\":[]}");
  EXPECT_FALSE(CheckInf(L"C:\\S\\MISSING.INF", L"x", &json));
}

TEST(ParseInfCheckArgsTest, PathAndCodePage) {
  std::wstring path;
  std::int32_t codePage = 0;
  std::string error;
  ASSERT_TRUE(ParseInfCheckArgs({L"a.inf", L"--codepage", L"1252"}, &path, &codePage, &error));
  EXPECT_EQ(path, L"a.inf");
  EXPECT_EQ(codePage, 1252);
  EXPECT_FALSE(ParseInfCheckArgs({L"a.inf", L"--codepage"}, &path, &codePage, &error));
  EXPECT_FALSE(ParseInfCheckArgs({L"--codepage", L"12x", L"a"}, &path, &codePage, &error));
  EXPECT_FALSE(ParseInfCheckArgs({}, &path, &codePage, &error));
}

}  // namespace
