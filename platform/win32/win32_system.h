// The system group of the win32 backend: the real Win32 calls.
#pragma once

#include "platform/system.h"

namespace pf::win32 {

SystemApi& SystemGroup();

}  // namespace pf::win32
