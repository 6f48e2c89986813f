// The printer device scan over registry states on the simulated PC: the
// presence poll's cost, the USB port list and its stops, the hardware id
// search, the identification of other makers' printers, the query-failure
// count, and the parallel-port scan.
#include "setup/devices/printer_scan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_pc.h"
#include "platform/sim/sim_registry.h"
#include "tests/setup/devices/printer_registry.h"

namespace {

using pf::HKEY_LOCAL_MACHINE;
using pf::sim::kUsbPrintServiceEnumPath;
using pf::sim::UsbPrinterSeed;
using namespace printer_registry;

// The maker's printer on USB003 and another maker's on USB012.
const UsbPrinterSeed kTavir = UsbPort(L"F1C1", L"SER1", L"TAVIRTQ-5800TQMM", 3, L"TAVIR TQ-5800");
const UsbPrinterSeed kHp = UsbPort(L"03F0", L"SER2", L"Hewlett-PackardHP_LaserJet_1020", 12, L"HP LaserJet 1020");

class PrinterScanTest : public ::testing::Test {
 protected:
  pf::sim::SimRegistry& reg() { return pc_->registry(); }
  void AddPort(int index, const std::wstring& instancePath, const std::wstring& symbolicName,
               const std::wstring& interfaceName, pf::DWORD portNumber, const std::wstring& description) {
    AddUsbPort(reg(), index, instancePath, symbolicName, interfaceName, portNumber, description);
  }
  int List() {
    descriptions.clear();
    ports.clear();
    return ListUsbPrinterPorts(&descriptions, &ports);
  }

