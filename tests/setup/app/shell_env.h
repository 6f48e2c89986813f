// Test environment of the wizard shell: a fresh simulated PC and a headless
// window system with setup's compiled resources, installed for the test's
// lifetime. The PC has been running for 49.7 days: its tick counter wraps
// 1.5 s into the test, inside detection's three-second wait or the
// install's pacing, so every wait the wizard times with it crosses the wrap.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_files.h"
#include "platform/sim/sim_pc.h"
#include "platform/sim/sim_system.h"
#include "setup/resources/resource.h"
#include "tests/framework/headless/scripted_windows.h"

class ShellTest : public ::testing::Test {
 protected:
  static constexpr pf::DWORD kStartBeforeWrap = 0u - 1500u;

  ShellTest() : windows_(LoadResources()), scoped_(&windows_) { pc_->kernel().SetTickCount(kStartBeforeWrap); }

  void SetUp() override { ASSERT_TRUE(windows_.ok()) << "cannot read " << TQ_SETUP_RES_FILE; }

  // Black text on a white background, painted with a white brush.
  void ExpectWhite(const fw::headless::PaintRecord& paint, fw::UINT colourMessage) {
    EXPECT_EQ(paint.colourMessage, colourMessage);
    fw::COLORREF colour = 0;
    EXPECT_TRUE(windows_.BrushColour(paint.brush, &colour));
    EXPECT_EQ(colour, fw::RGB(255, 255, 255));
    if (colourMessage == fw::WM_CTLCOLORDLG) return;  // the page itself draws no text
    EXPECT_EQ(paint.textColour, fw::RGB(0, 0, 0));
    EXPECT_EQ(paint.bkColour, fw::RGB(255, 255, 255));
  }

  static std::vector<std::uint8_t> LoadResources() {
    std::vector<std::uint8_t> bytes;
    fw::headless::LoadResFile(TQ_SETUP_RES_FILE, &bytes);
    return bytes;
  }

  // The visible control `id` of the one top-level window titled `title`, or of
  // the first top-level window when `title` is empty.
  fw::HWND Control(int id) const {
    std::vector<fw::HWND> tops = windows_.TopLevelWindows();
    for (fw::HWND top : tops) {
      if (fw::HWND found = windows_.FindControl(top, id)) return found;
    }
    return 0;
  }
  std::wstring TopTitle() const {
    std::vector<fw::HWND> tops = windows_.TopLevelWindows();
    return tops.empty() ? std::wstring() : windows_.Text(tops.front());
  }
  // Enabled states of Back, Next, Cancel and Finish as "EEED"-style letters.
  std::string Buttons() const {
    std::string states;
    for (int id : {IDC_BACK, IDC_NEXT, IDC_CANCEL, IDC_FINISH}) {
      fw::HWND button = Control(id);
      states += button && windows_.IsEnabled(button) ? 'E' : 'D';
    }
    return states;
  }

  // What the user sees of a page, from the last paint of it and of each of
  // its visible controls. The wizard's pages: white, with transparent labels
  // (statics, radio buttons and pictures leave the page's white to show
  // through) and black on white in edit boxes and buttons. The welcome page:
  // the system's dialog colours throughout.
  void ExpectWhiteLook(fw::HWND page) {
    SCOPED_TRACE("the white look of page " + std::to_string(windows_.GetDlgCtrlID(page)));
    ExpectWhite(windows_.LastPaint(page), fw::WM_CTLCOLORDLG);
    for (fw::HWND control : windows_.Children(page)) {
      if (!windows_.IsVisible(control)) continue;
      SCOPED_TRACE("control " + std::to_string(windows_.GetDlgCtrlID(control)));
      const fw::headless::PaintRecord paint = windows_.LastPaint(control);
      if (paint.colourMessage == fw::WM_CTLCOLORSTATIC) {
        EXPECT_EQ(paint.bkMode, fw::TRANSPARENT);
        EXPECT_EQ(paint.brush, windows_.GetStockObject(fw::NULL_BRUSH));
      } else if (paint.colourMessage != 0) {  // progress bars ask for none
        ExpectWhite(paint, paint.colourMessage);
      }
    }
  }
  void ExpectSystemLook(fw::HWND page) {
    SCOPED_TRACE("the system colours of page " + std::to_string(windows_.GetDlgCtrlID(page)));
    const fw::HBRUSH face = windows_.GetSysColorBrush(fw::COLOR_BTNFACE);
    EXPECT_EQ(windows_.LastPaint(page).brush, face);
    for (fw::HWND control : windows_.Children(page)) {
      if (windows_.IsVisible(control)) EXPECT_EQ(windows_.LastPaint(control).brush, face);
    }
  }

  pf::sim::ScopedSimPc pc_;
  ScriptedWindows windows_;
  fw::ScopedWindows scoped_;
};
