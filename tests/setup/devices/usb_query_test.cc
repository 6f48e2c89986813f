// The maker's USB printer found through SetupAPI and asked for its model over
// its pipe, on the simulated PC: which interface is opened and what is
// skipped, the sets and handles released, the transfers that complete at
// once, late, short or never (none left pending on a freed buffer), the
// query's outcome, and the USB identification that uses it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/sim/sim_pc.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_setupapi.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/sim_usb_printer.h"
#include "setup/devices/printer_scan.h"
#include "setup/devices/usb_enumeration.h"
#include "setup/devices/usb_model_query.h"

namespace {

using pf::sim::SimUsbPrinter;
using pf::sim::UsbPrinterSeed;
using pf::sim::UsbTransfer;

const std::vector<pf::BYTE> kRequest = {0x1B, 0x7C, 0x81, 0x81, 0x01, 0x00, 0x02};

UsbPrinterSeed Seed(const std::wstring& vendorId, const std::wstring& serial) {
  UsbPrinterSeed seed;
  seed.vendorId = vendorId;
  seed.serial = serial;
  return seed;
}

class UsbQueryTest : public ::testing::Test {
 protected:
  std::shared_ptr<SimUsbPrinter> Plug(const UsbPrinterSeed& seed = UsbPrinterSeed()) {
    auto printer = SimUsbPrinter::Create(pc_.pc(), seed);
    printer->PlugIn();
    printer->SetReply(SimUsbPrinter::ModelReply("TQ-5800", 0x01));
    return printer;
  }
  std::wstring Path() const { return UsbDevicePath().data(); }
  std::size_t OpenSets() { return pc_->setupApi().OpenSetCount(); }
  std::size_t CallCount(const std::string& name) {
    std::size_t n = 0;
    for (const std::string& call : pc_->kernel().Calls()) n += call == name;
    return n;
  }
  const std::vector<pf::sim::MessageBoxRecord>& Boxes() { return pc_->system().messageBoxes(); }

