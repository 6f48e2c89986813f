// Message delivery, the queue, timers and dialog keyboard handling.
#include <algorithm>

#include "framework/headless/headless_windows.h"
#include "platform/platform.h"

namespace fw::headless {
namespace {

constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr DWORD kBsDefPushButton = 0x1;
constexpr UINT kUserTimerMinimum = 10;

DWORD PackPoint(POINT p) {
  return static_cast<DWORD>(static_cast<WORD>(p.x)) | (static_cast<DWORD>(static_cast<WORD>(p.y)) << 16);
}

}  // namespace

LRESULT HeadlessWindows::SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const Window* w = Find(window);
  if (!w) return 0;
  if (w->subclass) return w->subclass(window, message, wParam, lParam);
  return BuiltIn(window, message, wParam, lParam);
}

LRESULT HeadlessWindows::BuiltIn(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const Window* w = Find(window);
  if (!w) return 0;
  if (w->kind != Kind::kDialog) return ControlProc(window, message, wParam, lParam);
  if (DialogProc proc = w->dialogProc) {
    INT_PTR handled = proc(window, message, wParam, lParam);
    if (handled) return handled;
    if (!Find(window)) return 0;
  }
  return DefaultDialog(window, message, wParam, lParam);
}

LRESULT HeadlessWindows::DefaultDialog(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE: {
      HWND cancel = GetDlgItem(window, kIdCancel);
      if (cancel && !IsEnabled(cancel)) {
        MessageBeep(0);
        return 0;
      }
      SendMessageW(window, WM_COMMAND, MAKEWPARAM(kIdCancel, BN_CLICKED), static_cast<LPARAM>(cancel));
      return 0;
    }
    case WM_DPICHANGED: {
      // The dialog manager of a per-monitor (v2) window: the suggested
      // rectangle, then the dialogs' fonts and layout at the new DPI.
      if (const auto* suggested = reinterpret_cast<const RECT*>(lParam)) {
        if (Window* w = Find(window)) w->rect = *suggested;
      }
      Relayout(window);
      return 0;
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
      constexpr int kColorWindow = 5, kColorWindowText = 8;
      int index = (message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX) ? kColorWindow : COLOR_BTNFACE;
      SetTextColor(static_cast<HDC>(wParam), SysColour(kColorWindowText));
      SetBkColor(static_cast<HDC>(wParam), SysColour(index));
      return static_cast<LRESULT>(GetSysColorBrush(index));
    }
    default:
      return ControlProc(window, message, wParam, lParam);
  }
}

void HeadlessWindows::Notify(HWND window, WORD code) {
  const Window* w = Find(window);
  if (!w || !Find(w->parent)) return;
  SendMessageW(w->parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(w->id), code), static_cast<LPARAM>(window));
}

LRESULT HeadlessWindows::ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* w = Find(window);
  if (!w) return 0;
  switch (w->kind) {
    case Kind::kButton:
      if (message == BM_GETCHECK || message == BM_SETCHECK || message == BM_CLICK || message == WM_LBUTTONUP)
        return ButtonProc(window, message, wParam, lParam);
      break;
    case Kind::kEdit:
      if (message == WM_CHAR) return EditProc(window, message, wParam, lParam);
      break;
    case Kind::kProgress:
      if (message >= PBM_SETRANGE && message <= PBM_GETPOS) return ProgressProc(window, message, wParam, lParam);
      break;
    case Kind::kStatic:
      if (message == STM_SETIMAGE || message == STM_GETIMAGE) return StaticImage(window, message, wParam, lParam);
      break;
    default:
      break;
  }
  switch (message) {
    case WM_SETTEXT: {
      const auto* text = reinterpret_cast<const wchar_t*>(lParam);
      w->text = text ? text : L"";
      Kind kind = w->kind;  // painting may run code that destroys the window
      if (kind == Kind::kStatic || kind == Kind::kButton) Paint(window, true);
      if (kind == Kind::kEdit) Notify(window, 0x0300);  // EN_CHANGE
      return TRUE;
    }
    case WM_GETTEXT: {
      auto* buffer = reinterpret_cast<wchar_t*>(lParam);
      if (!buffer || wParam == 0) return 0;
      std::size_t n = std::min<std::size_t>(w->text.size(), wParam - 1);
      std::copy_n(w->text.data(), n, buffer);
      buffer[n] = L'\0';
      return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(w->text.size());
    case WM_SETFONT:
      w->font = static_cast<HFONT>(wParam);
      if (LOWORD(static_cast<std::uintptr_t>(lParam))) Paint(window, true);
      return 0;
    case WM_GETFONT:
      return static_cast<LRESULT>(w->font);
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONUP:
      if (w->kind == Kind::kStatic && (w->style & SS_NOTIFY) && !(w->style & WS_DISABLED))
        Notify(window, STN_CLICKED);
      return 0;
    default:
      return 0;
  }
}

