// The win32 backend of the window system: the real user32, gdi32, comctl32
// and kernel32 calls, with the dialogs made from the templates linked
// into the running program.
#pragma once

#include "framework/window_api.h"

namespace fw::win32 {

WindowApi& RealWindows();

}  // namespace fw::win32