  pf::sim::ScopedSimPc pc_;
  std::vector<std::wstring> descriptions, ports;
  SetupContext context;
};

TEST_F(PrinterScanTest, PresencePollOpensOneKeyAndReadsOneValue) {
  EXPECT_FALSE(IsUsbPrinterPresent());  // no usbprint Enum key
  reg().CreateKey(HKEY_LOCAL_MACHINE, kUsbPrintServiceEnumPath);
  EXPECT_FALSE(IsUsbPrinterPresent());  // no Count
  SetUsbCount(reg(), 0);
  EXPECT_FALSE(IsUsbPrinterPresent());
  ConnectUsbPrinters(reg(), {kTavir, kHp});
  pc_->kernel().ClearCalls();
  EXPECT_TRUE(IsUsbPrinterPresent());
  EXPECT_EQ(pc_->kernel().Calls(), (std::vector<std::string>{"RegOpenKeyExW", "RegQueryValueExW", "RegCloseKey"}));
  // A Count that is not 4 bytes is not readable: no printer.
  reg().SetValue(HKEY_LOCAL_MACHINE, kUsbPrintServiceEnumPath, L"Count", pf::REG_BINARY, std::string(8, '\1'));
  EXPECT_FALSE(IsUsbPrinterPresent());
}

TEST_F(PrinterScanTest, PortListStopsAtTheFirstEntryWhoseKeysAreMissing) {
  EXPECT_EQ(List(), kUsbprintEnumMissing);
  reg().CreateKey(HKEY_LOCAL_MACHINE, kUsbPrintServiceEnumPath);
  EXPECT_EQ(List(), kNoPortsRecorded);

  ConnectUsbPrinters(reg(), {kTavir, kHp});
  EXPECT_EQ(List(), kPortsListed);
  EXPECT_EQ(descriptions, (std::vector<std::wstring>{L"TAVIR TQ-5800", L"HP LaserJet 1020"}));
  EXPECT_EQ(ports, (std::vector<std::wstring>{L"USB003", L"USB012"}));

  // The second entry's "Device Parameters" is gone: the first stays listed.
  reg().DeleteTree(HKEY_LOCAL_MACHINE, kHp.DeviceKeyPath() + L"\\Device Parameters");
  EXPECT_EQ(List(), kPortListCut);
  EXPECT_EQ(ports, (std::vector<std::wstring>{L"USB003"}));
  // A Count beyond the recorded entries stops the walk the same way.
  SetUsbCount(reg(), 5);
  EXPECT_EQ(List(), kPortListCut);

  // The first entry's interface key is gone: nothing listed.
  reg().DeleteTree(HKEY_LOCAL_MACHINE, kTavir.InterfaceKeyPath());
  EXPECT_EQ(List(), kNoPortListed);
  EXPECT_TRUE(descriptions.empty());
  EXPECT_TRUE(ports.empty());
}

TEST_F(PrinterScanTest, InterfaceKeyFollowsTheSymbolicNameOrTheInstancePath) {
  SetUsbCount(reg(), 4);
  // Cut before "{", then from the first "USB" on.
  AddPort(0, L"USB\\VID_F1C1&PID_0001\\A", L"\\??\\USB#VID_F1C1&PID_0001#A#{a5dcbf10-6530-11d2-901f-00c04fb951ed}",
          L"USB#VID_F1C1&PID_0001#A#", 1, L"first");
  // No "{": the whole name, "\??\" included.
  AddPort(1, L"USB\\VID_F1C1&PID_0001\\B", L"\\??\\USB#VID_F1C1&PID_0001#B#", L"\\??\\USB#VID_F1C1&PID_0001#B#", 2,
          L"second");
  // No name: the instance path with "\" as "#" and one "#" after it.
  AddPort(2, L"USB\\VID_F1C1&PID_0001\\C", L"", L"USB#VID_F1C1&PID_0001#C#", 0, L"third");
  // A name that is only "{...}": empty after the cut, so the instance path too.
  AddPort(3, L"USB\\VID_F1C1&PID_0001\\D", L"{a5dcbf10-6530-11d2-901f-00c04fb951ed}", L"USB#VID_F1C1&PID_0001#D#", 4,
          L"fourth");
  EXPECT_EQ(List(), kPortsListed);
  EXPECT_EQ(descriptions, (std::vector<std::wstring>{L"first", L"second", L"third", L"fourth"}));
  // A missing "Port Number" is port 1.
  EXPECT_EQ(ports, (std::vector<std::wstring>{L"USB001", L"USB002", L"USB001", L"USB004"}));
}

TEST_F(PrinterScanTest, UnreadableValuesOfAnEntryAreEmptyAndTheEntryStaysListed) {
  UsbPrinterSeed tooLong = kTavir, longest = kHp;
  tooLong.portDescription = std::wstring(511, L'x');  // 1024 bytes with its NUL
  longest.portDescription = std::wstring(510, L'y');  // 1022 bytes: fits
  ConnectUsbPrinters(reg(), {tooLong, longest});
  // A SymbolicName too long to read falls back to the instance path.
  reg().SetString(HKEY_LOCAL_MACHINE, tooLong.DeviceKeyPath() + L"\\Device Parameters", L"SymbolicName",
                  std::wstring(600, L'z'));
  EXPECT_EQ(List(), kPortsListed);
  EXPECT_EQ(descriptions, (std::vector<std::wstring>{L"", std::wstring(510, L'y')}));

  // An instance path of the wrong type leads to no key: the walk stops there.
  reg().SetDword(HKEY_LOCAL_MACHINE, kUsbPrintServiceEnumPath, L"1", 7);
  EXPECT_EQ(List(), kPortListCut);
  // A missing instance path as well.
  reg().DeleteValue(HKEY_LOCAL_MACHINE, kUsbPrintServiceEnumPath, L"0");
  EXPECT_EQ(List(), kNoPortListed);
}

TEST_F(PrinterScanTest, HardwareIdSearchTakesTheLastInstanceOfEveryMatchingDevice) {
  EXPECT_EQ(FindUsbHardwareId(L"TAVIR TQ-5800"), L"");  // no USBPRINT key
  AddUsbprintDevice(reg(), L"TAVIRTQ-5800TQMM", L"7&1", L"USBPRINT\\TAVIRTQ-5800TQMM");
  AddUsbprintDevice(reg(), L"TAVIRTQ-5800TQMM", L"7&2", L"USBPRINT\\TAVIRTQ-5800TQMM_2");
  AddUsbprintDevice(reg(), L"Hewlett-PackardHP_LaserJet_1020", L"1&1", L"USBPRINT\\Hewlett-PackardHP_LaserJet_1020");

  // Spaces dropped from the description, "_" from the ids, case ignored.
  EXPECT_EQ(FindUsbHardwareId(L"tavir tq-5800"), L"USBPRINT\\TAVIRTQ-5800TQMM_2");
  EXPECT_EQ(FindUsbHardwareId(L"HP LaserJet 1020"), L"USBPRINT\\Hewlett-PackardHP_LaserJet_1020");
  EXPECT_EQ(FindUsbHardwareId(L"Canon LBP2900"), L"");
  // An empty description matches every device; the last one read wins.
  EXPECT_EQ(FindUsbHardwareId(L""), L"USBPRINT\\TAVIRTQ-5800TQMM_2");

  // A later unreadable id keeps the one read before it.
  reg().SetString(HKEY_LOCAL_MACHINE, kUsbprint + L"TAVIRTQ-5800TQMM\\7&2", L"HardwareID", std::wstring(600, L'x'));
  EXPECT_EQ(FindUsbHardwareId(L"TAVIR TQ-5800"), L"USBPRINT\\TAVIRTQ-5800TQMM");
  // An instance key that vanishes between the listing and its opening is skipped.
  reg().FailOpen(HKEY_LOCAL_MACHINE, kUsbprint + L"TAVIRTQ-5800TQMM\\7&1", pf::ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(FindUsbHardwareId(L"TAVIR TQ-5800"), L"");
}

TEST_F(PrinterScanTest, AnotherMakersPrinterIsNamedAfterTheFirstSpaceOfItsDescription) {
  context.modelName = L"before";
  EXPECT_EQ(DetectUsbPrinter(context), kNoUsbPrinter);
  EXPECT_EQ(context.modelName, L"before");

  const UsbPrinterSeed canon = UsbPort(L"04A9", L"SER3", L"CanonLBP2900", 2, L"  Canon   LBP 2900  ");
  ConnectUsbPrinters(reg(), {canon});
  EXPECT_EQ(DetectUsbPrinter(context), kUsbPrinterFound);
  EXPECT_EQ(context.modelName, L"LBP 2900");
  EXPECT_EQ(context.deviceDescription, L"  Canon   LBP 2900  ");  // as read
  EXPECT_EQ(context.usbPortName, L"USB002");

  // No space: no model; the name stays, the port and description are taken.
  reg().SetString(HKEY_LOCAL_MACHINE, canon.InterfaceKeyPath() + L"\\#\\Device Parameters", L"Port Description",
                  L"LBP2900");
  context = SetupContext();
  context.modelName = L"before";
  EXPECT_EQ(DetectUsbPrinter(context), kUsbModelUnknown);
  EXPECT_EQ(context.modelName, L"before");
  EXPECT_EQ(context.deviceDescription, L"LBP2900");
  EXPECT_EQ(context.usbPortName, L"USB002");
  EXPECT_EQ(context.queryFailures, 0);
}

TEST_F(PrinterScanTest, ModelOverrideReplacesTheNameWhateverTheResult) {
  context.modelOverride = L"TQ-OEM";
  EXPECT_EQ(DetectUsbPrinter(context), kNoUsbPrinter);
  EXPECT_EQ(context.modelName, L"TQ-OEM");
  ConnectUsbPrinters(reg(), {UsbPort(L"04A9", L"SER3", L"CanonLBP2900", 1, L"Canon LBP2900")});
  context.modelName.clear();
  EXPECT_EQ(DetectUsbPrinter(context), kUsbPrinterFound);
  EXPECT_EQ(context.modelName, L"TQ-OEM");
  context.queryFailures = 1;
  AddUsbprintDevice(reg(), L"CanonLBP2900", L"zz", L"USBPRINT\\CanonLBP2900TQMM");  // read last
  context.modelName.clear();
  EXPECT_EQ(DetectUsbPrinter(context), kUsbModelQueryFailed);
  EXPECT_EQ(context.modelName, L"TQ-OEM");
}

TEST_F(PrinterScanTest, AfterAFailedQueryTheMakersPrinterIsUnknownWithoutAskingAgain) {
  UsbPrinterSeed lowerCase = kTavir;
  lowerCase.printerId = L"tavirtq-5800tqmm";  // TQMM in any case
  ConnectUsbPrinters(reg(), {lowerCase});
  context.queryFailures = 1;
  for (int run = 2; run <= 3; ++run) {
    pc_->kernel().ClearCalls();
    EXPECT_EQ(DetectUsbPrinter(context), kUsbModelQueryFailed);
    EXPECT_EQ(context.modelName, L"Unknown");
    EXPECT_EQ(context.deviceDescription, L"TAVIRPrinter");
    EXPECT_EQ(context.usbPortName, L"USB003");
    EXPECT_EQ(context.queryFailures, run);
    for (const std::string& call : pc_->kernel().Calls()) EXPECT_EQ(call.rfind("Reg", 0), 0u) << call;
  }
}

TEST_F(PrinterScanTest, ParallelScanCountsDriverlessDevicesOfTheSeries) {
  std::wstring model = L"untouched";
  EXPECT_EQ(DetectLptPrinter(context, &model), 0);  // no LPTENUM key
  EXPECT_EQ(model, L"untouched");

  ConnectLptPrinter(reg(), LptPort(L"TavirTQ-58008A3C", L"1&1"));
  ConnectLptPrinter(reg(), LptPort(L"TavirTQ-58008A3C", L"1&2", L"TAVIR"));  // has a driver
  ConnectLptPrinter(reg(), LptPort(L"HPLaserJet1234", L"1&1"));              // not the series
  model.clear();
  EXPECT_EQ(DetectLptPrinter(context, &model), 1);
  EXPECT_EQ(model, L"TQ-5800");

  // Two driverless devices: the model of the second; "_" removed, from the
  // last "TQ" on.
  ConnectLptPrinter(reg(), LptPort(L"TAVIRTQ_TQ_69001A2B", L"2&1"));
  model.clear();
  EXPECT_EQ(DetectLptPrinter(context, &model), 2);
  EXPECT_EQ(model, L"TQ6900");
}

TEST_F(PrinterScanTest, ParallelModelOfShortMissingOrVanishedIds) {
  ConnectLptPrinter(reg(), LptPort(L"TAVIRTQ-1", L"1&1"));
  reg().SetMultiString(HKEY_LOCAL_MACHINE, kLptenum + L"TAVIRTQ-1\\1&1", L"HardwareID", {L"TQ1"});  // too short
  std::wstring model;
  EXPECT_EQ(DetectLptPrinter(context, &model), 1);
  EXPECT_EQ(model, L"");

  reg().DeleteValue(HKEY_LOCAL_MACHINE, kLptenum + L"TAVIRTQ-1\\1&1", L"HardwareID");
  model.clear();
  EXPECT_EQ(DetectLptPrinter(context, &model), 1);  // still counted, no model
  EXPECT_EQ(model, L"");

  // A device key that vanishes between the listing and its opening is skipped.
  reg().FailOpen(HKEY_LOCAL_MACHINE, kLptenum + L"TAVIRTQ-1\\1&1", pf::ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(DetectLptPrinter(context, &model), 0);
}

}  // namespace
