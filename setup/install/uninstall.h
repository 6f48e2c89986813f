// The removal (setup.exe /uninstall): what installations of this package
// made, and nothing else.
//   1. every printer whose driver is the INF's model (print UI /dl /n NAME;
//      when one was the default printer, Windows chooses another);
//   2. the driver itself (print UI /dd /m MODEL);
//   3. a "Printer Helper" registration left behind (stopped first: a helper
//      still running then writes its staged values and ends);
//   4. staged values left in the printer class key;
//   5. Spoolmate.exe and Spoolmate.log in the service folder, and the folder
//      when it is then empty.
// The driver-instance subkeys and the device keys are the system's and stay.
// No printer of another driver and no other file is touched. Each step
// judges itself by what is there afterwards, so a removal that failed half
// way finishes when it is run again, and one that finds nothing succeeds.
#pragma once

#include <string>
#include <vector>

#include "setup/app/report.h"
#include "setup/app/setup_context.h"
#include "setup/install/print_ui.h"

struct RemovalOutcome {
  // 0: everything is gone; 30: a printer of the model or the driver is still
  // there (or the printers could not be listed); 4: printers and driver are
  // gone, but some of the helper service's remains are not.
  int exitCode = 0;
  std::vector<std::wstring> removed;  // one line for each thing removed
};

RemovalOutcome RunUninstall(const SetupContext& context, const PrintUiMode& printUi, Report& report);

enum DriverPresence { kDriverAbsent, kDriverInstalled, kDriverUnknown };
// Whether the driver is installed for any environment: its key under
// HKLM\SYSTEM\CurrentControlSet\Control\Print\Environments,
// <environment>\Drivers\Version-3\<model>, exists. Unknown when the keys
// cannot be read.
DriverPresence FindPrinterDriver(const std::wstring& model);
