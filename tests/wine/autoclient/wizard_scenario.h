// The walk through the setup wizard's first two pages, checked through its
// real windows.
#pragma once

#include <string>

#include "tests/wine/autoclient/child_process.h"
#include "tests/wine/autoclient/report.h"

namespace autoclient {

// Runs the walk on the started setup program; screenshots go to
// `shot_folder` (welcome.bmp, connection.bmp). Leaves the program ended
// (by Cancel, or terminated when the walk could not get there).
void RunWizardScenario(Report& report, ChildProcess& setup, const std::wstring& shot_folder);

}  // namespace autoclient
