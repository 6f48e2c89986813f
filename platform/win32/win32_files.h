// The files group of the win32 backend: the real Win32 calls.
#pragma once

#include "platform/files.h"

namespace pf::win32 {

FileApi& FilesGroup();

}  // namespace pf::win32
