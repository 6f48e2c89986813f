// The simulated print UI, started the way the installer starts it: through
// ShellExecuteExW of the system's rundll32.exe, waited for on its handle.
#include "platform/sim/sim_print_ui.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/text/utf.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_pc.h"
#include "platform/sim/sim_spooler.h"

namespace pf::sim {
namespace {

constexpr const wchar_t* kInf = L"C:\\TQPrinterSetup\\TQPRINTER.inf";
constexpr const wchar_t* kModel = L"TAVIR TQ-5800";

std::string PackageInf() {
  std::ifstream file(TQ_PACKAGE_INF, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

class SimPrintUiTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(pc_->files().WriteFileBytes(kInf, PackageInf())); }

  // The install command line as the installer builds it.
  static std::wstring InstallParameters(const std::wstring& name, const std::wstring& port,
                                        const std::wstring& model = kModel, const std::wstring& inf = kInf) {
    return L" printui.dll,PrintUIEntry /z /if /b \"" + name + L"\" /f \"" + inf + L"\" /r \"" + port + L"\" /m \"" +
           model + L"\"";
  }
  // Runs rundll32 with the parameters; its exit code.
  DWORD Run(const std::wstring& parameters, const std::wstring& file = L"C:\\WINDOWS\\system32\\rundll32.exe") {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpFile = file.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_SHOW;
    EXPECT_TRUE(ShellExecuteExW(&info));
    EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    CloseHandle(info.hProcess);
    return code;
  }
  std::vector<std::wstring> Printers() { return pc_->spooler().PrinterNames(); }

  ScopedSimPc pc_;
  SimPrintUi printUi_{pc_.pc()};
};

TEST_F(SimPrintUiTest, InstallsThePrinterOfTheDriverPackage) {
  EXPECT_EQ(printUi_.imagePath(), L"C:\\WINDOWS\\system32\\rundll32.exe");
  EXPECT_EQ(Run(InstallParameters(kModel, L"USB001")), 0u);
  ASSERT_EQ(Printers(), std::vector<std::wstring>{kModel});
  std::optional<SimPrinter> printer = pc_->spooler().Printer(kModel);
  EXPECT_EQ(printer->driver, kModel);
  EXPECT_EQ(printer->port, L"USB001");
  EXPECT_EQ(printer->devMode.dmOrientation, DMORIENT_PORTRAIT);

  ASSERT_EQ(printUi_.runs().size(), 1u);
  const PrintUiRun& run = printUi_.runs()[0];
  EXPECT_TRUE(run.install);
  EXPECT_FALSE(run.shared);
  EXPECT_EQ(run.baseName, kModel);
  EXPECT_EQ(run.infPath, kInf);
  EXPECT_EQ(run.port, L"USB001");
  EXPECT_EQ(run.model, kModel);
  EXPECT_EQ(run.added, kModel);
  EXPECT_EQ(run.refused, L"");
  EXPECT_EQ(run.arguments.size(), 10u);
}

TEST_F(SimPrintUiTest, ANameInUseGetsTheFirstFreeCopyNumber) {
  ASSERT_TRUE(pc_->spooler().AddPrinter(L"TQ 5800", L"LPT1:", L"Other"));
  ASSERT_TRUE(pc_->spooler().AddPrinter(L"tq 5800 (副本 1)", L"LPT1:", L"Other"));
  EXPECT_EQ(Run(InstallParameters(L"TQ 5800", L"LPT1:")), 0u);
  EXPECT_EQ(Printers().back(), L"TQ 5800 (副本 2)");
  EXPECT_EQ(SimPrintUi::CopyName(L"New", {L"Old"}), L"New");
  EXPECT_EQ(SimPrintUi::CopyName(L"New", {L"NEW", L"New (副本 2)"}), L"New (副本 1)");
}

TEST_F(SimPrintUiTest, WhatThePrintUiWouldRefuseAddsNothing) {
  ASSERT_TRUE(pc_->files().WriteFileBytes(L"C:\\Other\\OTHER.INF",
                                          "[Manufacturer]\r\nX=X\r\n[X]\r\n\"Another Model\" = A, USBPRINT\\A\r\n"
                                          "[Strings]\r\nM=\"TAVIR TQ-5800\"\r\n"));
  const std::vector<std::pair<std::wstring, std::wstring>> cases = {
      {InstallParameters(kModel, L"LPT1:", kModel, L"C:\\TQPrinterSetup\\MISSING.INF"), L"no INF file"},
      {InstallParameters(kModel, L"LPT1:", L"TAVIR TQ-9999"), L"the INF does not name the model"},
      {InstallParameters(kModel, L"LPT1:", kModel, L"C:\\Other\\OTHER.INF"), L"the INF does not name the model"},
      {L" printui.dll,PrintUIEntry /if /b \"x\" /f \"" + std::wstring(kInf) + L"\" /r \"LPT1:\"", L"missing /m"},
      {L" shell32.dll,Control_RunDLL printers", L"not the print UI entry point"},
      {L" printui.dll,PrintUIEntry /if /k /n \"x\"", L"needs one of /if and /k"},
      {L" printui.dll,PrintUIEntry /if /x", L"unknown switch /x"},
      {L" printui.dll,PrintUIEntry /if /b", L"no value for /b"},
      {L" printui.dll,PrintUIEntry /k /n \"No Such Printer\"", L"no printer named"},
  };
  for (const auto& [parameters, reason] : cases) {
    EXPECT_EQ(Run(parameters), 1u) << parameters.c_str();
    EXPECT_EQ(printUi_.runs().back().refused.substr(0, reason.size()), reason);
  }
  EXPECT_TRUE(Printers().empty());
  EXPECT_TRUE(printUi_.testPages().empty());
}

TEST_F(SimPrintUiTest, ATestCanMakeItAddNothingAnotherPrinterFailOrTakeTime) {
  printUi_.AddsNothing();
  EXPECT_EQ(Run(InstallParameters(kModel, L"LPT1:")), 0u);
  EXPECT_TRUE(Printers().empty());

  printUi_.AddsPrinterNamed(L"Generic Printer");
  EXPECT_EQ(Run(InstallParameters(kModel, L"LPT1:")), 0u);
  EXPECT_EQ(Printers(), std::vector<std::wstring>{L"Generic Printer"});

  printUi_.Fails(0x80070005);
  EXPECT_EQ(Run(InstallParameters(kModel, L"LPT1:")), 0x80070005u);
  EXPECT_EQ(Printers().size(), 1u);

  printUi_.AddsThePrinter();
  printUi_.Takes(2500);
  const std::uint64_t before = pc_->kernel().Now();
  EXPECT_EQ(Run(InstallParameters(kModel, L"LPT1:")), 0u);
  EXPECT_EQ(pc_->kernel().Now() - before, 2500u);
  EXPECT_EQ(printUi_.runs().back().started, before);
  EXPECT_EQ(printUi_.runs().back().ended, before + 2500);
  EXPECT_EQ(Printers().back(), kModel);
}

TEST_F(SimPrintUiTest, TestPagesAreRecordedForExistingPrinters) {
  ASSERT_TRUE(pc_->spooler().AddPrinter(L"TQ 5800 (副本 1)", L"USB001", kModel));
  EXPECT_EQ(Run(L" printui.dll,PrintUIEntry /k /n \"tq 5800 (副本 1)\""), 0u);
  EXPECT_EQ(printUi_.testPages(), std::vector<std::wstring>{L"tq 5800 (副本 1)"});
  EXPECT_TRUE(printUi_.runs().back().testPage);
}

TEST_F(SimPrintUiTest, ACopyPlantedBesideSetupRunsInsteadWhenNamedBare) {
  bool plantedRan = false;
  pc_->kernel().RegisterProgram(L"C:\\TQPrinterSetup\\rundll32.exe", [&](const SimProcessStart&) {
    plantedRan = true;
    return DWORD{0};
  });
  Run(InstallParameters(kModel, L"LPT1:"), L"rundll32.exe ");
  EXPECT_TRUE(plantedRan);
  EXPECT_TRUE(printUi_.runs().empty());
  Run(InstallParameters(kModel, L"LPT1:"));  // by its full path
  EXPECT_EQ(printUi_.runs().size(), 1u);
}

TEST(SimPrintUiTextTest, ArgumentsSplitAsWindowsSplitsThem) {
  using Args = std::vector<std::wstring>;
  EXPECT_EQ(SimPrintUi::SplitArguments(L"  /b \"TQ 5800\"\t/r LPT1: "), (Args{L"/b", L"TQ 5800", L"/r", L"LPT1:"}));
  EXPECT_EQ(SimPrintUi::SplitArguments(L"/b\"a b\"c"), (Args{L"/ba bc"}));
  EXPECT_EQ(SimPrintUi::SplitArguments(L"\"C:\\Dir\\\\\" x"), (Args{L"C:\\Dir\\", L"x"}));
  EXPECT_EQ(SimPrintUi::SplitArguments(L"a\\\\\\\"b c\\d"), (Args{L"a\\\"b", L"c\\d"}));
  EXPECT_EQ(SimPrintUi::SplitArguments(L"\"say \"\"hi\"\"\" \"\""), (Args{L"say \"hi\"", L""}));
  // A quote inside a value ends it: what follows becomes switches of its own.
  EXPECT_EQ(SimPrintUi::SplitArguments(L"/b \"TQ\" /q \"\" /m \"x\""),
            (Args{L"/b", L"TQ", L"/q", L"", L"/m", L"x"}));
}

TEST(SimPrintUiTextTest, TheInfNamesAModelInAModelsSectionOnly) {
  const std::wstring inf =
      L"; comment with \"TQ A\" = x\r\n[Version]\r\nSignature=\"$Windows NT$\"\r\n"
      L"[Manufacturer]\r\n%MFG% = Maker, NTx86\r\n"
      L"[Maker.NTx86]\r\n%MODEL_B% = B, USBPRINT\\B ; the model by a string key\r\n"
      L"[Maker]\r\n\"TQ A\" = A, LPTENUM\\A\r\n"
      L"[Other]\r\n\"TQ C\" = C\r\n"
      L"[Strings]\r\nMFG=\"Maker\"\r\nMODEL_B = \"TQ B\"\r\n";
  EXPECT_TRUE(SimPrintUi::InfNamesModel(inf, L"TQ A"));
  EXPECT_TRUE(SimPrintUi::InfNamesModel(inf, L"tq b"));
  EXPECT_FALSE(SimPrintUi::InfNamesModel(inf, L"TQ C"));  // not a section [Manufacturer] names
  EXPECT_FALSE(SimPrintUi::InfNamesModel(inf, L"Maker"));
  EXPECT_FALSE(SimPrintUi::InfNamesModel(L"[Maker]\r\n\"TQ A\" = A\r\n", L"TQ A"));  // no [Manufacturer]
  // 64-bit Windows takes only the models of an NTamd64 decoration; 32-bit
  // Windows none of another architecture.
  const std::wstring both =
      L"[Manufacturer]\r\nMaker = Maker, NTamd64.10.0, NTarm64, NT.6.1\r\n"
      L"[Maker]\r\n\"TQ A\" = A\r\n[Maker.NTamd64.10.0]\r\n\"TQ B\" = B\r\n"
      L"[Maker.NTarm64]\r\n\"TQ C\" = C\r\n[Maker.NT.6.1]\r\n\"TQ D\" = D\r\n";
  EXPECT_FALSE(SimPrintUi::InfNamesModel(both, L"TQ A", L"amd64"));
  EXPECT_TRUE(SimPrintUi::InfNamesModel(both, L"TQ B", L"amd64"));
  EXPECT_FALSE(SimPrintUi::InfNamesModel(both, L"TQ C", L"amd64"));
  EXPECT_FALSE(SimPrintUi::InfNamesModel(both, L"TQ D", L"amd64"));
  EXPECT_TRUE(SimPrintUi::InfNamesModel(both, L"TQ A"));
  EXPECT_FALSE(SimPrintUi::InfNamesModel(both, L"TQ B"));
  EXPECT_FALSE(SimPrintUi::InfNamesModel(both, L"TQ C"));
  EXPECT_TRUE(SimPrintUi::InfNamesModel(both, L"TQ D"));
}

TEST_F(SimPrintUiTest, AUtf16InfIsReadToo) {
  const std::wstring text = L"[Manufacturer]\r\n\"朗明\"=LM\r\n[LM]\r\n\"朗明 TQ-5800\" = TQ, USBPRINT\\LM\r\n";
  ASSERT_TRUE(pc_->files().WriteFileBytes(L"C:\\LM\\LM.INF", "\xFF\xFE" + text::Utf16LeBytes(text)));
  EXPECT_EQ(Run(InstallParameters(L"朗明 TQ-5800", L"USB003", L"朗明 TQ-5800", L"C:\\LM\\LM.INF")), 0u);
  EXPECT_EQ(Printers(), std::vector<std::wstring>{L"朗明 TQ-5800"});
}

}  // namespace
}  // namespace pf::sim
