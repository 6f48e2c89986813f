// The real window system through fw::Windows(): a dialog from this program's
// template, its controls, the queue, timers, fonts and the string table.
#include <gtest/gtest.h>

#include <vector>

#include "framework/window_api.h"
#include "tests/framework/win32/windows_test_ids.h"

namespace fw {
namespace {

struct Seen {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Seen> g_dialogMessages;
std::vector<std::wstring> g_setTexts;
bool g_swallowSetText = false;

INT_PTR TestDialogProc(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  g_dialogMessages.push_back({message, wParam, lParam});
  return message == WM_INITDIALOG ? 1 : 0;
}

LRESULT TestEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETTEXT) {
    g_setTexts.emplace_back(reinterpret_cast<const wchar_t*>(lParam));
    if (g_swallowSetText) return 1;
  }
  return Windows().CallOriginalProc(window, message, wParam, lParam);
}

class Win32WindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_dialogMessages.clear();
    g_setTexts.clear();
    g_swallowSetText = false;
    dialog_ = w_.CreateDialogParamW(IDD_TEST, 0, &TestDialogProc, 0x5eed);
    ASSERT_NE(dialog_, 0u);
  }
  void TearDown() override {
    if (w_.IsWindow(dialog_)) w_.DestroyWindow(dialog_);
  }
  // The next posted message for the dialog, skipping whatever else the system queues.
  bool NextFor(UINT first, UINT last, MSG* msg) {
    for (int i = 0; i < 200; ++i) {
      if (w_.GetMessageW(msg) <= 0) return false;
      if (msg->hwnd == dialog_ && msg->message >= first && msg->message <= last) return true;
      w_.DispatchMessageW(msg);
    }
    return false;
  }
  WindowApi& w_ = Windows();
  HWND dialog_ = 0;
};

TEST_F(Win32WindowsTest, DialogFromTemplateWithItsControls) {
  std::vector<LPARAM> inits;
  for (const Seen& s : g_dialogMessages) {
    if (s.message == WM_INITDIALOG) inits.push_back(s.lParam);
  }
  EXPECT_EQ(inits, std::vector<LPARAM>{0x5eed});
  EXPECT_EQ(w_.CreateDialogParamW(999, 0, &TestDialogProc, 0), 0u) << "no such template";

  HWND button = w_.GetDlgItem(dialog_, IDC_TEST_BUTTON);
  ASSERT_NE(button, 0u);
  EXPECT_EQ(w_.GetDlgCtrlID(button), IDC_TEST_BUTTON);
  EXPECT_EQ(w_.GetParent(button), dialog_);
  EXPECT_EQ(w_.GetDlgItem(dialog_, 4242), 0u);
  EXPECT_EQ(w_.GetWindowTextW(dialog_), L"测试");

  HWND edit = w_.GetDlgItem(dialog_, IDC_TEST_EDIT);
  EXPECT_TRUE(w_.SetWindowTextW(edit, L"打印机 TQ-1000 已连接"));
  EXPECT_EQ(w_.GetWindowTextW(edit), L"打印机 TQ-1000 已连接");
  EXPECT_TRUE(w_.SetWindowTextW(edit, L""));
  EXPECT_EQ(w_.GetWindowTextW(edit), L"");

  EXPECT_FALSE(w_.EnableWindow(button, 0)) << "was enabled";
  EXPECT_FALSE(w_.IsWindowEnabled(button));
  EXPECT_TRUE(w_.EnableWindow(button, 1)) << "was disabled";
  EXPECT_TRUE(w_.IsWindowEnabled(button));

  EXPECT_FALSE(w_.IsWindowVisible(dialog_)) << "the template has no WS_VISIBLE";
  EXPECT_FALSE(w_.ShowWindow(dialog_, SW_SHOW));
  EXPECT_TRUE(w_.IsWindowVisible(dialog_));
  EXPECT_TRUE(w_.ShowWindow(dialog_, SW_HIDE));
  EXPECT_FALSE(w_.IsWindowVisible(dialog_));

  int object = 0;
  w_.SetWindowObject(dialog_, &object);
  EXPECT_EQ(w_.GetWindowObject(dialog_), &object);
  EXPECT_EQ(w_.GetWindowObject(button), nullptr) << "one slot per window";
  w_.SetWindowObject(dialog_, nullptr);
  EXPECT_EQ(w_.GetWindowObject(dialog_), nullptr);

  EXPECT_TRUE(w_.DestroyWindow(dialog_));
  EXPECT_FALSE(w_.IsWindow(dialog_));
  EXPECT_EQ(g_dialogMessages.back().message, WM_NCDESTROY) << "the framework procedure sees the window go";
}

