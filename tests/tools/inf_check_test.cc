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

TEST(PackageWarningsTest, NameAMissingCatalogAndMissingModelsFor64BitWindows) {
  auto warnings = [](const std::wstring& text) {
    std::string joined;
    for (const std::string& warning : PackageWarnings(text)) joined += warning.substr(0, warning.find(':')) + "|";
    return joined;
  };
  EXPECT_EQ(warnings(L"[Version]\r\nCatalogFile.NTamd64 = tq.cat\r\n"
                     L"[Manufacturer]\r\n%M% = M, NTamd64.10.0, ntARM64\r\n"
                     L"[M.NTamd64.10.0]\r\n\"A\" = A\r\n[M.ntarm64]\r\n\"A\" = A\r\n"),
            "");
  EXPECT_EQ(warnings(L"[Version]\r\nCatalogFile=\r\n[Manufacturer]\r\nM = M, NTx86\r\n[M]\r\n[M.NTx86]\r\n"),
            "no CatalogFile in [Version]|no NTamd64 models section|no NTarm64 models section|");
  // A decoration that [Manufacturer] lists counts only with its section.
  EXPECT_EQ(warnings(L"[Version]\r\nCatalogFile=tq.cat\r\n[Manufacturer]\r\nM = M, NTamd64, NTarm64\r\n"
                     L"[M.NTamd64]\r\n"),
            "no NTarm64 models section|");
}

// The sample package is unsigned: a maker signs its own.
TEST(CheckInfTest, SamplePackageIsCleanButUnsigned) {
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
            "\"lptOffered\":true,\"usbOffered\":true,\"warnings\":[\"no CatalogFile in [Version]: the package is "
            "not signed, and 64-bit Windows 10 and 11 refuse to install an unsigned driver package\"]}");
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
