// The library's failures as exceptions, for programs whose window procedures
// catch them (cxx_runtime.h).
#include <exception>
#include <new>

#include "platform/win32/runtime/cxx_runtime.h"

namespace tq_runtime {
namespace {

// What LibraryFailure throws: the text the library passes, no copy.
class LibraryError : public std::exception {
 public:
  explicit LibraryError(const char* what) : what_(what ? what : "C++ library error") {}
  const char* what() const noexcept override { return what_; }

 private:
  const char* what_;
};

}  // namespace

void LibraryFailure(const char* what) { throw LibraryError(what); }
void AllocationFailure() { throw std::bad_alloc(); }

}  // namespace tq_runtime
