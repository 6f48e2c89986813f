#include "tests/wine/autoclient/screenshot.h"

#include "tests/wine/autoclient/remote_window.h"

#include <cstring>

namespace autoclient {
namespace {

class ScreenDc {
 public:
  ScreenDc() : dc_(::GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_) ::ReleaseDC(nullptr, dc_);
  }
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

class MemoryDc {
 public:
  explicit MemoryDc(HDC like) : dc_(::CreateCompatibleDC(like)) {}
  ~MemoryDc() {
    if (dc_) ::DeleteDC(dc_);
  }
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

class Bitmap {
 public:
  explicit Bitmap(HBITMAP bitmap) : bitmap_(bitmap) {}
  ~Bitmap() {
    if (bitmap_) ::DeleteObject(bitmap_);
  }
  HBITMAP get() const { return bitmap_; }

 private:
  HBITMAP bitmap_;
};

bool WriteFileWhole(const std::wstring& path, const void* head, DWORD head_size, const void* body,
                    DWORD body_size) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = ::WriteFile(file, head, head_size, &written, nullptr) && written == head_size &&
            ::WriteFile(file, body, body_size, &written, nullptr) && written == body_size;
  ::CloseHandle(file);
  return ok;
}

}  // namespace

Capture SaveWindowBitmap(HWND window, const std::wstring& path) {
  Capture capture;
  RECT rect;
  if (!::GetWindowRect(window, &rect)) {
    capture.error = L"no window rectangle";
    return capture;
  }
  capture.width = rect.right - rect.left;
  capture.height = rect.bottom - rect.top;
  if (capture.width <= 0 || capture.height <= 0) {
    capture.error = L"empty window rectangle";
    return capture;
  }

  BITMAPINFOHEADER header = {};
  header.biSize = sizeof(header);
  header.biWidth = capture.width;
  header.biHeight = capture.height;  // bottom-up, the order of a BMP file
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const DWORD stride = (static_cast<DWORD>(capture.width) * 3 + 3) & ~3u;
  const DWORD image_size = stride * static_cast<DWORD>(capture.height);
  header.biSizeImage = image_size;

  ScreenDc screen;
  MemoryDc memory(screen.get());
  void* bits = nullptr;
  Bitmap bitmap(::CreateDIBSection(screen.get(), reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits,
                                   nullptr, 0));
  if (!screen.get() || !memory.get() || !bitmap.get() || !bits) {
    capture.error = L"no drawing surface";
    return capture;
  }
  HGDIOBJ previous = ::SelectObject(memory.get(), bitmap.get());
  bool copied = ::BitBlt(memory.get(), 0, 0, capture.width, capture.height, screen.get(), rect.left, rect.top,
                         SRCCOPY | CAPTUREBLT) != 0;
  ::GdiFlush();
  ::SelectObject(memory.get(), previous);
  if (!copied) {
    capture.error = L"BitBlt from the screen failed";
    return capture;
  }

  const auto* pixels = static_cast<const unsigned char*>(bits);
  capture.checksum = 2166136261u;  // FNV-1a
  for (DWORD i = 0; i < image_size; ++i) capture.checksum = (capture.checksum ^ pixels[i]) * 16777619u;
  capture.single_colour = true;
  for (int y = 0; y < capture.height && capture.single_colour; ++y) {
    const unsigned char* row = pixels + y * stride;
    for (int x = 0; x < capture.width; ++x) {
      if (std::memcmp(row + x * 3, pixels, 3) != 0) {
        capture.single_colour = false;
        break;
      }
    }
  }

  struct {
    BITMAPFILEHEADER file;
    BITMAPINFOHEADER info;
  } __attribute__((packed)) head = {};
  head.file.bfType = 0x4D42;  // "BM"
  head.file.bfOffBits = sizeof(head);
  head.file.bfSize = sizeof(head) + image_size;
  head.info = header;
  if (!WriteFileWhole(path, &head, sizeof(head), bits, image_size)) {
    capture.error = L"cannot write " + path;
    return capture;
  }
  capture.saved = true;
  return capture;
}

Capture SaveSteadyWindowBitmap(HWND window, const std::wstring& path, DWORD timeout_ms, HANDLE process,
                               bool* settled) {
  Sync(window);
  Capture capture;
  Capture previous;
  *settled = WaitUntil(
      [&] {
        previous = capture;
        capture = SaveWindowBitmap(window, path);
        return capture.saved && !capture.single_colour && previous.saved && capture.checksum == previous.checksum;
      },
      timeout_ms, process);
  return capture;
}

}  // namespace autoclient
