// Owners of the window system's handles, on the platform's one owner
// template: traits that close each kind through the window seam.
#pragma once

#include "framework/window_api.h"
#include "platform/unique_handle.h"

namespace fw {

// Fonts, brushes and bitmaps this program created or loaded.
struct GdiObjectTraits {
  using Handle = HGDIOBJ;
  static constexpr Handle Invalid() { return 0; }
  static void Close(Handle object) { Windows().DeleteObject(object); }
};

// Cursors this program made (CopyCursor), not shared ones it loaded.
struct CursorTraits {
  using Handle = HCURSOR;
  static constexpr Handle Invalid() { return 0; }
  static void Close(Handle cursor) { Windows().DestroyCursor(cursor); }
};

// Windows this program created and that no parent destroys for it (a
// tooltip); one already gone with its owner is left alone.
struct WindowTraits {
  using Handle = HWND;
  static constexpr Handle Invalid() { return 0; }
  static void Close(Handle window) {
    if (Windows().IsWindow(window)) Windows().DestroyWindow(window);
  }
};

// Modules this program loaded.
struct ModuleTraits {
  using Handle = HMODULE;
  static constexpr Handle Invalid() { return 0; }
  static void Close(Handle module) { Windows().FreeLibrary(module); }
};

// Memory device contexts this program created (CreateCompatibleDC).
struct MemoryDcTraits {
  using Handle = HDC;
  static constexpr Handle Invalid() { return 0; }
  static void Close(Handle dc) { Windows().DeleteDC(dc); }
};

using UniqueGdiObject = pf::UniqueHandle<GdiObjectTraits>;
using UniqueCursor = pf::UniqueHandle<CursorTraits>;
using UniqueWindow = pf::UniqueHandle<WindowTraits>;
using UniqueModule = pf::UniqueHandle<ModuleTraits>;
using UniqueMemoryDc = pf::UniqueHandle<MemoryDcTraits>;

}  // namespace fw