LRESULT HeadlessWindows::ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* w = Find(window);
  switch (message) {
    case BM_GETCHECK:
      return w->check;
    case BM_SETCHECK:
      w->check = static_cast<int>(wParam);
      return 0;
    case BM_CLICK: {
      if (w->style & WS_DISABLED) return 0;
      LPARAM centre = static_cast<LPARAM>(PackPoint(
          {(w->rect.right - w->rect.left) / 2, (w->rect.bottom - w->rect.top) / 2}));
      SendMessageW(window, WM_LBUTTONDOWN, 1, centre);
      SendMessageW(window, WM_LBUTTONUP, 0, centre);
      return 0;
    }
    case WM_LBUTTONUP:
      if (!(w->style & WS_DISABLED)) ButtonClicked(window);
      return 0;
    default:
      return 0;
  }
}

void HeadlessWindows::ButtonClicked(HWND window) {
  constexpr DWORD kAutoCheckBox = 3, kAuto3State = 6, kGroupBox = 7, kAutoRadio = 9;
  constexpr DWORD kWsGroup = 0x00020000;
  Window* w = Find(window);
  DWORD type = w->style & 0xF;
  if (type == kGroupBox) return;
  if (type == kAutoCheckBox) w->check = w->check ? 0 : 1;
  if (type == kAuto3State) w->check = (w->check + 1) % 3;
  if (type == kAutoRadio) {
    w->check = 1;
    if (const Window* parent = Find(w->parent)) {
      const auto& siblings = parent->children;
      auto self = std::find(siblings.begin(), siblings.end(), window) - siblings.begin();
      auto begin = self;
      while (begin > 0 && !(Find(siblings[begin])->style & kWsGroup)) --begin;
      auto end = self + 1;
      while (end < static_cast<decltype(end)>(siblings.size()) && !(Find(siblings[end])->style & kWsGroup)) ++end;
      for (auto i = begin; i < end; ++i) {
        Window* other = Find(siblings[i]);
        if (other->handle != window && other->kind == Kind::kButton && (other->style & 0xF) == kAutoRadio)
          other->check = 0;
      }
    }
  }
  Notify(window, BN_CLICKED);
}

LRESULT HeadlessWindows::EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  constexpr DWORD kEsReadOnly = 0x0800;
  Window* w = Find(window);
  if (w->style & (WS_DISABLED | kEsReadOnly)) return 0;
  wchar_t c = static_cast<wchar_t>(wParam);
  if (c == 1) {  // Ctrl+A
    w->selectAll = true;
    return 0;
  }
  if (c != 8 && c < 0x20) return 0;
  if (w->selectAll) w->text.clear();
  else if (c == 8 && !w->text.empty()) w->text.pop_back();
  if (c != 8) w->text.push_back(c);
  w->selectAll = false;
  Notify(window, 0x0300);  // EN_CHANGE
  return 0;
}

