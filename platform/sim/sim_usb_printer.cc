#include "platform/sim/sim_usb_printer.h"

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <limits>

#include "platform/sim/sim_pc.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_sync.h"

namespace pf::sim {
namespace {

constexpr wchar_t kPipeName[] = L"PIPE01";

bool SameText(const std::wstring& a, const std::wstring& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
           return std::towupper(x) == std::towupper(y);
         });
}

}  // namespace

// A handle to the printer: the device itself, or its pipe.
class SimUsbPrinter::Handle : public SimIoObject, public std::enable_shared_from_this<SimUsbPrinter::Handle> {
 public:
  Handle(std::shared_ptr<SimUsbPrinter> printer, bool pipe, bool overlapped, unsigned plugCount)
      : printer_(std::move(printer)),
        serial_(++printer_->handleSerial_),
        pipe_(pipe),
        overlapped_(overlapped),
        plugCount_(plugCount) {}

  bool IsWaitable() const override { return true; }
  bool IsSignaled() const override { return signalled_; }
  void OnHandleClosed() override {
    printer_->Abort(this, ERROR_OPERATION_ABORTED);
    --printer_->openHandles_;
  }

  BOOL Read(void* buffer, DWORD size, DWORD* read, OVERLAPPED* overlapped) override {
    return printer_->Start(shared_from_this(), true, buffer, size, read, overlapped);
  }
  BOOL Write(const void* buffer, DWORD size, DWORD* written, OVERLAPPED* overlapped) override {
    return printer_->Start(shared_from_this(), false, const_cast<void*>(buffer), size, written, overlapped);
  }
  BOOL GetOverlappedResult(OVERLAPPED* overlapped, DWORD* transferred, BOOL wait) override {
    SimKernel& kernel = printer_->kernel_;
    if (transferred != nullptr) *transferred = 0;
    if (auto transfer = printer_->PendingOn(this, overlapped)) {
      if (!wait) return kernel.Fail(ERROR_IO_INCOMPLETE);
      if (!printer_->RunUntilDone(transfer)) return kernel.Fail(ERROR_POSSIBLE_DEADLOCK);
    }
    if (transferred != nullptr) *transferred = static_cast<DWORD>(overlapped->InternalHigh);
    if (overlapped->Internal != 0) return kernel.Fail(static_cast<DWORD>(overlapped->Internal));
    kernel.SetLastError(ERROR_SUCCESS);
    return TRUE;
  }
  BOOL CancelIo() override {
    printer_->Abort(this, ERROR_OPERATION_ABORTED);
    return TRUE;
  }
  BOOL DeviceIoControl(DWORD code, void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned,
                       OVERLAPPED* overlapped) override {
    SimKernel& kernel = printer_->kernel_;
    if (returned != nullptr) *returned = 0;
    if (!printer_->Connected(*this)) return kernel.Fail(ERROR_DEVICE_NOT_CONNECTED);
    if (!pipe_) return kernel.Fail(ERROR_INVALID_FUNCTION);
    printer_->controlCodes_.push_back(code);
    if (code != kPipeControlCode) return kernel.Fail(ERROR_INVALID_FUNCTION);
    if (overlapped != nullptr) {
      overlapped->Internal = 0;
      overlapped->InternalHigh = 0;
      if (overlapped->hEvent != 0) SetEventState(kernel, overlapped->hEvent, true);
    }
    signalled_ = true;
    kernel.SetLastError(ERROR_SUCCESS);
    return TRUE;
  }

  unsigned long serial() const { return serial_; }
  bool pipe() const { return pipe_; }
  bool overlapped() const { return overlapped_; }
  unsigned plugCount() const { return plugCount_; }
  void Signal(bool signalled) { signalled_ = signalled; }

 private:
  std::shared_ptr<SimUsbPrinter> printer_;
  unsigned long serial_;
  bool pipe_;
  bool overlapped_;
  unsigned plugCount_;
  bool signalled_ = false;
};


