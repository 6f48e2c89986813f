// The window tree: dialogs from the templates, window state and geometry.
#include "framework/headless/headless_windows.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "common/res/res_reader.h"
#include "common/text/case_fold.h"
#include "platform/platform.h"

namespace fw::headless {
namespace {

constexpr DWORD kWsPopup = 0x80000000;
constexpr DWORD kDsSetFont = 0x0040;
constexpr DWORD kDsCenter = 0x0800;
constexpr DWORD kWsTabStop = 0x00010000;
constexpr LONG kScreenWidth = 1024;
constexpr LONG kScreenHeight = 768;

std::wstring Wide(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }

bool SameName(const std::u16string& a, const wchar_t* b) { return text::EqualsNoCase(Wide(a), b); }

}  // namespace

bool LoadResFile(const std::string& path, std::vector<std::uint8_t>* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

HeadlessWindows::HeadlessWindows() = default;

HeadlessWindows::HeadlessWindows(const std::vector<std::uint8_t>& resBytes) {
  std::vector<res::Entry> entries;
  resOk_ = res::ParseResFile(resBytes, &entries);
  for (const res::Entry& e : entries) {
    if (!e.type.text.empty() || !e.name.text.empty()) continue;
    if (e.type.ordinal == res::kTypeDialog) dialogs_[e.name.ordinal] = e.data;
    if (e.type.ordinal == res::kTypeBitmap) {
      // A BITMAPINFOHEADER (or the old BITMAPCOREHEADER) opens the data.
      const auto& b = e.data;
      auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (b[at + 3] << 24));
      };
      if (b.size() >= 12 && u32(0) == 12) {
        bitmaps_[e.name.ordinal] = {b[4] | (b[5] << 8), b[6] | (b[7] << 8)};
      } else if (b.size() >= 40 && u32(0) >= 40) {
        const auto height = static_cast<std::int32_t>(u32(8));
        bitmaps_[e.name.ordinal] = {static_cast<std::int32_t>(u32(4)), height < 0 ? -height : height};
      } else {
        resOk_ = false;
      }
    }
    if (e.type.ordinal == res::kTypeStringTable && !res::ParseStringBlock(e.name.ordinal, e.data, &strings_))
      resOk_ = false;
  }
}

HeadlessWindows::~HeadlessWindows() = default;

HeadlessWindows::Window* HeadlessWindows::Find(HWND window) {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : it->second.get();
}

const HeadlessWindows::Window* HeadlessWindows::Find(HWND window) const {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : it->second.get();
}

HWND HeadlessWindows::NewWindow(Window w) {
  HWND handle = nextHandle_;
  nextHandle_ += 4;
  w.handle = handle;
  if (w.style & WS_CHILD) {
    if (Window* parent = Find(w.parent)) parent->children.push_back(handle);
  }
  windows_[handle] = std::make_unique<Window>(std::move(w));
  {
    std::lock_guard<std::mutex> lock(queueMutex_);
    liveHandles_.insert(handle);
  }
  order_.push_back(handle);
  return handle;
}

bool HeadlessWindows::Refused(const char* call) {
  const DWORD error = gate_ ? gate_(call) : 0;
  if (error) pf::SetLastError(error);
  return error != 0;
}

