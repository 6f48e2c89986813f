// setup's pages as a user sees them on a real window system: each page made
// by the framework from setup's own template inside the wizard frame's, shown
// and painted, then read back through Win32 itself. What the page's colour
// handling does to a real device context (the WM_CTLCOLOR* answers, from a
// DC whose colours and mode are first set otherwise, so that a call that sets
// the wrong one shows), the page's pixels (white, or the dialog face on the
// welcome page; labels that let the page show through), each heading's font,
// and where the focus is after detection found no printer. The headless
// backend models the same (tests/setup/app/setup_pages_test.cc).
#include <gtest/gtest.h>

#include <string>

#include "framework/dialog.h"
#include "setup/app/setup_context.h"
#include "setup/pages/connect_page.h"
#include "setup/pages/detect_page.h"
#include "setup/pages/install_page.h"
#include "setup/pages/welcome_page.h"
#include "setup/resources/resource.h"

#include <windows.h>

namespace {

::HWND Native(fw::HWND window) { return reinterpret_cast<::HWND>(window); }

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
// What a device context holds before the page is asked: none of the answers.
constexpr COLORREF kOddText = RGB(1, 2, 3);
constexpr COLORREF kOddBackground = RGB(4, 5, 6);

// What a page's colour handling did to a device context.
struct ColourAnswer {
  ::HBRUSH brush;
  COLORREF text, background;
  int mode;
};

class PageLookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    context_.companyNameCn = L"朗明";
    ASSERT_TRUE(frame_.Create(IDD_SETUP_WIZARD, nullptr));
    ::ShowWindow(Native(frame_.GetSafeHwnd()), SW_SHOW);
  }
  void TearDown() override { frame_.DestroyWindow(); }

  // Makes the page inside the frame at its page area, shown and painted.
  void Show(WizardPage& page, int templateId) {
    ASSERT_TRUE(page.Create(templateId, &frame_));
    ::HWND window = Native(page.GetSafeHwnd());
    ::SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::ShowWindow(window, SW_SHOW);
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
  // Asks the page for the colours of one of its controls (0: the page itself).
  static ColourAnswer Ask(WizardPage& page, UINT message, int id) {
    ::HWND window = Native(page.GetSafeHwnd());
    ::HWND control = id ? ::GetDlgItem(window, id) : window;
    ::HDC dc = ::CreateCompatibleDC(nullptr);
    ::SetTextColor(dc, kOddText);
    ::SetBkColor(dc, kOddBackground);
    ::SetBkMode(dc, OPAQUE);
    const auto brush = reinterpret_cast<::HBRUSH>(
        ::SendMessageW(window, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
    ColourAnswer answer{brush, ::GetTextColor(dc), ::GetBkColor(dc), ::GetBkMode(dc)};
    ::DeleteDC(dc);
    return answer;
  }
  static bool IsSolid(::HBRUSH brush, COLORREF colour) {
    LOGBRUSH description{};
    return ::GetObjectW(brush, sizeof(description), &description) == sizeof(description) &&
           description.lbStyle == BS_SOLID && description.lbColor == colour;
  }
  // Black text on white, painted with a white brush.
  static void ExpectBlackOnWhite(WizardPage& page, UINT message, int id) {
    SCOPED_TRACE("message " + std::to_string(message) + ", control " + std::to_string(id));
    const ColourAnswer answer = Ask(page, message, id);
    EXPECT_TRUE(IsSolid(answer.brush, kWhite));
    EXPECT_EQ(answer.text, kBlack);
    EXPECT_EQ(answer.background, kWhite);
  }
  // A label: drawn on a transparent background with the hollow brush.
  static void ExpectTransparent(WizardPage& page, int id) {
    SCOPED_TRACE("static " + std::to_string(id));
    const ColourAnswer answer = Ask(page, WM_CTLCOLORSTATIC, id);
    EXPECT_EQ(answer.mode, TRANSPARENT);
    EXPECT_EQ(answer.brush, static_cast<::HBRUSH>(::GetStockObject(NULL_BRUSH)));
    LOGBRUSH description{};
    ASSERT_EQ(::GetObjectW(answer.brush, sizeof(description), &description), static_cast<int>(sizeof(description)));
    EXPECT_EQ(description.lbStyle, static_cast<UINT>(BS_NULL));
  }
  // The colour on screen at a point of the page, given from the bottom-left
  // corner of one of its controls (dy < 0: inside it, > 0: below it).
  static COLORREF Pixel(WizardPage& page, int id, int dx, int dy) {
    ::HWND window = Native(page.GetSafeHwnd());
    RECT area{};
    ::GetWindowRect(::GetDlgItem(window, id), &area);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&area), 2);
    ::HDC dc = ::GetDC(window);
    const COLORREF colour = ::GetPixel(dc, area.left + dx, area.bottom + dy);
    ::ReleaseDC(window, dc);
    return colour;
  }
  // The heading's font: Arial, bold, 20 pixels high at 96 DPI.
  static void ExpectHeadingFont(WizardPage& page, int id) {
    SCOPED_TRACE("heading " + std::to_string(id));
    ::HWND window = Native(page.GetSafeHwnd());
    const auto font = reinterpret_cast<::HFONT>(::SendMessageW(::GetDlgItem(window, id), WM_GETFONT, 0, 0));
    LOGFONTW description{};
    ASSERT_EQ(::GetObjectW(font, sizeof(description), &description), static_cast<int>(sizeof(description)));
    EXPECT_EQ(std::wstring(description.lfFaceName), L"Arial");
    EXPECT_EQ(description.lfWeight, FW_BOLD);
    const UINT dpi = fw::Windows().GetDpiForWindow(page.GetSafeHwnd());
    EXPECT_EQ(description.lfHeight, ::MulDiv(20, static_cast<int>(dpi), 96));
  }

  SetupContext context_;
  fw::CDialog frame_{IDD_SETUP_WIZARD};
};

