// How a shipped Windows program fails inside the C++ library (see
// cxx_runtime.cc). Two forms, one linked into each program:
// cxx_runtime_throw.cc for programs that catch exceptions (setup, whose
// window procedures stop them), cxx_runtime_abort.cc for programs built
// without exceptions (Spoolmate), where any such failure ends the process.
#pragma once

namespace tq_runtime {

// A failure the library reports with an exception of the logic_error or
// runtime_error kind; `what` is the library's text (a function's name).
[[noreturn]] void LibraryFailure(const char* what);
// Memory that cannot be had (std::bad_alloc and its kin).
[[noreturn]] void AllocationFailure();

}  // namespace tq_runtime