HWND HeadlessWindows::CreateDialogParamW(int templateId, HWND parent, DialogProc proc, LPARAM param) {
  if (Refused("CreateDialogParamW")) return 0;
  auto found = dialogs_.find(templateId);
  res::Dialog d;
  if (found == dialogs_.end() || !res::ParseDialog(found->second, &d)) return 0;
  if (parent != 0 && !Find(parent)) return 0;

  Window dialog;
  dialog.kind = Kind::kDialog;
  dialog.className = L"#32770";
  dialog.style = d.style;
  dialog.exStyle = (d.style & DS_CONTROL) ? WS_EX_CONTROLPARENT : 0;
  dialog.text = Wide(d.caption);
  dialog.parent = parent;
  dialog.dialogProc = proc;
  const Window* parentWindow = Find(parent);
  const UINT dpi = (d.style & WS_CHILD) && parentWindow ? parentWindow->dpi : dpi_;
  dialog.dpi = dialog.layoutDpi = dpi;
  LONG cx = DluX(d.cx, dpi), cy = DluY(d.cy, dpi);
  LONG x = DluX(d.x, dpi), y = DluY(d.y, dpi);
  if (!(d.style & WS_CHILD) && (d.style & kDsCenter)) {
    x = (kScreenWidth - cx) / 2;
    y = (kScreenHeight - cy) / 2;
  }
  dialog.rect = {x, y, x + cx, y + cy};
  if (d.style & kDsSetFont) {
    dialog.fontFace = d.font;
    dialog.fontPoints = d.point_size;
    dialog.ownedFont = DialogFont(d.font, d.point_size, dpi);
    dialog.font = dialog.ownedFont;
  }
  HFONT font = dialog.font;
  HWND handle = NewWindow(std::move(dialog));

  for (const res::DialogItem& item : d.items) {
    Window c;
    c.parent = handle;
    c.id = static_cast<int>(item.id);
    c.style = item.style | WS_CHILD;
    c.font = font;
    c.dpi = c.layoutDpi = dpi;
    c.rect = {DluX(item.x, dpi), DluY(item.y, dpi), DluX(item.x, dpi) + DluX(item.cx, dpi),
              DluY(item.y, dpi) + DluY(item.cy, dpi)};
    c.text = Wide(item.text.text);  // empty for a picture's resource ordinal
    const res::Id& cls = item.window_class;
    if (cls.text.empty()) {
      switch (cls.ordinal) {
        case 0x80: c.kind = Kind::kButton; c.className = L"Button"; break;
        case 0x81: c.kind = Kind::kEdit; c.className = L"Edit"; break;
        case 0x82: c.kind = Kind::kStatic; c.className = L"Static"; break;
        case 0x83: c.className = L"ListBox"; break;
        case 0x84: c.className = L"ScrollBar"; break;
        case 0x85: c.className = L"ComboBox"; break;
        default: c.className = L"#" + std::to_wstring(cls.ordinal); break;
      }
    } else {
      c.className = Wide(cls.text);
      if (SameName(cls.text, L"button")) c.kind = Kind::kButton;
      else if (SameName(cls.text, L"edit")) c.kind = Kind::kEdit;
      else if (SameName(cls.text, L"static")) c.kind = Kind::kStatic;
      else if (SameName(cls.text, L"msctls_progress32")) c.kind = Kind::kProgress;
      if (c.kind == Kind::kButton) c.className = L"Button";
      if (c.kind == Kind::kEdit) c.className = L"Edit";
      if (c.kind == Kind::kStatic) c.className = L"Static";
    }
    if (c.kind == Kind::kStatic && (c.style & SS_TYPEMASK) == SS_BITMAP && item.text.text.empty()) {
      c.image = NewBitmapFromResource(item.text.ordinal, true);
      c.ownsImage = c.image != 0;
      FitToImage(c);
    }
    NewWindow(std::move(c));
  }

  HWND focus = FirstTabStop(handle);
  LRESULT keepFocus = SendMessageW(handle, WM_INITDIALOG, focus, param);
  if (!Find(handle)) return 0;
  // A page (DS_CONTROL) made hidden takes no focus yet, as with Windows' dialog manager.
  const DWORD style = Find(handle)->style;
  const bool takesFocus = !(style & DS_CONTROL) || (style & WS_VISIBLE);
  if (keepFocus && takesFocus && focus && Find(focus)) SetFocus(focus);
  if (IsVisible(handle)) Paint(handle, true);
  return Find(handle) ? handle : 0;
}

HWND HeadlessWindows::FirstTabStop(HWND dialog) const {
  const Window* d = Find(dialog);
  if (!d) return 0;
  HWND first = 0;
  for (HWND c : d->children) {
    const Window* w = Find(c);
    if (!w || !(w->style & WS_VISIBLE) || (w->style & WS_DISABLED)) continue;
    if (w->style & kWsTabStop) return c;
    if (!first && w->kind != Kind::kStatic) first = c;
  }
  return first;
}

BOOL HeadlessWindows::DestroyWindow(HWND window) {
  Window* w = Find(window);
  if (!w) return FALSE;
  if (!w->destroying) DestroyTree(window);
  return TRUE;
}

