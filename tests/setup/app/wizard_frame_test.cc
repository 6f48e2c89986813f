// The wizard frame's rules with pages whose hooks the test scripts: page
// choices, refusals, the button states, Enter, Cancel and Finish, page look.
#include <functional>
#include <string>
#include <vector>

#include "setup/app/setup_wizard.h"
#include "setup/app/wizard_page.h"
#include "tests/setup/app/shell_env.h"

namespace {

class ScriptedPage : public WizardPage {
 public:
  explicit ScriptedPage(int templateId, std::vector<std::string>* log) : WizardPage(templateId), log_(log) {}

  bool OnPageCreated() override { return Note("created", createdResult); }
  bool OnLeave() override { return Note("leave", leaveResult); }
  void OnActivate() override { Note("activate", true); }
  void OnAfterNext() override { Note("afterNext", true); }
  bool OnQueryCancel() override { return Note("queryCancel", queryCancelResult); }
  std::int32_t OnNext() override {
    Note("next", true);
    return nextChoice;
  }
  std::int32_t OnBack() override {
    Note("back", true);
    return backChoice;
  }
  bool IsNextBlocked() override { return nextBlocked; }
  bool OnFinish() override { return Note("finish", finishResult); }

  bool createdResult = true, leaveResult = true, queryCancelResult = true, finishResult = true;
  bool nextBlocked = false;
  std::int32_t nextChoice = 0, backChoice = 0;

 private:
  bool Note(const char* what, bool result) {
    log_->push_back(std::to_string(pageId) + ":" + what);
    return result;
  }
  std::vector<std::string>* log_;
};

class WizardFrameTest : public ShellTest {
 protected:
  // Three pages over real page templates; a page's id is the template the
  // frame creates it from.
  WizardFrameTest() : first(458, &log), second(466, &log), third(205, &log) {}

  void AddAll() {
    wizard.AddPage(&first, 458);
    wizard.AddPage(&second, 466);
    wizard.AddPage(&third, 205);
  }
  void Press(int id) {
    windows_.Then([this, id] { ASSERT_TRUE(windows_.Click(Control(id))) << "button " << id; });
  }
  void Check(std::function<void()> check) { windows_.Then(std::move(check)); }
  WizardPage* Active() const { return wizard.ActivePage(); }
  bool Logged(const std::string& entry) const {
    for (const std::string& line : log) {
      if (line == entry) return true;
    }
    return false;
  }

