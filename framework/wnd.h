// CWnd: a thin window object that does not own its window. A CWnd is either
// a plain view of a window (Attach) or a subclassed control whose messages
// reach the object's handlers (SubclassDlgItem). CStatic, CButton, CEdit and
// CProgressCtrl add their controls' operations.
#pragma once

#include <string>

#include "framework/window_api.h"

namespace fw {

class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND GetSafeHwnd() const { return hwnd_; }
  bool IsWindowCreated() const { return hwnd_ != 0 && Windows().IsWindow(hwnd_); }

  // Views a window without taking its messages.
  void Attach(HWND window) { hwnd_ = window; }
  HWND Detach();
  // Binds this object to control `id` of `parent` and routes the control's
  // messages to the handlers below. False when there is no such control.
  bool SubclassDlgItem(int id, CWnd* parent);

  void SetWindowText(const std::wstring& text) const { Windows().SetWindowTextW(hwnd_, text); }
  std::wstring GetWindowText() const { return Windows().GetWindowTextW(hwnd_); }
  void EnableWindow(bool enable) const { Windows().EnableWindow(hwnd_, enable ? 1 : 0); }
  bool IsWindowEnabled() const { return Windows().IsWindowEnabled(hwnd_) != 0; }
  void ShowWindow(int command) const { Windows().ShowWindow(hwnd_, command); }
  bool IsWindowVisible() const { return Windows().IsWindowVisible(hwnd_) != 0; }
  void SetFont(HFONT font, bool redraw = true) const;
  HFONT GetFont() const;
  LONG GetStyle() const { return Windows().GetWindowLongW(hwnd_, GWL_STYLE); }
  void ModifyStyle(LONG remove, LONG add) const;
  void ModifyStyleEx(LONG remove, LONG add) const;
  HWND GetDlgItem(int id) const { return Windows().GetDlgItem(hwnd_, id); }
  void SetDlgItemText(int id, const std::wstring& text) const { Windows().SetWindowTextW(GetDlgItem(id), text); }
  void SetDlgItemFont(int id, HFONT font) const { Windows().SendMessageW(GetDlgItem(id), WM_SETFONT, font, 1); }
  std::wstring GetDlgItemText(int id) const { return Windows().GetWindowTextW(GetDlgItem(id)); }
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return Windows().SendMessageW(hwnd_, message, wParam, lParam);
  }
  bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return Windows().PostMessageW(hwnd_, message, wParam, lParam) != 0;
  }
  void Invalidate(bool erase = true) const { Windows().InvalidateRect(hwnd_, nullptr, erase ? 1 : 0); }
  void UpdateWindow() const { Windows().UpdateWindow(hwnd_); }

  // Handlers of a subclassed control. Each reports whether it handled the
  // message; unhandled messages get the control's own processing.
  virtual bool OnMouseMove(WPARAM flags, POINT point) { return false; }
  virtual bool OnTimer(std::uintptr_t id) { return false; }
  virtual bool OnSetCursor(HWND window, UINT hitTest, UINT message) { return false; }
  virtual bool OnEraseBkgnd(HDC dc) { return false; }
  virtual void OnControlDestroy() {}
  // Notifications that the parent dialog reflects back to the control: a
  // command from the control and the colour request for it. Return true
  // (and a brush) when the control answers itself.
  virtual bool OnReflectedCommand(WORD code) { return false; }
  virtual bool OnReflectedCtlColor(HDC dc, UINT ctlColorMessage, HBRUSH* brush) { return false; }
  // Called for every message of the modal loop addressed to this window or a
  // window inside it, before dialog processing; true consumes the message.
  virtual bool PreTranslateMessage(MSG* msg) { return false; }

  // The framework object bound to a window, or null.
  static CWnd* FromHandle(HWND window);

 protected:
  // Routes a subclassed control's message; the default calls the handlers.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  void SetHwnd(HWND window) { hwnd_ = window; }

 private:
  static LRESULT SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = 0;
  bool subclassed_ = false;
};

class CStatic : public CWnd {};

class CButton : public CWnd {
 public:
  bool GetCheck() const { return SendMessage(BM_GETCHECK) == static_cast<LRESULT>(BST_CHECKED); }
  void SetCheck(bool checked) const { SendMessage(BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED); }
};

class CEdit : public CWnd {};

class CProgressCtrl : public CWnd {
 public:
  void SetRange(int low, int high) const {
    SendMessage(PBM_SETRANGE, 0, static_cast<LPARAM>((low & 0xffff) | ((high & 0xffff) << 16)));
  }
  int SetPos(int position) const { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(position))); }
  int GetPos() const { return static_cast<int>(SendMessage(PBM_GETPOS)); }
  int SetStep(int step) const { return static_cast<int>(SendMessage(PBM_SETSTEP, static_cast<WPARAM>(step))); }
  int StepIt() const { return static_cast<int>(SendMessage(PBM_STEPIT)); }
};

}  // namespace fw
