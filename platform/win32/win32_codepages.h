// The codepages group of the win32 backend: the real Win32 calls.
#pragma once

#include "platform/codepages.h"

namespace pf::win32 {

CodePageApi& CodePagesGroup();

}  // namespace pf::win32
