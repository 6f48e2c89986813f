// Reader of compiled Win32 resource files (.res): entries, dialog templates
// (DLGTEMPLATE and DLGTEMPLATEEX) and string table blocks. Portable C++.
#ifndef TQ_COMMON_RES_RES_READER_H_
#define TQ_COMMON_RES_RES_READER_H_

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace res {

constexpr uint16_t kTypeBitmap = 2;
constexpr uint16_t kTypeDialog = 5;
constexpr uint16_t kTypeStringTable = 6;
constexpr uint16_t kTypeVersion = 16;
constexpr uint16_t kTypeManifest = 24;
constexpr uint32_t kStyleVisible = 0x10000000;
constexpr uint32_t kStyleChild = 0x40000000;

// A type or name: an ordinal when `text` is empty and `ordinal` non-zero.
struct Id {
  uint16_t ordinal = 0;
  std::u16string text;
};

struct Entry {
  Id type;
  Id name;
  uint16_t language = 0;
  std::vector<uint8_t> data;
};

struct DialogItem {
  uint32_t id = 0;
  uint32_t style = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  Id window_class;  // ordinal 0x80 button, 0x81 edit, 0x82 static, ...
  Id text;
};

struct Dialog {
  uint32_t style = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  std::u16string caption;
  uint16_t point_size = 0;
  std::u16string font;
  std::vector<DialogItem> items;
};

// Splits a .res image into its entries (the leading empty entry is dropped).
bool ParseResFile(const std::vector<uint8_t>& bytes, std::vector<Entry>* entries);
// Decodes a dialog template of either form.
bool ParseDialog(const std::vector<uint8_t>& data, Dialog* dialog);
// Adds the non-empty strings of block `block_name` (ids 16*(n-1) ...) to `strings`.
bool ParseStringBlock(uint16_t block_name, const std::vector<uint8_t>& data,
                      std::map<uint16_t, std::u16string>* strings);
// The entry of an ordinal type and name, or null.
const Entry* FindEntry(const std::vector<Entry>& entries, uint16_t type, uint16_t name);

}  // namespace res

#endif  // TQ_COMMON_RES_RES_READER_H_
