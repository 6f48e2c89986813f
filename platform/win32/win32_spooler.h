// The print spooler, profile and broadcast group of the win32 backend: the real Win32 calls.
#pragma once

#include "platform/spooler.h"

namespace pf::win32 {

SpoolerApi& SpoolerGroup();

}  // namespace pf::win32
