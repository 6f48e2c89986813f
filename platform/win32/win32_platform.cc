#include "platform/platform.h"
#include "platform/win32/win32_codepages.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_system.h"

namespace pf {

// The Windows programs run on the real system.
Platform& DefaultPlatform() {
  static Platform platform{&win32::RegistryGroup(), &win32::FilesGroup(), &win32::CodePagesGroup(), &win32::SystemGroup(),
                           &win32::ServicesGroup()};
  return platform;
}

}  // namespace pf
