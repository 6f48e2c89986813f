// The kernel objects group of the win32 backend: the real Win32 calls.
#pragma once

#include "platform/sync.h"

namespace pf::win32 {

SyncApi& SyncGroup();

}  // namespace pf::win32
