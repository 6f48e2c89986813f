#include "platform/sim/reg_file.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_pc.h"
#include "platform/sim/sim_registry.h"

namespace {

using pf::HKEY_LOCAL_MACHINE;

const char kSeed[] =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\TQ]\r\n"
    "@=\"default\"\r\n"
    "\"Path\"=\"C:\\\\Program Files\\\\\\\"TQ\\\"\"\r\n"
    "\"Count\"=dword:0000002a\r\n"
    "\"Blob\"=hex:01,02,\\\r\n"
    "  ff\r\n"
    "\"HardwareID\"=hex(7):41,00,00,00,42,00,00,00,00,00\r\n"
    "\"Expand\"=hex(2):25,00,54,00,25,00,00,00\r\n"
    "\"Gone\"=\"x\"\r\n"
    "\"Gone\"=-\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\TQ\\Old]\r\n"
    "[-HKEY_LOCAL_MACHINE\\Software\\TQ\\Old]\r\n";

TEST(RegFile, ImportAppliesEveryKindOfLine) {
  pf::sim::ScopedSimPc pc;
  auto& reg = pc->registry();
  std::string error;
  ASSERT_TRUE(reg.ImportRegText(kSeed, &error)) << error;
  std::wstring text;
  ASSERT_TRUE(reg.GetString(HKEY_LOCAL_MACHINE, L"software\\tq", L"", &text));
  EXPECT_EQ(text, L"default");
  ASSERT_TRUE(reg.GetString(HKEY_LOCAL_MACHINE, L"Software\\TQ", L"PATH", &text));
  EXPECT_EQ(text, L"C:\\Program Files\\\"TQ\"");
  pf::DWORD count = 0;
  ASSERT_TRUE(reg.GetDword(HKEY_LOCAL_MACHINE, L"Software\\TQ", L"Count", &count));
  EXPECT_EQ(count, 42u);
  pf::DWORD type = 0;
  std::string bytes;
  ASSERT_TRUE(reg.GetValue(HKEY_LOCAL_MACHINE, L"Software\\TQ", L"Blob", &type, &bytes));
  EXPECT_EQ(type, pf::REG_BINARY);
  EXPECT_EQ(bytes, std::string("\x01\x02\xff"));
  ASSERT_TRUE(reg.GetValue(HKEY_LOCAL_MACHINE, L"Software\\TQ", L"HardwareID", &type, &bytes));
  EXPECT_EQ(type, pf::REG_MULTI_SZ);
  ASSERT_TRUE(reg.GetValue(HKEY_LOCAL_MACHINE, L"Software\\TQ", L"Expand", &type, &bytes));
  EXPECT_EQ(type, pf::REG_EXPAND_SZ);
  EXPECT_FALSE(reg.GetValue(HKEY_LOCAL_MACHINE, L"Software\\TQ", L"Gone", &type, &bytes));
  EXPECT_FALSE(reg.KeyExists(HKEY_LOCAL_MACHINE, L"Software\\TQ\\Old"));
}

TEST(RegFile, ExportRoundTripsThroughUtf16File) {
  pf::sim::ScopedSimPc first;
  std::string error;
  ASSERT_TRUE(first->registry().ImportRegText(kSeed, &error)) << error;
  first->registry().SetString(HKEY_LOCAL_MACHINE, L"Software\\TQ\\Sub", L"Name", L"\u4e2d\u6587");
  std::string exported = first->registry().ExportRegText(HKEY_LOCAL_MACHINE, L"Software\\TQ");

  pf::sim::ScopedSimPc second;
  ASSERT_TRUE(second->registry().ImportRegText(pf::sim::Utf8ToRegFile(exported), &error)) << error;
  EXPECT_EQ(second->registry().ExportRegText(HKEY_LOCAL_MACHINE, L"Software\\TQ"), exported);
  std::wstring text;
  ASSERT_TRUE(second->registry().GetString(HKEY_LOCAL_MACHINE, L"Software\\TQ\\Sub", L"Name", &text));
  EXPECT_EQ(text, L"\u4e2d\u6587");
}

TEST(RegFile, MalformedInputNamesTheLine) {
  std::vector<pf::sim::RegFileOp> ops;
  std::string error;
  EXPECT_FALSE(pf::sim::ParseRegFile("REGEDIT9\r\n", &ops, &error));
  EXPECT_FALSE(pf::sim::ParseRegFile(
      "Windows Registry Editor Version 5.00\r\n\r\n[HKLM\\Software]\r\n", &ops, &error));
  EXPECT_EQ(error.substr(0, 7), "line 3:");
  EXPECT_FALSE(pf::sim::ParseRegFile(
      "Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\A]\r\n\"D\"=dword:123456789\r\n", &ops, &error));
  EXPECT_EQ(error.substr(0, 7), "line 3:");
}

}  // namespace
