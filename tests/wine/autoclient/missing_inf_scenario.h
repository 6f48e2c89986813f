// setup started without its INF: it must say which file is missing in an
// error box and end when the box is closed, without showing the wizard.
#pragma once

#include "tests/wine/autoclient/child_process.h"
#include "tests/wine/autoclient/report.h"

namespace autoclient {

void RunMissingInfScenario(Report& report, ChildProcess& setup);

}  // namespace autoclient
