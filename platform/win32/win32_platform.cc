#include "platform/platform.h"
#include "platform/win32/win32_codepages.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_setupapi.h"
#include "platform/win32/win32_sync.h"
#include "platform/win32/win32_system.h"

namespace pf {

// The Windows programs run on the real system.
Platform& DefaultPlatform() {
  static Platform platform = [] {
    Platform real;
    real.registry = &win32::RegistryGroup();
    real.files = &win32::FilesGroup();
    real.codePages = &win32::CodePagesGroup();
    real.system = &win32::SystemGroup();
    real.services = &win32::ServicesGroup();
    real.sync = &win32::SyncGroup();
    real.setupApi = &win32::SetupApiGroup();
    return real;
  }();
  return platform;
}

}  // namespace pf
