// BufferPacker: lays out what a Win32 call returns in the caller's buffer
// when the answer is fixed records whose pointers point at variable parts
// (strings, device modes, a device path) in the same buffer, as
// EnumPrintersW, GetPrinterW and SetupDiGetDeviceInterfaceDetailW do.
//
// Use it twice: first without a buffer to learn the size needed, then, when
// the caller's buffer is large enough, with the buffer to fill it. Fixed
// parts come first, variable parts after them, each aligned for its type:
// call ReserveFixed with the size of all fixed records before the first
// Fixed, then fill the records in any order.
#pragma once

#include <cstddef>
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/types.h"

namespace pf::sim {

class BufferPacker {
 public:
  // buffer null: measure only.
  BufferPacker(BYTE* buffer, std::size_t size) : buffer_(buffer), size_(size) {}

  // The next fixed record of type T, zeroed; null when measuring.
  template <typename T>
  T* Fixed() {
    return static_cast<T*>(Reserve(sizeof(T), alignof(T)));
  }
  // Reserves the fixed parts of all records first, so that the variable
  // parts added while the records are filled in come after them.
  void ReserveFixed(std::size_t bytes) { fixedEnd_ = Align(bytes, alignof(std::max_align_t)); }

  // A copy of the text with its NUL; null when measuring.
  wchar_t* String(const std::wstring& text) {
    auto* copy = static_cast<wchar_t*>(Variable((text.size() + 1) * sizeof(wchar_t), alignof(wchar_t)));
    if (copy != nullptr) {
      std::memcpy(copy, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    }
    return copy;
  }
  // A copy of size bytes aligned for T; null when measuring.
  template <typename T>
  T* Bytes(const void* data, std::size_t size) {
    void* copy = Variable(size, alignof(T));
    if (copy != nullptr && size > 0) std::memcpy(copy, data, size);
    return static_cast<T*>(copy);
  }

  // Bytes the whole answer takes.
  DWORD needed() const { return static_cast<DWORD>(std::max(used_, fixedEnd_)); }
  bool measuring() const { return buffer_ == nullptr; }

 private:
  static std::size_t Align(std::size_t offset, std::size_t alignment) {
    return (offset + alignment - 1) / alignment * alignment;
  }
  void* Reserve(std::size_t bytes, std::size_t alignment) {
    const std::size_t at = Align(fixedUsed_, alignment);
    fixedUsed_ = at + bytes;
    used_ = std::max(used_, fixedUsed_);
    return Place(at, bytes);
  }
  void* Variable(std::size_t bytes, std::size_t alignment) {
    const std::size_t at = Align(std::max({used_, fixedEnd_, fixedUsed_}), alignment);
    used_ = at + bytes;
    return Place(at, bytes);
  }
  void* Place(std::size_t at, std::size_t bytes) {
    if (buffer_ == nullptr || at + bytes > size_) return nullptr;
    std::memset(buffer_ + at, 0, bytes);
    return buffer_ + at;
  }

  BYTE* buffer_;
  std::size_t size_;
  std::size_t fixedEnd_ = 0;   // end of the reserved fixed area
  std::size_t fixedUsed_ = 0;  // fixed records handed out so far
  std::size_t used_ = 0;       // end of everything handed out so far
};

}  // namespace pf::sim
