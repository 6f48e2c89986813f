// The window system as the dialog framework sees it: windows and dialogs made
// from the program's resources, the message queue, timers, GDI fonts, brushes
// and device contexts, cursors and tooltips. (Starting programs and the
// Windows folder belong to the platform: platform/process.h,
// platform/shell_folders.h.)
//
// Names, values and semantics are Win32's, so that the framework reads like a
// Win32 program. Two backends: framework/win32 (real windows from the resources
// linked into the program) and framework/headless (the same templates and
// string table read from the compiled .res, control state in memory, timers on
// the simulated clock, scripted input). Include before <windows.h>.
#pragma once

#include <cstdint>
#include <string>

#include "platform/types.h"

namespace fw {

using pf::BOOL;
using pf::DWORD;
using pf::HWND;
using pf::LONG;
using pf::UINT;
using pf::WORD;

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using INT_PTR = std::intptr_t;
using HGDIOBJ = std::uintptr_t;  // fonts, brushes, bitmaps
using HFONT = HGDIOBJ;
using HBRUSH = HGDIOBJ;
using HBITMAP = HGDIOBJ;
using HDC = std::uintptr_t;
using HCURSOR = std::uintptr_t;
using HMODULE = std::uintptr_t;
using COLORREF = DWORD;

constexpr COLORREF RGB(int r, int g, int b) {
  return static_cast<COLORREF>((r & 0xff) | ((g & 0xff) << 8) | ((b & 0xff) << 16));
}
constexpr WORD LOWORD(std::uintptr_t v) { return static_cast<WORD>(v & 0xffff); }
constexpr WORD HIWORD(std::uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xffff); }
constexpr WPARAM MAKEWPARAM(WORD low, WORD high) { return static_cast<WPARAM>(low) | (static_cast<WPARAM>(high) << 16); }

struct POINT {
  LONG x;
  LONG y;
};
struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};

// LOGFONTW with a portable face name; the win32 backend converts.
struct LOGFONTW {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  std::uint8_t lfItalic;
  std::uint8_t lfUnderline;
  std::uint8_t lfStrikeOut;
  std::uint8_t lfCharSet;
  std::uint8_t lfOutPrecision;
  std::uint8_t lfClipPrecision;
  std::uint8_t lfQuality;
  std::uint8_t lfPitchAndFamily;
  wchar_t lfFaceName[32];
};

// Window messages.
inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_MOVE = 0x0003;
inline constexpr UINT WM_SIZE = 0x0005;
inline constexpr UINT WM_SETFOCUS = 0x0007;
inline constexpr UINT WM_ENABLE = 0x000A;
inline constexpr UINT WM_SETTEXT = 0x000C;
inline constexpr UINT WM_GETTEXT = 0x000D;
inline constexpr UINT WM_GETTEXTLENGTH = 0x000E;
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_QUIT = 0x0012;
inline constexpr UINT WM_ERASEBKGND = 0x0014;
inline constexpr UINT WM_SHOWWINDOW = 0x0018;
inline constexpr UINT WM_SETCURSOR = 0x0020;
inline constexpr UINT WM_SETFONT = 0x0030;
inline constexpr UINT WM_GETFONT = 0x0031;
inline constexpr UINT WM_NCDESTROY = 0x0082;
inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_KEYUP = 0x0101;
inline constexpr UINT WM_CHAR = 0x0102;
inline constexpr UINT WM_INITDIALOG = 0x0110;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_SYSCOMMAND = 0x0112;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_CTLCOLORMSGBOX = 0x0132;
inline constexpr UINT WM_CTLCOLOREDIT = 0x0133;
inline constexpr UINT WM_CTLCOLORLISTBOX = 0x0134;
inline constexpr UINT WM_CTLCOLORBTN = 0x0135;
inline constexpr UINT WM_CTLCOLORDLG = 0x0136;
inline constexpr UINT WM_CTLCOLORSCROLLBAR = 0x0137;
inline constexpr UINT WM_CTLCOLORSTATIC = 0x0138;
inline constexpr UINT WM_MOUSEMOVE = 0x0200;
inline constexpr UINT WM_LBUTTONDOWN = 0x0201;
inline constexpr UINT WM_LBUTTONUP = 0x0202;
inline constexpr UINT WM_DPICHANGED = 0x02E0;  // wParam: new DPI (x low, y high); lParam: RECT* suggested
inline constexpr UINT WM_USER = 0x0400;

