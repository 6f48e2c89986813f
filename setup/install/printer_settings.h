// The printer-settings button of the install page: the new printer's default
// device settings become landscape, then A3.
#pragma once

#include <string>

#include "framework/window_api.h"

// Two passes over the printer's level-2 information, orientation first, then
// paper size. A pass that cannot open or read the printer shows the system's
// text for the error in a box owned by owner and goes on with the next pass.
void ApplyPrinterDefaults(fw::HWND owner, const std::wstring& printerName);
