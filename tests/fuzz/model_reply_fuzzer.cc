// The USB model-reply parser, and the whole model query on a simulated
// printer that answers with the input: the first byte picks when the read
// completes (at once, late, after the query's one-second wait, or never),
// the second how many bytes it moves, the rest are the reply.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/sim_pc.h"
#include "platform/sim/sim_usb_printer.h"
#include "setup/devices/usb_model_query.h"

namespace {

// The parser reads nothing beyond index 25: changing the rest of the buffer
// changes nothing; a model found is the bytes before its end, without NULs.
void CheckParser(const std::uint8_t* data, std::size_t size) {
  ModelReplyBuffer reply{};
  for (std::size_t i = 0; i < size && i < reply.size(); ++i) reply[i] = data[i];
  const ModelReply parsed = ParseModelReply(reply);
  ModelReplyBuffer changed = reply;
  for (std::size_t i = 26; i < changed.size(); ++i) changed[i] = static_cast<pf::BYTE>(~changed[i]);
  const ModelReply again = ParseModelReply(changed);
  if (again.terminated != parsed.terminated || again.model != parsed.model || again.code != parsed.code) std::abort();
  if (parsed.model.size() > 22 || parsed.model.find(L'\0') != std::wstring::npos) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckParser(data, size);
  if (size < 2) return 0;
  using pf::sim::UsbTransfer;
  const pf::DWORD delays[] = {0, 20, 999, 1001, 5000};
  const std::uint8_t when = data[0];
  const pf::DWORD bytes = data[1] == 0xFF ? UsbTransfer::kAll : data[1];

  pf::sim::ScopedSimPc pc;
  auto printer = pf::sim::SimUsbPrinter::Create(pc.pc(), pf::sim::UsbPrinterSeed());
  printer->PlugIn();
  printer->SetReply(std::vector<pf::BYTE>(data + 2, data + size));
  printer->ScriptRead(when % 6 == 5 ? UsbTransfer::Never() : UsbTransfer::After(delays[when % 6 % 5], bytes));
  std::wstring model;
  std::uint32_t code = 0;
  QueryUsbModel(&model, &code);
  // A transfer the query left behind would complete into its freed buffer.
  pc->kernel().AdvanceClock(10000);
  return 0;
}
