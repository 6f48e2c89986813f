// The side picture of a shown wizard page, checked through setup.exe's real
// windows: the picture static fills its frame (the template's dialog units at
// the page's scale, whatever the DPI), its bitmap is exactly its size, and on
// the screen the picture's pixels reach the frame's right and bottom edges.
#pragma once

#include <string>

#include <windows.h>

#include "tests/wine/autoclient/report.h"

namespace autoclient {

void CheckSidePicture(Report& report, HWND page, const std::wstring& situation);

}  // namespace autoclient
