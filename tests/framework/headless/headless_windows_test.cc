#include "framework/headless/headless_windows.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/sim/sim_pc.h"
#include "platform/sim/sim_system.h"
#include "setup/resources/resource.h"
#include "tests/framework/headless/scripted_windows.h"

namespace fw::headless {
namespace {

struct Seen {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Seen> g_seen;
HBRUSH g_staticBrush = 0;

INT_PTR Record(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  g_seen.push_back({message, wParam, lParam});
  if (message == WM_INITDIALOG) return TRUE;
  return FALSE;
}

// Draws statics transparently, leaves the rest to the default handling.
INT_PTR TransparentStatics(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_CTLCOLORSTATIC) return FALSE;
  Windows().SetBkMode(static_cast<HDC>(wParam), TRANSPARENT);
  Windows().SetTextColor(static_cast<HDC>(wParam), RGB(0, 0, 255));
  return static_cast<INT_PTR>(g_staticBrush);
}

std::vector<Seen> g_subclassSeen;
LRESULT Upper(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  g_subclassSeen.push_back({message, wParam, lParam});
  return Windows().CallOriginalProc(window, message, wParam, lParam);
}

std::vector<Seen> Commands() {
  std::vector<Seen> commands;
  for (const Seen& s : g_seen)
    if (s.message == WM_COMMAND) commands.push_back(s);
  return commands;
}

class HeadlessWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(LoadResFile(TQ_SETUP_RES_FILE, &bytes));
    windows_ = std::make_unique<ScriptedWindows>(bytes);
    ASSERT_TRUE(windows_->ok());
    scope_ = std::make_unique<ScopedWindows>(windows_.get());
    g_seen.clear();
    g_subclassSeen.clear();
  }
  void RunLoop() {
    MSG msg;
    while (w().GetMessageW(&msg) > 0) w().DispatchMessageW(&msg);
  }
  HeadlessWindows& w() { return *windows_; }

  pf::sim::ScopedSimPc pc_;
  std::unique_ptr<ScriptedWindows> windows_;
  std::unique_ptr<ScopedWindows> scope_;
};

TEST_F(HeadlessWindowsTest, WizardFrameComesFromItsTemplate) {
  HWND wizard = w().CreateDialogParamW(IDD_SETUP_WIZARD, 0, Record, 1234);
  ASSERT_NE(wizard, 0u);
  ASSERT_FALSE(g_seen.empty());
  EXPECT_EQ(g_seen[0].message, WM_INITDIALOG);
  EXPECT_EQ(g_seen[0].lParam, 1234);
  EXPECT_EQ(w().GetWindowTextW(wizard), L"打印机驱动程序");
  EXPECT_EQ(w().ClassName(wizard), L"#32770");
  EXPECT_FALSE(w().IsVisible(wizard));  // no WS_VISIBLE in the template
  EXPECT_EQ(w().TopLevelWindows(), std::vector<HWND>{wizard});

  HWND area = w().GetDlgItem(wizard, IDC_PAGE_AREA);
  ASSERT_NE(area, 0u);
  EXPECT_EQ(w().ClassName(area), L"Static");
  EXPECT_FALSE(w().Style(area) & WS_VISIBLE);
  RECT r = w().Rect(area), frame = w().Rect(wizard);
  EXPECT_EQ(r.right - r.left, 319 * 6 / 4);
  EXPECT_EQ(r.bottom - r.top, 168 * 13 / 8);
  EXPECT_EQ(r.left, frame.left);
  for (int id : {IDC_BACK, IDC_NEXT, IDC_CANCEL, IDC_FINISH}) {
    HWND button = w().GetDlgItem(wizard, id);
    EXPECT_EQ(w().ClassName(button), L"Button") << id;
    EXPECT_TRUE(w().Style(button) & WS_VISIBLE) << id;
    EXPECT_EQ(w().GetParent(button), wizard);
  }
  EXPECT_EQ(w().GetWindowTextW(w().GetDlgItem(wizard, IDC_CANCEL)), L"取消");
  EXPECT_EQ(w().LoadStringW(IDS_BACK), L"上一步");

  // A page is a child dialog; it reuses the id of Next for its heading.
  HWND page = w().CreateDialogParamW(IDD_WELCOME_PAGE, wizard, Record, 0);
  ASSERT_NE(page, 0u);
  EXPECT_EQ(w().GetParent(page), wizard);
  EXPECT_EQ(w().Child(wizard, IDC_NEXT), w().GetDlgItem(wizard, IDC_NEXT));
  w().ShowWindow(wizard, SW_SHOW);
  w().ShowWindow(page, SW_SHOW);
  w().ShowWindow(w().GetDlgItem(wizard, IDC_NEXT), SW_HIDE);
  EXPECT_EQ(w().FindControl(wizard, IDC_NEXT), w().GetDlgItem(page, IDC_WELCOME_HEADING));
  EXPECT_EQ(w().GetWindowTextW(w().FindControl(wizard, IDC_NEXT)), L"欢迎使用打印机驱动程序安装向导");

  EXPECT_EQ(w().CreateDialogParamW(9999, 0, Record, 0), 0u);
  EXPECT_EQ(DefaultWindows().CreateDialogParamW(IDD_SETUP_WIZARD, 0, Record, 0), 0u);
  EXPECT_TRUE(w().DestroyWindow(wizard));
  EXPECT_FALSE(w().IsWindow(page));
  EXPECT_EQ(w().LiveWindows(), 0u);
}