std::vector<HWND> g_commandReceivers;
INT_PTR NoteCommands(HWND window, UINT message, WPARAM, LPARAM) {
  if (message == WM_COMMAND) g_commandReceivers.push_back(window);
  return message == WM_INITDIALOG ? 1 : 0;
}

// The headless backend copies this: a page (a DS_CONTROL child dialog)
// leaves Enter and Escape to the dialog it sits in; without DS_CONTROL it
// takes them itself.
TEST_F(Win32WindowsTest, DialogKeysOfAControlChildGoToItsParentDialog) {
  g_commandReceivers.clear();
  HWND outer = w_.CreateDialogParamW(IDD_TEST, 0, &NoteCommands, 0);
  HWND page = w_.CreateDialogParamW(IDD_TEST_PAGE, outer, &NoteCommands, 0);
  ASSERT_NE(page, 0u);
  HWND edit = w_.GetDlgItem(page, IDC_TEST_PAGE_EDIT);
  MSG escape{edit, WM_KEYDOWN, VK_ESCAPE, 1, 0, {0, 0}};
  EXPECT_TRUE(w_.IsDialogMessageW(page, &escape));
  MSG enter{edit, WM_KEYDOWN, VK_RETURN, 1, 0, {0, 0}};
  EXPECT_TRUE(w_.IsDialogMessageW(page, &enter));
  EXPECT_EQ(g_commandReceivers, (std::vector<HWND>{outer, outer}));

  w_.SetWindowLongW(page, GWL_STYLE, w_.GetWindowLongW(page, GWL_STYLE) & ~static_cast<LONG>(DS_CONTROL));
  EXPECT_TRUE(w_.IsDialogMessageW(page, &escape));
  ASSERT_FALSE(g_commandReceivers.empty());
  EXPECT_EQ(g_commandReceivers.back(), page);
  w_.DestroyWindow(outer);
}

// The headless backend copies this: a window inside a disabled one takes no
// focus; a page made hidden takes none at first; disabling the window that
// has it takes it away.
TEST_F(Win32WindowsTest, FocusGoesOnlyWhereInputCan) {
  w_.ShowWindow(dialog_, SW_SHOW);
  const HWND before = w_.GetFocus();
  HWND page = w_.CreateDialogParamW(IDD_TEST_PAGE, dialog_, &TestDialogProc, 0);
  ASSERT_NE(page, 0u);
  HWND button = w_.GetDlgItem(dialog_, IDC_TEST_BUTTON);
  HWND edit = w_.GetDlgItem(page, IDC_TEST_PAGE_EDIT);
  EXPECT_EQ(w_.GetFocus(), before);
  w_.ShowWindow(page, SW_SHOW);
  w_.SetFocus(button);
  EXPECT_EQ(w_.GetFocus(), button);
  w_.EnableWindow(page, 0);
  EXPECT_EQ(w_.SetFocus(edit), 0u);
  EXPECT_EQ(w_.GetFocus(), button);
  w_.EnableWindow(page, 1);
  EXPECT_EQ(w_.SetFocus(edit), button);
  EXPECT_EQ(w_.GetFocus(), edit);
  w_.EnableWindow(edit, 0);
  EXPECT_EQ(w_.GetFocus(), 0u);
}

