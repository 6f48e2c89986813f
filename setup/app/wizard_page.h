// WizardPage: the base of every wizard page, a modeless child dialog that the
// frame creates inside itself. Its hooks steer the frame; by default a page
// lets every move through. The base gives pages their look: a white
// background, transparent labels and a bold title font.
#pragma once

#include <cstdint>
#include <string>

#include "framework/dialog.h"
#include "framework/gdi.h"

class WizardFrame;

// Page choices of OnNext and OnBack.
inline constexpr std::int32_t kStayOnPage = -1;
inline constexpr std::int32_t kNeighbourPage = 0;

class WizardPage : public fw::CDialog {
 public:
  explicit WizardPage(int templateId) : fw::CDialog(templateId), pageId(static_cast<std::uint32_t>(templateId)) {}

  // Hooks, in the order the frame knows them.
  virtual bool OnPageCreated() { return true; }
  virtual void OnPageDestroy() {}
  virtual bool OnLeave() { return true; }
  virtual void OnActivate() {}
  virtual void OnAfterNext() {}
  virtual bool OnQueryCancel() { return true; }
  virtual std::int32_t OnBack() { return kNeighbourPage; }
  virtual bool IsNextBlocked() { return false; }
  virtual std::int32_t OnNext() { return kNeighbourPage; }
  virtual bool OnFinish() { return true; }

  // Page look: creates the title font and the white brush.
  bool OnInitDialog() override;
  fw::HBRUSH OnCtlColor(fw::HDC dc, fw::HWND control, fw::UINT ctlColorMessage) override;
  // The page's own dialog processing, after the Enter key, which never
  // reaches dialog processing inside the wizard. Escape is the page's own
  // cancel command; everything else gets the system's dialog processing.
  bool PreTranslateMessage(fw::MSG* msg) override;
  // Only the frame's cancel path closes the wizard; a page's own OK and
  // cancel commands do nothing.
  void OnOK() override {}
  void OnCancel() override {}

  // A message of the engine's sequences as a page shows it: with an empty
  // caption the application's standard box, else a box owned by the page.
  void ShowPageMessage(const std::wstring& text, const std::wstring& caption, fw::UINT type);

  fw::CFont titleFont;
  fw::CBrush backgroundBrush;
  WizardFrame* frame = nullptr;
  bool created = false;
  bool active = false;
  std::uint32_t pageId;
};

// Arial, height 20, bold, default character set, swiss family: the title
// font of the pages and the heading font of the welcome and install pages.
fw::LOGFONTW HeadingFontDescription();

// True for a key-down of the return key.
bool IsEnterKey(const fw::MSG& msg);
// True for a key-down of the escape key.
bool IsEscapeKey(const fw::MSG& msg);
