// The process start group of the win32 backend: the real Win32 calls.
#pragma once

#include "platform/process.h"

namespace pf::win32 {

ProcessApi& ProcessGroup();

}  // namespace pf::win32
