// The window system of a tqsim run: the headless backend with setup's
// dialogs, noting in the timeline what the user sees (each page shown, the
// title line, the status lines, every message box) and playing the user's
// part as scripted steps, one each time the wizard waits for input.
//
// The window layer's calls that Windows can refuse (dialogs, windows, fonts,
// brushes, bitmaps, device contexts, the cursor) enter the simulated PC's
// kernel: they are in its call record and its faults fail them.
//
// Each step first notes the page as the user finds it (after detection: the
// name box and the radios; after an install run: its result code and lines)
// and the enabled buttons, then acts as the scenario's user plan says: Next
// through the pages, the radio and the name on the detection page, Back and
// Next again after a failed install while retries are left, Cancel on the
// page named, and Finish at the end. A frame that shows no page is cancelled.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/headless/headless_windows.h"
#include "tools/tqsim/scenario.h"
#include "tools/tqsim/timeline.h"

namespace tqsim {

// What an install run left on the install page.
struct InstallOutcome {
  std::int32_t resultCode = 0;
  std::wstring finalPrinterName;
};

class WizardDriver : public fw::headless::HeadlessWindows {
 public:
  WizardDriver(const std::vector<std::uint8_t>& resources, const UserPlan& user, Timeline& timeline);

  // Queues the first step; call before setup starts.
  void Start();

  // The last install run's outcome, if the install page ever ran.
  const std::optional<InstallOutcome>& lastInstall() const { return lastInstall_; }
  bool wizardShown() const { return pagesShown_ > 0; }
  // "finish" or "cancel" when the last click on either was taken; empty otherwise.
  const std::string& closedWith() const { return closedWith_; }
  // True when the user's steps ran out before the wizard closed.
  bool stuck() const { return stuck_; }

  fw::BOOL SetWindowTextW(fw::HWND window, const std::wstring& text) override;
  fw::BOOL ShowWindow(fw::HWND window, int command) override;
  int MessageBoxW(fw::HWND owner, const std::wstring& text, const std::wstring& caption, fw::UINT type) override;

 private:
  void Step();
  void QueueStep();
  // Clicks (or, with text, types into) the control and notes the step.
  void Act(const char* action, fw::HWND control, const std::wstring* text = nullptr);
  void NoteDetection(fw::HWND page);
  void NoteInstall(fw::HWND page);

  // The window system's calls are not const, so neither are these.
  fw::HWND Frame();
  std::optional<Page> PageOf(fw::HWND window);
  // The page dialog shown in the frame, or 0.
  fw::HWND VisiblePage();
  Json EnabledButtons();
  std::string OwnerName(fw::HWND owner);

  UserPlan user_;
  Timeline& timeline_;
  int steps_ = 0;
  int pagesShown_ = 0;
  // What the user has done since the page was last shown.
  int seenActivation_ = -1;
  bool portClicked_ = false, nameTyped_ = false, cancelTried_ = false;
  bool emptyFrameCancelled_ = false;
  int retriesLeft_ = 0;
  std::optional<InstallOutcome> lastInstall_;
  std::string closedWith_;
  bool stuck_ = false;
};

}  // namespace tqsim
