// The install page's two hidden buttons after a successful run: the test
// page goes out while its dialog is on screen, and the printer settings
// become landscape and A3, also for a printer whose information does not
// fit the first query.
#include <gtest/gtest.h>

#include "tests/setup/install/install_env.h"

namespace install_test {
namespace {

TEST_F(InstallTest, TheHiddenButtonsPrintATestPageUnderItsDialogAndSetLandscapeA3) {
  ui_.Takes(200);
  Install(true);
  bool dialogShownDuringPrint = false;
  Then([&] {
    ASSERT_EQ(install_.state.finalPrinterName, L"TQ-5800");
    EXPECT_FALSE(windows_.IsVisible(Item(IDC_INSTALL_TEST_PAGE)));
    EXPECT_FALSE(windows_.IsVisible(Item(IDC_INSTALL_SETTINGS)));
    // A printer whose level-2 information is larger than 4096 bytes.
    pf::sim::SimPrinter printer = *pc_->spooler().Printer(L"TQ-5800");
    printer.comment.assign(3000, L'c');
    pc_->spooler().RemovePrinter(L"TQ-5800");
    pc_->spooler().AddPrinter(printer);
    ClickHidden(IDC_INSTALL_SETTINGS);
  });
  Then([&] {
    pf::DEVMODEW mode{};
    ASSERT_TRUE(pc_->spooler().GetDevMode(L"TQ-5800", &mode));
    EXPECT_EQ(mode.dmOrientation, pf::DMORIENT_LANDSCAPE);
    EXPECT_EQ(mode.dmPaperSize, pf::DMPAPER_A3);
    EXPECT_EQ(mode.dmFields & (pf::DM_ORIENTATION | pf::DM_PAPERSIZE), pf::DM_ORIENTATION | pf::DM_PAPERSIZE);
    EXPECT_EQ(pc_->spooler().Printer(L"TQ-5800")->comment.size(), 3000u);  // nothing else changed
    EXPECT_TRUE(Boxes().empty());
    // The print command runs 100 ms into its 200: the dialog must be up by then.
    pc_->kernel().ScheduleIn(100, [&] {
      fw::HWND dialog = windows_.FindWindowByTitle(L"TQ-5800");
      dialogShownDuringPrint = dialog != 0 && windows_.IsVisible(dialog);
    });
    ClickHidden(IDC_INSTALL_TEST_PAGE);
  });
  Then([&] {  // inside the test page dialog's loop
    EXPECT_TRUE(dialogShownDuringPrint);
    EXPECT_EQ(ui_.testPages(), std::vector<std::wstring>{L"TQ-5800"});
    EXPECT_EQ(pc_->process().starts().back().parameters, L" printui.dll,PrintUIEntry /k /n \"TQ-5800\"");
    fw::HWND dialog = windows_.FindWindowByTitle(L"TQ-5800");
    ASSERT_NE(dialog, 0u);
    windows_.PressKey(windows_.Child(dialog, 1), fw::VK_RETURN);
  });
  Then([&] {
    EXPECT_EQ(windows_.FindWindowByTitle(L"TQ-5800"), 0u);
    EXPECT_EQ(ui_.testPages().size(), 1u);
    // A printer without default settings has nothing to change: no message either.
    pf::sim::SimPrinter printer = *pc_->spooler().Printer(L"TQ-5800");
    printer.hasDevMode = false;
    pc_->spooler().RemovePrinter(L"TQ-5800");
    pc_->spooler().AddPrinter(printer);
    ClickHidden(IDC_INSTALL_SETTINGS);
  });
  Then([&] {
    pf::DEVMODEW mode{};
    EXPECT_FALSE(pc_->spooler().GetDevMode(L"TQ-5800", &mode));
    EXPECT_TRUE(Boxes().empty());
  });
  FinishAndRun();
}

}  // namespace
}  // namespace install_test
