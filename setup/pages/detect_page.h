// DetectPage: dialog 466, where the printer is detected and the user picks
// the connection kind and the printer's name.
//
// Every activation runs the whole detection: up to three seconds of waiting
// for a USB printer (the status line animates meanwhile), its identification,
// or else the parallel-port scan and the driver's model name. The page's
// window and the frame's four buttons stay disabled while it runs, so that
// the messages dispatched during its waits cannot re-enter the wizard.
// Everything the page decides goes to SetupContext.
#pragma once

#include <string>

#include "setup/app/setup_context.h"
#include "setup/app/wizard_page.h"

class DetectPage : public WizardPage {
 public:
  explicit DetectPage(SetupContext& context);

  bool OnInitDialog() override;
  // Sets the wizard's title line, then runs the detection.
  void OnActivate() override;
  // Hands on the connection kind and, when the name box is not empty, its name.
  std::int32_t OnNext() override;
  // A click on either radio button applies the port choice.
  bool OnCommand(fw::WORD id, fw::WORD code, fw::HWND control) override;

  void RunDetection();
  // Shows `text` in the status line; with repaint, the line is hidden while
  // its text changes so that it repaints cleanly over the white page.
  void SetDetectStatus(const std::wstring& text, bool repaint);
  // Puts modelName back into the name box, moves the focus there and takes
  // the connection kind from the radio buttons.
  void ApplyPortChoice();

 private:
  // Polls for a USB printer every half second for three seconds while the
  // status line animates; true as soon as one is recorded.
  bool WaitForUsbPrinter();
  // Proposes the parallel scan's model or the driver's model name; the page
  // applies it with ApplyPortChoice once it takes input again.
  void ProposeWithoutUsbPrinter();
  void SelectUsb() const;
  void EnableFrameButtons(bool back, bool next, bool cancel, bool finish) const;
  bool IsUsbSelected() const;

  SetupContext& context_;
};
