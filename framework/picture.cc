#include "framework/picture.h"

#include <utility>

#include "framework/gdi.h"

namespace fw {

HBITMAP StretchBitmap(HBITMAP source, int cx, int cy) {
  WindowApi& windows = Windows();
  int sourceCx = 0, sourceCy = 0;
  if (cx <= 0 || cy <= 0 || !windows.GetBitmapSize(source, &sourceCx, &sourceCy)) return 0;
  CClientDC screen(0);
  if (!screen.handle()) return 0;
  UniqueMemoryDc from(windows.CreateCompatibleDC(screen.handle()));
  UniqueMemoryDc to(windows.CreateCompatibleDC(screen.handle()));
  UniqueGdiObject target(windows.CreateCompatibleBitmap(screen.handle(), cx, cy));
  if (!from || !to || !target) return 0;
  HGDIOBJ fromBefore = windows.SelectObject(from.get(), source);
  HGDIOBJ toBefore = windows.SelectObject(to.get(), target.get());
  bool drawn = false;
  if (fromBefore && toBefore) {
    // HALFTONE averages; the brush origin must be set again after choosing it.
    drawn = windows.SetStretchBltMode(to.get(), HALFTONE) != 0 && windows.SetBrushOrgEx(to.get(), 0, 0, nullptr) &&
            windows.StretchBlt(to.get(), 0, 0, cx, cy, from.get(), 0, 0, sourceCx, sourceCy, SRCCOPY);
  }
  // Neither bitmap may stay selected: the static draws ours in a DC of its own.
  if (fromBefore) windows.SelectObject(from.get(), fromBefore);
  if (toBefore) windows.SelectObject(to.get(), toBefore);
  return drawn ? target.release() : 0;
}

bool CPicture::Show(HWND picture, int bitmapId, int cx, int cy) {
  WindowApi& windows = Windows();
  UniqueGdiObject original(windows.LoadBitmapW(bitmapId));
  if (!original) return false;
  UniqueGdiObject scaled(StretchBitmap(original.get(), cx, cy));
  if (!scaled) return false;
  if (static_ != picture) Release();
  static_ = picture;
  UniqueGdiObject handedBack(
      static_cast<HBITMAP>(windows.SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, static_cast<LPARAM>(scaled.get()))));
  if (handedBack.get() == shown_.get()) handedBack.release();  // ours: shown_ deletes it below
  shown_ = std::move(scaled);
  windows.SetWindowPos(picture, 0, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

void CPicture::Release() {
  if (static_ && Windows().IsWindow(static_)) {
    UniqueGdiObject handedBack(static_cast<HBITMAP>(Windows().SendMessageW(static_, STM_SETIMAGE, IMAGE_BITMAP, 0)));
    if (handedBack.get() == shown_.get()) handedBack.release();
  }
  static_ = 0;
  shown_.reset();
}

}  // namespace fw
