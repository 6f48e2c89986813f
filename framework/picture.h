// CPicture: what a picture static (SS_BITMAP) shows, made from a bitmap
// resource at the size of the static's frame with halftone stretching, so
// that the picture fills its frame, smoothly, at any DPI.
//
// Once a static's image has been set, Windows leaves every image to the
// program: the one set and the one handed back (the bitmap the static loaded
// from the dialog template, or a copy it made of one with alpha). CPicture
// owns the bitmap it gave the static and deletes whatever the static hands
// back; Release takes its bitmap out of the static and deletes it.
#pragma once

#include "framework/owners.h"
#include "framework/window_api.h"

namespace fw {

class CPicture {
 public:
  CPicture() = default;
  ~CPicture() { Release(); }
  CPicture(const CPicture&) = delete;
  CPicture& operator=(const CPicture&) = delete;

  // Shows bitmap resource `bitmapId` in `picture` at cx x cy pixels and makes
  // the static that size. False when the resource or GDI fails; the static
  // then keeps what it showed.
  bool Show(HWND picture, int bitmapId, int cx, int cy);
  // Takes the picture out of its static and deletes it.
  void Release();
  HBITMAP shown() const { return shown_.get(); }

 private:
  HWND static_ = 0;
  UniqueGdiObject shown_;
};

// A copy of `source` at cx x cy, stretched in HALFTONE mode (each pixel the
// average of the source pixels it covers), or 0 when GDI fails.
HBITMAP StretchBitmap(HBITMAP source, int cx, int cy);

}  // namespace fw
