// The own resources group of the win32 backend: the real Win32 calls.
#pragma once

#include "platform/resources.h"

namespace pf::win32 {

ResourceApi& ResourcesGroup();

}  // namespace pf::win32