LRESULT HeadlessWindows::ProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* w = Find(window);
  auto clamp = [w](int pos) { return std::clamp(pos, w->pbMin, std::max(w->pbMin, w->pbMax)); };
  int previous = w->pbPos;
  switch (message) {
    case PBM_SETRANGE: {
      LRESULT range = static_cast<LRESULT>(MAKEWPARAM(static_cast<WORD>(w->pbMin), static_cast<WORD>(w->pbMax)));
      w->pbMin = LOWORD(static_cast<std::uintptr_t>(lParam));
      w->pbMax = HIWORD(static_cast<std::uintptr_t>(lParam));
      w->pbPos = clamp(w->pbPos);
      return range;
    }
    case PBM_SETPOS:
      w->pbPos = clamp(static_cast<int>(wParam));
      return previous;
    case PBM_DELTAPOS:
      w->pbPos = clamp(w->pbPos + static_cast<int>(wParam));
      return previous;
    case PBM_SETSTEP: {
      int step = w->pbStep;
      w->pbStep = static_cast<int>(wParam);
      return step;
    }
    case PBM_STEPIT: {
      int pos = w->pbPos + w->pbStep;
      if (pos > w->pbMax) pos = w->pbMax > w->pbMin ? w->pbMin + (pos - w->pbMin) % (w->pbMax - w->pbMin) : w->pbMin;
      w->pbPos = clamp(pos);
      return previous;
    }
    case PBM_GETPOS:
      return w->pbPos;
    default:
      return 0;
  }
}

// Posting is the one call other threads make: it reads only what the queue
// mutex guards (the queue, the live handles, the cursor).
bool HeadlessWindows::Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD time = pf::GetTickCount();
  std::lock_guard<std::mutex> lock(queueMutex_);
  if (window != 0 && !liveHandles_.count(window)) return false;
  queue_.push_back(MSG{window, message, wParam, lParam, time, cursor_});
  return true;
}

BOOL HeadlessWindows::PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return Post(window, message, wParam, lParam) ? TRUE : FALSE;
}

void HeadlessWindows::SetCursorScreenPos(POINT screen) {
  std::lock_guard<std::mutex> lock(queueMutex_);
  cursor_ = screen;
}

void HeadlessWindows::PostQuitMessage(int exitCode) {
  std::lock_guard<std::mutex> lock(queueMutex_);
  quit_ = true;
  quitCode_ = exitCode;
}

bool HeadlessWindows::NextTimer(MSG* msg, bool remove) {
  if (timers_.empty()) return false;
  DWORD now = pf::GetTickCount();
  Timer* due = nullptr;
  for (Timer& t : timers_) {
    auto late = static_cast<std::int32_t>(now - t.due);
    if (late >= 0 && (!due || late > static_cast<std::int32_t>(now - due->due))) due = &t;
  }
  if (!due) return false;
  *msg = MSG{due->window, WM_TIMER, due->id, 0, now, cursor_};
  if (remove) due->due = now + due->elapse;
  return true;
}

BOOL HeadlessWindows::PeekMessageW(MSG* msg, UINT removeFlags) {
  if (!msg) return FALSE;
  bool remove = (removeFlags & PM_REMOVE) != 0;
  {
    std::lock_guard<std::mutex> lock(queueMutex_);
    if (!queue_.empty()) {
      *msg = queue_.front();
      if (remove) {
        queue_.pop_front();
        lastMessagePos_ = PackPoint(msg->pt);
      }
      return TRUE;
    }
    if (quit_) {
      *msg = MSG{0, WM_QUIT, static_cast<WPARAM>(quitCode_), 0, pf::GetTickCount(), cursor_};
      if (remove) quit_ = false;
      return TRUE;
    }
  }
  if (!NextTimer(msg, remove)) return FALSE;
  if (remove) lastMessagePos_ = PackPoint(msg->pt);
  return TRUE;
}

