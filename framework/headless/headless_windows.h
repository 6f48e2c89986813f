// An in-memory window system for native tests: the program's dialogs built
// from the compiled .res, control state kept in memory, a message queue with
// timers on the simulated clock (pf::GetTickCount) and scripted user input.
//
// Geometry: dialog units become pixels with base units of 6 x 13 pixels at
// 96 DPI (x * 6 / 4, y * 13 / 8, as for an 8 point MS Sans Serif dialog),
// scaled by the window's DPI (x * 6 * dpi / 384, y * 13 * dpi / 768), and a
// template's font is made at that DPI. New top-level windows take the DPI of
// SetDpi (96 unless set); children take their parent's. ChangeDpi plays what
// Windows 10 1703 and later do when a per-monitor (v2) window moves to a
// monitor of another DPI (see there).
//
// Pictures: a static with SS_BITMAP and a bitmap resource as its text loads
// the bitmap (its size from the .res) and takes its size, unless it has
// SS_REALSIZECONTROL or SS_CENTERIMAGE; it deletes that bitmap with itself.
// STM_SETIMAGE hands the previous image back, makes the static take the new
// one's size (the same styles aside) and, as Windows does, leaves every image
// to the program from then on. Bitmaps are sized objects: StretchBlt records
// on the target bitmap where its pixels came from and how.
// A window has no non-client area (client rect == window rect). Children are
// placed relative to their parent's client area; popups (no WS_CHILD) on a
// 1024 x 768 screen, centred when the template has DS_CENTER.
//
// Input goes through the message loop: Click, PressKey, Type and
// PostMouseMove post the messages a user's action would (the loop's
// PreTranslate/IsDialogMessage see them). GetMessageW runs one scripted step
// (Then) whenever nothing is queued and returns -1 once the script is empty;
// time never advances by itself — a step calls pf::Sleep to let timers fall due.
//
// Painting is immediate: InvalidateRect/RedrawWindow/UpdateWindow, showing a
// window and changing a static's or button's text or enabled state "paint"
// the window and its visible descendants: each gets WM_ERASEBKGND (when
// erasing) and its parent dialog the WM_CTLCOLOR* message of its class
// (push buttons WM_CTLCOLORBTN; statics, check boxes, radio buttons and
// read-only or disabled edits WM_CTLCOLORSTATIC; edits WM_CTLCOLOREDIT; a
// dialog WM_CTLCOLORDLG to itself; progress bars none); the brush returned
// and the DC's colours are kept as the window's LastPaint.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "framework/window_api.h"

namespace fw::headless {

using pf::FALSE;
using pf::TRUE;

// Reads a whole file (the compiled .res); false when it cannot be read.
bool LoadResFile(const std::string& path, std::vector<std::uint8_t>* bytes);

// What the last paint of a window saw.
struct PaintRecord {
  UINT colourMessage = 0;  // WM_CTLCOLOR* sent for it, 0 for none
  HBRUSH brush = 0;        // what that message returned
  COLORREF textColour = 0;
  COLORREF bkColour = 0;
  int bkMode = 0;
  HFONT font = 0;  // the window's font at the time
};

// What a bitmap holds, as far as the headless window system knows it.
struct BitmapRecord {
  int cx = 0, cy = 0;
  int resourceId = 0;     // the bitmap resource its pixels come from, 0 for none
  int stretchMode = 0;    // the target's mode at the StretchBlt that drew it, 0 for none
  bool brushOriginSet = false;  // SetBrushOrgEx after the mode was chosen, as HALFTONE needs
  bool wholeToWhole = false;    // that StretchBlt took all of its source and filled all of this bitmap
  bool selected = false;  // selected into a memory DC now
};

struct FillRecord {
  HWND window;
  RECT rect;
  HBRUSH brush;
};

class HeadlessWindows : public WindowApi {
 public:
  // No resources: every CreateDialogParamW fails and LoadStringW is empty.
  HeadlessWindows();
  // resBytes: the compiled .res; ok() is false when it does not parse.
  explicit HeadlessWindows(const std::vector<std::uint8_t>& resBytes);
  ~HeadlessWindows() override;
  HeadlessWindows(const HeadlessWindows&) = delete;
  HeadlessWindows& operator=(const HeadlessWindows&) = delete;
  bool ok() const { return resOk_; }

