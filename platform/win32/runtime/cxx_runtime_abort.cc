// The library's failures end the process, for programs built without
// exceptions (cxx_runtime.h). Nothing in such a program could catch one, so
// an uncaught exception would end it the same way; without exceptions it
// carries no unwinder and no exception support (about 55 KB with the POSIX
// threads they need).
//
// operator new is replaced for the same reason (the standard lets a program
// replace it): the library's throws std::bad_alloc. This one asks the new
// handler for memory as the library's does, and ends the process when there
// is none.
#include <cstdlib>
#include <new>

#include "platform/win32/runtime/cxx_runtime.h"

namespace tq_runtime {

void LibraryFailure(const char*) { std::abort(); }
void AllocationFailure() { std::abort(); }

}  // namespace tq_runtime

namespace {

// Memory for operator new and new[]. An array new whose size overflows asks
// for SIZE_MAX on purpose, so that it fails.
void* Allocate(std::size_t size) {
  for (;;) {
    if (void* memory = std::malloc(size ? size : 1)) return memory;
    std::new_handler handler = std::get_new_handler();
    if (!handler) tq_runtime::AllocationFailure();
    handler();
  }
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
