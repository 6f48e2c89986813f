// The walk through the whole wizard: detection, the install run and the
// finish page, checked through setup.exe's real windows against what a test
// script expects for the PC it prepared.
#pragma once

#include <map>
#include <string>

#include "tests/wine/autoclient/child_process.h"
#include "tests/wine/autoclient/report.h"

namespace autoclient {

// Expectations and choices, from key=value arguments (all optional):
//   name=<text>      the name box (1035) after detection
//   status=<text>    the detection status line (1031)
//   usb=checked|unchecked, usb_radio=enabled|disabled, lpt_radio=enabled|disabled
//   choose=usb|lpt   the radio to click before Next on the detection page
//   type=<text>      text typed into the name box before Next
//   result=ok|fail   how the install ends
//   message=<text>   the error box's text after a failure
//   printer=<text>   the printer's name on the name line (1003) at the end
//   port=<text>      the port on the port line (1006) at the end
//   shots=<prefix>   screenshots <prefix>-detect, -installing, -done (.bmp)
//   pages=1          also screenshots of the welcome and connection pages
//   pictures=1       at each screenshot, the page's side picture fills its frame
//                    (picture_check.h)
//   cwd=<folder>     setup.exe's current folder (default: its own folder)
using InstallOptions = std::map<std::wstring, std::wstring>;

void RunInstallScenario(Report& report, ChildProcess& setup, const std::wstring& shot_folder,
                        const InstallOptions& options);

}  // namespace autoclient