TEST_F(HeadlessWindowsTest, CloseBecomesCancelUnlessCancelIsDisabled) {
  HWND wizard = w().CreateDialogParamW(IDD_SETUP_WIZARD, 0, Record, 0);
  HWND cancel = w().GetDlgItem(wizard, 2);
  w().SendMessageW(wizard, WM_CLOSE, 0, 0);
  ASSERT_EQ(Commands().size(), 1u);
  EXPECT_EQ(Commands()[0].wParam, MAKEWPARAM(2, BN_CLICKED));
  EXPECT_EQ(Commands()[0].lParam, static_cast<LPARAM>(cancel));
  EXPECT_EQ(w().BeepCount(), 0);

  w().EnableWindow(cancel, FALSE);
  w().SendMessageW(wizard, WM_CLOSE, 0, 0);
  EXPECT_EQ(Commands().size(), 1u);
  EXPECT_EQ(w().BeepCount(), 1);
}

TEST_F(HeadlessWindowsTest, EnterAndEscapeGoToTheDefaultButtonAndCancel) {
  HWND wizard = w().CreateDialogParamW(IDD_SETUP_WIZARD, 0, Record, 0);
  HWND page = w().CreateDialogParamW(IDD_INSTALL_PAGE, wizard, Record, 0);
  w().ShowWindow(page, SW_SHOW);
  HWND status = w().GetDlgItem(page, IDC_INSTALL_STATUS);
  auto key = [&](HWND target, WPARAM vk) {
    MSG msg{target, WM_KEYDOWN, vk, 1, 0, {0, 0}};
    return w().IsDialogMessageW(wizard, &msg);
  };
  EXPECT_TRUE(key(status, VK_RETURN));  // no default button: IDOK
  EXPECT_TRUE(key(status, VK_ESCAPE));
  HWND test = w().GetDlgItem(page, IDC_INSTALL_TEST_PAGE);
  w().SetWindowLongW(test, GWL_STYLE, static_cast<LONG>(w().Style(test) | 0x1));  // BS_DEFPUSHBUTTON
  EXPECT_TRUE(key(wizard, VK_RETURN));
  std::vector<Seen> c = Commands();
  ASSERT_EQ(c.size(), 3u);
  EXPECT_EQ(c[0].wParam, MAKEWPARAM(1, BN_CLICKED));
  EXPECT_EQ(c[1].wParam, MAKEWPARAM(2, BN_CLICKED));
  EXPECT_EQ(c[2].wParam, MAKEWPARAM(IDC_INSTALL_TEST_PAGE, BN_CLICKED));
  EXPECT_EQ(c[2].lParam, static_cast<LPARAM>(test));

  HWND other = w().CreateDialogParamW(IDD_PRINT_TEST_PAGE, 0, Record, 0);
  EXPECT_FALSE(key(other, VK_RETURN));
  EXPECT_EQ(Commands().size(), 3u);
}