  pf::sim::ScopedSimPc pc_;
};

// --- Finding the interface ---

TEST_F(UsbQueryTest, TheMakersVendorIdsAreFoundInAnyLetterCase) {
  EXPECT_FALSE(OpenUsbPrinterDevice());  // no printer at all
  EXPECT_EQ(OpenSets(), 0u);

  auto other = Plug(Seed(L"03F0", L"HP1"));
  EXPECT_FALSE(OpenUsbPrinterDevice());
  auto f1c0 = Plug(Seed(L"f1c0", L"OLD1"));  // the instance id says VID_F1C0
  pf::UniqueFile device = OpenUsbPrinterDevice();
  ASSERT_TRUE(device);
  EXPECT_EQ(Path(), f1c0->DevicePath());
  EXPECT_EQ(f1c0->DeviceOpens(), 1u);
  EXPECT_EQ(other->DeviceOpens(), 0u);
  EXPECT_EQ(OpenSets(), 0u);
}

TEST_F(UsbQueryTest, OfTwoPrintersTheOneAtTheLowerIndexIsOpened) {
  auto first = Plug(Seed(L"F1C1", L"A1"));
  auto second = Plug(Seed(L"F1C1", L"B2"));
  EXPECT_TRUE(OpenUsbPrinterDevice());
  EXPECT_EQ(Path(), first->DevicePath());

  // Records that cannot be read are skipped, and the walk goes on.
  for (const char* call : {"SetupDiEnumDeviceInfo", "SetupDiGetDeviceInstanceIdW", "SetupDiEnumDeviceInterfaces"}) {
    SCOPED_TRACE(call);
    pc_->setupApi().ClearIndexFaults();
    pc_->setupApi().FailAtIndex(call, 0, pf::ERROR_GEN_FAILURE);
    EXPECT_TRUE(OpenUsbPrinterDevice());
    EXPECT_EQ(Path(), second->DevicePath());
    EXPECT_EQ(OpenSets(), 0u);
  }
  // No interface at the index of a matching device ends the walk.
  pc_->setupApi().ClearIndexFaults();
  pc_->setupApi().FailAtIndex("SetupDiEnumDeviceInterfaces", 0, pf::ERROR_NO_MORE_ITEMS);
  const std::size_t opens = second->DeviceOpens();
  EXPECT_FALSE(OpenUsbPrinterDevice());
  EXPECT_EQ(second->DeviceOpens(), opens);
  EXPECT_EQ(OpenSets(), 0u);
}

TEST_F(UsbQueryTest, EveryFailureReleasesTheSetAndEndsInTheInvalidHandle) {
  Plug();
  for (const char* call : {"SetupDiGetClassDevsW", "SetupDiGetDeviceInterfaceDetailW", "CreateFileW"}) {
    SCOPED_TRACE(call);
    pc_->kernel().ClearFaults();
    pc_->kernel().FailCall(call, pf::ERROR_GEN_FAILURE);
    EXPECT_FALSE(OpenUsbPrinterDevice());
    EXPECT_FALSE(OpenUsbPrinterPipe(L"PIPE01"));
    EXPECT_EQ(OpenSets(), 0u);
  }
  // A set whose every record is unreadable ends the walk too.
  pc_->kernel().ClearFaults();
  pc_->kernel().FailCall("SetupDiEnumDeviceInfo", pf::ERROR_GEN_FAILURE);
  EXPECT_FALSE(OpenUsbPrinterDevice());
  EXPECT_EQ(OpenSets(), 0u);
}

TEST_F(UsbQueryTest, APrinterThatVanishesBeforeItsOpenIsNotOpened) {
  auto printer = Plug();
  printer->UnplugBeforeOpen();
  EXPECT_FALSE(OpenUsbPrinterDevice());
  EXPECT_EQ(printer->OpenHandles(), 0u);
  EXPECT_EQ(OpenSets(), 0u);
}

TEST_F(UsbQueryTest, ThePipePathIsTheFreshDevicePathEachTime) {
  auto printer = Plug();
  for (int i = 0; i < 2; ++i) {
    pf::UniqueFile pipe = OpenUsbPrinterPipe(L"PIPE01");
    ASSERT_TRUE(pipe);
    EXPECT_EQ(Path(), printer->DevicePath() + L"\\PIPE01");
  }
  EXPECT_EQ(printer->PipeOpens(), 2u);
  EXPECT_EQ(printer->OpenHandles(), 0u);  // the interface opened on the way is closed at once
  // A pipe name that does not fit the path buffer opens nothing.
  EXPECT_FALSE(OpenUsbPrinterPipe(std::wstring(kDevicePathCapacity, L'P')));
  EXPECT_EQ(printer->PipeOpens(), 2u);
  EXPECT_EQ(Path(), printer->DevicePath());
}

// --- Transfers ---

TEST_F(UsbQueryTest, NoPrinterOrNoDeviceHandleIsTheOpenError) {
  const pf::BYTE* request = kRequest.data();
  EXPECT_EQ(UsbPipeWrite(request, 7), kPipeStatusOpenError);
  auto printer = Plug();
  // The pipe opens (two opens on the way), then the printer goes before the device opens.
  printer->UnplugBeforeOpen(2);
  EXPECT_EQ(UsbPipeWrite(request, 7), kPipeStatusOpenError);
  EXPECT_EQ(printer->PipeOpens(), 1u);
  EXPECT_EQ(printer->WritesStarted(), 0u);
  EXPECT_EQ(printer->OpenHandles(), 0u);  // the pipe was closed again
}

TEST_F(UsbQueryTest, AWriteSucceedsAtOnceOrLateWithExactlySevenBytes) {
  auto printer = Plug();
  const pf::BYTE* request = kRequest.data();
  EXPECT_EQ(UsbPipeWrite(request, 7), kPipeStatusOk);
  printer->ScriptWrite(UsbTransfer::After(900));
  EXPECT_EQ(UsbPipeWrite(request, 7), kPipeStatusOk);
  printer->ScriptWrite(UsbTransfer::After(300, 6));
  EXPECT_EQ(UsbPipeWrite(request, 7), kPipeStatusUsbError);
  const std::vector<pf::BYTE> shortRequest(kRequest.begin(), kRequest.end() - 1);
  EXPECT_EQ(printer->Writes(), (std::vector<std::vector<pf::BYTE>>{kRequest, kRequest, shortRequest}));
  EXPECT_TRUE(printer->ControlCodes().empty());
  EXPECT_EQ(printer->OpenHandles(), 0u);
}

TEST_F(UsbQueryTest, AWriteThatFailsAtOnceIsFollowedByThePipesControlRequest) {
  auto printer = Plug();
  printer->ScriptWrite(UsbTransfer::Fails(pf::ERROR_GEN_FAILURE));
  EXPECT_EQ(UsbPipeWrite(kRequest.data(), 7), kPipeStatusUsbError);
  EXPECT_EQ(printer->ControlCodes(), (std::vector<pf::DWORD>{0x00220008}));
  // A read that fails at once makes no control request.
  printer->ScriptRead(UsbTransfer::Fails(pf::ERROR_GEN_FAILURE));
  std::vector<pf::BYTE> buffer(64);
  EXPECT_EQ(UsbPipeRead(buffer.data()), kPipeStatusUsbError);
  EXPECT_EQ(printer->ControlCodes().size(), 1u);
  EXPECT_EQ(printer->OpenHandles(), 0u);
}

TEST_F(UsbQueryTest, AReadSucceedsAtOnceOrLateWithMoreThanTenBytes) {
  auto printer = Plug();
  printer->SetReply(std::vector<pf::BYTE>(40, 0x41));
  std::vector<pf::BYTE> buffer(64);
  printer->ScriptRead(UsbTransfer::AtOnce(3));  // at once, whatever the count
  EXPECT_EQ(UsbPipeRead(buffer.data()), kPipeStatusOk);
  printer->ScriptRead(UsbTransfer::After(500, 10));
  EXPECT_EQ(UsbPipeRead(buffer.data()), kPipeStatusUsbError);
  printer->ScriptRead(UsbTransfer::After(500, 11));
  EXPECT_EQ(UsbPipeRead(buffer.data()), kPipeStatusOk);
  EXPECT_EQ(printer->ReadsStarted(), 3u);
}

TEST_F(UsbQueryTest, ATransferStillPendingAfterItsWaitIsCancelledBeforeItsBufferGoes) {
  auto printer = Plug();
  for (UsbTransfer late : {UsbTransfer::Never(), UsbTransfer::After(1500)}) {
    printer->ScriptWrite(late);
    pf::DWORD start = pf::GetTickCount();
    EXPECT_EQ(UsbPipeWrite(kRequest.data(), 7), kPipeStatusUsbError);
    EXPECT_EQ(pf::GetTickCount() - start, 1000u);
    EXPECT_EQ(printer->PendingTransfers(), 0u);

    printer->ScriptRead(late);
    auto buffer = std::make_unique<std::vector<pf::BYTE>>(64, 0);
    EXPECT_EQ(UsbPipeRead(buffer->data()), kPipeStatusUsbError);
    EXPECT_EQ(printer->PendingTransfers(), 0u);
    buffer.reset();
    pf::Sleep(2000);  // a completion still to come would land in the freed buffer
  }
  EXPECT_EQ(CallCount("CancelIo"), 4u);
  EXPECT_EQ(printer->OpenHandles(), 0u);

  // Also when reading the outcome fails for another reason than the
  // transfer being incomplete.
  printer->ScriptRead(UsbTransfer::Never());
  pc_->kernel().ClearFaults();  // counts this call from 0
  pc_->kernel().FailCall("GetOverlappedResult", pf::ERROR_INVALID_PARAMETER, 0);
  std::vector<pf::BYTE> buffer(64);
  EXPECT_EQ(UsbPipeRead(buffer.data()), kPipeStatusUsbError);
  EXPECT_EQ(printer->PendingTransfers(), 0u);
}

// --- The model query ---

TEST_F(UsbQueryTest, TheQueryWritesTheRequestPausesAndParsesTheReply) {
  auto printer = Plug();
  printer->SetReply(SimUsbPrinter::ModelReply(" TQ-5800 ", 0x02));
  std::wstring model;
  std::uint32_t code = 0;
  pf::DWORD start = pf::GetTickCount();
  EXPECT_TRUE(QueryUsbModel(&model, &code));
  EXPECT_EQ(pf::GetTickCount() - start, 50u);
  EXPECT_EQ(model, L" TQ-5800 ");
  EXPECT_EQ(code, 2u);
  EXPECT_EQ(printer->Writes(), std::vector<std::vector<pf::BYTE>>{kRequest});
  EXPECT_TRUE(Boxes().empty());
  // The printer was opened once for the request and once for the reply.
  EXPECT_EQ(printer->PipeOpens(), 2u);
  EXPECT_EQ(printer->OpenHandles(), 0u);
}

TEST_F(UsbQueryTest, AReplyWithoutItsEndIsShownAndAnsweredAsUnknown) {
  auto printer = Plug();
  printer->SetReply(std::vector<pf::BYTE>(64, 0xA5));  // 64 non-zero bytes
  std::wstring model;
  std::uint32_t code = 0;
  EXPECT_TRUE(QueryUsbModel(&model, &code));
  EXPECT_EQ(model, L"Unknown");
  EXPECT_EQ(code, 80u);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, L"未能获取机器型号！");
  EXPECT_EQ(Boxes()[0].type, pf::MB_OK | pf::MB_ICONERROR);
}

