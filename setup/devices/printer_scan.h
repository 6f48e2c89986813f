// The printer device scan: what Windows Plug and Play has recorded in the
// registry (HKEY_LOCAL_MACHINE, read access) about connected USB and
// parallel-port printers, and, for one of the maker's USB printers, its
// answer to the model request. Every failure is a result value.
#pragma once

#include <string>
#include <vector>

#include "setup/app/report.h"
#include "setup/app/setup_context.h"

// Results of ListUsbPrinterPorts.
inline constexpr int kPortsListed = 0;            // every recorded entry listed
inline constexpr int kNoPortsRecorded = 1;        // the recorded count is 0
inline constexpr int kNoPortListed = 2;           // the walk stopped at the first entry
inline constexpr int kUsbprintEnumMissing = 10;   // the usbprint Enum key cannot be opened
inline constexpr int kPortListCut = 11;           // the walk stopped at a later entry

// Results of DetectUsbPrinter.
inline constexpr int kUsbPrinterFound = 0;        // modelName holds the printer's model
inline constexpr int kNoUsbPrinter = 1;           // no USB printer port is listed
inline constexpr int kUsbModelUnknown = 3;        // another maker's printer, no space in its description
inline constexpr int kUsbModelQueryFailed = 50;   // the maker's printer; its model is "Unknown"

// True when the USB printing class driver records at least one printer. One
// key open and one value read: cheap enough to poll.
bool IsUsbPrinterPresent();

// Appends the description and the port name ("USB001", ...) of every USB
// printer port recorded, in order, to the two lists.
int ListUsbPrinterPorts(std::vector<std::wstring>* descriptions, std::vector<std::wstring>* portNames);

// The hardware id (first string) of the last instance of every USBPRINT
// device whose upper-case id, without "_", contains the description without
// spaces in upper case; empty when none was read.
std::wstring FindUsbHardwareId(std::wstring description);

// Identifies the first listed USB printer: fills deviceDescription,
// modelName and usbPortName, asks the maker's printers for their model
// (only while no query has failed), counts failed queries, and applies
// modelOverride last, whatever the result. The model query's one message
// goes to report.
int DetectUsbPrinter(SetupContext& context, Report& report = TheStandardBoxes());

// Counts the parallel-port devices of the maker's series (companyName +
// seriesPrefix) that have no driver yet; `model` receives the model derived
// from the hardware id of the last one counted.
int DetectLptPrinter(const SetupContext& context, std::wstring* model);
