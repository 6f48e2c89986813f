#include "setup/devices/usb_model_query.h"

#include <new>

#include "platform/platform.h"
#include "platform/unique_handle.h"
#include "setup/devices/usb_enumeration.h"

namespace {

constexpr pf::DWORD kTransferWaitMs = 1000;
constexpr pf::DWORD kRequestSize = 7;
constexpr pf::DWORD kLeastReplySize = 11;
// Function 2 of an unknown device type, buffered, any access.
constexpr pf::DWORD kPipeResetControl =
    pf::CTL_CODE(pf::FILE_DEVICE_UNKNOWN, 2, pf::METHOD_BUFFERED, pf::FILE_ANY_ACCESS);
static_assert(kPipeResetControl == 0x00220008u, "the pipe's control code");
constexpr pf::DWORD kRequestToReplyPauseMs = 50;

// The printer's pipe and its device, open for one transfer.
struct PrinterChannel {
  pf::UniqueFile pipe;
  pf::UniqueFile device;
};

bool OpenChannel(PrinterChannel* channel) {
  channel->pipe = OpenUsbPrinterPipe(L"PIPE01");
  channel->device = OpenUsbPrinterDevice();
  return channel->pipe && channel->device;
}

// The number of bytes a transfer that went pending on `pipe` moved: waits at
// most a second, then reads the outcome without waiting. A transfer still
// pending (whatever the reading of its outcome said) is cancelled and waited
// for, so that it no longer refers to its buffer and OVERLAPPED when the
// caller lets them go; it counts 0 bytes.
pf::DWORD FinishPendingTransfer(pf::HANDLE pipe, pf::OVERLAPPED* overlapped) {
  pf::WaitForSingleObject(pipe, kTransferWaitMs);
  pf::DWORD count = 0;
  if (pf::GetOverlappedResult(pipe, overlapped, &count, pf::FALSE)) return count;
  if (overlapped->Internal == pf::STATUS_PENDING) {
    pf::CancelIo(pipe);
    pf::DWORD ignored = 0;
    pf::GetOverlappedResult(pipe, overlapped, &ignored, pf::TRUE);
  }
  return 0;
}

bool IsPending() { return pf::GetLastError() == static_cast<pf::DWORD>(pf::ERROR_IO_PENDING); }

// Asks the pipe to recover after a write that failed outright.
void ResetPipe(pf::HANDLE pipe) {
  pf::OVERLAPPED overlapped{};
  pf::DWORD returned = 0;
  if (!pf::DeviceIoControl(pipe, kPipeResetControl, nullptr, 0, nullptr, 0, &returned, &overlapped) && IsPending())
    FinishPendingTransfer(pipe, &overlapped);
}

}  // namespace

bool IsPipeStatusOk(const std::wstring& status) { return status.find(L"ok") != std::wstring::npos; }

std::wstring UsbPipeWrite(const pf::BYTE* bytes, std::uint16_t count) {
  PrinterChannel channel;
  if (!OpenChannel(&channel)) return kPipeStatusOpenError;
  pf::OVERLAPPED overlapped{};
  pf::DWORD written = 0;
  if (pf::WriteFile(channel.pipe.get(), bytes, count, &written, &overlapped)) return kPipeStatusOk;
  if (IsPending()) {
    return FinishPendingTransfer(channel.pipe.get(), &overlapped) == kRequestSize ? kPipeStatusOk
                                                                                    : kPipeStatusUsbError;
  }
  ResetPipe(channel.pipe.get());
  return kPipeStatusUsbError;
}

std::wstring UsbPipeRead(pf::BYTE* buffer) {
  PrinterChannel channel;
  if (!OpenChannel(&channel)) return kPipeStatusOpenError;
  pf::OVERLAPPED overlapped{};
  pf::DWORD read = 0;
  if (pf::ReadFile(channel.pipe.get(), buffer, kPipeReadSize, &read, &overlapped)) return kPipeStatusOk;
  if (IsPending()) {
    return FinishPendingTransfer(channel.pipe.get(), &overlapped) >= kLeastReplySize ? kPipeStatusOk
                                                                                       : kPipeStatusUsbError;
  }
  return kPipeStatusUsbError;
}

ModelReply ParseModelReply(const ModelReplyBuffer& reply) {
  constexpr std::size_t kModelStart = 3;
  constexpr std::size_t kLastEnd = 25;
  std::size_t end = kModelStart;
  if (reply[kModelStart] != 0) {
    end = kModelStart + 1;
    while (end <= kLastEnd && reply[end] != 0) ++end;
    if (end > kLastEnd) return ModelReply{};
  }
  ModelReply parsed;
  parsed.terminated = true;
  for (std::size_t i = kModelStart; i + 1 < end; ++i) parsed.model += static_cast<wchar_t>(reply[i]);
  parsed.code = reply[end - 1];
  return parsed;
}

bool QueryUsbModel(std::wstring* model, std::uint32_t* code, Report& report) {
  try {
    ModelReplyBuffer reply{};
    if (!IsPipeStatusOk(UsbPipeWrite(kModelRequest.data(), kModelRequest.size()))) return false;
    pf::Sleep(kRequestToReplyPauseMs);
    reply.fill(0);
    if (!IsPipeStatusOk(UsbPipeRead(reply.data()))) return false;
    ModelReply parsed = ParseModelReply(reply);
    if (!parsed.terminated) {
      report.ShowMessage(kModelQueryFailedText, std::wstring(), pf::MB_OK | pf::MB_ICONERROR);
      *model = kUnknownModel;
      *code = kUnterminatedReplyCode;
      return true;
    }
    *model = parsed.model;
    *code = parsed.code;
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}