TEST_F(UsbQueryTest, TheQueryFailsWhenTheRequestOrTheReplyDoesNotGoThrough) {
  std::wstring model = L"kept";
  std::uint32_t code = 7;
  EXPECT_FALSE(QueryUsbModel(&model, &code));  // no printer
  auto printer = Plug();
  printer->ScriptWrite(UsbTransfer::Never());
  EXPECT_FALSE(QueryUsbModel(&model, &code));
  EXPECT_EQ(printer->ReadsStarted(), 0u);  // no read after a failed request
  printer->ScriptRead(UsbTransfer::After(200, 4));
  EXPECT_FALSE(QueryUsbModel(&model, &code));
  EXPECT_EQ(model, L"kept");
  EXPECT_EQ(code, 7u);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(printer->PendingTransfers(), 0u);
}

// --- Identification of the maker's printer ---

TEST_F(UsbQueryTest, TheMakersPrinterIsNamedByItsAnswer) {
  auto printer = Plug();
  printer->SetReply(SimUsbPrinter::ModelReply("  TQ-5800\t", 0x01));
  SetupContext context;
  EXPECT_EQ(DetectUsbPrinter(context), kUsbPrinterFound);
  EXPECT_EQ(context.modelName, L"TQ-5800");
  EXPECT_EQ(context.deviceDescription, L"TAVIRPrinter");
  EXPECT_EQ(context.usbPortName, L"USB001");
  EXPECT_EQ(context.queryFailures, 0);
}

TEST_F(UsbQueryTest, AFailedQueryIsCountedAndNotRepeated) {
  auto printer = Plug();
  printer->ScriptRead(UsbTransfer::Never());
  SetupContext context;
  EXPECT_EQ(DetectUsbPrinter(context), kUsbModelQueryFailed);
  EXPECT_EQ(context.modelName, L"Unknown");
  EXPECT_EQ(context.queryFailures, 1);
  EXPECT_EQ(printer->WritesStarted(), 1u);
  EXPECT_EQ(printer->PendingTransfers(), 0u);

  EXPECT_EQ(DetectUsbPrinter(context), kUsbModelQueryFailed);
  EXPECT_EQ(context.queryFailures, 2);
  EXPECT_EQ(printer->WritesStarted(), 1u);
  EXPECT_EQ(printer->ReadsStarted(), 1u);
}

}  // namespace
