#include "common/res/res_reader.h"

namespace res {
namespace {

class Cursor {
 public:
  Cursor(const std::vector<uint8_t>& b, size_t begin, size_t end) : b_(b), pos_(begin), begin_(begin), end_(end) {}
  bool ok() const { return ok_; }
  size_t pos() const { return pos_; }
  uint16_t U16() {
    if (pos_ + 2 > end_) { ok_ = false; return 0; }
    uint16_t v = static_cast<uint16_t>(b_[pos_] | (b_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
  }
  uint32_t U32() { uint32_t lo = U16(); return lo | (static_cast<uint32_t>(U16()) << 16); }
  uint8_t U8() {
    if (pos_ + 1 > end_) { ok_ = false; return 0; }
    return b_[pos_++];
  }
  std::u16string Sz() {
    std::u16string s;
    for (char16_t c = U16(); ok_ && c != 0; c = U16()) s.push_back(c);
    return s;
  }
  Id SzOrOrd() {
    Id id;
    uint16_t first = U16();
    if (first == 0xFFFF) { id.ordinal = U16(); return id; }
    if (first != 0) { id.text.push_back(first); id.text += Sz(); }
    return id;
  }
  void Align4() { pos_ = begin_ + ((pos_ - begin_ + 3) & ~size_t{3}); if (pos_ > end_) ok_ = false; }
  void Skip(size_t n) { pos_ += n; if (pos_ > end_) ok_ = false; }

 private:
  const std::vector<uint8_t>& b_;
  size_t pos_, begin_, end_;
  bool ok_ = true;
};

}  // namespace

bool ParseResFile(const std::vector<uint8_t>& bytes, std::vector<Entry>* entries) {
  size_t pos = 0;
  while (pos < bytes.size()) {
    Cursor c(bytes, pos, bytes.size());
    uint32_t data_size = c.U32();
    uint32_t header_size = c.U32();
    Entry e;
    e.type = c.SzOrOrd();
    e.name = c.SzOrOrd();
    c.Align4();
    c.U32();  // data version
    c.U16();  // memory flags
    e.language = c.U16();
    if (!c.ok() || header_size < 32 || pos + header_size + data_size > bytes.size()) return false;
    size_t data = pos + header_size;
    e.data.assign(bytes.begin() + data, bytes.begin() + data + data_size);
    if (!(e.type.ordinal == 0 && e.type.text.empty())) entries->push_back(std::move(e));
    pos = (data + data_size + 3) & ~size_t{3};
  }
  return true;
}

bool ParseDialog(const std::vector<uint8_t>& data, Dialog* d) {
  Cursor c(data, 0, data.size());
  uint16_t version = c.U16();
  bool ex = c.U16() == 0xFFFF && version == 1;
  Cursor h(data, 0, data.size());
  if (ex) { h.Skip(8); h.U32(); d->style = h.U32(); }
  else { d->style = h.U32(); h.U32(); }
  uint16_t count = h.U16();
  d->x = h.U16(); d->y = h.U16(); d->cx = h.U16(); d->cy = h.U16();
  h.SzOrOrd();  // menu
  h.SzOrOrd();  // class
  d->caption = h.Sz();
  constexpr uint32_t kSetFont = 0x40;
  if (d->style & kSetFont) {
    d->point_size = h.U16();
    if (ex) { h.U16(); h.U8(); h.U8(); }
    d->font = h.Sz();
  }
  for (uint16_t i = 0; i < count && h.ok(); ++i) {
    h.Align4();
    DialogItem item;
    if (ex) { h.U32(); h.U32(); item.style = h.U32(); }
    else { item.style = h.U32(); h.U32(); }
    item.x = h.U16(); item.y = h.U16(); item.cx = h.U16(); item.cy = h.U16();
    item.id = ex ? h.U32() : h.U16();
    item.window_class = h.SzOrOrd();
    item.text = h.SzOrOrd();
    h.Skip(h.U16());
    d->items.push_back(std::move(item));
  }
  return h.ok();
}

bool ParseStringBlock(uint16_t block_name, const std::vector<uint8_t>& data,
                      std::map<uint16_t, std::u16string>* strings) {
  Cursor c(data, 0, data.size());
  for (int i = 0; i < 16; ++i) {
    uint16_t length = c.U16();
    std::u16string s;
    for (uint16_t k = 0; k < length; ++k) s.push_back(c.U16());
    if (!c.ok()) return false;
    if (length != 0) (*strings)[static_cast<uint16_t>((block_name - 1) * 16 + i)] = s;
  }
  return true;
}

const Entry* FindEntry(const std::vector<Entry>& entries, uint16_t type, uint16_t name) {
  for (const Entry& e : entries)
    if (e.type.text.empty() && e.type.ordinal == type && e.name.text.empty() && e.name.ordinal == name) return &e;
  return nullptr;
}

}  // namespace res
