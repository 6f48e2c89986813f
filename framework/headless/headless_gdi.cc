// Painting, GDI objects, cursors, tooltips, the shell and the string table.
//
// Text measure: a character is (|height| * 7 + 6) / 12 pixels wide (7 for a
// 12 pixel font), twice that from U+1100 on (CJK), one more when bold; the
// extent's height is |height| * 5 / 4 for a character height (negative
// lfHeight) and lfHeight itself for a cell height. Height 0 counts as -12.
#include <algorithm>

#include "common/text/case_fold.h"
#include "framework/headless/headless_windows.h"

namespace fw::headless {
namespace {

constexpr DWORD kEsReadOnly = 0x0800;
constexpr int kSystemFont = 13;

LOGFONTW Describe(LONG height, LONG weight, const wchar_t* face) {
  LOGFONTW f{};
  f.lfHeight = height;
  f.lfWeight = weight;
  f.lfCharSet = DEFAULT_CHARSET;
  f.lfPitchAndFamily = FF_SWISS;
  for (std::size_t i = 0; face[i] && i + 1 < 32; ++i) f.lfFaceName[i] = face[i];
  return f;
}

}  // namespace

UINT HeadlessWindows::ColourMessage(const Window& w) const {
  switch (w.kind) {
    case Kind::kDialog:
      return WM_CTLCOLORDLG;
    case Kind::kStatic:
      return WM_CTLCOLORSTATIC;
    case Kind::kEdit:
      return (w.style & (WS_DISABLED | kEsReadOnly)) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
    case Kind::kButton: {
      DWORD type = w.style & 0xF;
      return (type <= 1 || type == 0xB) ? WM_CTLCOLORBTN : WM_CTLCOLORSTATIC;
    }
    default:
      return 0;
  }
}

void HeadlessWindows::Paint(HWND window, bool erase) {
  if (!IsVisible(window)) return;
  PaintOne(window, erase);
  const Window* w = Find(window);
  if (!w) return;
  std::vector<HWND> children = w->children;
  for (HWND c : children) Paint(c, erase);
}

void HeadlessWindows::PaintOne(HWND window, bool erase) {
  const Window* w = Find(window);
  HDC dc = nextDc_;
  nextDc_ += 4;
  dcs_[dc] = Dc{window, w->font ? w->font : GetStockObject(kSystemFont), GetStockObject(0), RGB(0, 0, 0),
                RGB(255, 255, 255), OPAQUE};
  if (erase) SendMessageW(window, WM_ERASEBKGND, dc, 0);
  UINT message = 0;
  HBRUSH brush = 0;
  if ((w = Find(window))) {
    message = ColourMessage(*w);
    HWND target = w->kind == Kind::kDialog ? window : w->parent;
    const Window* t = Find(target);
    if (message && t && t->kind == Kind::kDialog)
      brush = static_cast<HBRUSH>(SendMessageW(target, message, dc, static_cast<LPARAM>(window)));
    else
      message = 0;
  }
  Window* painted = Find(window);
  const Dc& d = dcs_[dc];
  if (painted) {
    painted->lastPaint = PaintRecord{message, brush, d.text, d.bk, d.mode, painted->font};
    ++painted->paints;
  }
  dcs_.erase(dc);
}

BOOL HeadlessWindows::RedrawWindow(HWND window, const RECT* rect, UINT flags) {
  if (!Find(window)) return FALSE;
  Paint(window, (flags & RDW_ERASE) != 0);
  return TRUE;
}

BOOL HeadlessWindows::InvalidateRect(HWND window, const RECT* rect, BOOL erase) {
  if (!Find(window)) return FALSE;
  Paint(window, erase != FALSE);
  return TRUE;
}

BOOL HeadlessWindows::UpdateWindow(HWND window) {
  if (!Find(window)) return FALSE;
  Paint(window, false);
  return TRUE;
}

HGDIOBJ HeadlessWindows::NewGdi(GdiObject object) {
  HGDIOBJ handle = nextGdi_;
  nextGdi_ += 4;
  gdi_[handle] = object;
  return handle;
}

const HeadlessWindows::GdiObject* HeadlessWindows::Gdi(HGDIOBJ object) const {
  auto it = gdi_.find(object);
  return it == gdi_.end() ? nullptr : &it->second;
}

HFONT HeadlessWindows::DialogFont(const std::u16string& face, int pointSize, UINT dpi) {
  GdiObject f;
  f.font = true;
  f.stock = true;
  std::wstring name(face.begin(), face.end());
  f.logFont = Describe(-(pointSize * static_cast<int>(dpi) + 36) / 72, FW_NORMAL, name.c_str());
  return NewGdi(f);
}

COLORREF HeadlessWindows::SysColour(int index) {
  switch (index) {
    case 5: return RGB(255, 255, 255);  // COLOR_WINDOW
    case 8: return RGB(0, 0, 0);        // COLOR_WINDOWTEXT
    case COLOR_BTNFACE: return RGB(240, 240, 240);
    case 17: return RGB(109, 109, 109);  // COLOR_GRAYTEXT
    case 26: return RGB(0, 102, 204);    // COLOR_HOTLIGHT
    default: return RGB(192, 192, 192);
  }
}

HFONT HeadlessWindows::CreateFontIndirectW(const LOGFONTW& font) {
  if (Refused("CreateFontIndirectW")) return 0;
  GdiObject f;
  f.font = true;
  f.logFont = font;
  return NewGdi(f);
}

HBRUSH HeadlessWindows::CreateSolidBrush(COLORREF colour) {
  if (Refused("CreateSolidBrush")) return 0;
  GdiObject b;
  b.colour = colour;
  return NewGdi(b);
}

BOOL HeadlessWindows::DeleteObject(HGDIOBJ object) {
  const GdiObject* g = Gdi(object);
  if (!g || g->selectedInto) return FALSE;  // a bitmap in a memory DC cannot go
  if (!g->stock) gdi_.erase(object);
  return TRUE;
}

HGDIOBJ HeadlessWindows::GetStockObject(int index) {
  auto it = stock_.find(index);
  if (it != stock_.end()) return it->second;
  GdiObject g;
  g.stock = true;
  switch (index) {
    case 0: g.colour = RGB(255, 255, 255); break;  // WHITE_BRUSH
    case 1: g.colour = RGB(192, 192, 192); break;
    case 2: g.colour = RGB(128, 128, 128); break;
    case 3: g.colour = RGB(64, 64, 64); break;
    case 4: g.colour = RGB(0, 0, 0); break;  // BLACK_BRUSH
    case NULL_BRUSH: g.nullBrush = true; break;
    case ANSI_VAR_FONT: g.font = true; g.logFont = Describe(-11, FW_NORMAL, L"MS Sans Serif"); break;
    case kSystemFont: g.font = true; g.logFont = Describe(-16, FW_BOLD, L"System"); break;
    case DEFAULT_GUI_FONT: g.font = true; g.logFont = Describe(-11, FW_NORMAL, L"MS Shell Dlg"); break;
    default: return 0;
  }
  return stock_[index] = NewGdi(g);
}

BOOL HeadlessWindows::GetFontDescription(HFONT font, LOGFONTW* description) {
  const GdiObject* g = Gdi(font);
  if (!g || !g->font || !description) return FALSE;
  *description = g->logFont;
  return TRUE;
}

HBRUSH HeadlessWindows::GetSysColorBrush(int index) {
  auto it = sysBrushes_.find(index);
  if (it != sysBrushes_.end()) return it->second;
  GdiObject b;
  b.stock = true;
  b.colour = SysColour(index);
  return sysBrushes_[index] = NewGdi(b);
}

bool HeadlessWindows::BrushColour(HBRUSH brush, COLORREF* colour) const {
  const GdiObject* g = Gdi(brush);
  if (!g || g->font || g->nullBrush) return false;
  if (colour) *colour = g->colour;
  return true;
}

int HeadlessWindows::LiveGdiObjects() const {
  return static_cast<int>(std::count_if(gdi_.begin(), gdi_.end(), [](const auto& g) { return !g.second.stock; }));
}

HeadlessWindows::Dc* HeadlessWindows::FindDc(HDC dc) {
  auto it = dcs_.find(dc);
  return it == dcs_.end() ? nullptr : &it->second;
}

HDC HeadlessWindows::GetDC(HWND window) {
  if (Refused("GetDC")) return 0;
  if (window != 0 && !Find(window)) return 0;
  HDC dc = nextDc_;
  nextDc_ += 4;
  dcs_[dc] = Dc{window, GetStockObject(kSystemFont), GetStockObject(0), RGB(0, 0, 0), RGB(255, 255, 255), OPAQUE};
  return dc;
}

int HeadlessWindows::ReleaseDC(HWND window, HDC dc) {
  auto it = dcs_.find(dc);
  if (it == dcs_.end() || it->second.window != window) return 0;
  dcs_.erase(it);
  return 1;
}

HGDIOBJ HeadlessWindows::SelectObject(HDC dc, HGDIOBJ object) {
  Dc* d = FindDc(dc);
  GdiObject* g = d ? const_cast<GdiObject*>(Gdi(object)) : nullptr;
  if (!d || !g) return 0;
  if (g->bitmap) {
    // Only a memory DC holds a bitmap, and a bitmap is in one DC at a time.
    if (!d->memory || (g->selectedInto && g->selectedInto != dc)) return 0;
    HBITMAP previous = d->bitmap;
    if (GdiObject* p = const_cast<GdiObject*>(Gdi(previous))) p->selectedInto = 0;
    if (!g->stock) g->selectedInto = dc;
    d->bitmap = object;
    return previous;
  }
  HGDIOBJ* slot = g->font ? &d->font : &d->brush;
  HGDIOBJ previous = *slot;
  *slot = object;
  return previous;
}

COLORREF HeadlessWindows::SetTextColor(HDC dc, COLORREF colour) {
  Dc* d = FindDc(dc);
  if (!d) return 0xFFFFFFFF;  // CLR_INVALID
  COLORREF previous = d->text;
  d->text = colour;
  return previous;
}

COLORREF HeadlessWindows::SetBkColor(HDC dc, COLORREF colour) {
  Dc* d = FindDc(dc);
  if (!d) return 0xFFFFFFFF;
  COLORREF previous = d->bk;
  d->bk = colour;
  return previous;
}

int HeadlessWindows::SetBkMode(HDC dc, int mode) {
  Dc* d = FindDc(dc);
  if (!d || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  int previous = d->mode;
  d->mode = mode;
  return previous;
}

BOOL HeadlessWindows::GetTextExtentPoint32W(HDC dc, const std::wstring& text, int* cx, int* cy) {
  Dc* d = FindDc(dc);
  const GdiObject* g = d ? Gdi(d->font) : nullptr;
  if (!g || !g->font || !cx || !cy) return FALSE;
  LONG height = g->logFont.lfHeight ? g->logFont.lfHeight : -12;
  int h = height < 0 ? -height : height;
  int narrow = std::max(1, (h * 7 + 6) / 12);
  int bold = g->logFont.lfWeight >= 600 ? 1 : 0;
  int width = 0;
  for (wchar_t c : text) width += (static_cast<std::uint32_t>(c) >= 0x1100 ? 2 * narrow : narrow) + bold;
  *cx = width;
  *cy = height < 0 ? h * 5 / 4 : h;
  return TRUE;
}

int HeadlessWindows::FillRect(HDC dc, const RECT& rect, HBRUSH brush) {
  Dc* d = FindDc(dc);
  if (!d || !Gdi(brush)) return 0;
  fills_.push_back(FillRecord{d->window, rect, brush});
  return 1;
}

HMODULE HeadlessWindows::LoadLibraryW(const std::wstring& path) {
  static const std::wstring kHelp = L"\\winhlp32.exe";
  if (Refused("LoadLibraryW")) return 0;
  if (loadLibraryFails_ || !text::EndsWithNoCase(path, kHelp)) return 0;
  HMODULE module = nextModule_;
  nextModule_ += 4;
  modules_.insert(module);
  return module;
}

// A module's cursors go with it, as shared resources do on Windows.
BOOL HeadlessWindows::FreeLibrary(HMODULE module) {
  if (!modules_.erase(module)) return FALSE;
  for (auto it = cursors_.begin(); it != cursors_.end();) {
    it = it->second == module ? cursors_.erase(it) : std::next(it);
  }
  return TRUE;
}

HCURSOR HeadlessWindows::LoadCursorFromModule(HMODULE module, int id) {
  constexpr int kHandCursor = 106;
  if (Refused("LoadCursorW")) return 0;
  if (cursorMissing_ || id != kHandCursor || !modules_.count(module)) return 0;
  HCURSOR cursor = nextCursor_;
  nextCursor_ += 4;
  cursors_[cursor] = module;
  return cursor;
}

HCURSOR HeadlessWindows::CopyCursor(HCURSOR cursor) {
  if (Refused("CopyIcon")) return 0;
  if (!cursors_.count(cursor)) return 0;
  HCURSOR copy = nextCursor_;
  nextCursor_ += 4;
  cursors_[copy] = 0;
  return copy;
}

BOOL HeadlessWindows::DestroyCursor(HCURSOR cursor) { return cursors_.erase(cursor) ? TRUE : FALSE; }

HCURSOR HeadlessWindows::SetCursor(HCURSOR cursor) {
  HCURSOR previous = currentCursor_;
  currentCursor_ = cursor;
  return previous;
}

HWND HeadlessWindows::CreateTooltip(HWND owner) {
  if (Refused("CreateWindowExW")) return 0;
  if (owner != 0 && !Find(owner)) return 0;
  Window w;
  w.kind = Kind::kTooltip;
  w.className = L"tooltips_class32";
  w.style = 0x80000000;  // WS_POPUP
  w.parent = owner;
  return NewWindow(std::move(w));
}

BOOL HeadlessWindows::AddTool(HWND tooltip, HWND window, UINT id, const RECT& rect, const std::wstring& text) {
  Window* t = Find(tooltip);
  if (!t || t->kind != Kind::kTooltip) return FALSE;
  t->tools[{window, id}] = Tool{rect, text};
  return TRUE;
}

BOOL HeadlessWindows::UpdateTipText(HWND tooltip, HWND window, UINT id, const std::wstring& text) {
  Window* t = Find(tooltip);
  if (!t || t->kind != Kind::kTooltip) return FALSE;
  auto it = t->tools.find({window, id});
  if (it == t->tools.end()) return FALSE;
  it->second.text = text;
  return TRUE;
}

void HeadlessWindows::RelayEvent(HWND tooltip, const MSG& msg) {
  Window* t = Find(tooltip);
  if (t && t->kind == Kind::kTooltip) ++t->relayed;
}

std::wstring HeadlessWindows::LoadStringW(UINT id) {
  auto it = id <= 0xFFFF ? strings_.find(static_cast<std::uint16_t>(id)) : strings_.end();
  if (it == strings_.end()) return std::wstring();
  return std::wstring(it->second.begin(), it->second.end());
}

}  // namespace fw::headless