  // WindowApi.
  HWND CreateDialogParamW(int templateId, HWND parent, DialogProc proc, LPARAM param) override;
  BOOL DestroyWindow(HWND window) override;
  BOOL IsWindow(HWND window) override;
  HWND GetDlgItem(HWND dialog, int id) override;
  int GetDlgCtrlID(HWND window) override;
  HWND GetParent(HWND window) override;
  void SetWindowObject(HWND window, void* object) override;
  void* GetWindowObject(HWND window) override;
  BOOL SubclassWindow(HWND window, WindowProc proc) override;
  LRESULT CallOriginalProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  BOOL SetWindowTextW(HWND window, const std::wstring& text) override;
  std::wstring GetWindowTextW(HWND window) override;
  BOOL EnableWindow(HWND window, BOOL enable) override;
  BOOL IsWindowEnabled(HWND window) override;
  BOOL ShowWindow(HWND window, int command) override;
  BOOL IsWindowVisible(HWND window) override;
  LONG GetWindowLongW(HWND window, int index) override;
  LONG SetWindowLongW(HWND window, int index, LONG value) override;
  BOOL GetWindowRect(HWND window, RECT* rect) override;
  BOOL GetClientRect(HWND window, RECT* rect) override;
  BOOL ScreenToClient(HWND window, POINT* point) override;
  BOOL ClientToScreen(HWND window, POINT* point) override;
  BOOL SetWindowPos(HWND window, HWND after, int x, int y, int cx, int cy, UINT flags) override;
  BOOL RedrawWindow(HWND window, const RECT* rect, UINT flags) override;
  BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase) override;
  BOOL UpdateWindow(HWND window) override;
  HWND SetFocus(HWND window) override;
  HWND GetFocus() override;

  LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  void PostQuitMessage(int exitCode) override;
  BOOL PeekMessageW(MSG* msg, UINT removeFlags) override;
  BOOL GetMessageW(MSG* msg) override;
  BOOL TranslateMessage(const MSG* msg) override;
  LRESULT DispatchMessageW(const MSG* msg) override;
  BOOL IsDialogMessageW(HWND dialog, MSG* msg) override;
  DWORD GetMessagePos() override;
  std::uintptr_t SetTimer(HWND window, std::uintptr_t id, UINT elapse) override;
  BOOL KillTimer(HWND window, std::uintptr_t id) override;
  BOOL MessageBeep(UINT type) override;
  int MessageBoxW(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) override;
  std::wstring LoadStringW(UINT id) override;

