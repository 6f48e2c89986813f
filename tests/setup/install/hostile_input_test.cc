// What an attacker or an odd PC can put in the installer's way: programs
// planted where a search would find them before the real ones, a quotation
// mark in the printer's name, a driver folder too deep for the command line.
#include <gtest/gtest.h>

#include <atomic>

#include "tests/setup/install/install_env.h"

namespace install_test {
namespace {

// A rundll32.exe beside setup.exe (a downloads folder) or in the current
// directory would be found first by a bare "rundll32.exe" and run elevated.
TEST_F(InstallTest, ARundll32PlantedBesideSetupOrInTheCurrentFolderNeverRuns) {
  int planted = 0;
  auto plant = [&](const pf::sim::SimProcessStart&) {
    ++planted;
    return pf::DWORD{0};
  };
  pc_->kernel().RegisterProgram(kProgramFolder + L"\\rundll32.exe", plant);
  pc_->files().MakeFolder(L"C:\\Users\\Public\\Downloads");
  pc_->files().SetCurrentDirectoryW(L"C:\\Users\\Public\\Downloads");
  pc_->kernel().RegisterProgram(L"C:\\Users\\Public\\Downloads\\rundll32.exe", plant);
  Install(true);
  Then([&] {
    EXPECT_EQ(planted, 0);
    ASSERT_EQ(pc_->process().starts().size(), 1u);
    EXPECT_EQ(pc_->process().starts()[0].file, L"C:\\WINDOWS\\system32\\rundll32.exe");
    EXPECT_EQ(install_.state.finalPrinterName, L"TQ-5800");
  });
  FinishAndRun();
}

// The name box (or a USB device's description) could close the quoted name
// early and add switches of its own to the elevated command line.
TEST_F(InstallTest, AQuoteInThePrinterNameCannotAddSwitches) {
  const std::wstring cleaned = L"TQ-5800 /u /Y /b TQ-5800";
  Press(IDC_NEXT);
  Then([&] {
    ASSERT_TRUE(windows_.Click(windows_.Child(detect_.GetSafeHwnd(), IDC_DETECT_LPT)));
    ASSERT_TRUE(windows_.Type(windows_.Child(detect_.GetSafeHwnd(), IDC_DETECT_NAME), L"TQ-5800\" /u /Y /b \"TQ-5800"));
  });
  Press(IDC_NEXT);
  Then([&] {
    ASSERT_EQ(ui_.runs().size(), 1u);
    EXPECT_EQ(ui_.runs()[0].arguments,
              (std::vector<std::wstring>{L"/z", L"/if", L"/b", cleaned, L"/f", kProgramFolder + L"\\TQPRINTER.inf",
                                         L"/r", L"LPT1:", L"/m", L"TQ-5800"}));
    // The same cleaned name is predicted, found and made the default.
    EXPECT_EQ(install_.state.finalPrinterName, cleaned);
    EXPECT_EQ(Text(IDC_INSTALL_NAME), L"名称: \t" + cleaned);
    EXPECT_EQ(DefaultPrinter(), cleaned + L",winspool,LPT1:");
  });
  FinishAndRun();
}

// The quoted INF path is built in 260 characters: a path that does not fit
// starts nothing (never a cut one), and the run ends as one that added no
// printer; the longest one that fits is passed whole.
TEST_F(InstallTest, AnInfPathThatDoesNotFitStartsNothingAndTheLongestThatFitsIsPassedWhole) {
  auto placeSetupIn = [&](std::size_t folderLength) {
    const std::wstring folder = L"C:\\" + std::wstring(folderLength - 3, L'd');
    pc_->system().SetModulePath(folder + L"\\setup.exe");
    pc_->files().WriteFileBytes(folder + L"\\TQPRINTER.INF", kInf);
    return folder;
  };
  Press(IDC_NEXT);
  Then([&] {
    ASSERT_TRUE(windows_.Click(windows_.Child(detect_.GetSafeHwnd(), IDC_DETECT_LPT)));
    placeSetupIn(244);  // '"' + 244 + "\TQPRINTER.inf" + '"' + NUL = 261
  });
  Press(IDC_NEXT);
  std::wstring folder;
  Then([&] {
    EXPECT_TRUE(pc_->process().starts().empty());
    EXPECT_EQ(install_.state.resultCode, 30);
    EXPECT_EQ(Boxes(), std::vector<std::wstring>{L"未知的安装错误"});
    EXPECT_EQ(Progress(), 100);
    folder = placeSetupIn(243);
  });
  Press(IDC_BACK);
  Then([&] { ASSERT_TRUE(windows_.Click(windows_.Child(detect_.GetSafeHwnd(), IDC_DETECT_LPT))); });
  Press(IDC_NEXT);
  Then([&] {
    ASSERT_EQ(ui_.runs().size(), 1u);
    EXPECT_EQ(ui_.runs()[0].infPath, folder + L"\\TQPRINTER.inf");
    EXPECT_EQ(ui_.runs()[0].added, L"TQ-5800");
    EXPECT_EQ(install_.state.resultCode, 0);
  });
  FinishAndRun();
}

// Unquoted, "C:\Program Files\Common Files\Services\Spoolmate.exe" would
// start C:\Program.exe, or C:\Program Files\Common.exe, as the local system.
TEST_F(InstallTest, AProgramPlantedOnTheUnquotedServicePathNeverRuns) {
  std::atomic<int> planted{0};
  for (const wchar_t* path : {L"C:\\Program.exe", L"C:\\Program Files\\Common.exe"}) {
    pc_->services().RegisterProgram(path, [&](int, char**) { return ++planted, 0; });
  }
  ConnectLptPrinter();
  Install(true);
  Then([&] {
    EXPECT_EQ(install_.state.resultCode, 0);
    EXPECT_EQ(planted.load(), 0);
    EXPECT_EQ(pc_->services().StartedPrograms(), std::vector<std::wstring>{kServiceExe});
    EXPECT_TRUE(Staged().empty());  // Spoolmate ran, and was stopped
    EXPECT_EQ(String(Instance(kLptDevice), L"Mfg"), L"TAVIR");
  });
  FinishAndRun();
}

}  // namespace
}  // namespace install_test