  std::vector<std::string> log;
  SetupWizard wizard;
  ScriptedPage first, second, third;
};

TEST_F(WizardFrameTest, OnePageStartsWithFinishAndEndsWithIt) {
  wizard.AddPage(&first, 458);
  Check([&] {
    EXPECT_EQ(Buttons(), "DDEE");
    EXPECT_EQ(windows_.Text(Control(IDC_BACK)), L"上一步");
    EXPECT_EQ(windows_.Text(Control(IDC_FINISH)), L"完成");
  });
  Press(IDC_FINISH);
  EXPECT_EQ(wizard.DoModal(), IDC_FINISH);
  EXPECT_TRUE(Logged("458:finish"));
}

TEST_F(WizardFrameTest, NextAndBackFollowPageChoicesAndIgnoreUnknownOnes) {
  AddAll();
  first.nextChoice = 205;  // skip the second page
  third.backChoice = 99;   // no such page: stays
  Check([&] {
    EXPECT_EQ(Active(), &first);
    EXPECT_EQ(Buttons(), "DEED");
  });
  Press(IDC_NEXT);
  Check([&] {
    EXPECT_EQ(Active(), &third);
    EXPECT_FALSE(second.created);
    EXPECT_EQ(Buttons(), "EDEE");  // last page: Next off, Finish on
    EXPECT_TRUE(Logged("205:afterNext"));
    log.clear();
  });
  Press(IDC_BACK);
  Check([&] {
    EXPECT_EQ(Active(), &third);
    third.backChoice = 0;  // now the neighbour before it
  });
  Press(IDC_BACK);
  Check([&] {
    EXPECT_EQ(Active(), &second);
    EXPECT_FALSE(Logged("466:afterNext"));  // reached with Back
    EXPECT_EQ(Buttons(), "EEEE");         // Back does not touch Finish except on the first page
    second.nextChoice = -1;
  });
  Press(IDC_NEXT);
  Check([&] {
    EXPECT_EQ(Active(), &second);
    second.backChoice = 458;
  });
  Press(IDC_BACK);
  Check([&] {
    EXPECT_EQ(Active(), &first);
    EXPECT_EQ(Buttons(), "DEED");
    // Only the shown page is visible; the others are kept hidden.
    EXPECT_TRUE(windows_.IsVisible(first.GetSafeHwnd()));
    EXPECT_FALSE(windows_.IsVisible(second.GetSafeHwnd()));
    EXPECT_FALSE(windows_.IsVisible(third.GetSafeHwnd()));
  });
  Press(IDC_CANCEL);
  EXPECT_EQ(wizard.DoModal(), IDC_CANCEL);
}

TEST_F(WizardFrameTest, RefusingPagesKeepTheWizardWhereItWas) {
  AddAll();
  second.createdResult = false;
  first.nextChoice = 0;
  Press(IDC_NEXT);
  Check([&] {
    EXPECT_EQ(Active(), &first);
    EXPECT_TRUE(second.created);  // the window stays created
    EXPECT_EQ(Buttons(), "DEED");
    second.createdResult = true;
    first.leaveResult = false;
  });
  Press(IDC_NEXT);
  Check([&] {
    EXPECT_EQ(Active(), &first);  // OnLeave refused; an existing page is not created again
    EXPECT_FALSE(Logged("466:activate"));
    first.nextBlocked = true;
    first.leaveResult = true;
    log.clear();
  });
  Press(IDC_NEXT);
  Check([&] {
    EXPECT_FALSE(Logged("458:next"));  // blocked before the page is asked
    first.queryCancelResult = false;
  });
  Press(IDC_CANCEL);
  Check([&] {
    EXPECT_TRUE(Logged("458:queryCancel"));
    EXPECT_TRUE(windows_.IsVisible(wizard.GetSafeHwnd()));
    first.queryCancelResult = true;
    first.finishResult = false;
  });
  Check([&] { EXPECT_FALSE(windows_.Click(Control(IDC_FINISH))); });  // Finish is off on the first of three pages
  Press(IDC_CANCEL);
  EXPECT_EQ(wizard.DoModal(), IDC_CANCEL);
  EXPECT_FALSE(Logged("458:finish"));
}

TEST_F(WizardFrameTest, EnterDoesNothingAndTheTitleBarCloseIsCancel) {
  AddAll();
  Check([&] {
    windows_.PressKey(Control(IDC_NEXT), fw::VK_RETURN);
    windows_.PressKey(first.GetSafeHwnd(), fw::VK_RETURN);
    windows_.PressKey(wizard.GetSafeHwnd(), fw::VK_RETURN);
  });
  Check([&] {
    EXPECT_EQ(Active(), &first);
    EXPECT_TRUE(windows_.IsVisible(wizard.GetSafeHwnd()));
    EXPECT_FALSE(Logged("458:next"));
    wizard.EnableButton(kCancelButton, false);
    wizard.PostMessage(fw::WM_CLOSE);
  });
  Check([&] {
    EXPECT_EQ(windows_.BeepCount(), 1);  // refused while Cancel is disabled
    EXPECT_TRUE(windows_.IsVisible(wizard.GetSafeHwnd()));
    wizard.EnableButton(kCancelButton, true);
    wizard.PostMessage(fw::WM_CLOSE);
  });
  EXPECT_EQ(wizard.DoModal(), IDC_CANCEL);
  EXPECT_TRUE(Logged("458:queryCancel"));
}

// Escape inside a page is the page's own cancel, which does nothing; on a
// frame control it is the frame's cancel. Other keys still reach the page.
TEST_F(WizardFrameTest, EscapeInsideAPageDoesNothingAndOnTheFrameCancels) {
  AddAll();
  Press(IDC_NEXT);
  Check([&] {
    log.clear();
    fw::HWND name = windows_.Child(second.GetSafeHwnd(), 1035);
    windows_.PressKey(name, fw::VK_ESCAPE);
    windows_.Type(name, L"TQ");
  });
  Check([&] {
    EXPECT_EQ(Active(), &second);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(windows_.Text(windows_.Child(second.GetSafeHwnd(), 1035)), L"TQ");
    windows_.PressKey(Control(IDC_NEXT), fw::VK_ESCAPE);
  });
  EXPECT_EQ(wizard.DoModal(), IDC_CANCEL);
  EXPECT_TRUE(Logged("458:queryCancel"));
  EXPECT_TRUE(Logged("466:queryCancel"));
  EXPECT_FALSE(Logged("205:queryCancel"));  // never created
}

TEST_F(WizardFrameTest, FinishAsksTheActivePageThenEveryCreatedPage) {
  AddAll();
  Press(IDC_NEXT);
  Press(IDC_NEXT);
  Check([&] {
    ASSERT_EQ(Active(), &third);
    log.clear();
    second.finishResult = false;
  });
  Press(IDC_FINISH);
  Check([&] {
    EXPECT_EQ(log, (std::vector<std::string>{"205:leave", "458:finish", "466:finish"}));
    second.finishResult = true;
  });
  Press(IDC_FINISH);
  EXPECT_EQ(wizard.DoModal(), IDC_FINISH);
  // Destroying the frame asks every created page to leave before its window goes.
  EXPECT_FALSE(first.created);
  EXPECT_FALSE(third.created);
  EXPECT_EQ(windows_.LiveWindows(), 0u);
}

TEST_F(WizardFrameTest, PagesAreWhiteWithTransparentLabels) {
  AddAll();
  Press(IDC_NEXT);
  Check([&] {
    fw::HWND label = windows_.Child(second.GetSafeHwnd(), 1031);  // a static
    fw::HWND edit = windows_.Child(second.GetSafeHwnd(), 1035);
    fw::headless::PaintRecord labelPaint = windows_.LastPaint(label);
    EXPECT_EQ(labelPaint.bkMode, fw::TRANSPARENT);
    EXPECT_EQ(labelPaint.brush, windows_.GetStockObject(fw::NULL_BRUSH));
    fw::headless::PaintRecord editPaint = windows_.LastPaint(edit);
    fw::COLORREF colour = 0;
    ASSERT_TRUE(windows_.BrushColour(editPaint.brush, &colour));
    EXPECT_EQ(colour, fw::RGB(255, 255, 255));
    EXPECT_EQ(editPaint.textColour, fw::RGB(0, 0, 0));
    EXPECT_EQ(editPaint.bkColour, fw::RGB(255, 255, 255));
    // The page sits at the page area's corner.
    fw::RECT area = windows_.Rect(windows_.Child(wizard.GetSafeHwnd(), 1021));
    fw::RECT page = windows_.Rect(second.GetSafeHwnd());
    EXPECT_EQ(page.left, area.left);
    EXPECT_EQ(page.top, area.top);
  });
  Press(IDC_CANCEL);
  EXPECT_EQ(wizard.DoModal(), IDC_CANCEL);
}

}  // namespace