// One transfer on the pipe, from its start to its completion.
struct SimUsbPrinter::Transfer {
  // The handle it was started on; weak, so that a transfer left pending does
  // not keep its handle and the printer alive for ever.
  unsigned long owner;  // the handle's serial number
  std::weak_ptr<Handle> handle;
  bool read;
  void* buffer;  // the caller's, written (a read) or read (a write) when the transfer completes
  DWORD size;
  OVERLAPPED* overlapped;  // the caller's, or null
  bool done = false;
  bool aborting = false;
  DWORD result = 0;  // the error it ended with
};

std::shared_ptr<SimUsbPrinter> SimUsbPrinter::Create(SimPc& pc, UsbPrinterSeed seed) {
  return std::make_shared<SimUsbPrinter>(pc.kernel(), pc.registry(), std::move(seed));
}

SimUsbPrinter::SimUsbPrinter(SimKernel& kernel, SimRegistry& registry, UsbPrinterSeed seed)
    : kernel_(kernel), registry_(registry), seed_(std::move(seed)) {}

SimUsbPrinter::~SimUsbPrinter() = default;

// --- Plug and Play ---

void SimUsbPrinter::PlugIn() {
  auto lock = kernel_.Lock();
  if (pluggedIn_) return;
  pluggedIn_ = true;
  ++plugCount_;
  std::string error;
  registry_.ImportRegText(RegText({UsbPrinterKeys(seed_)}), &error);
  UpdateServiceList(true);
  kernel_.AddDevice(DevicePath(), shared_from_this());
}

void SimUsbPrinter::PlugInAfter(DWORD milliseconds) {
  std::weak_ptr<SimUsbPrinter> weak = shared_from_this();
  kernel_.ScheduleIn(milliseconds, [weak] {
    if (auto printer = weak.lock()) printer->PlugIn();
  });
}

void SimUsbPrinter::Unplug() {
  auto lock = kernel_.Lock();
  if (!pluggedIn_) return;
  auto self = shared_from_this();  // the kernel's device table may hold the last reference
  pluggedIn_ = false;
  opensUntilUnplug_ = -1;
  kernel_.RemoveDevice(DevicePath());
  registry_.DeleteTree(HKEY_LOCAL_MACHINE, seed_.InterfaceKeyPath() + L"\\#\\Control");
  UpdateServiceList(false);
  Abort(nullptr, ERROR_DEVICE_NOT_CONNECTED);
}

void SimUsbPrinter::UnplugBeforeOpen(unsigned opensFromNow) {
  auto lock = kernel_.Lock();
  opensUntilUnplug_ = static_cast<long>(opensFromNow);
}

bool SimUsbPrinter::pluggedIn() const {
  auto lock = kernel_.Lock();
  return pluggedIn_;
}

// Services\usbprint\Enum: "Count" and the instance ids as "0", "1", ...
void SimUsbPrinter::UpdateServiceList(bool listed) {
  DWORD count = 0;
  registry_.GetDword(HKEY_LOCAL_MACHINE, kUsbPrintServiceEnumPath, L"Count", &count);
  std::vector<std::wstring> ids;
  for (DWORD i = 0; i < count; ++i) {
    std::wstring id;
    registry_.GetString(HKEY_LOCAL_MACHINE, kUsbPrintServiceEnumPath, std::to_wstring(i), &id);
    registry_.DeleteValue(HKEY_LOCAL_MACHINE, kUsbPrintServiceEnumPath, std::to_wstring(i));
    if (!SameText(id, seed_.InstanceId())) ids.push_back(id);
  }
  if (listed) ids.push_back(seed_.InstanceId());
  std::string error;
  registry_.ImportRegText(RegText({UsbPrintServiceKeys(ids)}), &error);
}

// --- Script and record ---

void SimUsbPrinter::SetReply(std::vector<BYTE> bytes) {
  auto lock = kernel_.Lock();
  reply_ = std::move(bytes);
}

