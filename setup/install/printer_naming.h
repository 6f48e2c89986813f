// The printers around the print-UI command: listing them, predicting the
// name the new printer will get, finding out which printer was added, and
// making it the user's default printer.
#pragma once

#include <string>
#include <vector>

#include "setup/app/report.h"
#include "setup/app/setup_context.h"

// Appends the name of every local and connected printer, in the order the
// spooler lists them. A failure is shown at once through report
// ("枚举打印机信息失败。错误代码：%d" with the last error) and leaves the list as
// it was; false then, when the list could not be had.
bool ListPrinters(std::vector<std::wstring>* list, Report& report = TheStandardBoxes());
// As ListPrinters, the printers whose driver is driver (compared without case).
bool ListPrintersOfDriver(const std::wstring& driver, std::vector<std::wstring>* list, Report& report);

// base itself when no existing name equals it without regard to case, else
// base + " (副本 N)" with the smallest N from 1 that is free.
std::wstring MakeUniquePrinterName(const std::wstring& base, const std::vector<std::wstring>& existing);

// The last printer of after that is not in before (exact comparison) and
// whose name contains base (case-sensitive); false when there is none.
bool IdentifyNewPrinter(const std::vector<std::wstring>& before, const std::vector<std::wstring>& after,
                        const std::wstring& base, std::wstring* found);

// Writes the profile's "windows" "device" entry: "<name>,winspool,LPT1:" for
// a parallel printer, "<name>,winspool,<port>" for a USB printer.
void SetDefaultPrinter(const SetupContext& context, const std::wstring& name, const std::wstring& port);

// Tells every top-level window that settings changed (WM_SETTINGCHANGE),
// waiting at most a second for each.
void BroadcastSettingChange();
