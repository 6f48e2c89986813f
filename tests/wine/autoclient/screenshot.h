// Screen captures of a window as 24-bit BMP files.
#pragma once

#include <string>

#include <windows.h>

namespace autoclient {

struct Capture {
  bool saved = false;
  std::wstring error;       // why it was not saved
  int width = 0;
  int height = 0;
  bool single_colour = false;  // every pixel the same: nothing was drawn
  unsigned checksum = 0;       // of the pixels, to tell two captures apart
};

// Copies the window's screen rectangle and writes it to `path`.
Capture SaveWindowBitmap(HWND window, const std::wstring& path);

// As SaveWindowBitmap once the picture is steady: the display may still be
// behind what the window painted, so it captures until two captures in a
// row agree and show content, for at most timeout_ms (or until `process`
// ends). *settled tells whether they agreed.
Capture SaveSteadyWindowBitmap(HWND window, const std::wstring& path, DWORD timeout_ms, HANDLE process,
                               bool* settled);

}  // namespace autoclient