// Keys.
inline constexpr WPARAM VK_RETURN = 0x0D;
inline constexpr WPARAM VK_ESCAPE = 0x1B;
inline constexpr WPARAM VK_TAB = 0x09;

// Notifications and control messages.
inline constexpr WORD BN_CLICKED = 0;
inline constexpr WORD STN_CLICKED = 0;
inline constexpr UINT BM_GETCHECK = 0x00F0;
inline constexpr UINT BM_SETCHECK = 0x00F1;
inline constexpr UINT BM_CLICK = 0x00F5;
inline constexpr WPARAM BST_UNCHECKED = 0;
inline constexpr WPARAM BST_CHECKED = 1;
inline constexpr UINT STM_SETIMAGE = 0x0172;
inline constexpr UINT STM_GETIMAGE = 0x0173;
inline constexpr WPARAM IMAGE_BITMAP = 0;
inline constexpr UINT PBM_SETRANGE = WM_USER + 1;
inline constexpr UINT PBM_SETPOS = WM_USER + 2;
inline constexpr UINT PBM_DELTAPOS = WM_USER + 3;
inline constexpr UINT PBM_SETSTEP = WM_USER + 4;
inline constexpr UINT PBM_STEPIT = WM_USER + 5;
inline constexpr UINT PBM_GETPOS = WM_USER + 8;

// Window styles.
inline constexpr DWORD WS_VISIBLE = 0x10000000;
inline constexpr DWORD WS_DISABLED = 0x08000000;
inline constexpr DWORD WS_CHILD = 0x40000000;
inline constexpr DWORD WS_EX_CONTROLPARENT = 0x00010000;
inline constexpr DWORD DS_CONTROL = 0x0400;  // a dialog that is a page inside another dialog
inline constexpr DWORD SS_RIGHT = 0x0002;
inline constexpr DWORD SS_CENTER = 0x0001;
inline constexpr DWORD SS_NOTIFY = 0x0100;
inline constexpr DWORD SS_CENTERIMAGE = 0x0200;
inline constexpr DWORD SS_TYPEMASK = 0x001F;
inline constexpr DWORD SS_BITMAP = 0x000E;
inline constexpr DWORD SS_REALSIZECONTROL = 0x0040;
inline constexpr int GWL_STYLE = -16;
inline constexpr int GWL_EXSTYLE = -20;

// ShowWindow.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOW = 5;

// SetWindowPos.
inline constexpr UINT SWP_NOSIZE = 0x0001;
inline constexpr UINT SWP_NOMOVE = 0x0002;
inline constexpr UINT SWP_NOZORDER = 0x0004;
inline constexpr UINT SWP_NOACTIVATE = 0x0010;

// RedrawWindow.
inline constexpr UINT RDW_INVALIDATE = 0x0001;
inline constexpr UINT RDW_ERASE = 0x0004;
inline constexpr UINT RDW_UPDATENOW = 0x0100;

// PeekMessage.
inline constexpr UINT PM_NOREMOVE = 0x0000;
inline constexpr UINT PM_REMOVE = 0x0001;

// GDI.
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;
inline constexpr int NULL_BRUSH = 5;  // also HOLLOW_BRUSH
inline constexpr int ANSI_VAR_FONT = 12;
inline constexpr int DEFAULT_GUI_FONT = 17;
inline constexpr int COLOR_BTNFACE = 15;
inline constexpr LONG FW_NORMAL = 400;
inline constexpr LONG FW_BOLD = 700;
inline constexpr std::uint8_t DEFAULT_CHARSET = 1;
inline constexpr std::uint8_t FF_SWISS = 0x20;
inline constexpr int BLACKONWHITE = 1;  // StretchBlt modes
inline constexpr int COLORONCOLOR = 3;
inline constexpr int HALFTONE = 4;
inline constexpr DWORD SRCCOPY = 0x00CC0020;

// DPI.
inline constexpr UINT USER_DEFAULT_SCREEN_DPI = 96;
inline constexpr DWORD DCDC_DISABLE_FONT_UPDATE = 0x0001;  // SetDialogControlDpiChangeBehavior
inline constexpr DWORD DCDC_DISABLE_RELAYOUT = 0x0002;

// MessageBeep / MessageBox icon.
inline constexpr UINT MB_ICONEXCLAMATION = 0x30;

class WindowApi {
 public:
  virtual ~WindowApi() = default;

