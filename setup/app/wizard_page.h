// WizardPage: the base of every wizard page, a modeless child dialog that the
// frame creates inside itself. Its hooks steer the frame; by default a page
// lets every move through. The base gives pages their look: a white
// background, transparent labels and a bold title font; and it keeps what
// depends on the DPI right at any DPI: the side picture fills its frame and
// the heading fonts keep their size in proportion to the dialog font.
#pragma once

#include <cstdint>

#include "framework/dialog.h"
#include "framework/gdi.h"
#include "framework/picture.h"

class WizardFrame;

// Page choices of OnNext and OnBack.
inline constexpr std::int32_t kStayOnPage = -1;
inline constexpr std::int32_t kNeighbourPage = 0;

// A page's side picture: the bitmap resource shown by the picture static at
// the page's left edge, and the frame it fills, in dialog units.
struct SidePicture {
  int bitmapId = 0;
  int cx = 0;
  int cy = 0;
};

class WizardPage : public fw::CDialog {
 public:
  explicit WizardPage(int templateId, SidePicture picture = {})
      : fw::CDialog(templateId), pageId(static_cast<std::uint32_t>(templateId)), sidePicture_(picture) {}

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
  // Takes the side picture out of its static and deletes it.
  void OnDestroy() override;

  // Fits what depends on the DPI to `dpi`: the side picture, scaled smoothly
  // to its frame, and the heading fonts. The frame calls it when the page
  // window has been created and when the wizard has moved to a monitor of
  // another DPI.
  void FitToDpi(fw::UINT dpi);
  // Shows `font` (a heading font at the page's DPI) in control `id`, the
  // page's one heading, and keeps it at the page's DPI from then on; the
  // dialog manager leaves it alone.
  void SetHeadingFont(int id, fw::CFont& font);
  // The DPI the page is shown at (96 before it has a window).
  fw::UINT Dpi() const;

  fw::CFont titleFont;
  fw::CBrush backgroundBrush;
  WizardFrame* frame = nullptr;
  bool created = false;
  bool active = false;
  std::uint32_t pageId;

 private:
  SidePicture sidePicture_;
  fw::CPicture picture_;
  // The picture's frame in pixels at frameDpi_, measured once from the dialog
  // units when the page window was made.
  fw::LONG frameCx_ = 0, frameCy_ = 0;
  fw::UINT frameDpi_ = 0;
  int headingId_ = 0;  // the page's heading control and its font
  fw::CFont* headingFont_ = nullptr;
  fw::UINT headingDpi_ = fw::USER_DEFAULT_SCREEN_DPI;
};

// Arial, height 20 at 96 DPI (in proportion at others), bold, default
// character set, swiss family: the title font of the pages and the heading
// font of the welcome and install pages.
fw::LOGFONTW HeadingFontDescription(fw::UINT dpi = fw::USER_DEFAULT_SCREEN_DPI);

// True for a key-down of the return key.
bool IsEnterKey(const fw::MSG& msg);
// True for a key-down of the escape key.
bool IsEscapeKey(const fw::MSG& msg);
