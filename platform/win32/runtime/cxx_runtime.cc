// The C++ runtime's error paths in the shipped Windows programs, linked as an
// object file ahead of libstdc++ so that its definitions are the ones used.
//
// Two defaults of the static libstdc++ cost a shipped program far more than
// they give it:
// - The default terminate handler demangles the type name of an uncaught
//   exception to print it on stderr, which a windowed program or a service
//   does not have; it brings the demangler and the C library's printf
//   (about 60 KB).
// - The helpers that the library's headers call to throw (a std::string that
//   would grow past max_size(), a vector index out of range, ...) build
//   std::length_error and its kin, whose messages are copy-on-write strings;
//   they bring a second, prebuilt string class and every exception class of
//   the library (about 70 KB).
// Here termination still ends the process with abort(), and every helper
// fails the way the program's form of cxx_runtime.h says: it still throws
// where the window procedures' catch stops exceptions (only the thrown object
// is lighter; std::bad_alloc stays std::bad_alloc), and it ends the process
// in a program built without exceptions.
//
// A program that calls a library part which needs one of the replaced
// library objects (for example std::system_category, for <system_error>) fails
// to link with "multiple definition of std::__throw_...": that part then
// costs the size above, and wants a look first.
#include <cstdarg>
#include <cstdlib>

#include "platform/win32/runtime/cxx_runtime.h"

using tq_runtime::AllocationFailure;
using tq_runtime::LibraryFailure;

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx

namespace std {

void __throw_bad_alloc() { AllocationFailure(); }
void __throw_bad_array_new_length() { AllocationFailure(); }
void __throw_bad_exception() { LibraryFailure("bad exception"); }
void __throw_bad_cast() { LibraryFailure("bad cast"); }
void __throw_bad_typeid() { LibraryFailure("bad typeid"); }
void __throw_logic_error(const char* what) { LibraryFailure(what); }
void __throw_domain_error(const char* what) { LibraryFailure(what); }
void __throw_invalid_argument(const char* what) { LibraryFailure(what); }
void __throw_length_error(const char* what) { LibraryFailure(what); }
void __throw_out_of_range(const char* what) { LibraryFailure(what); }
// The library's formats open with "%s", the name of the failing function,
// which becomes the message; the index and size after it are left out.
void __throw_out_of_range_fmt(const char* format, ...) {
  const char* what = format;
  if (format && format[0] == '%' && format[1] == 's') {
    va_list arguments;
    va_start(arguments, format);
    what = va_arg(arguments, const char*);
    va_end(arguments);
  }
  LibraryFailure(what);
}
void __throw_runtime_error(const char* what) { LibraryFailure(what); }
void __throw_range_error(const char* what) { LibraryFailure(what); }
void __throw_overflow_error(const char* what) { LibraryFailure(what); }
void __throw_underflow_error(const char* what) { LibraryFailure(what); }
void __throw_system_error(int) { LibraryFailure("system error"); }

}  // namespace std