void HeadlessWindows::DestroyTree(HWND window) {
  Window* w = Find(window);
  if (!w || w->destroying) return;
  w->destroying = true;
  std::vector<HWND> owned;
  for (HWND h : order_) {
    const Window* o = Find(h);
    if (o && o->parent == window && !(o->style & WS_CHILD)) owned.push_back(h);
  }
  for (HWND h : owned) DestroyTree(h);
  SendMessageW(window, WM_DESTROY, 0, 0);
  if (Window* again = Find(window)) {
    std::vector<HWND> children = again->children;
    for (HWND c : children) DestroyTree(c);
  }
  SendMessageW(window, WM_NCDESTROY, 0, 0);
  w = Find(window);
  if (!w) return;
  if (Window* parent = Find(w->parent)) {
    auto& siblings = parent->children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), window), siblings.end());
  }
  timers_.erase(std::remove_if(timers_.begin(), timers_.end(), [&](const Timer& t) { return t.window == window; }),
                timers_.end());
  if (focus_ == window) focus_ = 0;
  if (w->ownedFont) gdi_.erase(w->ownedFont);
  for (HFONT f : w->retiredFonts) gdi_.erase(f);
  if (w->ownsImage) gdi_.erase(w->image);
  order_.erase(std::remove(order_.begin(), order_.end(), window), order_.end());
  windows_.erase(window);
  std::lock_guard<std::mutex> lock(queueMutex_);
  liveHandles_.erase(window);
}

BOOL HeadlessWindows::IsWindow(HWND window) { return Find(window) ? TRUE : FALSE; }

HWND HeadlessWindows::GetDlgItem(HWND dialog, int id) {
  const Window* d = Find(dialog);
  if (!d) return 0;
  for (HWND c : d->children)
    if (const Window* w = Find(c); w && w->id == id) return c;
  return 0;
}

int HeadlessWindows::GetDlgCtrlID(HWND window) {
  const Window* w = Find(window);
  return w ? w->id : 0;
}

HWND HeadlessWindows::GetParent(HWND window) {
  const Window* w = Find(window);
  return w && Find(w->parent) ? w->parent : 0;
}

void HeadlessWindows::SetWindowObject(HWND window, void* object) {
  if (Window* w = Find(window)) w->object = object;
}

void* HeadlessWindows::GetWindowObject(HWND window) {
  const Window* w = Find(window);
  return w ? w->object : nullptr;
}

BOOL HeadlessWindows::SubclassWindow(HWND window, WindowProc proc) {
  Window* w = Find(window);
  if (!w || !proc) return FALSE;
  w->subclass = proc;
  return TRUE;
}

LRESULT HeadlessWindows::CallOriginalProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return BuiltIn(window, message, wParam, lParam);
}

BOOL HeadlessWindows::SetWindowTextW(HWND window, const std::wstring& text) {
  if (!Find(window)) return FALSE;
  return SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())) ? TRUE : FALSE;
}

std::wstring HeadlessWindows::GetWindowTextW(HWND window) {
  if (!Find(window)) return std::wstring();
  LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return std::wstring();
  std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1, L'\0');
  LRESULT copied = SendMessageW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
  copied = std::clamp<LRESULT>(copied, 0, length);
  return std::wstring(buffer.data(), static_cast<std::size_t>(copied));
}

BOOL HeadlessWindows::EnableWindow(HWND window, BOOL enable) {
  Window* w = Find(window);
  if (!w) return FALSE;
  bool wasDisabled = (w->style & WS_DISABLED) != 0;
  if (wasDisabled == !enable) return wasDisabled ? TRUE : FALSE;
  if (enable) w->style &= ~WS_DISABLED;
  else w->style |= WS_DISABLED;
  if (!enable && focus_ == window) focus_ = 0;
  SendMessageW(window, WM_ENABLE, enable ? TRUE : FALSE, 0);
  Paint(window, true);
  return wasDisabled ? TRUE : FALSE;
}

BOOL HeadlessWindows::IsWindowEnabled(HWND window) { return IsEnabled(window) ? TRUE : FALSE; }

