#include "platform/sim/sim_usb_printer.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/sim_pc.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_sync.h"

namespace pf::sim {
namespace {

const std::vector<BYTE> kRequest = {0x1B, 0x7C, 0x81, 0x81, 0x01, 0x00, 0x02};

class SimUsbPrinterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    printer_ = SimUsbPrinter::Create(pc_.pc());
    printer_->SetReply(SimUsbPrinter::ModelReply("TQ-5800", 0x01));
  }

  HANDLE OpenPipe(DWORD flags = FILE_FLAG_OVERLAPPED) {
    return pf::CreateFileW((printer_->DevicePath() + L"\\PIPE01").c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, flags);
  }
  HANDLE OpenDevice() {
    return pf::CreateFileW(printer_->DevicePath().c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
  }
  DWORD Now() { return pf::GetTickCount(); }

  ScopedSimPc pc_;
  std::shared_ptr<SimUsbPrinter> printer_;
};

TEST_F(SimUsbPrinterTest, OpensAsTheDeviceAndAsItsPipeOnlyWhilePluggedIn) {
  EXPECT_EQ(OpenDevice(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(pf::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

  printer_->PlugIn();
  HANDLE device = OpenDevice();
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  HANDLE pipe = OpenPipe();
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
  const std::wstring upper = L"\\\\?\\USB#VID_F1C1&PID_0001#SER123#{28D78FAD-5A12-11D1-AE5B-0000F803A8C2}\\pipe01";
  HANDLE again = pf::CreateFileW(upper.c_str(), GENERIC_READ, 0, OPEN_EXISTING, 0);
  EXPECT_NE(again, INVALID_HANDLE_VALUE) << "device paths and the pipe name compare without case";
  EXPECT_EQ(pf::CreateFileW((printer_->DevicePath() + L"\\PIPE02").c_str(), GENERIC_READ, 0, OPEN_EXISTING, 0),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(pf::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(printer_->DeviceOpens(), 1u);
  EXPECT_EQ(printer_->PipeOpens(), 2u);
  EXPECT_EQ(printer_->OpenHandles(), 3u);

  // The device itself moves no data.
  BYTE buffer[8];
  DWORD done = 99;
  EXPECT_FALSE(pf::WriteFile(device, kRequest.data(), 7, &done, nullptr));
  EXPECT_EQ(pf::GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
  EXPECT_EQ(done, 0u);
  EXPECT_FALSE(pf::ReadFile(device, buffer, sizeof buffer, &done, nullptr));

  EXPECT_TRUE(pf::CloseHandle(device));
  EXPECT_TRUE(pf::CloseHandle(pipe));
  EXPECT_TRUE(pf::CloseHandle(again));
  EXPECT_EQ(printer_->OpenHandles(), 0u);
  EXPECT_EQ(printer_->WritesStarted(), 0u);
}

TEST_F(SimUsbPrinterTest, TransfersThatCompleteAtOnceReturnTrueAndFillTheOverlappedRecord) {
  printer_->PlugIn();
  HANDLE pipe = OpenPipe();
  OVERLAPPED overlapped{};
  DWORD written = 0;
  ASSERT_TRUE(pf::WriteFile(pipe, kRequest.data(), 7, &written, &overlapped));
  EXPECT_EQ(written, 7u);
  EXPECT_EQ(overlapped.Internal, 0u);
  EXPECT_EQ(overlapped.InternalHigh, 7u);
  EXPECT_EQ(pf::WaitForSingleObject(pipe, 0), WAIT_OBJECT_0) << "a completed transfer signals the handle";

  std::vector<BYTE> reply(255, 0xEE);
  overlapped = OVERLAPPED{};
  DWORD read = 0;
  ASSERT_TRUE(pf::ReadFile(pipe, reply.data(), 64, &read, &overlapped));
  const std::vector<BYTE> expected = SimUsbPrinter::ModelReply("TQ-5800", 0x01);
  ASSERT_EQ(read, expected.size());
  EXPECT_EQ(std::vector<BYTE>(reply.begin(), reply.begin() + read), expected);
  EXPECT_EQ(reply[read], 0xEE) << "nothing beyond the bytes read is touched";
  EXPECT_EQ(printer_->Writes(), std::vector<std::vector<BYTE>>{kRequest});
  EXPECT_EQ(printer_->PendingTransfers(), 0u);
  pf::CloseHandle(pipe);
}

TEST_F(SimUsbPrinterTest, AReadLongerThanAskedForStopsAtTheSizeAskedFor) {
  printer_->PlugIn();
  printer_->SetReply(std::vector<BYTE>(100, 0x41));
  HANDLE pipe = OpenPipe();
  std::vector<BYTE> reply(255, 0);
  OVERLAPPED overlapped{};
  DWORD read = 0;
  ASSERT_TRUE(pf::ReadFile(pipe, reply.data(), 64, &read, &overlapped));
  EXPECT_EQ(read, 64u);
  EXPECT_EQ(reply[63], 0x41);
  EXPECT_EQ(reply[64], 0);
  pf::CloseHandle(pipe);
}

TEST_F(SimUsbPrinterTest, ALateTransferIsPendingUntilItsTimeThenSignalsTheHandle) {
  printer_->PlugIn();
  printer_->ScriptRead(UsbTransfer::After(300));
  HANDLE pipe = OpenPipe();
  std::vector<BYTE> reply(255, 0);
  OVERLAPPED overlapped{};
  DWORD read = 77;
  const DWORD start = Now();
  EXPECT_FALSE(pf::ReadFile(pipe, reply.data(), 64, &read, &overlapped));
  EXPECT_EQ(pf::GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
  EXPECT_EQ(read, 0u);
  EXPECT_EQ(overlapped.Internal, SimUsbPrinter::kStatusPending);
  EXPECT_EQ(reply[3], 0) << "the reply arrives only when the transfer completes";

  DWORD count = 5;
  EXPECT_FALSE(pf::GetOverlappedResult(pipe, &overlapped, &count, FALSE));
  EXPECT_EQ(pf::GetLastError(), static_cast<DWORD>(ERROR_IO_INCOMPLETE));
  EXPECT_EQ(printer_->PendingTransfers(), 1u);

  EXPECT_EQ(pf::WaitForSingleObject(pipe, 1000), WAIT_OBJECT_0);
  EXPECT_EQ(Now() - start, 300u) << "the wait ends when the transfer completes";
  ASSERT_TRUE(pf::GetOverlappedResult(pipe, &overlapped, &count, FALSE));
  EXPECT_EQ(count, SimUsbPrinter::ModelReply("TQ-5800", 0x01).size());
  EXPECT_EQ(reply[3], 'T');
  EXPECT_EQ(printer_->PendingTransfers(), 0u);
  pf::CloseHandle(pipe);
}

TEST_F(SimUsbPrinterTest, ATransferLaterThanTheWaitIsCancelledAndNeverWritesItsBuffer) {
  printer_->PlugIn();
  printer_->ScriptRead(UsbTransfer::After(1500));
  HANDLE pipe = OpenPipe();
  std::vector<BYTE> reply(255, 0);
  OVERLAPPED overlapped{};
  DWORD read = 0;
  const DWORD start = Now();
  EXPECT_FALSE(pf::ReadFile(pipe, reply.data(), 64, &read, &overlapped));
  EXPECT_EQ(pf::WaitForSingleObject(pipe, 1000), WAIT_TIMEOUT);
  EXPECT_EQ(Now() - start, 1000u);
  DWORD count = 0;
  EXPECT_FALSE(pf::GetOverlappedResult(pipe, &overlapped, &count, FALSE));
  EXPECT_EQ(pf::GetLastError(), static_cast<DWORD>(ERROR_IO_INCOMPLETE));

  EXPECT_TRUE(pf::CancelIo(pipe));
  EXPECT_EQ(printer_->PendingTransfers(), 1u) << "a cancellation completes like any transfer: wait for it";
  EXPECT_FALSE(pf::GetOverlappedResult(pipe, &overlapped, &count, TRUE));
  EXPECT_EQ(pf::GetLastError(), static_cast<DWORD>(ERROR_OPERATION_ABORTED));
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(overlapped.Internal, static_cast<ULONG_PTR>(ERROR_OPERATION_ABORTED));
  EXPECT_EQ(printer_->PendingTransfers(), 0u);

  pf::Sleep(1000);  // past the time the transfer would have completed
  EXPECT_EQ(reply, std::vector<BYTE>(255, 0));
  EXPECT_EQ(overlapped.InternalHigh, 0u);
  pf::CloseHandle(pipe);
}

// GetOverlappedResult that waits returns only once the transfer is over, so
// a failure a test makes of it comes after the wait: the transfer no longer
// refers to the caller's buffer and OVERLAPPED. Without waiting, it fails
// at once.
TEST_F(SimUsbPrinterTest, AFailedWaitingResultComesOnlyOnceTheTransferIsOver) {
  printer_->PlugIn();
  printer_->ScriptRead(UsbTransfer::After(1500));
  printer_->ScriptRead(UsbTransfer::After(1500));
  HANDLE pipe = OpenPipe();
  std::vector<BYTE> reply(64, 0);
  OVERLAPPED overlapped{};
  DWORD read = 0;
  DWORD count = 1;
  const DWORD start = Now();
  EXPECT_FALSE(pf::ReadFile(pipe, reply.data(), 64, &read, &overlapped));
  pc_->kernel().FailCall("GetOverlappedResult", ERROR_GEN_FAILURE);
  EXPECT_FALSE(pf::GetOverlappedResult(pipe, &overlapped, &count, FALSE));
  EXPECT_EQ(pf::GetLastError(), static_cast<DWORD>(ERROR_GEN_FAILURE));
  EXPECT_EQ(printer_->PendingTransfers(), 1u);
  EXPECT_EQ(Now() - start, 0u);

  EXPECT_FALSE(pf::GetOverlappedResult(pipe, &overlapped, &count, TRUE));
  EXPECT_EQ(pf::GetLastError(), static_cast<DWORD>(ERROR_GEN_FAILURE));
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(printer_->PendingTransfers(), 0u);
  EXPECT_EQ(Now() - start, 1500u);
  pc_->kernel().ClearFaults();
  pf::CloseHandle(pipe);
}

TEST_F(SimUsbPrinterTest, ShortTransfersMoveFewerBytesAtOnceOrLate) {
  printer_->PlugIn();
  printer_->ScriptWrite(UsbTransfer::AtOnce(5));
  printer_->ScriptWrite(UsbTransfer::After(200, 6));
  printer_->ScriptRead(UsbTransfer::After(200, 10));
  printer_->ScriptRead(UsbTransfer::AtOnce(20));  // more than the reply holds: zeros after it
  HANDLE pipe = OpenPipe();
  OVERLAPPED overlapped{};
  DWORD count = 0;
  ASSERT_TRUE(pf::WriteFile(pipe, kRequest.data(), 7, &count, &overlapped));
  EXPECT_EQ(count, 5u);
  overlapped = OVERLAPPED{};
  EXPECT_FALSE(pf::WriteFile(pipe, kRequest.data(), 7, &count, &overlapped));
  ASSERT_TRUE(pf::GetOverlappedResult(pipe, &overlapped, &count, TRUE));
  EXPECT_EQ(count, 6u);
  EXPECT_EQ(printer_->Writes(), (std::vector<std::vector<BYTE>>{{kRequest.begin(), kRequest.begin() + 5},
                                                                {kRequest.begin(), kRequest.begin() + 6}}));

  std::vector<BYTE> reply(255, 0xEE);
  overlapped = OVERLAPPED{};
  EXPECT_FALSE(pf::ReadFile(pipe, reply.data(), 64, &count, &overlapped));
  ASSERT_TRUE(pf::GetOverlappedResult(pipe, &overlapped, &count, TRUE));
  EXPECT_EQ(count, 10u);
  EXPECT_EQ(reply[9], '0');
  EXPECT_EQ(reply[10], 0xEE);
  overlapped = OVERLAPPED{};
  ASSERT_TRUE(pf::ReadFile(pipe, reply.data(), 64, &count, &overlapped));
  EXPECT_EQ(count, 20u);
  EXPECT_EQ(reply[11], 0);
  EXPECT_EQ(reply[19], 0);
  EXPECT_EQ(reply[20], 0xEE);
  pf::CloseHandle(pipe);
}

TEST_F(SimUsbPrinterTest, FailuresAtOnceOrLate) {
  printer_->PlugIn();
  printer_->ScriptWrite(UsbTransfer::Fails(ERROR_GEN_FAILURE));
  printer_->ScriptWrite(UsbTransfer::Fails(ERROR_GEN_FAILURE, 200));
  HANDLE pipe = OpenPipe();
  OVERLAPPED overlapped{};
  DWORD count = 9;
  EXPECT_FALSE(pf::WriteFile(pipe, kRequest.data(), 7, &count, &overlapped));
  EXPECT_EQ(pf::GetLastError(), static_cast<DWORD>(ERROR_GEN_FAILURE));
  EXPECT_EQ(count, 0u);
  overlapped = OVERLAPPED{};
  EXPECT_FALSE(pf::WriteFile(pipe, kRequest.data(), 7, &count, &overlapped));
  EXPECT_EQ(pf::GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
  EXPECT_FALSE(pf::GetOverlappedResult(pipe, &overlapped, &count, TRUE));
  EXPECT_EQ(pf::GetLastError(), static_cast<DWORD>(ERROR_GEN_FAILURE));
  EXPECT_TRUE(printer_->Writes().empty());
  pf::CloseHandle(pipe);
}

TEST_F(SimUsbPrinterTest, TheEventOfTheRecordIsResetAtTheStartAndSetAtTheEnd) {
  printer_->PlugIn();
  printer_->ScriptWrite(UsbTransfer::After(100));
  HANDLE pipe = OpenPipe();
  HANDLE event = pf::CreateEventW(nullptr, TRUE, TRUE, nullptr);
  OVERLAPPED overlapped{};
  overlapped.hEvent = event;
  DWORD count = 0;
  EXPECT_FALSE(pf::WriteFile(pipe, kRequest.data(), 7, &count, &overlapped));
  EXPECT_EQ(pf::WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  EXPECT_EQ(pf::WaitForSingleObject(event, 1000), WAIT_OBJECT_0);
  ASSERT_TRUE(pf::GetOverlappedResult(pipe, &overlapped, &count, FALSE));
  EXPECT_EQ(count, 7u);
  pf::CloseHandle(event);
  pf::CloseHandle(pipe);
}

TEST_F(SimUsbPrinterTest, ATransferThatNeverCompletesEndsOnlyByCancellation) {
  printer_->PlugIn();
  printer_->ScriptRead(UsbTransfer::Never());
  HANDLE pipe = OpenPipe();
  std::vector<BYTE> reply(255, 0);
  OVERLAPPED overlapped{};
  DWORD count = 0;
  EXPECT_FALSE(pf::ReadFile(pipe, reply.data(), 64, &count, &overlapped));
  EXPECT_EQ(pf::WaitForSingleObject(pipe, 1000), WAIT_TIMEOUT);
  pf::Sleep(60000);
  EXPECT_EQ(printer_->PendingTransfers(), 1u);
  EXPECT_FALSE(pf::GetOverlappedResult(pipe, &overlapped, &count, FALSE));
  EXPECT_EQ(pf::GetLastError(), static_cast<DWORD>(ERROR_IO_INCOMPLETE));
  EXPECT_TRUE(pf::CancelIo(pipe));
  EXPECT_EQ(pf::WaitForSingleObject(pipe, INFINITE), WAIT_OBJECT_0);
  EXPECT_FALSE(pf::GetOverlappedResult(pipe, &overlapped, &count, FALSE));
  EXPECT_EQ(pf::GetLastError(), static_cast<DWORD>(ERROR_OPERATION_ABORTED));
  EXPECT_EQ(printer_->PendingTransfers(), 0u);
  pf::CloseHandle(pipe);
}

TEST_F(SimUsbPrinterTest, ClosingAHandleWithATransferPendingLeavesItPendingUntilTheClockMoves) {
  printer_->PlugIn();
  printer_->ScriptRead(UsbTransfer::Never());
  HANDLE pipe = OpenPipe();
  auto reply = std::make_unique<std::vector<BYTE>>(255, 0);
  auto overlapped = std::make_unique<OVERLAPPED>();
  DWORD count = 0;
  EXPECT_FALSE(pf::ReadFile(pipe, reply->data(), 64, &count, overlapped.get()));
  EXPECT_TRUE(pf::CloseHandle(pipe));
  // What a program that closed without waiting leaves behind: the transfer
  // still owns the buffer and the record.
  EXPECT_EQ(printer_->PendingTransfers(), 1u);
  pf::Sleep(0);
  EXPECT_EQ(printer_->PendingTransfers(), 0u);
  EXPECT_EQ(overlapped->Internal, static_cast<ULONG_PTR>(ERROR_OPERATION_ABORTED));
}

TEST_F(SimUsbPrinterTest, ALateCompletionIntoAFreedBufferIsCaught) {
  printer_->PlugIn();
  printer_->ScriptRead(UsbTransfer::After(1500));
  HANDLE pipe = OpenPipe();
  auto reply = std::make_unique<std::vector<BYTE>>(255, 0);
  OVERLAPPED overlapped{};
  DWORD count = 0;
  EXPECT_FALSE(pf::ReadFile(pipe, reply->data(), 64, &count, &overlapped));
  reply.reset();  // the fault: the buffer goes while the read is pending
  EXPECT_DEATH(pf::Sleep(2000), "heap-use-after-free");
  EXPECT_EQ(printer_->PendingTransfers(), 1u);
  // Here the test itself cancels and waits, so the late completion finds the
  // transfer over and leaves the freed buffer alone.
  pf::CancelIo(pipe);
  EXPECT_FALSE(pf::GetOverlappedResult(pipe, &overlapped, &count, TRUE));
  pf::Sleep(2000);
  pf::CloseHandle(pipe);
}

// The fault with the buffer and the record on the stack: a read started in a
// frame that returns without waiting for it.
void ReadIntoAFrameThatGoes(HANDLE pipe) {
  BYTE reply[255] = {};
  OVERLAPPED overlapped{};
  DWORD count = 0;
  pf::ReadFile(pipe, reply, 64, &count, &overlapped);
}

TEST_F(SimUsbPrinterTest, ALateCompletionIntoAFrameThatReturnedIsCaught) {
  printer_->PlugIn();
  printer_->ScriptRead(UsbTransfer::After(1500));
  HANDLE pipe = OpenPipe();
  EXPECT_DEATH(
      {
        ReadIntoAFrameThatGoes(pipe);
        pf::Sleep(2000);
      },
      "stack-use-after-return");
  pf::CloseHandle(pipe);
}

TEST_F(SimUsbPrinterTest, TransfersOnASynchronousHandleWaitOnTheClockInsideTheCall) {
  printer_->PlugIn();
  printer_->ScriptWrite(UsbTransfer::After(400));
  printer_->ScriptRead(UsbTransfer::Never());
  HANDLE pipe = OpenPipe(0);
  DWORD count = 0;
  const DWORD start = Now();
  ASSERT_TRUE(pf::WriteFile(pipe, kRequest.data(), 7, &count, nullptr));
  EXPECT_EQ(count, 7u);
  EXPECT_EQ(Now() - start, 400u);
  BYTE reply[64];
  EXPECT_FALSE(pf::ReadFile(pipe, reply, 64, &count, nullptr));
  EXPECT_EQ(pf::GetLastError(), static_cast<DWORD>(ERROR_POSSIBLE_DEADLOCK)) << "Windows would hang here";
  EXPECT_EQ(printer_->PendingTransfers(), 0u);
  pf::CloseHandle(pipe);
}

TEST_F(SimUsbPrinterTest, ControlCodesAreRecordedAndOnlyThePipesOwnSucceeds) {
  printer_->PlugIn();
  HANDLE pipe = OpenPipe();
  DWORD returned = 5;
  EXPECT_TRUE(pf::DeviceIoControl(pipe, 0x00220008, nullptr, 0, nullptr, 0, &returned, nullptr));
  EXPECT_EQ(returned, 0u);
  EXPECT_FALSE(pf::DeviceIoControl(pipe, 0x00220004, nullptr, 0, nullptr, 0, &returned, nullptr));
  EXPECT_EQ(pf::GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
  EXPECT_EQ(printer_->ControlCodes(), (std::vector<DWORD>{0x00220008, 0x00220004}));
  HANDLE device = OpenDevice();
  EXPECT_FALSE(pf::DeviceIoControl(device, 0x00220008, nullptr, 0, nullptr, 0, &returned, nullptr));
  EXPECT_EQ(printer_->ControlCodes().size(), 2u);
  pf::CloseHandle(device);
  pf::CloseHandle(pipe);
}

TEST_F(SimUsbPrinterTest, PluggingInWritesWhatPlugAndPlayRecordsAndUnpluggingUnlinksIt) {
  auto& registry = pc_->registry();
  const UsbPrinterSeed& seed = printer_->seed();
  auto second = SimUsbPrinter::Create(pc_.pc(), UsbPrinterSeed{L"F1C0", L"0002", L"SER456"});
  printer_->PlugIn();
  second->PlugIn();
  DWORD value = 0;
  std::wstring text;
  ASSERT_TRUE(registry.GetDword(HKEY_LOCAL_MACHINE, kUsbPrintServiceEnumPath, L"Count", &value));
  EXPECT_EQ(value, 2u);
  ASSERT_TRUE(registry.GetString(HKEY_LOCAL_MACHINE, kUsbPrintServiceEnumPath, L"1", &text));
  EXPECT_EQ(text, L"USB\\VID_F1C0&PID_0002\\SER456");
  ASSERT_TRUE(registry.GetDword(HKEY_LOCAL_MACHINE, seed.InterfaceKeyPath() + L"\\#\\Control", L"Linked", &value));
  EXPECT_EQ(value, 1u);

  printer_->Unplug();
  EXPECT_FALSE(printer_->pluggedIn());
  ASSERT_TRUE(registry.GetDword(HKEY_LOCAL_MACHINE, kUsbPrintServiceEnumPath, L"Count", &value));
  EXPECT_EQ(value, 1u);
  ASSERT_TRUE(registry.GetString(HKEY_LOCAL_MACHINE, kUsbPrintServiceEnumPath, L"0", &text));
  EXPECT_EQ(text, L"USB\\VID_F1C0&PID_0002\\SER456");
  EXPECT_FALSE(registry.GetString(HKEY_LOCAL_MACHINE, kUsbPrintServiceEnumPath, L"1", &text));
  EXPECT_FALSE(registry.KeyExists(HKEY_LOCAL_MACHINE, seed.InterfaceKeyPath() + L"\\#\\Control"));
  EXPECT_TRUE(registry.GetString(HKEY_LOCAL_MACHINE, seed.DeviceKeyPath(), L"ClassGUID", &text))
      << "the device key stays, as Windows keeps it";
  EXPECT_EQ(OpenDevice(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(pf::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

// The device path of the first present USB printing interface, as SetupAPI reports it; empty when none.
std::wstring FirstInterfacePath() {
  HDEVINFO set = pf::SetupDiGetClassDevsW(&GUID_DEVINTERFACE_USBPRINT, nullptr, 0,
                                          DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  SP_DEVICE_INTERFACE_DATA iface{};
  iface.cbSize = sizeof iface;
  std::wstring path;
  if (pf::SetupDiEnumDeviceInterfaces(set, nullptr, &GUID_DEVINTERFACE_USBPRINT, 0, &iface)) {
    std::vector<BYTE> buffer(1024);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (pf::SetupDiGetDeviceInterfaceDetailW(set, &iface, detail, 1024, nullptr, nullptr)) path = detail->DevicePath;
  }
  pf::SetupDiDestroyDeviceInfoList(set);
  return path;
}

TEST_F(SimUsbPrinterTest, APrinterPluggedInLaterAppearsInSetupApiAndOpensWhenTheClockGetsThere) {
  printer_->PlugInAfter(1200);
  pf::Sleep(1199);
  EXPECT_FALSE(printer_->pluggedIn());
  EXPECT_EQ(FirstInterfacePath(), L"");
  EXPECT_EQ(OpenDevice(), INVALID_HANDLE_VALUE);
  pf::Sleep(1);
  EXPECT_TRUE(printer_->pluggedIn());
  const std::wstring path = FirstInterfacePath();
  EXPECT_EQ(path, printer_->DevicePath());
  HANDLE device = pf::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  OPEN_EXISTING, 0);
  EXPECT_NE(device, INVALID_HANDLE_VALUE);
  pf::CloseHandle(device);
  printer_->Unplug();
  EXPECT_EQ(FirstInterfacePath(), L"");
}

TEST_F(SimUsbPrinterTest, APrinterCanVanishJustBeforeAnOpen) {
  printer_->PlugIn();
  printer_->UnplugBeforeOpen(1);
  HANDLE device = OpenDevice();
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  pf::CloseHandle(device);
  EXPECT_EQ(OpenPipe(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(pf::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(printer_->pluggedIn());

  printer_->PlugIn();
  printer_->UnplugBeforeOpen();
  EXPECT_EQ(OpenDevice(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(printer_->DeviceOpens(), 1u);
}

TEST_F(SimUsbPrinterTest, UnpluggingEndsPendingTransfersAndHandlesOpenedBefore) {
  printer_->PlugIn();
  printer_->ScriptRead(UsbTransfer::Never());
  HANDLE pipe = OpenPipe();
  std::vector<BYTE> reply(255, 0);
  OVERLAPPED overlapped{};
  DWORD count = 0;
  EXPECT_FALSE(pf::ReadFile(pipe, reply.data(), 64, &count, &overlapped));
  printer_->Unplug();
  EXPECT_FALSE(pf::GetOverlappedResult(pipe, &overlapped, &count, TRUE));
  EXPECT_EQ(pf::GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
  printer_->PlugIn();
  overlapped = OVERLAPPED{};
  EXPECT_FALSE(pf::WriteFile(pipe, kRequest.data(), 7, &count, &overlapped));
  EXPECT_EQ(pf::GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED))
      << "a handle of the printer before it went stays dead";
  EXPECT_TRUE(pf::CloseHandle(pipe));
  EXPECT_EQ(printer_->PendingTransfers(), 0u);
}

}  // namespace
}  // namespace pf::sim