TEST_F(PageLookTest, TheConnectionPageIsWhiteWithTransparentLabels) {
  ConnectPage page(context_);
  Show(page, IDD_CONNECT_PAGE);
  ExpectBlackOnWhite(page, WM_CTLCOLORDLG, 0);
  ExpectTransparent(page, IDC_CONNECT_HEADING);
  ExpectTransparent(page, IDC_CONNECT_BODY);
  ExpectHeadingFont(page, IDC_CONNECT_HEADING);
  EXPECT_EQ(Pixel(page, IDC_CONNECT_BODY, 2, 6), kWhite) << "the page below its text";
  EXPECT_EQ(Pixel(page, IDC_CONNECT_HEADING, 2, -3), kWhite) << "the page through the heading, below its line";
  page.DestroyWindow();
}

TEST_F(PageLookTest, TheDetectionPageIsWhiteAndItsNameBoxBlackOnWhite) {
  DetectPage page(context_);
  Show(page, IDD_DETECT_PAGE);
  ExpectBlackOnWhite(page, WM_CTLCOLORDLG, 0);
  ExpectBlackOnWhite(page, WM_CTLCOLOREDIT, IDC_DETECT_NAME);
  ExpectBlackOnWhite(page, WM_CTLCOLORBTN, IDC_DETECT_USB);
  ExpectTransparent(page, IDC_DETECT_HEADING);
  ExpectTransparent(page, IDC_DETECT_STATUS);
  ExpectTransparent(page, IDC_DETECT_USB);  // radio buttons ask as statics do
  ExpectHeadingFont(page, IDC_DETECT_HEADING);
  EXPECT_EQ(Pixel(page, IDC_DETECT_HEADING, 2, 6), kWhite) << "the page below the heading";
  EXPECT_EQ(Pixel(page, IDC_DETECT_NAME, 6, -5), kWhite) << "inside the empty name box";
  page.DestroyWindow();
}

TEST_F(PageLookTest, TheInstallPageIsWhiteWithItsHeading) {
  InstallPage page(context_);
  Show(page, IDD_INSTALL_PAGE);
  ExpectBlackOnWhite(page, WM_CTLCOLORDLG, 0);
  ExpectTransparent(page, IDC_INSTALL_STATUS);
  ExpectTransparent(page, IDC_INSTALL_NAME);
  ExpectHeadingFont(page, IDC_INSTALL_HEADING);
  EXPECT_EQ(Pixel(page, IDC_INSTALL_HEADING, 2, 6), kWhite) << "the page below the heading";
  page.DestroyWindow();
}

TEST_F(PageLookTest, TheWelcomePageKeepsTheSystemsDialogColours) {
  WelcomePage page(context_);
  Show(page, IDD_WELCOME_PAGE);
  const ColourAnswer body = Ask(page, WM_CTLCOLORSTATIC, IDC_WELCOME_BODY);
  EXPECT_EQ(body.brush, ::GetSysColorBrush(COLOR_BTNFACE));
  EXPECT_EQ(body.background, ::GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(body.text, ::GetSysColor(COLOR_WINDOWTEXT));
  ExpectHeadingFont(page, IDC_WELCOME_HEADING);
  EXPECT_EQ(Pixel(page, IDC_WELCOME_BODY, 2, 6), ::GetSysColor(COLOR_BTNFACE)) << "the page below its text";
  page.DestroyWindow();
}

// Without a printer (the prefix has none) detection proposes the driver's
// model and leaves the focus in the name box for the user to correct it.
// Windows gives no focus to a window inside a disabled one, and the page is
// disabled while detection runs.
TEST_F(PageLookTest, DetectionWithoutAPrinterLeavesTheFocusInTheNameBox) {
  context_.driverModel = L"TQ-5800";
  DetectPage page(context_);
  Show(page, IDD_DETECT_PAGE);
  page.OnActivate();  // about three seconds of polling
  ::HWND name = ::GetDlgItem(Native(page.GetSafeHwnd()), IDC_DETECT_NAME);
  EXPECT_EQ(::GetFocus(), name);
  wchar_t text[64] = {};
  ::GetWindowTextW(name, text, 64);
  EXPECT_EQ(std::wstring(text), L"TQ-5800");
  page.DestroyWindow();
}

}  // namespace
