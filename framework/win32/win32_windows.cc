#include "framework/win32/win32_windows.h"

#include "framework/window_api.h"

#include <windows.h>
#include <commctrl.h>

#include <vector>

// A function-like macro of <winuser.h> with the name of one of our methods.
#undef CopyCursor

namespace fw::win32 {
namespace {

// Window properties that carry the framework's state on a real window.
constexpr wchar_t kDialogProcProperty[] = L"TQ.Framework.DialogProc";
constexpr wchar_t kObjectProperty[] = L"TQ.Framework.Object";
constexpr wchar_t kSubclassProcProperty[] = L"TQ.Framework.SubclassProc";
constexpr wchar_t kOriginalProcProperty[] = L"TQ.Framework.OriginalProc";

::HWND Native(fw::HWND window) { return reinterpret_cast<::HWND>(window); }
fw::HWND Handle(::HWND window) { return reinterpret_cast<fw::HWND>(window); }
::HDC NativeDc(fw::HDC dc) { return reinterpret_cast<::HDC>(dc); }
template <typename T>
fw::HGDIOBJ Gdi(T object) {
  return reinterpret_cast<fw::HGDIOBJ>(object);
}
::HINSTANCE ThisModule() { return ::GetModuleHandleW(nullptr); }

template <typename Proc>
Proc PropertyProc(::HWND window, const wchar_t* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<std::uintptr_t>(::GetPropW(window, name)));
}
template <typename Proc>
void SetPropertyProc(::HWND window, const wchar_t* name, Proc proc) {
  ::SetPropW(window, name, reinterpret_cast<::HANDLE>(reinterpret_cast<std::uintptr_t>(proc)));
}

::RECT ToNative(const fw::RECT& r) { return ::RECT{r.left, r.top, r.right, r.bottom}; }
fw::RECT FromNative(const ::RECT& r) {
  return fw::RECT{static_cast<LONG>(r.left), static_cast<LONG>(r.top), static_cast<LONG>(r.right),
                  static_cast<LONG>(r.bottom)};
}

::MSG ToNative(const fw::MSG& m) {
  ::MSG n{};
  n.hwnd = Native(m.hwnd);
  n.message = m.message;
  n.wParam = m.wParam;
  n.lParam = m.lParam;
  n.time = m.time;
  n.pt.x = m.pt.x;
  n.pt.y = m.pt.y;
  return n;
}
fw::MSG FromNative(const ::MSG& n) {
  fw::MSG m{};
  m.hwnd = Handle(n.hwnd);
  m.message = n.message;
  m.wParam = n.wParam;
  m.lParam = n.lParam;
  m.time = n.time;
  m.pt.x = n.pt.x;
  m.pt.y = n.pt.y;
  return m;
}

::LOGFONTW ToNative(const fw::LOGFONTW& f) {
  ::LOGFONTW n{};
  n.lfHeight = f.lfHeight;
  n.lfWidth = f.lfWidth;
  n.lfEscapement = f.lfEscapement;
  n.lfOrientation = f.lfOrientation;
  n.lfWeight = f.lfWeight;
  n.lfItalic = f.lfItalic;
  n.lfUnderline = f.lfUnderline;
  n.lfStrikeOut = f.lfStrikeOut;
  n.lfCharSet = f.lfCharSet;
  n.lfOutPrecision = f.lfOutPrecision;
  n.lfClipPrecision = f.lfClipPrecision;
  n.lfQuality = f.lfQuality;
  n.lfPitchAndFamily = f.lfPitchAndFamily;
  for (int i = 0; i < LF_FACESIZE; ++i) n.lfFaceName[i] = f.lfFaceName[i];
  n.lfFaceName[LF_FACESIZE - 1] = L'\0';
  return n;
}
fw::LOGFONTW FromNative(const ::LOGFONTW& n) {
  fw::LOGFONTW f{};
  f.lfHeight = n.lfHeight;
  f.lfWidth = n.lfWidth;
  f.lfEscapement = n.lfEscapement;
  f.lfOrientation = n.lfOrientation;
  f.lfWeight = n.lfWeight;
  f.lfItalic = n.lfItalic;
  f.lfUnderline = n.lfUnderline;
  f.lfStrikeOut = n.lfStrikeOut;
  f.lfCharSet = n.lfCharSet;
  f.lfOutPrecision = n.lfOutPrecision;
  f.lfClipPrecision = n.lfClipPrecision;
  f.lfQuality = n.lfQuality;
  f.lfPitchAndFamily = n.lfPitchAndFamily;
  for (int i = 0; i < LF_FACESIZE; ++i) f.lfFaceName[i] = n.lfFaceName[i];
  f.lfFaceName[LF_FACESIZE - 1] = L'\0';
  return f;
}

// What CreateDialogParamW hands to the thunk with WM_INITDIALOG.
struct DialogStart {
  WindowApi::DialogProc proc;
  fw::LPARAM param;
};

// The real dialog procedure of every framework dialog. Before WM_INITDIALOG
// (WM_SETFONT and the like) there is no framework procedure yet.
::INT_PTR CALLBACK DialogThunk(::HWND window, ::UINT message, ::WPARAM wParam, ::LPARAM lParam) noexcept {
  if (message == WM_INITDIALOG) {
    const auto* start = reinterpret_cast<const DialogStart*>(lParam);
    SetPropertyProc(window, kDialogProcProperty, start->proc);
    return start->proc(Handle(window), message, wParam, start->param);
  }
  auto proc = PropertyProc<WindowApi::DialogProc>(window, kDialogProcProperty);
  if (!proc) return FALSE;
  ::INT_PTR result = proc(Handle(window), message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    ::RemovePropW(window, kDialogProcProperty);
    ::RemovePropW(window, kObjectProperty);
  }
  return result;
}

::LRESULT CallOriginal(::HWND window, ::UINT message, ::WPARAM wParam, ::LPARAM lParam) {
  auto original = PropertyProc<::WNDPROC>(window, kOriginalProcProperty);
  if (!original) return ::DefWindowProcW(window, message, wParam, lParam);
  return ::CallWindowProcW(original, window, message, wParam, lParam);
}

// The real window procedure of a subclassed control; the class's own
// procedure is put back once the window is gone.
::LRESULT CALLBACK SubclassThunk(::HWND window, ::UINT message, ::WPARAM wParam, ::LPARAM lParam) noexcept {
  auto proc = PropertyProc<WindowApi::WindowProc>(window, kSubclassProcProperty);
  ::LRESULT result = proc ? proc(Handle(window), message, wParam, lParam) : CallOriginal(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    if (auto original = PropertyProc<::WNDPROC>(window, kOriginalProcProperty)) {
      ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    }
    ::RemovePropW(window, kSubclassProcProperty);
    ::RemovePropW(window, kOriginalProcProperty);
    ::RemovePropW(window, kObjectProperty);
  }
  return result;
}

void InitCommonControlsOnce() {
  static const bool done = [] {
    ::INITCOMMONCONTROLSEX init{sizeof(init), ICC_WIN95_CLASSES};
    return ::InitCommonControlsEx(&init) != FALSE;
  }();
  (void)done;
}

// A function of user32.dll that older Windows lack, or null.
template <typename Function>
Function User32Function(const char* name) {
  ::IsWindow(nullptr);  // user32 is delay-loaded: this loads it if nothing has yet
  ::HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(user32, name))) : nullptr;
}