void SimUsbPrinter::ScriptWrite(UsbTransfer transfer) {
  auto lock = kernel_.Lock();
  writeScript_.push_back(transfer);
}

void SimUsbPrinter::ScriptRead(UsbTransfer transfer) {
  auto lock = kernel_.Lock();
  readScript_.push_back(transfer);
}

std::vector<BYTE> SimUsbPrinter::ModelReply(const std::string& model, BYTE code) {
  std::vector<BYTE> reply(3, 0);
  reply.insert(reply.end(), model.begin(), model.end());
  reply.push_back(code);
  reply.push_back(0);
  return reply;
}

std::vector<std::vector<BYTE>> SimUsbPrinter::Writes() const {
  auto lock = kernel_.Lock();
  return writes_;
}

size_t SimUsbPrinter::WritesStarted() const {
  auto lock = kernel_.Lock();
  return writesStarted_;
}

size_t SimUsbPrinter::ReadsStarted() const {
  auto lock = kernel_.Lock();
  return readsStarted_;
}

std::vector<DWORD> SimUsbPrinter::ControlCodes() const {
  auto lock = kernel_.Lock();
  return controlCodes_;
}

size_t SimUsbPrinter::PendingTransfers() const {
  auto lock = kernel_.Lock();
  return pending_.size();
}

size_t SimUsbPrinter::DeviceOpens() const {
  auto lock = kernel_.Lock();
  return deviceOpens_;
}

size_t SimUsbPrinter::PipeOpens() const {
  auto lock = kernel_.Lock();
  return pipeOpens_;
}

size_t SimUsbPrinter::OpenHandles() const {
  auto lock = kernel_.Lock();
  return openHandles_;
}

// --- Opening ---

std::shared_ptr<SimIoObject> SimUsbPrinter::Open(const std::wstring& rest, DWORD access, DWORD share, DWORD flags,
                                                 DWORD* error) {
  auto lock = kernel_.Lock();
  auto self = shared_from_this();  // unplugging below drops the kernel's reference
  *error = ERROR_FILE_NOT_FOUND;
  if (opensUntilUnplug_ == 0) Unplug();
  if (!pluggedIn_) return nullptr;
  const bool pipe = !rest.empty();
  if (pipe && !SameText(rest, kPipeName)) return nullptr;
  if (opensUntilUnplug_ > 0) --opensUntilUnplug_;
  ++(pipe ? pipeOpens_ : deviceOpens_);
  ++openHandles_;
  return std::make_shared<Handle>(shared_from_this(), pipe, (flags & FILE_FLAG_OVERLAPPED) != 0, plugCount_);
}

bool SimUsbPrinter::Connected(const Handle& handle) const {
  return pluggedIn_ && handle.plugCount() == plugCount_;
}

// --- Transfers ---