// As on Windows: a page (a DS_CONTROL child dialog) leaves Enter and Escape
// to the dialog it sits in; without DS_CONTROL it takes them itself.
TEST_F(HeadlessWindowsTest, DialogKeysOfAControlChildGoToItsParentDialog) {
  std::vector<HWND> receivers;
  static std::vector<HWND>* s_receivers;
  s_receivers = &receivers;
  auto noteCommands = [](HWND window, UINT message, WPARAM, LPARAM) -> INT_PTR {
    if (message == WM_COMMAND) s_receivers->push_back(window);
    return message == WM_INITDIALOG ? TRUE : FALSE;
  };
  HWND wizard = w().CreateDialogParamW(IDD_SETUP_WIZARD, 0, noteCommands, 0);
  HWND page = w().CreateDialogParamW(IDD_DETECT_PAGE, wizard, noteCommands, 0);
  ASSERT_TRUE(w().Style(page) & DS_CONTROL);
  HWND name = w().GetDlgItem(page, IDC_DETECT_NAME);
  MSG escape{name, WM_KEYDOWN, VK_ESCAPE, 1, 0, {0, 0}};
  EXPECT_TRUE(w().IsDialogMessageW(page, &escape));
  MSG enter{name, WM_KEYDOWN, VK_RETURN, 1, 0, {0, 0}};
  EXPECT_TRUE(w().IsDialogMessageW(page, &enter));
  EXPECT_EQ(receivers, (std::vector<HWND>{wizard, wizard}));

  w().SetWindowLongW(page, GWL_STYLE, static_cast<LONG>(w().Style(page) & ~DS_CONTROL));
  EXPECT_TRUE(w().IsDialogMessageW(page, &escape));
  EXPECT_EQ(receivers.back(), page);
}

// As Windows does (tests/framework/win32 shows it under Wine): a window
// inside a disabled one takes no focus; a page made hidden takes none at
// first; disabling the window that has it takes it away.
TEST_F(HeadlessWindowsTest, FocusGoesOnlyWhereInputCan) {
  HWND wizard = w().CreateDialogParamW(IDD_SETUP_WIZARD, 0, Record, 0);
  w().ShowWindow(wizard, SW_SHOW);
  const HWND before = w().GetFocus();
  HWND page = w().CreateDialogParamW(IDD_DETECT_PAGE, wizard, Record, 0);
  HWND next = w().GetDlgItem(wizard, IDC_NEXT);
  HWND name = w().GetDlgItem(page, IDC_DETECT_NAME);
  EXPECT_EQ(w().GetFocus(), before);
  w().ShowWindow(page, SW_SHOW);
  EXPECT_NE(w().SetFocus(next), 0u);
  EXPECT_EQ(w().GetFocus(), next);
  w().EnableWindow(page, FALSE);
  EXPECT_EQ(w().SetFocus(name), 0u);
  EXPECT_EQ(w().GetFocus(), next);
  w().EnableWindow(page, TRUE);
  EXPECT_EQ(w().SetFocus(name), next);
  EXPECT_EQ(w().GetFocus(), name);
  w().EnableWindow(name, FALSE);
  EXPECT_EQ(w().GetFocus(), 0u);
  w().DestroyWindow(wizard);
}