// The screen's DPI: that of every window before Windows 10 1607.
::UINT ScreenDpi() {
  ::HDC screen = ::GetDC(nullptr);
  const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<::UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

::TOOLINFOW ToolInfo(HWND window, UINT id) {
  ::TOOLINFOW info{};
  info.cbSize = TTTOOLINFOW_V2_SIZE;  // accepted by comctl32 5 and 6 alike
  info.hwnd = Native(window);
  info.uId = id;
  return info;
}

class Win32Windows : public WindowApi {
 public:
  HWND CreateDialogParamW(int templateId, HWND parent, DialogProc proc, fw::LPARAM param) override {
    if (!proc) return 0;
    DialogStart start{proc, param};
    return Handle(::CreateDialogParamW(ThisModule(), MAKEINTRESOURCEW(templateId), Native(parent), DialogThunk,
                                       reinterpret_cast<::LPARAM>(&start)));
  }
  BOOL DestroyWindow(HWND w) override { return ::DestroyWindow(Native(w)); }
  BOOL IsWindow(HWND w) override { return ::IsWindow(Native(w)); }
  HWND GetDlgItem(HWND d, int id) override { return Handle(::GetDlgItem(Native(d), id)); }
  int GetDlgCtrlID(HWND w) override { return ::GetDlgCtrlID(Native(w)); }
  HWND GetParent(HWND w) override { return Handle(::GetParent(Native(w))); }

  void SetWindowObject(HWND w, void* object) override {
    if (object) {
      ::SetPropW(Native(w), kObjectProperty, object);
    } else {
      ::RemovePropW(Native(w), kObjectProperty);
    }
  }
  void* GetWindowObject(HWND w) override { return ::GetPropW(Native(w), kObjectProperty); }

  BOOL SubclassWindow(HWND w, WindowProc proc) override {
    ::HWND window = Native(w);
    if (!proc || !::IsWindow(window)) return FALSE;
    if (!::GetPropW(window, kOriginalProcProperty)) {
      auto original = reinterpret_cast<::WNDPROC>(::GetWindowLongPtrW(window, GWLP_WNDPROC));
      if (!original) return FALSE;
      SetPropertyProc(window, kOriginalProcProperty, original);
      SetPropertyProc(window, kSubclassProcProperty, proc);
      if (!::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassThunk))) {
        ::RemovePropW(window, kOriginalProcProperty);
        ::RemovePropW(window, kSubclassProcProperty);
        return FALSE;
      }
      return TRUE;
    }
    SetPropertyProc(window, kSubclassProcProperty, proc);  // already ours: only the procedure changes
    return TRUE;
  }
  LRESULT CallOriginalProc(HWND w, UINT m, fw::WPARAM wp, fw::LPARAM lp) override {
    return CallOriginal(Native(w), m, wp, lp);
  }

  BOOL SetWindowTextW(HWND w, const std::wstring& text) override { return ::SetWindowTextW(Native(w), text.c_str()); }
  std::wstring GetWindowTextW(HWND w) override {
    int length = ::GetWindowTextLengthW(Native(w));
    if (length <= 0) return {};
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    int copied = ::GetWindowTextW(Native(w), buffer.data(), static_cast<int>(buffer.size()));
    return std::wstring(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
  }
  BOOL EnableWindow(HWND w, BOOL enable) override { return ::EnableWindow(Native(w), enable); }
  BOOL IsWindowEnabled(HWND w) override { return ::IsWindowEnabled(Native(w)); }
  BOOL ShowWindow(HWND w, int command) override { return ::ShowWindow(Native(w), command); }
  BOOL IsWindowVisible(HWND w) override { return ::IsWindowVisible(Native(w)); }
  LONG GetWindowLongW(HWND w, int index) override { return static_cast<LONG>(::GetWindowLongW(Native(w), index)); }
  LONG SetWindowLongW(HWND w, int index, LONG value) override {
    return static_cast<LONG>(::SetWindowLongW(Native(w), index, value));
  }
  BOOL GetWindowRect(HWND w, fw::RECT* rect) override { return NativeRect(::GetWindowRect, w, rect); }
  BOOL GetClientRect(HWND w, fw::RECT* rect) override { return NativeRect(::GetClientRect, w, rect); }
  BOOL ScreenToClient(HWND w, fw::POINT* point) override { return NativePoint(::ScreenToClient, w, point); }
  BOOL ClientToScreen(HWND w, fw::POINT* point) override { return NativePoint(::ClientToScreen, w, point); }
  BOOL SetWindowPos(HWND w, HWND after, int x, int y, int cx, int cy, UINT flags) override {
    return ::SetWindowPos(Native(w), Native(after), x, y, cx, cy, flags);
  }
  BOOL RedrawWindow(HWND w, const fw::RECT* rect, UINT flags) override {
    ::RECT r = rect ? ToNative(*rect) : ::RECT{};
    return ::RedrawWindow(Native(w), rect ? &r : nullptr, nullptr, flags);
  }
  BOOL InvalidateRect(HWND w, const fw::RECT* rect, BOOL erase) override {
    ::RECT r = rect ? ToNative(*rect) : ::RECT{};
    return ::InvalidateRect(Native(w), rect ? &r : nullptr, erase);
  }
  BOOL UpdateWindow(HWND w) override { return ::UpdateWindow(Native(w)); }
  HWND SetFocus(HWND w) override { return Handle(::SetFocus(Native(w))); }
  HWND GetFocus() override { return Handle(::GetFocus()); }

  LRESULT SendMessageW(HWND w, UINT m, fw::WPARAM wp, fw::LPARAM lp) override {
    return ::SendMessageW(Native(w), m, wp, lp);
  }
  BOOL PostMessageW(HWND w, UINT m, fw::WPARAM wp, fw::LPARAM lp) override {
    return ::PostMessageW(Native(w), m, wp, lp);
  }
  void PostQuitMessage(int exitCode) override { ::PostQuitMessage(exitCode); }
  BOOL PeekMessageW(fw::MSG* msg, UINT removeFlags) override {
    ::MSG m{};
    BOOL got = ::PeekMessageW(&m, nullptr, 0, 0, removeFlags);
    if (got && msg) *msg = FromNative(m);
    return got;
  }
  BOOL GetMessageW(fw::MSG* msg) override {
    ::MSG m{};
    BOOL result = ::GetMessageW(&m, nullptr, 0, 0);
    if (result != -1 && msg) *msg = FromNative(m);
    return result;
  }
  BOOL TranslateMessage(const fw::MSG* msg) override {
    if (!msg) return FALSE;
    ::MSG m = ToNative(*msg);
    return ::TranslateMessage(&m);
  }
  LRESULT DispatchMessageW(const fw::MSG* msg) override {
    if (!msg) return 0;
    ::MSG m = ToNative(*msg);
    return ::DispatchMessageW(&m);
  }
  BOOL IsDialogMessageW(HWND d, fw::MSG* msg) override {
    if (!msg) return FALSE;
    ::MSG m = ToNative(*msg);
    return ::IsDialogMessageW(Native(d), &m);
  }
  DWORD GetMessagePos() override { return ::GetMessagePos(); }
  std::uintptr_t SetTimer(HWND w, std::uintptr_t id, UINT elapse) override {
    return ::SetTimer(Native(w), id, elapse, nullptr);
  }
  BOOL KillTimer(HWND w, std::uintptr_t id) override { return ::KillTimer(Native(w), id); }
  BOOL MessageBeep(UINT type) override { return ::MessageBeep(type); }
  int MessageBoxW(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) override {
    return ::MessageBoxW(Native(owner), text.c_str(), caption.c_str(), type);
  }

  std::wstring LoadStringW(UINT id) override {
    // With no buffer size, LoadStringW hands out the read-only text in the
    // resource itself, which is not terminated.
    const wchar_t* text = nullptr;
    int length = ::LoadStringW(ThisModule(), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text) return {};
    return std::wstring(text, static_cast<size_t>(length));
  }

  HFONT CreateFontIndirectW(const fw::LOGFONTW& font) override {
    ::LOGFONTW f = ToNative(font);
    return Gdi(::CreateFontIndirectW(&f));
  }
  HBRUSH CreateSolidBrush(COLORREF colour) override { return Gdi(::CreateSolidBrush(colour)); }
  BOOL DeleteObject(HGDIOBJ object) override { return ::DeleteObject(reinterpret_cast<::HGDIOBJ>(object)); }
  HGDIOBJ GetStockObject(int index) override { return Gdi(::GetStockObject(index)); }
  BOOL GetFontDescription(HFONT font, fw::LOGFONTW* description) override {
    ::LOGFONTW f{};
    if (!description || ::GetObjectW(reinterpret_cast<::HFONT>(font), sizeof(f), &f) != sizeof(f)) return FALSE;
    *description = FromNative(f);
    return TRUE;
  }
  HBRUSH GetSysColorBrush(int index) override { return Gdi(::GetSysColorBrush(index)); }
  HDC GetDC(HWND w) override { return reinterpret_cast<fw::HDC>(::GetDC(Native(w))); }
  int ReleaseDC(HWND w, HDC dc) override { return ::ReleaseDC(Native(w), NativeDc(dc)); }
  HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) override {
    return Gdi(::SelectObject(NativeDc(dc), reinterpret_cast<::HGDIOBJ>(object)));
  }
  COLORREF SetTextColor(HDC dc, COLORREF colour) override { return ::SetTextColor(NativeDc(dc), colour); }
  COLORREF SetBkColor(HDC dc, COLORREF colour) override { return ::SetBkColor(NativeDc(dc), colour); }
  int SetBkMode(HDC dc, int mode) override { return ::SetBkMode(NativeDc(dc), mode); }
  BOOL GetTextExtentPoint32W(HDC dc, const std::wstring& text, int* cx, int* cy) override {
    ::SIZE size{};
    if (!::GetTextExtentPoint32W(NativeDc(dc), text.c_str(), static_cast<int>(text.size()), &size)) return FALSE;
    if (cx) *cx = size.cx;
    if (cy) *cy = size.cy;
    return TRUE;
  }
  int FillRect(HDC dc, const fw::RECT& rect, HBRUSH brush) override {
    ::RECT r = ToNative(rect);
    return ::FillRect(NativeDc(dc), &r, reinterpret_cast<::HBRUSH>(brush));
  }

  HBITMAP LoadBitmapW(int id) override { return Gdi(::LoadBitmapW(ThisModule(), MAKEINTRESOURCEW(id))); }
  BOOL GetBitmapSize(HBITMAP bitmap, int* cx, int* cy) override {
    ::BITMAP info{};
    if (!cx || !cy || ::GetObjectW(reinterpret_cast<::HGDIOBJ>(bitmap), sizeof(info), &info) != sizeof(info)) {
      return FALSE;
    }
    *cx = info.bmWidth;
    *cy = info.bmHeight;
    return TRUE;
  }
  HBITMAP CreateCompatibleBitmap(HDC dc, int cx, int cy) override {
    return Gdi(::CreateCompatibleBitmap(NativeDc(dc), cx, cy));
  }
  HDC CreateCompatibleDC(HDC dc) override { return reinterpret_cast<fw::HDC>(::CreateCompatibleDC(NativeDc(dc))); }
  BOOL DeleteDC(HDC dc) override { return ::DeleteDC(NativeDc(dc)); }
  int SetStretchBltMode(HDC dc, int mode) override { return ::SetStretchBltMode(NativeDc(dc), mode); }
  BOOL SetBrushOrgEx(HDC dc, int x, int y, fw::POINT* previous) override {
    return ::SetBrushOrgEx(NativeDc(dc), x, y, reinterpret_cast<::POINT*>(previous));  // the same layout
  }
  BOOL StretchBlt(HDC target, int x, int y, int cx, int cy, HDC source, int sourceX, int sourceY, int sourceCx,
                  int sourceCy, DWORD rop) override {
    return ::StretchBlt(NativeDc(target), x, y, cx, cy, NativeDc(source), sourceX, sourceY, sourceCx, sourceCy, rop);
  }

  UINT GetDpiForWindow(HWND w) override {
    using Function = ::UINT(WINAPI*)(::HWND);
    static const Function getDpi = User32Function<Function>("GetDpiForWindow");
    if (getDpi) return getDpi(Native(w));
    return ::IsWindow(Native(w)) ? ScreenDpi() : 0;
  }
  BOOL MapDialogRect(HWND d, fw::RECT* rect) override {
    return rect && ::MapDialogRect(Native(d), reinterpret_cast<::RECT*>(rect));  // the same layout
  }
  BOOL SetDialogControlDpiChangeBehavior(HWND w, DWORD mask, DWORD values) override {
    using Function = ::BOOL(WINAPI*)(::HWND, ::DIALOG_CONTROL_DPI_CHANGE_BEHAVIORS, ::DIALOG_CONTROL_DPI_CHANGE_BEHAVIORS);
    static const Function set = User32Function<Function>("SetDialogControlDpiChangeBehavior");
    return set ? set(Native(w), static_cast<::DIALOG_CONTROL_DPI_CHANGE_BEHAVIORS>(mask),
                     static_cast<::DIALOG_CONTROL_DPI_CHANGE_BEHAVIORS>(values))
               : FALSE;
  }

  HMODULE LoadLibraryW(const std::wstring& path) override {
    return reinterpret_cast<fw::HMODULE>(::LoadLibraryW(path.c_str()));
  }
  BOOL FreeLibrary(HMODULE module) override { return ::FreeLibrary(reinterpret_cast<::HMODULE>(module)); }
  HCURSOR LoadCursorFromModule(HMODULE module, int id) override {
    return reinterpret_cast<fw::HCURSOR>(::LoadCursorW(reinterpret_cast<::HINSTANCE>(module), MAKEINTRESOURCEW(id)));
  }
  HCURSOR CopyCursor(HCURSOR cursor) override {
    return reinterpret_cast<fw::HCURSOR>(::CopyIcon(reinterpret_cast<::HICON>(cursor)));
  }
  BOOL DestroyCursor(HCURSOR cursor) override { return ::DestroyCursor(reinterpret_cast<::HCURSOR>(cursor)); }
  HCURSOR SetCursor(HCURSOR cursor) override {
    return reinterpret_cast<fw::HCURSOR>(::SetCursor(reinterpret_cast<::HCURSOR>(cursor)));
  }

  HWND CreateTooltip(HWND owner) override {
    InitCommonControlsOnce();
    ::HWND tooltip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Native(owner), nullptr, ThisModule(),
                                       nullptr);
    return Handle(tooltip);
  }
  BOOL AddTool(HWND tooltip, HWND window, UINT id, const fw::RECT& rect, const std::wstring& text) override {
    ::TOOLINFOW info = ToolInfo(window, id);
    info.rect = ToNative(rect);
    info.lpszText = const_cast<wchar_t*>(text.c_str());  // the tooltip keeps its own copy
    return ::SendMessageW(Native(tooltip), TTM_ADDTOOLW, 0, reinterpret_cast<::LPARAM>(&info)) ? TRUE : FALSE;
  }
  BOOL UpdateTipText(HWND tooltip, HWND window, UINT id, const std::wstring& text) override {
    ::TOOLINFOW info = ToolInfo(window, id);
    if (!::SendMessageW(Native(tooltip), TTM_GETTOOLINFOW, 0, reinterpret_cast<::LPARAM>(&info))) return FALSE;
    info = ToolInfo(window, id);
    info.lpszText = const_cast<wchar_t*>(text.c_str());
    ::SendMessageW(Native(tooltip), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<::LPARAM>(&info));
    return TRUE;
  }
  void RelayEvent(HWND tooltip, const fw::MSG& msg) override {
    ::MSG m = ToNative(msg);
    ::SendMessageW(Native(tooltip), TTM_RELAYEVENT, 0, reinterpret_cast<::LPARAM>(&m));
  }

  // Dialogs host only standard controls: nothing to enable.
  void EnableControlContainer() override {}

 private:
  template <typename Call>
  static BOOL NativeRect(Call call, HWND w, fw::RECT* rect) {
    ::RECT r{};
    if (!rect || !call(Native(w), &r)) return FALSE;
    *rect = FromNative(r);
    return TRUE;
  }
  template <typename Call>
  static BOOL NativePoint(Call call, HWND w, fw::POINT* point) {
    if (!point) return FALSE;
    ::POINT p{point->x, point->y};
    if (!call(Native(w), &p)) return FALSE;
    point->x = p.x;
    point->y = p.y;
    return TRUE;
  }
};

}  // namespace

WindowApi& RealWindows() {
  static Win32Windows windows;
  return windows;
}

}  // namespace fw::win32

namespace fw {

// The Windows programs show real windows.
WindowApi& DefaultWindows() { return win32::RealWindows(); }

}  // namespace fw
