// The SetupAPI group of the win32 backend: the real SETUPAPI.DLL calls.
#pragma once

#include "platform/setupapi.h"

namespace pf::win32 {

SetupApi& SetupApiGroup();

}  // namespace pf::win32
