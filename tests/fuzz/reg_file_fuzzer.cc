// The simulated PC's .reg reader: the input is a .reg file (UTF-16LE with its
// mark, or UTF-8) imported into a fresh registry. What imports must export,
// and the export must import again into the same tree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/sim/reg_file.h"
#include "platform/sim/sim_pc.h"
#include "platform/sim/sim_registry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::vector<pf::sim::RegFileOp> ops;
  std::string error;
  pf::sim::ParseRegFile(pf::sim::RegFileToUtf8(bytes), &ops, &error);

  pf::sim::ScopedSimPc first;
  if (!first->registry().ImportRegText(bytes, &error)) return 0;
  for (pf::HKEY root : {pf::HKEY_LOCAL_MACHINE, pf::HKEY_CURRENT_USER}) {
    const std::string exported = first->registry().ExportRegText(root, L"");
    pf::sim::ScopedSimPc second;
    if (!second->registry().ImportRegText(exported, &error)) std::abort();  // an export that does not import
    if (second->registry().ExportRegText(root, L"") != exported) std::abort();  // a tree that changes on the way
  }
  return 0;
}
