// LinkLabel: a static control that behaves as a web link. Attached to a
// dialog's static, it sizes itself to its text, draws in link colours,
// underlines itself while the mouse is over it, shows a hand cursor and a
// tooltip with its target, and opens the target with the shell when clicked.
#pragma once

#include <string>

#include "framework/gdi.h"
#include "framework/owners.h"
#include "framework/wnd.h"

class LinkLabel : public fw::CStatic {
 public:
  LinkLabel() = default;

  // Stores the target; with a window, sizes to the text again and updates the tooltip.
  void SetUrl(const std::wstring& target);
  const std::wstring& url() const { return target_; }
  // Prepares control `id` of `parent` and subclasses it.
  bool Bind(int id, fw::CWnd* parent);

  // Opens `target` with the shell's "open" verb or, failing that, with the
  // program registered for web pages. Returns the shell's result (> 32: success).
  static fw::INT_PTR OpenUrl(const std::wstring& target, int show);
  // The message of a failed open with `code`.
  static std::wstring ErrorText(fw::INT_PTR code);
  // The command line for a target: `command` cut at its first "%1" placeholder
  // (quoted form first), then a space and the target.
  static std::wstring CommandLineFor(const std::wstring& command, const std::wstring& target);

  bool over() const { return over_; }
  bool visited() const { return visited_; }
  fw::HWND tooltip() const { return tooltip_.get(); }

  fw::COLORREF linkColour = fw::RGB(0, 0, 238);
  fw::COLORREF visitedColour = fw::RGB(85, 26, 139);
  fw::COLORREF hoverColour = fw::RGB(255, 0, 0);
  static constexpr std::uintptr_t kTimerId = 100;

 protected:
  bool OnMouseMove(fw::WPARAM flags, fw::POINT point) override;
  bool OnTimer(std::uintptr_t id) override;
  bool OnSetCursor(fw::HWND window, fw::UINT hitTest, fw::UINT message) override;
  bool OnEraseBkgnd(fw::HDC dc) override;
  void OnControlDestroy() override;
  bool OnReflectedCommand(fw::WORD code) override;
  bool OnReflectedCtlColor(fw::HDC dc, fw::UINT ctlColorMessage, fw::HBRUSH* brush) override;
  bool PreTranslateMessage(fw::MSG* msg) override;

 private:
  void Prepare();
  void FitToText();
  void LoadHandCursor();
  void OnClicked();

  bool over_ = false;
  bool visited_ = false;
  std::wstring target_;
  fw::CFont underlineFont_;
  fw::CFont plainFont_;
  fw::UniqueCursor cursor_;
  fw::UniqueWindow tooltip_;
  bool timerRunning_ = false;
};