  HFONT CreateFontIndirectW(const LOGFONTW& font) override;
  HBRUSH CreateSolidBrush(COLORREF colour) override;
  BOOL DeleteObject(HGDIOBJ object) override;
  HGDIOBJ GetStockObject(int index) override;
  BOOL GetFontDescription(HFONT font, LOGFONTW* description) override;
  HBRUSH GetSysColorBrush(int index) override;
  HDC GetDC(HWND window) override;
  int ReleaseDC(HWND window, HDC dc) override;
  HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) override;
  COLORREF SetTextColor(HDC dc, COLORREF colour) override;
  COLORREF SetBkColor(HDC dc, COLORREF colour) override;
  int SetBkMode(HDC dc, int mode) override;
  BOOL GetTextExtentPoint32W(HDC dc, const std::wstring& text, int* cx, int* cy) override;
  int FillRect(HDC dc, const RECT& rect, HBRUSH brush) override;

  HBITMAP LoadBitmapW(int id) override;
  BOOL GetBitmapSize(HBITMAP bitmap, int* cx, int* cy) override;
  HBITMAP CreateCompatibleBitmap(HDC dc, int cx, int cy) override;
  HDC CreateCompatibleDC(HDC dc) override;
  BOOL DeleteDC(HDC dc) override;
  int SetStretchBltMode(HDC dc, int mode) override;
  BOOL SetBrushOrgEx(HDC dc, int x, int y, POINT* previous) override;
  BOOL StretchBlt(HDC target, int x, int y, int cx, int cy, HDC source, int sourceX, int sourceY, int sourceCx,
                  int sourceCy, DWORD rop) override;

  UINT GetDpiForWindow(HWND window) override;
  BOOL MapDialogRect(HWND dialog, RECT* rect) override;
  BOOL SetDialogControlDpiChangeBehavior(HWND window, DWORD mask, DWORD values) override;

  HMODULE LoadLibraryW(const std::wstring& path) override;
  BOOL FreeLibrary(HMODULE module) override;
  HCURSOR LoadCursorFromModule(HMODULE module, int id) override;
  HCURSOR CopyCursor(HCURSOR cursor) override;
  BOOL DestroyCursor(HCURSOR cursor) override;
  HCURSOR SetCursor(HCURSOR cursor) override;

  HWND CreateTooltip(HWND owner) override;
  BOOL AddTool(HWND tooltip, HWND window, UINT id, const RECT& rect, const std::wstring& text) override;
  BOOL UpdateTipText(HWND tooltip, HWND window, UINT id, const std::wstring& text) override;
  void RelayEvent(HWND tooltip, const MSG& msg) override;

  void EnableControlContainer() override { ++controlContainerCalls_; }

  // ---- Test API: script and input ----
  // Steps run one per idle GetMessageW, in order.
  void Then(std::function<void()> step);
  std::size_t PendingSteps() const { return script_.size(); }
  // Posts WM_LBUTTONDOWN/UP at the window's centre (the cursor moves there);
  // false (nothing posted) for a missing window or one that it or a parent
  // makes hidden or disabled.
  bool Click(HWND window);
  // Posts WM_KEYDOWN and WM_KEYUP for `vk` to the window.
  bool PressKey(HWND window, WPARAM vk);
  // Types into an edit box as a user would: Ctrl+A then each character as
  // WM_CHAR (the edit replaces its text and notifies EN_CHANGE per change).
  bool Type(HWND window, const std::wstring& text);
  // The cursor position GetMessagePos reports for messages posted from now.
  void SetCursorScreenPos(POINT screen);
  // Moves the cursor over `window` and posts WM_MOUSEMOVE (client point).
  bool PostMouseMove(HWND window, POINT client);
  std::size_t QueuedMessages();

  // ---- Test API: the calls Windows can refuse ----
  // Asked, with the call's Windows name, by each call of the window layer
  // that Windows fails when it runs short (dialog and window creation, fonts,
  // brushes, bitmaps, device contexts, the cursor's module and cursor), as
  // the call starts: the error it must fail with (the call then fails as on
  // Windows and sets the last error), or 0. A simulated PC's kernel answers
  // (SimKernel::Enter), so that the PC's call record holds these calls and
  // its faults fail them.
  using CallGate = std::function<DWORD(const char* call)>;
  void SetCallGate(CallGate gate) { gate_ = std::move(gate); }

  // ---- Test API: DPI ----
  // The DPI of top-level windows created from now on (96 unless set).
  void SetDpi(UINT dpi) { dpi_ = dpi; }
  // As Windows 10 1703 and later when `topLevel` moves to a monitor of `dpi`:
  // the window and everything in it take the DPI, and the window gets
  // WM_DPICHANGED with the suggested rectangle (its size scaled). When the
  // dialog procedure leaves it to the default handling, the dialog manager
  // sizes the window to that rectangle, makes each dialog's font anew, sends
  // it to every control (WM_SETFONT) and scales every control's rectangle,
  // leaving alone what SetDialogControlDpiChangeBehavior opted out.
  void ChangeDpi(HWND topLevel, UINT dpi);

  // ---- Test API: finding windows ----
  std::vector<HWND> TopLevelWindows() const;  // creation order, no tooltips
  HWND FindWindowByTitle(const std::wstring& title) const;
  // First descendant with the id, depth first through nested page dialogs.
  HWND Child(HWND window, int id) const;
  // First VISIBLE descendant with the id (pages reuse ids).
  HWND FindControl(HWND topLevel, int id) const;
  std::vector<HWND> Children(HWND window) const;

  // ---- Test API: state ----
  std::wstring Text(HWND window) const;  // stored text, no messages sent
  bool IsVisible(HWND window) const;     // the window and all its parents
  bool IsEnabled(HWND window) const;
  DWORD Style(HWND window) const;
  DWORD ExStyle(HWND window) const;
  RECT Rect(HWND window) const;  // screen coordinates
  HFONT Font(HWND window) const;
  std::wstring ClassName(HWND window) const;
  int CheckState(HWND window) const;
  int ProgressPos(HWND window) const;
  int ProgressMin(HWND window) const;
  int ProgressMax(HWND window) const;
  int ProgressStep(HWND window) const;
  PaintRecord LastPaint(HWND window) const;
  int PaintCount(HWND window) const;
  bool IsSubclassed(HWND window) const;
  bool TimerActive(HWND window, std::uintptr_t id) const;
  std::size_t LiveWindows() const { return windows_.size(); }

  // ---- Test API: GDI, cursors, tooltips, shell, beeps ----
  int LiveGdiObjects() const;  // fonts and brushes the program created and has not deleted
  int LiveDcs() const { return static_cast<int>(dcs_.size()); }  // window and memory DCs
  HBITMAP Image(HWND window) const;  // a static's image
  // False for what is not a live bitmap.
  bool Bitmap(HBITMAP bitmap, BitmapRecord* record) const;
  bool BrushColour(HBRUSH brush, COLORREF* colour) const;  // false for NULL_BRUSH / unknown
  const std::vector<FillRecord>& Fills() const { return fills_; }
  void SetLoadLibraryFails(bool fails) { loadLibraryFails_ = fails; }
  void SetCursorMissing(bool missing) { cursorMissing_ = missing; }
  HCURSOR CurrentCursor() const { return currentCursor_; }
  int LiveCursors() const { return static_cast<int>(cursors_.size()); }  // copies and those of loaded modules
  int LiveModules() const { return static_cast<int>(modules_.size()); }
  std::wstring ToolText(HWND tooltip, HWND window, UINT id) const;
  bool HasTool(HWND tooltip, HWND window, UINT id) const;
  int RelayCount(HWND tooltip) const;
  int BeepCount() const { return beeps_; }
  UINT LastBeepType() const { return lastBeep_; }
  int ControlContainerCalls() const { return controlContainerCalls_; }

 private:
  enum class Kind { kDialog, kButton, kEdit, kStatic, kProgress, kTooltip, kOther };
  struct Tool {
    RECT rect;
    std::wstring text;
  };
  struct Window {
    HWND handle = 0;
    HWND parent = 0;  // parent of a child, owner of a popup
    int id = 0;
    Kind kind = Kind::kOther;
    std::wstring className, text;
    DWORD style = 0, exStyle = 0;
    RECT rect{};  // relative to the parent's client area (screen for popups)
    DialogProc dialogProc = nullptr;
    WindowProc subclass = nullptr;
    void* object = nullptr;
    HFONT font = 0;
    HFONT ownedFont = 0;  // a dialog's template font, deleted with it
    std::vector<HFONT> retiredFonts;  // its template fonts of earlier DPIs, deleted with it
    std::u16string fontFace;          // the template's font
    int fontPoints = 0;
    UINT dpi = 96;
    UINT layoutDpi = 96;  // the DPI its rectangle and font were made for
    DWORD dpiBehaviour = 0;  // DCDC_* flags
    HBITMAP image = 0;       // a picture static's
    bool ownsImage = false;  // the bitmap it loaded itself, deleted with it
    int check = 0;
    int pbMin = 0, pbMax = 100, pbPos = 0, pbStep = 10;
    bool selectAll = false;  // edit: the next character replaces the text
    bool destroying = false;
    std::vector<HWND> children;
    PaintRecord lastPaint;
    int paints = 0;
    std::map<std::pair<HWND, UINT>, Tool> tools;
    int relayed = 0;
  };
  struct Timer {
    HWND window;
    std::uintptr_t id;
    UINT elapse;
    DWORD due;
  };
  struct GdiObject {
    bool font = false;
    bool stock = false;  // stock, system or dialog-owned: not the program's
    LOGFONTW logFont{};
    COLORREF colour = 0;
    bool nullBrush = false;
    bool bitmap = false;
    BitmapRecord pixels;
    HDC selectedInto = 0;
  };
  struct Dc {
    HWND window = 0;
    HFONT font = 0;
    HBRUSH brush = 0;
    COLORREF text = 0, bk = 0;
    int mode = 0;
    bool memory = false;  // CreateCompatibleDC's, which holds one bitmap
    HBITMAP bitmap = 0;
    int stretchMode = BLACKONWHITE;
    bool brushOriginSet = false;
  };

  Window* Find(HWND window);
  const Window* Find(HWND window) const;
  // A window's field, or `missing` for a window that does not exist.
  template <typename T, typename D>
  T Field(HWND window, T Window::*member, D missing) const {
    const Window* w = Find(window);
    return w ? w->*member : T(missing);
  }
  HWND NewWindow(Window w);
  void DestroyTree(HWND window);
  bool InDialog(HWND dialog, HWND window) const;
  bool AcceptsInput(HWND window) const;
  HWND FindDefaultButton(HWND dialog) const;
  HWND MessageDestination(HWND dialog) const;
  HWND FirstTabStop(HWND dialog) const;
  POINT ScreenOrigin(HWND window) const;  // of the client area
  LRESULT Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT BuiltIn(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT DefaultDialog(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT ProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void ButtonClicked(HWND window);
  void Notify(HWND window, WORD code);
  void Paint(HWND window, bool erase);
  void PaintOne(HWND window, bool erase);
  bool Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool NextTimer(MSG* msg, bool remove);
  HGDIOBJ NewGdi(GdiObject object);
  const GdiObject* Gdi(HGDIOBJ object) const;
  HFONT DialogFont(const std::u16string& face, int pointSize, UINT dpi);
  LONG DluX(int x, UINT dpi) const { return static_cast<LONG>(x * 6 * static_cast<int>(dpi) / 384); }
  LONG DluY(int y, UINT dpi) const { return static_cast<LONG>(y * 13 * static_cast<int>(dpi) / 768); }
  // A bitmap of the .res (0 when there is none), owned by the program unless `byControl`.
  HBITMAP NewBitmapFromResource(int id, bool byControl);
  LRESULT StaticImage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void FitToImage(Window& w);
  void TakeDpi(HWND window, UINT dpi);
  void Relayout(HWND dialog);
  HBITMAP DefaultBitmap();
  static COLORREF SysColour(int index);
  UINT ColourMessage(const Window& w) const;
  HBRUSH SysBrush(int index);
  Dc* FindDc(HDC dc);

  // True when the gate fails the call (with the last error set).
  bool Refused(const char* call);

  CallGate gate_;
  bool resOk_ = true;
  std::map<int, std::vector<std::uint8_t>> dialogs_;  // template id -> data
  std::map<std::uint16_t, std::u16string> strings_;
  std::map<int, std::pair<int, int>> bitmaps_;  // bitmap resource id -> size
  UINT dpi_ = 96;
  HBITMAP defaultBitmap_ = 0;  // what a new memory DC holds

  std::map<HWND, std::unique_ptr<Window>> windows_;
  std::vector<HWND> order_;  // creation order of live windows
  HWND nextHandle_ = 0x10000;
  HWND focus_ = 0;

  std::mutex queueMutex_;
  std::set<HWND> liveHandles_;  // under queueMutex_
  std::deque<MSG> queue_;
  bool quit_ = false;
  int quitCode_ = 0;
  std::vector<Timer> timers_;
  std::uintptr_t nextTimerId_ = 0x7000;
  std::deque<std::function<void()>> script_;
  POINT cursor_{0, 0};
  DWORD lastMessagePos_ = 0;

  std::map<HGDIOBJ, GdiObject> gdi_;
  HGDIOBJ nextGdi_ = 0x20000;
  std::map<int, HGDIOBJ> stock_, sysBrushes_;
  std::map<HDC, Dc> dcs_;
  HDC nextDc_ = 0x30000;
  std::vector<FillRecord> fills_;

  bool loadLibraryFails_ = false, cursorMissing_ = false;
  std::set<HMODULE> modules_;
  std::map<HCURSOR, HMODULE> cursors_;  // and the module a loaded one belongs to (0 for copies)
  std::uintptr_t nextModule_ = 0x40000, nextCursor_ = 0x50000;
  HCURSOR currentCursor_ = 0;

  int beeps_ = 0;
  UINT lastBeep_ = 0;
  int controlContainerCalls_ = 0;
};

}  // namespace fw::headless