  // The dialog procedure of the framework: what the program returns for a
  // message, as a Win32 dialog procedure does (TRUE when handled).
  using DialogProc = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);
  // A subclass procedure; CallOriginalProc forwards to the class's own one.
  using WindowProc = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

  // Dialogs from the program's templates. Creation sends WM_INITDIALOG with
  // `param` to `proc`; 0 when the template is missing or the init refused.
  // A modeless dialog is shown only when its template has WS_VISIBLE.
  virtual HWND CreateDialogParamW(int templateId, HWND parent, DialogProc proc, LPARAM param) = 0;
  virtual BOOL DestroyWindow(HWND window) = 0;
  virtual BOOL IsWindow(HWND window) = 0;
  virtual HWND GetDlgItem(HWND dialog, int id) = 0;
  virtual int GetDlgCtrlID(HWND window) = 0;
  virtual HWND GetParent(HWND window) = 0;
  // The framework object attached to a window (one slot per window).
  virtual void SetWindowObject(HWND window, void* object) = 0;
  virtual void* GetWindowObject(HWND window) = 0;
  // Replaces the window procedure of a control; false when it cannot.
  virtual BOOL SubclassWindow(HWND window, WindowProc proc) = 0;
  virtual LRESULT CallOriginalProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // Messages that a dialog procedure leaves unhandled (returns FALSE) get the
  // system's default dialog handling from the backend, as DefDlgProc gives:
  // WM_CLOSE becomes the IDCANCEL command, refused with a beep while the
  // dialog's IDCANCEL button is disabled; WM_CTLCOLOR* get system colours.

  // Text is UTF-16 in a std::wstring (one unit per wchar_t).
  virtual BOOL SetWindowTextW(HWND window, const std::wstring& text) = 0;
  virtual std::wstring GetWindowTextW(HWND window) = 0;
  virtual BOOL EnableWindow(HWND window, BOOL enable) = 0;  // reports the previous disabled state
  virtual BOOL IsWindowEnabled(HWND window) = 0;
  virtual BOOL ShowWindow(HWND window, int command) = 0;
  virtual BOOL IsWindowVisible(HWND window) = 0;
  virtual LONG GetWindowLongW(HWND window, int index) = 0;
  virtual LONG SetWindowLongW(HWND window, int index, LONG value) = 0;
  virtual BOOL GetWindowRect(HWND window, RECT* rect) = 0;  // screen coordinates
  virtual BOOL GetClientRect(HWND window, RECT* rect) = 0;
  virtual BOOL ScreenToClient(HWND window, POINT* point) = 0;
  virtual BOOL ClientToScreen(HWND window, POINT* point) = 0;
  virtual BOOL SetWindowPos(HWND window, HWND after, int x, int y, int cx, int cy, UINT flags) = 0;
  virtual BOOL RedrawWindow(HWND window, const RECT* rect, UINT flags) = 0;
  virtual BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase) = 0;
  virtual BOOL UpdateWindow(HWND window) = 0;
  virtual HWND SetFocus(HWND window) = 0;
  virtual HWND GetFocus() = 0;

  // Messages and the queue of the calling thread.
  virtual LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
  virtual BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
  virtual void PostQuitMessage(int exitCode) = 0;
  virtual BOOL PeekMessageW(MSG* msg, UINT removeFlags) = 0;
  // Waits for a message: > 0 a message, 0 WM_QUIT, -1 failure (the headless
  // backend reports -1 when its script has nothing left to do).
  virtual BOOL GetMessageW(MSG* msg) = 0;
  virtual BOOL TranslateMessage(const MSG* msg) = 0;
  virtual LRESULT DispatchMessageW(const MSG* msg) = 0;
  virtual BOOL IsDialogMessageW(HWND dialog, MSG* msg) = 0;
  virtual DWORD GetMessagePos() = 0;  // screen position of the last message, x low, y high
  virtual std::uintptr_t SetTimer(HWND window, std::uintptr_t id, UINT elapse) = 0;
  virtual BOOL KillTimer(HWND window, std::uintptr_t id) = 0;
  virtual BOOL MessageBeep(UINT type) = 0;
  virtual int MessageBoxW(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) = 0;

  // The program's string table; empty when the id has no string.
  virtual std::wstring LoadStringW(UINT id) = 0;

  // GDI.
  virtual HFONT CreateFontIndirectW(const LOGFONTW& font) = 0;
  virtual HBRUSH CreateSolidBrush(COLORREF colour) = 0;
  virtual BOOL DeleteObject(HGDIOBJ object) = 0;
  virtual HGDIOBJ GetStockObject(int index) = 0;
  virtual BOOL GetFontDescription(HFONT font, LOGFONTW* description) = 0;  // GetObjectW
  virtual HBRUSH GetSysColorBrush(int index) = 0;
  virtual HDC GetDC(HWND window) = 0;
  virtual int ReleaseDC(HWND window, HDC dc) = 0;
  virtual HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) = 0;
  virtual COLORREF SetTextColor(HDC dc, COLORREF colour) = 0;
  virtual COLORREF SetBkColor(HDC dc, COLORREF colour) = 0;
  virtual int SetBkMode(HDC dc, int mode) = 0;
  virtual BOOL GetTextExtentPoint32W(HDC dc, const std::wstring& text, int* cx, int* cy) = 0;
  virtual int FillRect(HDC dc, const RECT& rect, HBRUSH brush) = 0;

  // Bitmaps. LoadBitmapW loads a bitmap resource of the program; the caller
  // deletes it. GetBitmapSize is GetObjectW's width and height of a bitmap.
  virtual HBITMAP LoadBitmapW(int id) = 0;
  virtual BOOL GetBitmapSize(HBITMAP bitmap, int* cx, int* cy) = 0;
  virtual HBITMAP CreateCompatibleBitmap(HDC dc, int cx, int cy) = 0;
  // A memory device context like `dc` (0: like the screen), for one bitmap
  // at a time; deleted with DeleteDC.
  virtual HDC CreateCompatibleDC(HDC dc) = 0;
  virtual BOOL DeleteDC(HDC dc) = 0;
  virtual int SetStretchBltMode(HDC dc, int mode) = 0;  // the previous mode, 0 on failure
  virtual BOOL SetBrushOrgEx(HDC dc, int x, int y, POINT* previous) = 0;
  virtual BOOL StretchBlt(HDC target, int x, int y, int cx, int cy, HDC source, int sourceX, int sourceY,
                          int sourceCx, int sourceCy, DWORD rop) = 0;

  // DPI. The dots per inch a window is shown at: GetDpiForWindow where
  // Windows has it (10 1607 and later), else the screen's (LOGPIXELSY), which
  // is the one DPI of every window there; 0 for no window.
  virtual UINT GetDpiForWindow(HWND window) = 0;
  // Dialog units of `dialog` (its font at its DPI) to pixels, in place.
  virtual BOOL MapDialogRect(HWND dialog, RECT* rect) = 0;
  // Keeps the dialog manager from scaling a dialog's child window itself on
  // a DPI change (DCDC_* flags; Windows 10 1703 and later, which alone scale
  // dialogs that way). FALSE where Windows lacks it.
  virtual BOOL SetDialogControlDpiChangeBehavior(HWND window, DWORD mask, DWORD values) = 0;

  // Cursors: the hand cursor comes from another module's resources.
  virtual HMODULE LoadLibraryW(const std::wstring& path) = 0;
  virtual BOOL FreeLibrary(HMODULE module) = 0;
  virtual HCURSOR LoadCursorFromModule(HMODULE module, int id) = 0;
  virtual HCURSOR CopyCursor(HCURSOR cursor) = 0;
  virtual BOOL DestroyCursor(HCURSOR cursor) = 0;
  virtual HCURSOR SetCursor(HCURSOR cursor) = 0;

  // A tooltip window owned by `owner` with tools identified by (window, id).
  virtual HWND CreateTooltip(HWND owner) = 0;
  virtual BOOL AddTool(HWND tooltip, HWND window, UINT id, const RECT& rect, const std::wstring& text) = 0;
  virtual BOOL UpdateTipText(HWND tooltip, HWND window, UINT id, const std::wstring& text) = 0;
  virtual void RelayEvent(HWND tooltip, const MSG& msg) = 0;

  // Control containers (AfxEnableControlContainer's place); a no-op where
  // dialogs host only standard controls.
  virtual void EnableControlContainer() = 0;
};

// The window system in use: the linked backend's unless one is installed.
WindowApi& Windows();
WindowApi& DefaultWindows();  // defined by the linked backend

// Installs a window system for the object's lifetime (tests).
class ScopedWindows {
 public:
  explicit ScopedWindows(WindowApi* windows);
  ~ScopedWindows();
  ScopedWindows(const ScopedWindows&) = delete;
  ScopedWindows& operator=(const ScopedWindows&) = delete;

 private:
  WindowApi* previous_;
};

}  // namespace fw
