#include "tools/tqinfcheck/inf_check.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/sim/sim_files.h"
#include "platform/sim/sim_pc.h"

namespace {

TEST(InfReportJsonTest, EscapesWhatJsonNeedsAndKeepsTextAsUtf8) {
  DriverInf inf;
  inf.lptHardwareId = L"LPTENUM\\TQ";
  inf.usbHardwareId = L"USBPRINT\\TQ";
  // Quote, backslash and control characters escaped; Chinese as UTF-8; a
  // surrogate pair as one four-byte character, a lone half as U+FFFD.
  inf.modelName =
      std::wstring(L"a\"b\\c\n\x01\x1F \x4E2D ") + wchar_t(0xD83D) + wchar_t(0xDE00) + L" " + wchar_t(0xDE00);
  EXPECT_EQ(InfReportJson(L"x.inf", 936, inf),
            "{\"file\":\"x.inf\",\"codePage\":936,"
            "\"lptHardwareId\":\"LPTENUM\\\\TQ\",\"usbHardwareId\":\"USBPRINT\\\\TQ\","
            "\"driverModel\":\"a\\\"b\\\\c\\n\\u0001\\u001f \xE4\xB8\xAD \xF0\x9F\x98\x80 \xEF\xBF\xBD\","
            "\"deviceDescription\":\"a\\\"b\\\\c\\n\\u0001\\u001f \xE4\xB8\xAD \xF0\x9F\x98\x80 \xEF\xBF\xBD\","
            "\"lptOffered\":true,\"usbOffered\":true,\"warnings\":[]}");
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
