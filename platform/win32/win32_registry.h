// The registry group of the real Windows platform.
#pragma once

#include "platform/registry.h"

namespace pf::win32 {
RegistryApi& RegistryGroup();
}
