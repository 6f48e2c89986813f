// The .res reader: the input as a whole .res file, each entry's dialog
// template and string block decoded; and the input itself as a dialog
// template and as a string block, the way the headless windows hand them on.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "common/res/res_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  std::vector<res::Entry> entries;
  if (res::ParseResFile(bytes, &entries)) {
    std::map<std::uint16_t, std::u16string> strings;
    for (const res::Entry& entry : entries) {
      if (entry.type.ordinal == res::kTypeDialog) {
        res::Dialog dialog;
        res::ParseDialog(entry.data, &dialog);
      } else if (entry.type.ordinal == res::kTypeStringTable) {
        res::ParseStringBlock(entry.name.ordinal, entry.data, &strings);
      }
      res::FindEntry(entries, entry.type.ordinal, entry.name.ordinal);
    }
  }
  res::Dialog dialog;
  res::ParseDialog(bytes, &dialog);
  std::map<std::uint16_t, std::u16string> strings;
  res::ParseStringBlock(size > 0 ? static_cast<std::uint16_t>(data[0]) : 1, bytes, &strings);
  return 0;
}
