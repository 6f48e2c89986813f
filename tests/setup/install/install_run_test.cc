// The installation run of the install page, whole wizards on the simulated
// PC: how long a run takes and in which steps, what each failure shows and
// leaves, how the printer is named and found among the others, and what a
// failed listing does.
#include <gtest/gtest.h>

#include "setup/install/protected_print.h"
#include "tests/setup/install/install_env.h"

namespace install_test {
namespace {

const std::wstring kSuccess = L"安装成功，请点击“完成”退出";
const std::wstring kFailure = L"安装失败，请点击“上一步”返回或点击“完成”退出";
const std::wstring kProtectedPrintPolicy = L"Software\\Policies\\Microsoft\\Windows NT\\Printers\\WPP";
const std::wstring kProtectedPrintMessage =
    L"Windows 受保护的打印模式已开启，无法安装此打印机驱动程序。请联系管理员关闭该模式后再安装。";

int Count(const std::vector<std::string>& calls, const std::string& name) {
  return static_cast<int>(std::count(calls.begin(), calls.end(), name));
}

TEST_F(InstallTest, ARunTakesFourPacedStatusLinesTheFillAndTwoSecondsOfServiceBeyondThePrintUi) {
  ui_.Takes(1500);
  std::string buttonsMidRun;
  pf::sim::SimServiceRegistration midService;
  Press(IDC_NEXT);
  Then([&] {
    ASSERT_TRUE(windows_.Click(windows_.Child(detect_.GetSafeHwnd(), IDC_DETECT_LPT)));
    pc_->kernel().ScheduleIn(100, [&] { buttonsMidRun = Buttons(); });
    // In the first of the two seconds between the service's start and its stop.
    pc_->kernel().ScheduleIn(3720 + 500, [&] { pc_->services().GetRegistration(L"Printer Helper", &midService); });
  });
  Press(IDC_NEXT);
  Then([&] {
    // 3 lines of 12 steps of 25 ms; the print UI; the 4th line; the fill from
    // 49 to 100 at 20 ms a step; the service's two seconds.
    EXPECT_EQ(Statuses(), (std::vector<std::wstring>{L"", L"正在获取系统信息...", L"正在复制文件...",
                                                      L"正在添加打印机驱动...", L"正在添加打印机...", kSuccess}));
    std::vector<pf::DWORD> times;
    for (const StatusChange& change : statuses_) times.push_back(change.tick - startTick_);
    EXPECT_EQ(times, (std::vector<pf::DWORD>{0, 0, 300, 600, 2400, 5720}));
    ASSERT_EQ(ui_.runs().size(), 1u);
    EXPECT_EQ(ui_.runs()[0].started - start_, 900u);
    EXPECT_EQ(ui_.runs()[0].ended - start_, 2400u);
    ASSERT_EQ(pc_->spooler().broadcasts().size(), 1u);
    EXPECT_EQ(pc_->spooler().broadcasts()[0].time - start_, 3720u);
    EXPECT_EQ(pc_->spooler().broadcasts()[0].message, pf::WM_SETTINGCHANGE);
    EXPECT_EQ(pf::GetTickCount() - startTick_, 1500u + 4220u);
    EXPECT_EQ(buttonsMidRun, "DDDD");
    // The service as it was registered while it ran.
    EXPECT_EQ(midService.name, L"Printer Helper");
    EXPECT_EQ(midService.displayName, L"Printer Helper");
    EXPECT_EQ(midService.binaryPath, L"\"" + kServiceExe + L"\"");
    EXPECT_EQ(midService.serviceType, 0x110u);
    EXPECT_EQ(midService.startType, pf::SERVICE_AUTO_START);
    EXPECT_EQ(midService.errorControl, pf::SERVICE_ERROR_NORMAL);
  });
  FinishAndRun();
}

TEST_F(InstallTest, EachFailureIsToldOnceAndLeavesBackOnToTryAgain) {
  struct Case {
    const char* what;
    std::function<void()> arrange;
    std::int32_t result;
    std::wstring message;
    bool listsRead, printUiRan;
  };
  auto windowsVersion = [&](pf::DWORD major, pf::DWORD minor, pf::DWORD platform) {
    pc_->system().SetVersion(major, minor, 0, platform);
    ProbePlatform();
  };
  auto pickLpt = [&] { ASSERT_TRUE(windows_.Click(windows_.Child(detect_.GetSafeHwnd(), IDC_DETECT_LPT))); };
  const std::wstring tooOld = L"系统版本过低，请在Win2000及以上的系统上安装";
  const std::vector<Case> cases = {
      {"USB printer gone", [] {}, 3, L"没有检测到USB打印机设备。请返回上一步重新连接USB线缆并打开电源。", false, false},
      {"Windows NT 4", [&] { windowsVersion(4, 0, pf::VER_PLATFORM_WIN32_NT); }, 100, tooOld, false, false},
      {"Windows Me", [&] { windowsVersion(4, 90, pf::VER_PLATFORM_WIN32_WINDOWS); }, 100, tooOld, false, false},
      {"no printer added",
       [&] {
         windowsVersion(6, 1, pf::VER_PLATFORM_WIN32_NT);
         ui_.AddsNothing();
         pickLpt();
       },
       30, L"未知的安装错误", true, true},
      {"print UI not started",
       [&] {
         ui_.AddsThePrinter();
         pc_->kernel().FailCall("ShellExecuteExW", pf::ERROR_FILE_NOT_FOUND, 0);
         pickLpt();
       },
       30, L"未知的安装错误", true, false},
      {"no system folder",
       [&] {
         pc_->kernel().FailCall("GetSystemDirectoryW", pf::ERROR_ACCESS_DENIED, 0);
         pickLpt();
       },
       30, L"未知的安装错误", true, false},
      // Windows protected print mode: nothing is changed, not even listed.
      {"protected print mode on",
       [&] {
         reg().SetDword(pf::HKEY_LOCAL_MACHINE, kProtectedPrintPolicy, L"WindowsProtectedPrintGroupPolicyState", 1);
         pickLpt();
       },
       1260, kProtectedPrintMessage, false, false},
      // A 64-bit Windows without the Sysnative alias: no print UI at all,
      // rather than the 32-bit one that would make no printer.
      {"64-bit Windows without Sysnative",
       [&] {
         reg().SetDword(pf::HKEY_LOCAL_MACHINE, kProtectedPrintPolicy, L"WindowsProtectedPrintGroupPolicyState", 0);
         ui_.MakeWow64Pc(false);
         pickLpt();
       },
       30, L"未知的安装错误", true, false},
      // IsWow64Process failing counts as 32-bit Windows: the system
      // directory's print UI runs, here the 32-bit one, which adds nothing.
      {"IsWow64Process failing on 64-bit Windows",
       [&] {
         pc_->kernel().FailCall("IsWow64Process", pf::ERROR_PROC_NOT_FOUND);
         pickLpt();
       },
       30, L"未知的安装错误", true, true},
  };
  std::size_t boxes = 0, runs = 0;
  Press(IDC_NEXT);
  for (const Case& c : cases) {
    Then([&] {
      pc_->kernel().ClearFaults();
      c.arrange();
      pc_->kernel().ClearCalls();
      boxes = Boxes().size();
      runs = ui_.runs().size();
    });
    Press(IDC_NEXT);
    Then([&] {
      SCOPED_TRACE(c.what);
      EXPECT_EQ(install_.state.resultCode, c.result);
      ASSERT_EQ(Boxes().size(), boxes + 1);
      EXPECT_EQ(Boxes().back(), c.message);
      EXPECT_EQ(pc_->system().messageBoxes().back().type, pf::MB_OK | pf::MB_ICONERROR);
      EXPECT_EQ(Count(pc_->kernel().Calls(), "EnumPrintersW"), c.listsRead ? 4 : 0);
      EXPECT_EQ(ui_.runs().size() - runs, c.printUiRan ? 1u : 0u);
      EXPECT_EQ(Text(IDC_INSTALL_STATUS), kFailure);
      EXPECT_EQ(TopTitle(), L"安装向导 - 安装完成");
      EXPECT_EQ(Progress(), 100);
      EXPECT_EQ(Buttons(), "EDDE");
      // Nothing of a success: no printer, no default printer, no broadcast, no service.
      EXPECT_TRUE(pc_->spooler().PrinterNames().empty());
      EXPECT_EQ(DefaultPrinter(), L"<none>");
      EXPECT_TRUE(pc_->spooler().broadcasts().empty());
      EXPECT_TRUE(pc_->services().StartedPrograms().empty());
      EXPECT_TRUE(install_.state.finalPrinterName.empty());
      EXPECT_TRUE(Values(kClassKey).empty());  // nothing staged
    });
    Press(IDC_BACK);
    Then([&] {
      // Back leads to the detection page, which has detected again.
      EXPECT_EQ(wizard_.ActivePage(), &detect_);
      EXPECT_EQ(Buttons(), "EEED");
    });
  }
  Then([&] { ASSERT_TRUE(windows_.Click(Control(IDC_CANCEL))); });
  EXPECT_EQ(wizard_.DoModal(), IDC_CANCEL);
  ExpectNothingHeld();
}

// setup.exe is a 32-bit program: on 64-bit Windows the print UI of its
// redirected system directory makes no printer from the INF's x64 models, so
// both command lines start the 64-bit rundll32.exe through Sysnative, with
// the parameters they have on 32-bit Windows. An INF without NTamd64 models
// adds nothing there.
TEST_F(InstallTest, On64BitWindowsBothPrintUiCommandsRunTheSysnativeRundll32) {
  const std::wstring sysnative = L"C:\\WINDOWS\\Sysnative\\rundll32.exe";
  ui_.MakeWow64Pc();
  Install(true);
  Then([&] {
    EXPECT_EQ(install_.state.resultCode, 30);
    ASSERT_EQ(ui_.runs().size(), 1u);
    EXPECT_EQ(ui_.runs()[0].imagePath, sysnative);
    EXPECT_EQ(ui_.runs()[0].refused, L"the INF does not name the model TQ-5800 for amd64");
    pc_->files().WriteFileBytes(kProgramFolder + L"\\TQPRINTER.INF",
                                "[Manufacturer]\r\n\"TAVIR\"=TAVIR,NTx86,NTamd64\r\n"
                                "[TAVIR.NTx86]\r\n\"TQ-5800\" = TQ5800, LPTENUM\\TAVIRTQ-5800\r\n"
                                "[TAVIR.NTamd64]\r\n\"TQ-5800\" = TQ5800, LPTENUM\\TAVIRTQ-5800\r\n");
  });
  Press(IDC_BACK);
  Then([&] { ASSERT_TRUE(windows_.Click(windows_.Child(detect_.GetSafeHwnd(), IDC_DETECT_LPT))); });
  Press(IDC_NEXT);
  Then([&] {
    EXPECT_EQ(install_.state.resultCode, 0);
    EXPECT_EQ(install_.state.finalPrinterName, L"TQ-5800");
    const std::vector<pf::sim::ProcessStartRecord>& starts = pc_->process().starts();
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[1].file, sysnative);
    EXPECT_EQ(starts[1].parameters, starts[0].parameters);
    EXPECT_EQ(starts[1].parameters, L" printui.dll,PrintUIEntry /z /if /b \"TQ-5800\" /f "
                                    L"\"C:\\TQPrinterSetup\\TQPRINTER.inf\" /r \"LPT1:\" /m \"TQ-5800\"");
    ClickHidden(IDC_INSTALL_TEST_PAGE);
  });
  Then([&] {  // inside the test page dialog's loop
    ASSERT_EQ(pc_->process().starts().size(), 3u);
    EXPECT_EQ(pc_->process().starts()[2].file, sysnative);
    EXPECT_EQ(pc_->process().starts()[2].parameters, L" printui.dll,PrintUIEntry /k /n \"TQ-5800\"");
    EXPECT_EQ(ui_.testPages(), std::vector<std::wstring>{L"TQ-5800"});
    fw::HWND dialog = windows_.FindWindowByTitle(L"TQ-5800");
    ASSERT_NE(dialog, 0u);
    windows_.PressKey(windows_.Child(dialog, 1), fw::VK_RETURN);
  });
  FinishAndRun();
}

TEST_F(InstallTest, APrinterAddedUnderAnotherNameIsNeitherTheDefaultNorOffered) {
  ui_.AddsPrinterNamed(L"Generic / Text Only");
  Install(true);
  Then([&] {
    EXPECT_EQ(install_.state.resultCode, 0);
    EXPECT_EQ(pc_->spooler().PrinterNames(), std::vector<std::wstring>{L"Generic / Text Only"});
    EXPECT_TRUE(install_.state.finalPrinterName.empty());
    EXPECT_EQ(DefaultPrinter(), L"<none>");
    EXPECT_EQ(Text(IDC_INSTALL_NAME), L"名称: \tTQ-5800");  // the predicted name stays
    EXPECT_EQ(pc_->spooler().broadcasts().size(), 1u);
    EXPECT_EQ(Text(IDC_INSTALL_STATUS), kSuccess);
    EXPECT_EQ(Buttons(), "DDDE");
    EXPECT_TRUE(Boxes().empty());
    // Without a printer, the test page button does nothing and the settings
    // button tells twice (landscape, then A3) that there is no such printer.
    ClickHidden(IDC_INSTALL_TEST_PAGE);
    ClickHidden(IDC_INSTALL_SETTINGS);
  });
  Then([&] {
    EXPECT_EQ(ui_.runs().size(), 1u);
    EXPECT_EQ(windows_.TopLevelWindows().size(), 1u);
    ASSERT_EQ(Boxes(), std::vector<std::wstring>(2, L"The printer name is invalid.\r\n"));
    for (const auto& box : pc_->system().messageBoxes()) {
      EXPECT_EQ(box.owner, install_.GetSafeHwnd());
      EXPECT_EQ(box.caption, L"setup");
      EXPECT_EQ(box.type, pf::MB_OK);
    }
  });
  FinishAndRun();
}

TEST_F(InstallTest, ANameInUseIsPredictedWithTheNextFreeCopyNumberAndTheCopyIsFound) {
  pc_->spooler().AddPrinter(L"TQ-5800", L"LPT1:", L"TQ-5800");
  pc_->spooler().AddPrinter(L"tq-5800 (副本 1)", L"USB002", L"TQ-5800");
  std::wstring nameMidRun;
  Press(IDC_NEXT);
  Then([&] {
    ASSERT_TRUE(windows_.Click(windows_.Child(detect_.GetSafeHwnd(), IDC_DETECT_LPT)));
    pc_->kernel().ScheduleIn(100, [&] { nameMidRun = Text(IDC_INSTALL_NAME); });
  });
  Press(IDC_NEXT);
  Then([&] {
    EXPECT_EQ(nameMidRun, L"名称: \tTQ-5800 (副本 2)");
    EXPECT_EQ(ui_.runs()[0].baseName, L"TQ-5800");  // created under the base name
    EXPECT_EQ(install_.state.finalPrinterName, L"TQ-5800 (副本 2)");
    EXPECT_EQ(Text(IDC_INSTALL_NAME), L"名称: \tTQ-5800 (副本 2)");
    EXPECT_EQ(DefaultPrinter(), L"TQ-5800 (副本 2),winspool,LPT1:");
  });
  FinishAndRun();
}

TEST_F(InstallTest, ARunAfterAFailureComparesTheListsOfBothRuns) {
  pc_->spooler().AddPrinter(L"Fax", L"FAX:", L"Fax Driver");
  ui_.AddsNothing();
  Install(true);
  Then([&] {
    EXPECT_EQ(install_.state.resultCode, 30);
    EXPECT_EQ(install_.state.printersBefore, std::vector<std::wstring>{L"Fax"});
    EXPECT_EQ(install_.state.printersAfter, std::vector<std::wstring>{L"Fax"});
    ui_.AddsThePrinter();
  });
  Press(IDC_BACK);
  Then([&] { ASSERT_TRUE(windows_.Click(windows_.Child(detect_.GetSafeHwnd(), IDC_DETECT_LPT))); });
  Press(IDC_NEXT);
  Then([&] {
    EXPECT_EQ(install_.state.resultCode, 0);
    EXPECT_EQ(install_.state.printersBefore, (std::vector<std::wstring>{L"Fax", L"Fax"}));
    EXPECT_EQ(install_.state.printersAfter, (std::vector<std::wstring>{L"Fax", L"Fax", L"TQ-5800"}));
    EXPECT_EQ(install_.state.finalPrinterName, L"TQ-5800");
    EXPECT_EQ(Buttons(), "DDDE");
  });
  FinishAndRun();
}

// A listing before the print UI that fails is told with its error code and
// ends the run: without the printers that were there, any printer listed
// afterwards could pass for the new one. Back and Next install again.
TEST_F(InstallTest, AFailedListingBeforeThePrintUiEndsTheRunWithoutCreatingAPrinter) {
  pc_->spooler().AddPrinter(L"Fax", L"FAX:", L"Fax Driver");
  pc_->kernel().FailCall("EnumPrintersW", pf::RPC_S_SERVER_UNAVAILABLE, 1);  // the first list's second call
  Install(true);
  Then([&] {
    EXPECT_EQ(Boxes(), (std::vector<std::wstring>{L"枚举打印机信息失败。错误代码：1722", L"未知的安装错误"}));
    EXPECT_EQ(pc_->system().messageBoxes()[0].type, pf::MB_OK | pf::MB_ICONERROR);
    EXPECT_EQ(install_.state.resultCode, 30);
    EXPECT_TRUE(ui_.runs().empty());
    EXPECT_EQ(pc_->spooler().PrinterNames(), std::vector<std::wstring>{L"Fax"});
    EXPECT_EQ(DefaultPrinter(), L"<none>");
    EXPECT_EQ(Buttons(), "EDDE");
  });
  Press(IDC_BACK);
  Then([&] { ASSERT_TRUE(windows_.Click(windows_.Child(detect_.GetSafeHwnd(), IDC_DETECT_LPT))); });
  Press(IDC_NEXT);
  Then([&] {
    EXPECT_EQ(install_.state.resultCode, 0);
    EXPECT_EQ(install_.state.finalPrinterName, L"TQ-5800");
    EXPECT_EQ(DefaultPrinter(), L"TQ-5800,winspool,LPT1:");
  });
  FinishAndRun();
}

TEST_F(InstallTest, ABufferThatCannotBeHadIsToldAndSoIsTheListingWithoutIt) {
  pc_->spooler().AddPrinter(L"Fax", L"FAX:", L"Fax Driver");
  pc_->kernel().FailCall("LocalAlloc", pf::ERROR_NOT_ENOUGH_MEMORY, 0);
  Install(true);
  Then([&] {
    EXPECT_EQ(Boxes(), (std::vector<std::wstring>{L"枚举打印机信息失败。错误代码：8",
                                                  L"枚举打印机信息失败。错误代码：1784", L"未知的安装错误"}));
    EXPECT_TRUE(install_.state.printersBefore.empty());
    EXPECT_EQ(install_.state.resultCode, 30);
    EXPECT_TRUE(ui_.runs().empty());
  });
  FinishAndRun();
  ExpectNothingHeld();
}

// Found by the fault sweep: with a printer on the PC and a print UI that
// added nothing, a listing that failed left one list shorter than the other,
// and the run reported success for a printer it had not added (and deployed
// the helper service for it). A failed listing after the print UI now ends
// the run with result 30, and a later run compares its own two listings,
// not lists that one failed listing left uneven.
TEST_F(InstallTest, AFailedListingIsNeverTakenForAnAddedPrinter) {
  pc_->spooler().AddPrinter(L"Fax", L"FAX:", L"Fax Driver");
  ui_.AddsNothing();
  pc_->kernel().FailCall("EnumPrintersW", pf::RPC_S_SERVER_UNAVAILABLE, 3);  // the second list's second call
  Install(true);
  Then([&] {
    EXPECT_EQ(Boxes(), (std::vector<std::wstring>{L"枚举打印机信息失败。错误代码：1722", L"未知的安装错误"}));
    EXPECT_EQ(install_.state.resultCode, 30);
    EXPECT_EQ(Text(IDC_INSTALL_STATUS), L"安装失败，请点击“上一步”返回或点击“完成”退出");
    EXPECT_TRUE(pc_->services().StartedPrograms().empty());
  });
  Press(IDC_BACK);
  Then([&] { ASSERT_TRUE(windows_.Click(windows_.Child(detect_.GetSafeHwnd(), IDC_DETECT_LPT))); });
  Press(IDC_NEXT);
  Then([&] {
    EXPECT_EQ(install_.state.printersBefore, (std::vector<std::wstring>{L"Fax", L"Fax"}));
    EXPECT_EQ(install_.state.printersAfter, std::vector<std::wstring>{L"Fax"});
    EXPECT_EQ(install_.state.resultCode, 30);
    EXPECT_EQ(Boxes().size(), 3u);
    EXPECT_EQ(pc_->spooler().PrinterNames(), std::vector<std::wstring>{L"Fax"});
    EXPECT_EQ(DefaultPrinter(), L"<none>");
    EXPECT_TRUE(pc_->services().StartedPrograms().empty());
  });
  FinishAndRun();
  ExpectNothingHeld();
}

// Only the policy's REG_DWORD 1 turns protected print mode on; a key that
// cannot be read leaves it off.
TEST(ProtectedPrintTest, OnlyTheDwordOneTurnsItOn) {
  pf::sim::ScopedSimPc pc;
  const std::wstring name = L"WindowsProtectedPrintGroupPolicyState";
  auto with = [&](pf::DWORD type, const std::string& bytes) {
    pc->registry().SetValue(pf::HKEY_LOCAL_MACHINE, kProtectedPrintPolicy, name, type, bytes);
    return IsProtectedPrintModeOn();
  };
  EXPECT_FALSE(IsProtectedPrintModeOn());  // no key
  EXPECT_TRUE(with(pf::REG_DWORD, std::string("\x01\0\0\0", 4)));
  EXPECT_FALSE(with(pf::REG_DWORD, std::string("\x02\0\0\0", 4)));
  EXPECT_FALSE(with(pf::REG_DWORD, std::string("\x01\0\0\x01", 4)));
  EXPECT_FALSE(with(pf::REG_BINARY, std::string("\x01\0\0\0", 4)));
  EXPECT_FALSE(with(pf::REG_SZ, std::string("1\0\0\0", 4)));
  EXPECT_FALSE(with(11 /* REG_QWORD */, std::string("\x01\0\0\0\0\0\0\0", 8)));
  EXPECT_FALSE(with(pf::REG_DWORD, std::string("\x01\0", 2)));
  with(pf::REG_DWORD, std::string("\x01\0\0\0", 4));
  pc->kernel().ClearFaults();
  pc->kernel().FailCall("RegOpenKeyExW", pf::ERROR_ACCESS_DENIED, 0);
  EXPECT_FALSE(IsProtectedPrintModeOn());
  EXPECT_TRUE(IsProtectedPrintModeOn());
}

}  // namespace
}  // namespace install_test
