// Report: what the install engine's sequences (detection, the install run,
// the removal) tell whoever presents them. The sequences live in
// setup/devices/ and setup/install/ and know no window; the wizard's pages
// present them in their controls, paced and pumped, and the command line's
// quiet run presents nothing and writes the log. The views of the sequences
// (DetectionView, InstallView) derive from this one.
#pragma once

#include <string>

#include "framework/app.h"
#include "framework/window_api.h"

class Report {
 public:
  virtual ~Report() = default;
  // A message for the user. With an empty caption: the application's
  // standard box (owned by the main window, the application's title as
  // caption); with one: a box owned by the presenter's own window.
  virtual void ShowMessage(const std::wstring& text, const std::wstring& caption, fw::UINT type) = 0;
};

// The application's own message boxes, for a step called without a
// presenter of its own.
class StandardBoxes : public Report {
 public:
  void ShowMessage(const std::wstring& text, const std::wstring& caption, fw::UINT type) override {
    if (caption.empty()) {
      fw::AfxMessageBox(text, type);
    } else {
      fw::Windows().MessageBoxW(0, text, caption, type);
    }
  }
};

inline Report& TheStandardBoxes() {
  static StandardBoxes boxes;
  return boxes;
}
