// The shell folders group of the win32 backend: the real Win32 calls.
#pragma once

#include "platform/shell_folders.h"

namespace pf::win32 {

ShellFolderApi& ShellFoldersGroup();

}  // namespace pf::win32
