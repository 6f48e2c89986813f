// The print-UI command lines: the system's print-UI entry point (printui.dll,
// PrintUIEntry), run through rundll32.exe, creates the printer from the
// driver INF beside the program, prints a test page, and, for a removal,
// deletes a printer and a driver. Each waits until rundll32 has ended;
// none looks at its exit code (the callers judge the outcome by what the
// spooler lists), which goes to the log.
#pragma once

#include <string>

#include "platform/types.h"
#include "setup/app/setup_context.h"

// How the print UI runs. The wizard waits for it without a time-out. The
// command line adds the print UI's quiet switch /q, so that it shows no
// dialog either, and waits at most ten minutes: under the local system
// account a dialog would never be answered.
struct PrintUiMode {
  bool quiet = false;
  pf::DWORD waitMs = 0xFFFFFFFFu;  // INFINITE
};
inline constexpr pf::DWORD kQuietPrintUiWaitMs = 10 * 60 * 1000;

enum PrintUiOutcome {
  kPrintUiEnded,       // rundll32 ran and ended (or could not be started)
  kPrintUiTimedOut,    // it did not end within the wait (or could not be waited for) and was ended
};

// The name the printer is created under: modelName without double quotation
// marks. modelName comes from the name box and from what a USB device
// reports; a quote in it would end the quoted value early and let the rest
// add switches to an elevated command line. The same cleaned name is used
// for the command line, the predicted name and the identification.
std::wstring PrinterBaseName(const std::wstring& modelName);

// " printui.dll,PrintUIEntry /z /if /b "<base>" /f "<inf>" /r "<port>" /m "<model>"",
// or false when the quoted INF path does not fit the 260-character buffer
// it is built in (no truncated path ever reaches the command line).
bool BuildAddPrinterParameters(const SetupContext& context, const std::wstring& programFolder,
                               const std::wstring& port, std::wstring* parameters);

// Creates the printer from "<program folder>\<infBaseName>.inf" on the port.
// An INF path that does not fit starts nothing (the install then finds no
// new printer).
PrintUiOutcome AddPrinterViaPrintUi(const SetupContext& context, const std::wstring& port,
                                    const PrintUiMode& mode = PrintUiMode());
void PrintTestPage(const std::wstring& printerName);
// " printui.dll,PrintUIEntry /dl /n "<name>"": deletes the printer.
PrintUiOutcome DeletePrinterViaPrintUi(const std::wstring& printerName, const PrintUiMode& mode);
// " printui.dll,PrintUIEntry /dd /m "<model>"": deletes the printer driver.
PrintUiOutcome DeleteDriverViaPrintUi(const std::wstring& model, const PrintUiMode& mode);
