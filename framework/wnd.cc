#include "framework/wnd.h"

namespace fw {

CWnd::~CWnd() {
  if (hwnd_ && Windows().GetWindowObject(hwnd_) == this) Windows().SetWindowObject(hwnd_, nullptr);
}

HWND CWnd::Detach() {
  HWND window = hwnd_;
  if (window && Windows().GetWindowObject(window) == this) Windows().SetWindowObject(window, nullptr);
  hwnd_ = 0;
  subclassed_ = false;
  return window;
}

bool CWnd::SubclassDlgItem(int id, CWnd* parent) {
  if (!parent) return false;
  HWND control = Windows().GetDlgItem(parent->GetSafeHwnd(), id);
  if (!control) return false;
  hwnd_ = control;
  Windows().SetWindowObject(control, this);
  subclassed_ = Windows().SubclassWindow(control, &CWnd::SubclassProc) != 0;
  return subclassed_;
}

CWnd* CWnd::FromHandle(HWND window) {
  return window ? static_cast<CWnd*>(Windows().GetWindowObject(window)) : nullptr;
}

void CWnd::SetFont(HFONT font, bool redraw) const {
  SendMessage(WM_SETFONT, static_cast<WPARAM>(font), redraw ? 1 : 0);
}

HFONT CWnd::GetFont() const { return static_cast<HFONT>(SendMessage(WM_GETFONT)); }

void CWnd::ModifyStyle(LONG remove, LONG add) const {
  LONG style = Windows().GetWindowLongW(hwnd_, GWL_STYLE);
  Windows().SetWindowLongW(hwnd_, GWL_STYLE, (style & ~remove) | add);
}

void CWnd::ModifyStyleEx(LONG remove, LONG add) const {
  LONG style = Windows().GetWindowLongW(hwnd_, GWL_EXSTYLE);
  Windows().SetWindowLongW(hwnd_, GWL_EXSTYLE, (style & ~remove) | add);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  bool handled = false;
  LRESULT result = 0;
  switch (message) {
    case WM_MOUSEMOVE: {
      POINT point{static_cast<std::int16_t>(LOWORD(static_cast<std::uintptr_t>(lParam))),
                  static_cast<std::int16_t>(HIWORD(static_cast<std::uintptr_t>(lParam)))};
      OnMouseMove(wParam, point);  // then default processing
      break;
    }
    case WM_TIMER:
      OnTimer(wParam);  // then default processing
      break;
    case WM_SETCURSOR:
      handled = OnSetCursor(static_cast<HWND>(wParam), LOWORD(static_cast<std::uintptr_t>(lParam)),
                            HIWORD(static_cast<std::uintptr_t>(lParam)));
      result = handled ? 1 : 0;
      break;
    case WM_ERASEBKGND:
      handled = OnEraseBkgnd(static_cast<HDC>(wParam));
      result = handled ? 1 : 0;
      break;
    case WM_DESTROY:
      OnControlDestroy();
      break;
    default:
      break;
  }
  if (handled) return result;
  return Windows().CallOriginalProc(hwnd_, message, wParam, lParam);
}

LRESULT CWnd::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    CWnd* object = FromHandle(window);
    if (!object) return Windows().CallOriginalProc(window, message, wParam, lParam);
    LRESULT result = object->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) object->Detach();
    return result;
  } catch (...) {
    // Nothing may unwind through the window system's call.
    return 0;
  }
}

}  // namespace fw