TEST_F(HeadlessWindowsTest, TimersFallDueOnTheSimulatedClockOnly) {
  HWND wizard = w().CreateDialogParamW(IDD_SETUP_WIZARD, 0, Record, 0);
  ASSERT_EQ(w().SetTimer(wizard, 7, 100), 7u);
  MSG msg;
  pf::Sleep(99);
  EXPECT_FALSE(w().PeekMessageW(&msg, PM_REMOVE));
  w().Then([] { pf::Sleep(51); });  // 150 ms: one WM_TIMER, however late
  ASSERT_EQ(w().GetMessageW(&msg), 1);
  EXPECT_EQ(msg.message, WM_TIMER);
  EXPECT_EQ(msg.hwnd, wizard);
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_FALSE(w().PeekMessageW(&msg, PM_REMOVE));
  pf::Sleep(60);  // re-armed from 150 ms, not from when it was due
  EXPECT_FALSE(w().PeekMessageW(&msg, PM_REMOVE));
  // Nothing scripted: the loop ends although the timer is still running.
  EXPECT_EQ(w().GetMessageW(&msg), -1);
  EXPECT_TRUE(w().TimerActive(wizard, 7));
  pf::Sleep(40);
  EXPECT_TRUE(w().PeekMessageW(&msg, PM_NOREMOVE));
  EXPECT_TRUE(w().KillTimer(wizard, 7));
  EXPECT_FALSE(w().PeekMessageW(&msg, PM_REMOVE));
  w().PostQuitMessage(3);
  EXPECT_EQ(w().GetMessageW(&msg), 0);
  EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(HeadlessWindowsTest, ScriptedClicksAndTypingGoThroughTheLoop) {
  HWND wizard = w().CreateDialogParamW(IDD_SETUP_WIZARD, 0, Record, 0);
  HWND page = w().CreateDialogParamW(IDD_DETECT_PAGE, wizard, Record, 0);
  w().ShowWindow(wizard, SW_SHOW);
  w().ShowWindow(page, SW_SHOW);
  HWND usb = w().GetDlgItem(page, IDC_DETECT_USB), lpt = w().GetDlgItem(page, IDC_DETECT_LPT);
  HWND name = w().GetDlgItem(page, IDC_DETECT_NAME);
  w().SetWindowTextW(name, L"old");
  g_seen.clear();
  w().Then([&] { w().Click(usb); });
  w().Then([&] { w().Click(lpt); });
  w().Then([&] { w().Type(name, L"TQ"); });
  RunLoop();
  EXPECT_EQ(w().CheckState(usb), 0);
  EXPECT_EQ(w().CheckState(lpt), 1);
  EXPECT_EQ(w().GetWindowTextW(name), L"TQ");
  std::vector<Seen> c = Commands();
  ASSERT_EQ(c.size(), 4u);  // two clicks, two EN_CHANGE
  EXPECT_EQ(c[0].wParam, MAKEWPARAM(IDC_DETECT_USB, BN_CLICKED));
  EXPECT_EQ(c[1].wParam, MAKEWPARAM(IDC_DETECT_LPT, BN_CLICKED));
  EXPECT_EQ(c[3].wParam, MAKEWPARAM(IDC_DETECT_NAME, 0x0300));

  w().Click(usb);
  w().EnableWindow(lpt, FALSE);
  EXPECT_FALSE(w().Click(lpt));
  w().EnableWindow(page, FALSE);  // a disabled parent takes no input either
  EXPECT_FALSE(w().Click(usb));
  EXPECT_FALSE(w().Type(name, L"x"));
  RunLoop();
  EXPECT_EQ(w().CheckState(usb), 1);
  EXPECT_EQ(w().CheckState(lpt), 0);
}

TEST_F(HeadlessWindowsTest, SubclassSeesTextMessagesFirst) {
  HWND dialog = w().CreateDialogParamW(IDD_PRINT_TEST_PAGE, 0, Record, 0);
  HWND text = w().GetDlgItem(dialog, IDC_TEST_PAGE_TEXT);
  ASSERT_TRUE(w().SubclassWindow(text, Upper));
  w().SetWindowTextW(text, L"printer");
  ASSERT_FALSE(g_subclassSeen.empty());
  EXPECT_EQ(g_subclassSeen[0].message, WM_SETTEXT);
  EXPECT_EQ(w().GetWindowTextW(text), L"printer");  // the original procedure kept it
  EXPECT_EQ(g_subclassSeen.back().message, WM_GETTEXT);
}

TEST_F(HeadlessWindowsTest, PaintAsksTheDialogForColours) {
  g_staticBrush = w().GetStockObject(NULL_BRUSH);
  HWND wizard = w().CreateDialogParamW(IDD_SETUP_WIZARD, 0, Record, 0);
  HWND page = w().CreateDialogParamW(IDD_DETECT_PAGE, wizard, TransparentStatics, 0);
  HWND status = w().GetDlgItem(page, IDC_DETECT_STATUS), edit = w().GetDlgItem(page, IDC_DETECT_NAME);
  ASSERT_TRUE(w().SubclassWindow(edit, Upper));
  w().ShowWindow(wizard, SW_SHOW);
  EXPECT_EQ(w().PaintCount(status), 0);  // its page is hidden
  w().ShowWindow(page, SW_SHOW);
  PaintRecord p = w().LastPaint(status);
  EXPECT_EQ(w().PaintCount(status), 1);
  EXPECT_EQ(p.colourMessage, WM_CTLCOLORSTATIC);
  EXPECT_EQ(p.brush, g_staticBrush);
  EXPECT_EQ(p.bkMode, TRANSPARENT);
  EXPECT_EQ(p.textColour, RGB(0, 0, 255));
  PaintRecord e = w().LastPaint(edit);
  EXPECT_EQ(e.colourMessage, WM_CTLCOLOREDIT);
  EXPECT_EQ(e.bkMode, OPAQUE);
  COLORREF colour = 0;
  ASSERT_TRUE(w().BrushColour(e.brush, &colour));
  EXPECT_EQ(colour, RGB(255, 255, 255));
  EXPECT_EQ(g_subclassSeen.at(0).message, WM_ERASEBKGND);
  w().SetWindowTextW(status, L"done");  // a static repaints itself
  EXPECT_EQ(w().PaintCount(status), 2);
  EXPECT_EQ(w().LiveDcs(), 0);
}

TEST_F(HeadlessWindowsTest, GdiObjectsAreCountedUntilDeleted) {
  LOGFONTW description{};
  ASSERT_TRUE(w().GetFontDescription(w().GetStockObject(DEFAULT_GUI_FONT), &description));
  description.lfWeight = FW_BOLD;
  HFONT bold = w().CreateFontIndirectW(description);
  HBRUSH brush = w().CreateSolidBrush(RGB(1, 2, 3));
  EXPECT_EQ(w().LiveGdiObjects(), 2);
  HDC dc = w().GetDC(0);
  w().SelectObject(dc, bold);
  int cx = 0, cy = 0;
  ASSERT_TRUE(w().GetTextExtentPoint32W(dc, L"ab", &cx, &cy));
  int narrow = cx;
  ASSERT_TRUE(w().GetTextExtentPoint32W(dc, L"打印", &cx, &cy));
  EXPECT_GT(cx, narrow);
  EXPECT_EQ(w().ReleaseDC(0, dc), 1);
  EXPECT_TRUE(w().DeleteObject(bold));
  EXPECT_TRUE(w().DeleteObject(brush));
  EXPECT_FALSE(w().DeleteObject(brush));
  EXPECT_EQ(w().LiveGdiObjects(), 0);
}

}  // namespace
}  // namespace fw::headless