BOOL HeadlessWindows::ShowWindow(HWND window, int command) {
  Window* w = Find(window);
  if (!w) return FALSE;
  bool wasVisible = (w->style & WS_VISIBLE) != 0;
  bool show = command != SW_HIDE;
  if (show == wasVisible) return wasVisible ? TRUE : FALSE;
  if (show) w->style |= WS_VISIBLE;
  else w->style &= ~WS_VISIBLE;
  if (!show) {
    for (HWND f = focus_; f; f = Find(f) && (Find(f)->style & WS_CHILD) ? Find(f)->parent : 0)
      if (f == window) { focus_ = 0; break; }
  }
  SendMessageW(window, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
  if (show) Paint(window, true);
  return wasVisible ? TRUE : FALSE;
}

BOOL HeadlessWindows::IsWindowVisible(HWND window) { return IsVisible(window) ? TRUE : FALSE; }

LONG HeadlessWindows::GetWindowLongW(HWND window, int index) {
  const Window* w = Find(window);
  if (!w) return 0;
  if (index == GWL_STYLE) return static_cast<LONG>(w->style);
  if (index == GWL_EXSTYLE) return static_cast<LONG>(w->exStyle);
  return 0;
}

LONG HeadlessWindows::SetWindowLongW(HWND window, int index, LONG value) {
  Window* w = Find(window);
  if (!w) return 0;
  DWORD* slot = index == GWL_STYLE ? &w->style : index == GWL_EXSTYLE ? &w->exStyle : nullptr;
  if (!slot) return 0;
  LONG previous = static_cast<LONG>(*slot);
  *slot = static_cast<DWORD>(value);
  return previous;
}

POINT HeadlessWindows::ScreenOrigin(HWND window) const {
  POINT p{0, 0};
  for (const Window* w = Find(window); w; w = (w->style & WS_CHILD) ? Find(w->parent) : nullptr) {
    p.x += w->rect.left;
    p.y += w->rect.top;
  }
  return p;
}

BOOL HeadlessWindows::GetWindowRect(HWND window, RECT* rect) {
  if (!Find(window) || !rect) return FALSE;
  *rect = Rect(window);
  return TRUE;
}

BOOL HeadlessWindows::GetClientRect(HWND window, RECT* rect) {
  const Window* w = Find(window);
  if (!w || !rect) return FALSE;
  *rect = {0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
  return TRUE;
}

BOOL HeadlessWindows::ScreenToClient(HWND window, POINT* point) {
  if (!Find(window) || !point) return FALSE;
  POINT o = ScreenOrigin(window);
  point->x -= o.x;
  point->y -= o.y;
  return TRUE;
}

BOOL HeadlessWindows::ClientToScreen(HWND window, POINT* point) {
  if (!Find(window) || !point) return FALSE;
  POINT o = ScreenOrigin(window);
  point->x += o.x;
  point->y += o.y;
  return TRUE;
}

BOOL HeadlessWindows::SetWindowPos(HWND window, HWND after, int x, int y, int cx, int cy, UINT flags) {
  Window* w = Find(window);
  if (!w) return FALSE;
  LONG width = w->rect.right - w->rect.left, height = w->rect.bottom - w->rect.top;
  if (!(flags & SWP_NOSIZE)) {
    width = cx;
    height = cy;
  }
  if (!(flags & SWP_NOMOVE)) {
    w->rect.left = x;
    w->rect.top = y;
  }
  w->rect.right = w->rect.left + width;
  w->rect.bottom = w->rect.top + height;
  return TRUE;
}

// As Windows: a window that is disabled, or inside one (up to its top-level
// window), cannot take the focus.
HWND HeadlessWindows::SetFocus(HWND window) {
  HWND previous = focus_;
  if (window == 0) {
    focus_ = 0;
    return previous;
  }
  if (!Find(window)) return 0;
  for (const Window* w = Find(window); w; w = (w->style & WS_CHILD) ? Find(w->parent) : nullptr)
    if (w->style & WS_DISABLED) return 0;
  focus_ = window;
  SendMessageW(window, WM_SETFOCUS, previous, 0);
  return previous;
}

HWND HeadlessWindows::GetFocus() { return Find(focus_) ? focus_ : 0; }

}  // namespace fw::headless