BOOL SimUsbPrinter::Start(const std::shared_ptr<Handle>& handle, bool read, void* buffer, DWORD size, DWORD* done,
                          OVERLAPPED* overlapped) {
  if (done != nullptr) *done = 0;
  if (!Connected(*handle)) return kernel_.Fail(ERROR_DEVICE_NOT_CONNECTED);
  if (!handle->pipe()) return kernel_.Fail(ERROR_INVALID_FUNCTION);
  std::deque<UsbTransfer>& script = read ? readScript_ : writeScript_;
  UsbTransfer plan;
  if (!script.empty()) {
    plan = script.front();
    script.pop_front();
  }
  ++(read ? readsStarted_ : writesStarted_);
  const DWORD all = read ? static_cast<DWORD>(std::min<size_t>(size, reply_.size())) : size;
  const DWORD count = plan.bytes == UsbTransfer::kAll ? all : std::min(plan.bytes, size);
  const DWORD error = plan.outcome == UsbTransfer::Outcome::Fails ? plan.error : 0;

  auto transfer = std::make_shared<Transfer>(Transfer{handle->serial(), handle, read, buffer, size, overlapped});
  handle->Signal(false);
  if (overlapped != nullptr) {
    overlapped->Internal = kStatusPending;
    overlapped->InternalHigh = 0;
    if (overlapped->hEvent != 0) SetEventState(kernel_, overlapped->hEvent, false);
  }
  pending_.push_back(transfer);
  if (plan.outcome != UsbTransfer::Outcome::Never) {
    if (plan.delay == 0) {
      Finish(transfer, error, count);
    } else {
      std::weak_ptr<SimUsbPrinter> weak = shared_from_this();
      kernel_.ScheduleIn(plan.delay, [weak, transfer, error, count] {
        if (auto printer = weak.lock()) printer->Finish(transfer, error, count);
      });
    }
  }
  const bool waitsHere = !handle->overlapped() || overlapped == nullptr;
  if (!transfer->done && !waitsHere) return kernel_.Fail(ERROR_IO_PENDING);
  if (!transfer->done && !RunUntilDone(transfer)) {
    // Windows would wait for ever; the simulated PC says so instead.
    pending_.erase(std::find(pending_.begin(), pending_.end(), transfer));
    return kernel_.Fail(ERROR_POSSIBLE_DEADLOCK);
  }
  if (transfer->result != 0) return kernel_.Fail(transfer->result);
  if (done != nullptr) *done = count;
  kernel_.SetLastError(ERROR_SUCCESS);
  return TRUE;
}

void SimUsbPrinter::Finish(const std::shared_ptr<Transfer>& transfer, DWORD error, DWORD count) {
  auto lock = kernel_.Lock();
  if (transfer->done) return;
  transfer->done = true;
  transfer->result = error;
  pending_.erase(std::find(pending_.begin(), pending_.end(), transfer));
  if (error != 0) count = 0;
  auto* bytes = static_cast<BYTE*>(transfer->buffer);
  if (count > 0 && transfer->read) {
    const size_t fromReply = std::min<size_t>(count, reply_.size());
    if (fromReply > 0) std::memcpy(bytes, reply_.data(), fromReply);
    std::memset(bytes + fromReply, 0, count - fromReply);
  } else if (!transfer->read && error == 0) {
    writes_.emplace_back(bytes, bytes + count);
  }
  if (OVERLAPPED* overlapped = transfer->overlapped) {
    overlapped->Internal = error;
    overlapped->InternalHigh = count;
    if (overlapped->hEvent != 0) SetEventState(kernel_, overlapped->hEvent, true);
  }
  if (auto handle = transfer->handle.lock()) handle->Signal(true);
}

// Ends the pending transfers of one handle (or all) with error, when the clock next moves.
void SimUsbPrinter::Abort(const Handle* handle, DWORD error) {
  std::weak_ptr<SimUsbPrinter> weak = weak_from_this();
  for (const auto& transfer : pending_) {
    if ((handle != nullptr && transfer->owner != handle->serial()) || transfer->aborting) continue;
    transfer->aborting = true;
    kernel_.ScheduleIn(0, [weak, transfer, error] {
      if (auto printer = weak.lock()) printer->Finish(transfer, error, 0);
    });
  }
}

// Lets the virtual clock run until the transfer is done; false when nothing scheduled can end it.
bool SimUsbPrinter::RunUntilDone(const std::shared_ptr<Transfer>& transfer) {
  while (!transfer->done) {
    if (!kernel_.AdvanceToNextEvent(std::numeric_limits<std::uint64_t>::max())) return false;
  }
  return true;
}

std::shared_ptr<SimUsbPrinter::Transfer> SimUsbPrinter::PendingOn(const Handle* handle,
                                                                  const OVERLAPPED* overlapped) const {
  for (const auto& transfer : pending_) {
    if (transfer->owner == handle->serial() && transfer->overlapped == overlapped) return transfer;
  }
  return nullptr;
}

}  // namespace pf::sim
