// The print-UI command lines: the system's print-UI entry point (printui.dll,
// PrintUIEntry), run through rundll32.exe, creates the printer from the
// driver INF beside the program and prints a test page. Both wait until
// rundll32 has ended; neither looks at its outcome (the install judges it by
// comparing printer lists).
#pragma once

#include <string>

#include "setup/app/setup_context.h"

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
void AddPrinterViaPrintUi(const SetupContext& context, const std::wstring& port);
void PrintTestPage(const std::wstring& printerName);