TEST_F(Win32WindowsTest, PostedMessagesArriveInOrderAndReachTheDialogProc) {
  MSG msg{};
  while (w_.PeekMessageW(&msg, PM_REMOVE)) w_.DispatchMessageW(&msg);
  ASSERT_TRUE(w_.PostMessageW(dialog_, WM_USER + 1, 11, 0));
  ASSERT_TRUE(w_.PostMessageW(dialog_, WM_USER + 2, 22, 0));
  ASSERT_TRUE(w_.PeekMessageW(&msg, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_USER + 1u);
  ASSERT_TRUE(w_.PeekMessageW(&msg, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 1u) << "still there after PM_NOREMOVE";
  EXPECT_EQ(msg.hwnd, dialog_);
  EXPECT_EQ(msg.wParam, 11u);
  w_.DispatchMessageW(&msg);
  ASSERT_FALSE(g_dialogMessages.empty());
  EXPECT_EQ(g_dialogMessages.back().message, WM_USER + 1u);
  EXPECT_EQ(g_dialogMessages.back().wParam, 11u);
  ASSERT_TRUE(w_.PeekMessageW(&msg, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 2u);
  EXPECT_FALSE(w_.PeekMessageW(&msg, PM_REMOVE));

  ASSERT_NE(w_.SetTimer(dialog_, 7, 10), 0u);
  ASSERT_TRUE(NextFor(WM_TIMER, WM_TIMER, &msg));
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_TRUE(w_.KillTimer(dialog_, 7));

  w_.PostQuitMessage(3);
  for (int i = 0; i < 200 && w_.GetMessageW(&msg) > 0; ++i) w_.DispatchMessageW(&msg);
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(Win32WindowsTest, SubclassedEditSeesTextBeforeItsOwnProcedure) {
  HWND edit = w_.GetDlgItem(dialog_, IDC_TEST_EDIT);
  ASSERT_TRUE(w_.SubclassWindow(edit, &TestEditProc));
  w_.SetWindowTextW(edit, L"端口 USB001");
  ASSERT_EQ(g_setTexts.size(), 1u);
  EXPECT_EQ(g_setTexts[0], L"端口 USB001");
  EXPECT_EQ(w_.GetWindowTextW(edit), L"端口 USB001") << "forwarded to the edit's own procedure";
  g_swallowSetText = true;
  w_.SetWindowTextW(edit, L"丢弃");
  EXPECT_EQ(g_setTexts.size(), 2u);
  EXPECT_EQ(w_.GetWindowTextW(edit), L"端口 USB001") << "not forwarded";
}

TEST_F(Win32WindowsTest, StringTableAndFonts) {
  EXPECT_EQ(w_.LoadStringW(IDS_TEST_TITLE), L"打印机安装程序");
  EXPECT_EQ(w_.LoadStringW(IDS_TEST_MISSING), L"");

  LOGFONTW wanted{};
  wanted.lfHeight = -13;
  wanted.lfWeight = FW_BOLD;
  wanted.lfUnderline = 1;
  wanted.lfCharSet = DEFAULT_CHARSET;
  std::wstring face = L"Tahoma";
  face.copy(wanted.lfFaceName, face.size());
  HFONT font = w_.CreateFontIndirectW(wanted);
  ASSERT_NE(font, 0u);
  LOGFONTW got{};
  ASSERT_TRUE(w_.GetFontDescription(font, &got));
  EXPECT_EQ(std::wstring(got.lfFaceName), face);
  EXPECT_EQ(got.lfHeight, -13);
  EXPECT_EQ(got.lfWeight, FW_BOLD);
  EXPECT_EQ(got.lfUnderline, 1);
  EXPECT_EQ(got.lfItalic, 0);
  EXPECT_TRUE(w_.DeleteObject(font));
  EXPECT_FALSE(w_.GetFontDescription(font, &got)) << "deleted";
}

TEST_F(Win32WindowsTest, TooltipKnowsOnlyTheToolsAddedToIt) {
  HWND tooltip = w_.CreateTooltip(dialog_);
  ASSERT_NE(tooltip, 0u);
  HWND button = w_.GetDlgItem(dialog_, IDC_TEST_BUTTON);
  EXPECT_TRUE(w_.AddTool(tooltip, button, 1, RECT{0, 0, 20, 10}, L"打开网站"));
  EXPECT_TRUE(w_.UpdateTipText(tooltip, button, 1, L"打开说明"));
  EXPECT_FALSE(w_.UpdateTipText(tooltip, button, 2, L"没有这个工具"));
  EXPECT_TRUE(w_.DestroyWindow(tooltip));
}

}  // namespace
}  // namespace fw
