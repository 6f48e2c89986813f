// Owning wrappers of GDI objects: each CFont and CBrush deletes the object it
// created when it is destroyed or asked to.
#pragma once

#include <string>

#include "framework/window_api.h"

namespace fw {

// A LOGFONTW with the given face, height, weight and family, default
// character set, everything else zero.
LOGFONTW MakeFontDescription(const std::wstring& face, LONG height, LONG weight, std::uint8_t pitchAndFamily);

class CGdiObject {
 public:
  CGdiObject() = default;
  ~CGdiObject() { DeleteObject(); }
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;

  HGDIOBJ handle() const { return handle_; }
  bool IsCreated() const { return handle_ != 0; }
  // Releases the held object; true when there was one.
  bool DeleteObject() {
    if (!handle_) return false;
    Windows().DeleteObject(handle_);
    handle_ = 0;
    return true;
  }

 protected:
  // Takes ownership of a new object, releasing the previous one.
  bool Attach(HGDIOBJ object) {
    DeleteObject();
    handle_ = object;
    return handle_ != 0;
  }

 private:
  HGDIOBJ handle_ = 0;
};

class CFont : public CGdiObject {
 public:
  bool CreateFontIndirect(const LOGFONTW& description) { return Attach(Windows().CreateFontIndirectW(description)); }
};

class CBrush : public CGdiObject {
 public:
  bool CreateSolidBrush(COLORREF colour) { return Attach(Windows().CreateSolidBrush(colour)); }
};

}  // namespace fw