BOOL HeadlessWindows::GetMessageW(MSG* msg) {
  if (!msg) return -1;
  for (;;) {
    if (PeekMessageW(msg, PM_REMOVE)) return msg->message == WM_QUIT ? 0 : 1;
    if (script_.empty()) {
      *msg = MSG{0, WM_NULL, 0, 0, 0, cursor_};
      return -1;
    }
    std::function<void()> step = std::move(script_.front());
    script_.pop_front();
    step();
  }
}

BOOL HeadlessWindows::TranslateMessage(const MSG* msg) { return FALSE; }

LRESULT HeadlessWindows::DispatchMessageW(const MSG* msg) {
  if (!msg || !Find(msg->hwnd)) return 0;
  return SendMessageW(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

bool HeadlessWindows::InDialog(HWND dialog, HWND window) const {
  for (const Window* w = Find(window); w; w = (w->style & WS_CHILD) ? Find(w->parent) : nullptr)
    if (w->handle == dialog) return true;
  return false;
}

HWND HeadlessWindows::FindDefaultButton(HWND dialog) const {
  const Window* d = Find(dialog);
  if (!d) return 0;
  for (HWND c : d->children) {
    const Window* w = Find(c);
    if (w->kind == Kind::kButton && (w->style & 0xF) == kBsDefPushButton) return c;
  }
  for (HWND c : d->children) {
    const Window* w = Find(c);
    if (w->kind == Kind::kDialog && (w->style & WS_VISIBLE))
      if (HWND found = FindDefaultButton(c)) return found;
  }
  return 0;
}

// As Windows does: a DS_CONTROL child dialog (a page inside another dialog)
// leaves its dialog messages to the dialog it sits in.
HWND HeadlessWindows::MessageDestination(HWND dialog) const {
  for (const Window* w = Find(dialog); w && (w->style & DS_CONTROL);) {
    const Window* parent = Find(w->parent);
    if (!parent || parent->kind != Kind::kDialog) break;
    dialog = parent->handle;
    w = parent;
  }
  return dialog;
}

BOOL HeadlessWindows::IsDialogMessageW(HWND dialog, MSG* msg) {
  if (!msg || !Find(dialog) || !InDialog(dialog, msg->hwnd)) return FALSE;
  dialog = MessageDestination(dialog);
  if (msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE)) {
    int id = kIdCancel;
    HWND button = GetDlgItem(dialog, kIdCancel);
    if (msg->wParam == VK_RETURN) {
      button = FindDefaultButton(dialog);
      if (button && IsEnabled(button)) {
        id = GetDlgCtrlID(button);
      } else {
        id = kIdOk;
        button = GetDlgItem(dialog, kIdOk);
      }
    }
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), static_cast<LPARAM>(button));
    return TRUE;
  }
  DispatchMessageW(msg);
  return TRUE;
}

DWORD HeadlessWindows::GetMessagePos() { return lastMessagePos_; }

std::uintptr_t HeadlessWindows::SetTimer(HWND window, std::uintptr_t id, UINT elapse) {
  if (window != 0 && !Find(window)) return 0;
  if (window == 0) id = nextTimerId_++;
  elapse = std::max(elapse, kUserTimerMinimum);
  DWORD due = pf::GetTickCount() + elapse;
  for (Timer& t : timers_) {
    if (t.window == window && t.id == id) {
      t.elapse = elapse;
      t.due = due;
      return id ? id : 1;
    }
  }
  timers_.push_back(Timer{window, id, elapse, due});
  return id ? id : 1;
}

BOOL HeadlessWindows::KillTimer(HWND window, std::uintptr_t id) {
  auto it = std::find_if(timers_.begin(), timers_.end(),
                         [&](const Timer& t) { return t.window == window && t.id == id; });
  if (it == timers_.end()) return FALSE;
  timers_.erase(it);
  return TRUE;
}

BOOL HeadlessWindows::MessageBeep(UINT type) {
  ++beeps_;
  lastBeep_ = type;
  return TRUE;
}

int HeadlessWindows::MessageBoxW(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
  return pf::MessageBoxW(owner, text.c_str(), caption.c_str(), type);
}

}  // namespace fw::headless
