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
#include "setup/devices/detection.h"
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

  // Prepares the page, runs the detection (setup/devices/detection.h) and
  // offers its outcome: the name box, the radios, the frame's buttons.
  void RunDetection();
  // Shows `text` in the status line; with repaint, the line is hidden while
  // its text changes so that it repaints cleanly over the white page.
  void SetDetectStatus(const std::wstring& text, bool repaint);
  // Puts modelName back into the name box, moves the focus there and takes
  // the connection kind from the radio buttons.
  void ApplyPortChoice();

 private:
  // How the detection looks on the page: the status line animates, the
  // pauses dispatch window messages, the model query's message is the
  // application's box.
  class View : public DetectionView {
   public:
    explicit View(DetectPage& page) : page_(page) {}
    void ShowWaiting(unsigned dots) override;
    void Pause(fw::DWORD milliseconds) override;
    void ShowFound(bool usbPrinter) override;
    void ShowMessage(const std::wstring& text, const std::wstring& caption, fw::UINT type) override;

   private:
    DetectPage& page_;
  };

  void SelectUsb() const;
  void EnableFrameButtons(bool back, bool next, bool cancel, bool finish) const;
  bool IsUsbSelected() const;

  SetupContext& context_;
  View view_{*this};
};
