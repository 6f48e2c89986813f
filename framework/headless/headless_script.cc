// What a test sees and does: scripted steps, user input, finding windows and
// reading their state without sending messages.
#include "framework/headless/headless_windows.h"

namespace fw::headless {
namespace {

LPARAM PackClient(POINT p) {
  return static_cast<LPARAM>(static_cast<WORD>(p.x) | (static_cast<DWORD>(static_cast<WORD>(p.y)) << 16));
}

}  // namespace

// A user reaches a window only when it and its parents are visible and enabled
// (a modal dialog's disabled owner takes no clicks on its buttons).
bool HeadlessWindows::AcceptsInput(HWND window) const {
  if (!IsVisible(window)) return false;
  for (const Window* w = Find(window); w; w = (w->style & WS_CHILD) ? Find(w->parent) : nullptr)
    if (w->style & WS_DISABLED) return false;
  return true;
}

void HeadlessWindows::Then(std::function<void()> step) { script_.push_back(std::move(step)); }

bool HeadlessWindows::Click(HWND window) {
  const Window* w = Find(window);
  if (!w || !AcceptsInput(window)) return false;
  POINT centre{(w->rect.right - w->rect.left) / 2, (w->rect.bottom - w->rect.top) / 2};
  POINT screen = centre;
  ClientToScreen(window, &screen);
  SetCursorScreenPos(screen);
  constexpr WPARAM kLeftButton = 0x0001;  // MK_LBUTTON
  Post(window, WM_LBUTTONDOWN, kLeftButton, PackClient(centre));
  Post(window, WM_LBUTTONUP, 0, PackClient(centre));
  return true;
}

bool HeadlessWindows::PressKey(HWND window, WPARAM vk) {
  if (!Find(window)) return false;
  Post(window, WM_KEYDOWN, vk, 1);
  Post(window, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
  return true;
}

bool HeadlessWindows::Type(HWND window, const std::wstring& text) {
  const Window* w = Find(window);
  if (!w || w->kind != Kind::kEdit || !AcceptsInput(window)) return false;
  Post(window, WM_CHAR, 1, 1);  // Ctrl+A: what follows replaces the text
  if (text.empty()) Post(window, WM_CHAR, 8, 1);
  for (wchar_t c : text) Post(window, WM_CHAR, static_cast<WPARAM>(c), 1);
  return true;
}

bool HeadlessWindows::PostMouseMove(HWND window, POINT client) {
  if (!Find(window)) return false;
  POINT screen = client;
  ClientToScreen(window, &screen);
  SetCursorScreenPos(screen);
  Post(window, WM_MOUSEMOVE, 0, PackClient(client));
  return true;
}

std::size_t HeadlessWindows::QueuedMessages() {
  std::lock_guard<std::mutex> lock(queueMutex_);
  return queue_.size();
}

std::vector<HWND> HeadlessWindows::TopLevelWindows() const {
  std::vector<HWND> result;
  for (HWND h : order_) {
    const Window* w = Find(h);
    if (w && !(w->style & WS_CHILD) && w->kind != Kind::kTooltip) result.push_back(h);
  }
  return result;
}

HWND HeadlessWindows::FindWindowByTitle(const std::wstring& title) const {
  for (HWND h : TopLevelWindows())
    if (Find(h)->text == title) return h;
  return 0;
}

HWND HeadlessWindows::Child(HWND window, int id) const {
  const Window* w = Find(window);
  if (!w) return 0;
  for (HWND c : w->children) {
    if (Find(c)->id == id) return c;
    if (HWND found = Child(c, id)) return found;
  }
  return 0;
}

HWND HeadlessWindows::FindControl(HWND topLevel, int id) const {
  const Window* w = Find(topLevel);
  if (!w) return 0;
  for (HWND c : w->children) {
    if (Find(c)->id == id && IsVisible(c)) return c;
    if (HWND found = FindControl(c, id)) return found;
  }
  return 0;
}

std::vector<HWND> HeadlessWindows::Children(HWND window) const {
  return Field(window, &Window::children, std::vector<HWND>());
}

std::wstring HeadlessWindows::Text(HWND window) const { return Field(window, &Window::text, std::wstring()); }

bool HeadlessWindows::IsVisible(HWND window) const {
  const Window* w = Find(window);
  if (!w) return false;
  for (; w; w = (w->style & WS_CHILD) ? Find(w->parent) : nullptr)
    if (!(w->style & WS_VISIBLE)) return false;
  return true;
}

bool HeadlessWindows::IsEnabled(HWND window) const {
  const Window* w = Find(window);
  return w && !(w->style & WS_DISABLED);
}

DWORD HeadlessWindows::Style(HWND window) const { return Field(window, &Window::style, 0); }

DWORD HeadlessWindows::ExStyle(HWND window) const { return Field(window, &Window::exStyle, 0); }

RECT HeadlessWindows::Rect(HWND window) const {
  const Window* w = Find(window);
  if (!w) return RECT{0, 0, 0, 0};
  POINT o = ScreenOrigin(window);
  return RECT{o.x, o.y, o.x + (w->rect.right - w->rect.left), o.y + (w->rect.bottom - w->rect.top)};
}

HFONT HeadlessWindows::Font(HWND window) const { return Field(window, &Window::font, 0); }

std::wstring HeadlessWindows::ClassName(HWND window) const { return Field(window, &Window::className, std::wstring()); }

int HeadlessWindows::CheckState(HWND window) const { return Field(window, &Window::check, 0); }

int HeadlessWindows::ProgressPos(HWND window) const { return Field(window, &Window::pbPos, 0); }

int HeadlessWindows::ProgressMin(HWND window) const { return Field(window, &Window::pbMin, 0); }

int HeadlessWindows::ProgressMax(HWND window) const { return Field(window, &Window::pbMax, 0); }

int HeadlessWindows::ProgressStep(HWND window) const { return Field(window, &Window::pbStep, 0); }

PaintRecord HeadlessWindows::LastPaint(HWND window) const { return Field(window, &Window::lastPaint, PaintRecord{}); }

int HeadlessWindows::PaintCount(HWND window) const { return Field(window, &Window::paints, 0); }

bool HeadlessWindows::IsSubclassed(HWND window) const {
  const Window* w = Find(window);
  return w && w->subclass;
}

bool HeadlessWindows::TimerActive(HWND window, std::uintptr_t id) const {
  for (const Timer& t : timers_)
    if (t.window == window && t.id == id) return true;
  return false;
}

std::wstring HeadlessWindows::ToolText(HWND tooltip, HWND window, UINT id) const {
  const Window* t = Find(tooltip);
  if (!t) return std::wstring();
  auto it = t->tools.find({window, id});
  return it == t->tools.end() ? std::wstring() : it->second.text;
}

bool HeadlessWindows::HasTool(HWND tooltip, HWND window, UINT id) const {
  const Window* t = Find(tooltip);
  return t && t->tools.count({window, id});
}

int HeadlessWindows::RelayCount(HWND tooltip) const {
  const Window* t = Find(tooltip);
  return t ? t->relayed : 0;
}

}  // namespace fw::headless
