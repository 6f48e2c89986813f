// The service control manager group of the win32 backend.
#pragma once

#include "platform/services.h"

namespace pf::win32 {

ServiceApi& ServicesGroup();

}  // namespace pf::win32
