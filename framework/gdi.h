// Owning wrappers of GDI objects: each CFont and CBrush deletes the object it
// created (through its UniqueGdiObject) when it is destroyed or asked to.
#pragma once

#include <string>

#include "framework/owners.h"
#include "framework/window_api.h"

namespace fw {

// A LOGFONTW with the given face, height, weight and family, default
// character set, everything else zero.
LOGFONTW MakeFontDescription(const std::wstring& face, LONG height, LONG weight, std::uint8_t pitchAndFamily);

class CGdiObject {
 public:
  HGDIOBJ handle() const { return object_.get(); }
  bool IsCreated() const { return object_.IsValid(); }
  // Releases the held object; true when there was one.
  bool DeleteObject() {
    if (!object_) return false;
    object_.reset();
    return true;
  }

 protected:
  // Takes ownership of a new object, releasing the previous one.
  bool Attach(HGDIOBJ object) {
    object_.reset(object);
    return object_.IsValid();
  }

 private:
  UniqueGdiObject object_;
};

class CFont : public CGdiObject {
 public:
  bool CreateFontIndirect(const LOGFONTW& description) { return Attach(Windows().CreateFontIndirectW(description)); }
};

class CBrush : public CGdiObject {
 public:
  bool CreateSolidBrush(COLORREF colour) { return Attach(Windows().CreateSolidBrush(colour)); }
};

// The device context of a window's client area, released when the object
// goes. Its release needs the window as well, so it is an owner of its own.
class CClientDC {
 public:
  explicit CClientDC(HWND window) : window_(window), dc_(Windows().GetDC(window)) {}
  ~CClientDC() {
    if (dc_) Windows().ReleaseDC(window_, dc_);
  }
  CClientDC(const CClientDC&) = delete;
  CClientDC& operator=(const CClientDC&) = delete;

  HDC handle() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

}  // namespace fw
