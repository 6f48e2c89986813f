// Bitmaps, memory device contexts, stretching and the pictures of statics.
#include <algorithm>

#include "framework/headless/headless_windows.h"

namespace fw::headless {
namespace {

constexpr int kSystemFont = 13;

}  // namespace

HBITMAP HeadlessWindows::DefaultBitmap() {
  if (!defaultBitmap_) {
    GdiObject b;
    b.bitmap = true;
    b.stock = true;
    b.pixels.cx = b.pixels.cy = 1;
    defaultBitmap_ = NewGdi(b);
  }
  return defaultBitmap_;
}

HBITMAP HeadlessWindows::NewBitmapFromResource(int id, bool byControl) {
  auto found = bitmaps_.find(id);
  if (found == bitmaps_.end()) return 0;
  GdiObject b;
  b.bitmap = true;
  b.stock = byControl;  // not the program's until a control hands it over
  b.pixels.cx = found->second.first;
  b.pixels.cy = found->second.second;
  b.pixels.resourceId = id;
  return NewGdi(b);
}

HBITMAP HeadlessWindows::LoadBitmapW(int id) { return Refused("LoadBitmapW") ? 0 : NewBitmapFromResource(id, false); }

BOOL HeadlessWindows::GetBitmapSize(HBITMAP bitmap, int* cx, int* cy) {
  const GdiObject* g = Gdi(bitmap);
  if (!g || !g->bitmap || !cx || !cy) return FALSE;
  *cx = g->pixels.cx;
  *cy = g->pixels.cy;
  return TRUE;
}

HBITMAP HeadlessWindows::CreateCompatibleBitmap(HDC dc, int cx, int cy) {
  if (Refused("CreateCompatibleBitmap")) return 0;
  if (!FindDc(dc) || cx <= 0 || cy <= 0) return 0;
  GdiObject b;
  b.bitmap = true;
  b.pixels.cx = cx;
  b.pixels.cy = cy;
  return NewGdi(b);
}

HDC HeadlessWindows::CreateCompatibleDC(HDC dc) {
  if (Refused("CreateCompatibleDC")) return 0;
  if (dc != 0 && !FindDc(dc)) return 0;
  HDC memory = nextDc_;
  nextDc_ += 4;
  Dc d{0, GetStockObject(kSystemFont), GetStockObject(0), RGB(0, 0, 0), RGB(255, 255, 255), OPAQUE};
  d.memory = true;
  d.bitmap = DefaultBitmap();
  dcs_[memory] = d;
  return memory;
}

BOOL HeadlessWindows::DeleteDC(HDC dc) {
  Dc* d = FindDc(dc);
  if (!d || !d->memory) return FALSE;
  if (GdiObject* b = const_cast<GdiObject*>(Gdi(d->bitmap))) b->selectedInto = 0;
  dcs_.erase(dc);
  return TRUE;
}

int HeadlessWindows::SetStretchBltMode(HDC dc, int mode) {
  Dc* d = FindDc(dc);
  if (!d || mode < BLACKONWHITE || mode > HALFTONE) return 0;
  int previous = d->stretchMode;
  d->stretchMode = mode;
  d->brushOriginSet = false;  // HALFTONE wants the brush origin set after it
  return previous;
}

BOOL HeadlessWindows::SetBrushOrgEx(HDC dc, int x, int y, POINT* previous) {
  Dc* d = FindDc(dc);
  if (!d) return FALSE;
  if (previous) *previous = POINT{0, 0};
  d->brushOriginSet = true;
  return TRUE;
}

BOOL HeadlessWindows::StretchBlt(HDC target, int x, int y, int cx, int cy, HDC source, int sourceX, int sourceY,
                                 int sourceCx, int sourceCy, DWORD rop) {
  Dc* to = FindDc(target);
  Dc* from = FindDc(source);
  if (!to || !from || !from->memory || rop != SRCCOPY) return FALSE;
  GdiObject* drawn = const_cast<GdiObject*>(Gdi(to->bitmap));
  const GdiObject* original = Gdi(from->bitmap);
  if (!to->memory || !drawn || drawn->stock || !original) return FALSE;
  BitmapRecord& p = drawn->pixels;
  p.resourceId = original->pixels.resourceId;
  p.stretchMode = to->stretchMode;
  p.brushOriginSet = to->brushOriginSet;
  p.wholeToWhole = x == 0 && y == 0 && cx == p.cx && cy == p.cy && sourceX == 0 && sourceY == 0 &&
                   sourceCx == original->pixels.cx && sourceCy == original->pixels.cy;
  return TRUE;
}

bool HeadlessWindows::Bitmap(HBITMAP bitmap, BitmapRecord* record) const {
  const GdiObject* g = Gdi(bitmap);
  if (!g || !g->bitmap) return false;
  if (record) {
    *record = g->pixels;
    record->selected = g->selectedInto != 0;
  }
  return true;
}

HBITMAP HeadlessWindows::Image(HWND window) const { return Field(window, &Window::image, 0); }

void HeadlessWindows::FitToImage(Window& w) {
  const GdiObject* g = Gdi(w.image);
  if (!g || (w.style & (SS_REALSIZECONTROL | SS_CENTERIMAGE))) return;
  w.rect.right = w.rect.left + g->pixels.cx;
  w.rect.bottom = w.rect.top + g->pixels.cy;
}

LRESULT HeadlessWindows::StaticImage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* w = Find(window);
  if ((w->style & SS_TYPEMASK) != SS_BITMAP || wParam != IMAGE_BITMAP) return 0;
  if (message == STM_GETIMAGE) return static_cast<LRESULT>(w->image);
  const HBITMAP image = static_cast<HBITMAP>(lParam);
  const GdiObject* g = Gdi(image);
  if (image && (!g || !g->bitmap)) return 0;
  const HBITMAP previous = w->image;
  if (w->ownsImage) {
    // From now on every image is the program's, the one it loaded too.
    if (GdiObject* loaded = const_cast<GdiObject*>(Gdi(previous))) loaded->stock = false;
    w->ownsImage = false;
  }
  w->image = image;
  FitToImage(*w);
  Paint(window, true);
  return static_cast<LRESULT>(previous);
}

}  // namespace fw::headless
