// The message-dispatching waits that long work uses to keep the wizard painted.
#include "framework/dialog.h"
#include "platform/platform.h"
#include "tests/setup/app/shell_env.h"

namespace {

class CountingDialog : public fw::CDialog {
 public:
  CountingDialog() : fw::CDialog(465) {}
  bool OnMessage(fw::UINT message, fw::WPARAM, fw::LPARAM, fw::LRESULT* result) override {
    if (message != fw::WM_USER + 10) return false;
    ++seen;
    seenAt.push_back(pf::GetTickCount());
    *result = 0;
    return true;
  }
  int seen = 0;
  std::vector<pf::DWORD> seenAt;
};

class PumpTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    ASSERT_TRUE(dialog.Create(465, nullptr));
  }
  CountingDialog dialog;
};

TEST_F(PumpTest, ZeroTotalOnlyDispatchesWhatIsWaiting) {
  dialog.PostMessage(fw::WM_USER + 10);
  dialog.PostMessage(fw::WM_USER + 10);
  pf::DWORD start = pf::GetTickCount();
  fw::PumpWait(0, 10);
  EXPECT_EQ(dialog.seen, 2);
  EXPECT_EQ(pf::GetTickCount(), start);
}

TEST_F(PumpTest, SleepsOnlyWholeSlicesAndDispatchesAfterEach) {
  pf::DWORD start = pf::GetTickCount();
  // A message that turns up during the wait is dispatched after the slice it fell in.
  pc_->system().Schedule(start + 15, [&] { dialog.PostMessage(fw::WM_USER + 10); });
  fw::PumpWait(35, 10);
  EXPECT_EQ(pf::GetTickCount() - start, 30u);
  ASSERT_EQ(dialog.seen, 1);
  EXPECT_EQ(dialog.seenAt[0] - start, 20u);
}

TEST_F(PumpTest, AQuitMessageEndsThePumpAndIsNotPutBack) {
  dialog.PostMessage(fw::WM_USER + 10);
  windows_.PostQuitMessage(0);
  EXPECT_FALSE(fw::PumpMessages());
  EXPECT_EQ(dialog.seen, 1);
  EXPECT_TRUE(fw::PumpMessages());  // nothing left, the quit is gone
}

}  // namespace
