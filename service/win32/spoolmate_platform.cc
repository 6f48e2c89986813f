// The platform of Spoolmate.exe: only the groups it calls (registry, files,
// system, services, kernel objects), so that the others' code and their
// system DLLs stay out of the program that setup.exe carries. A call to a
// group left out would reach a null group and end the program; the native
// tests run Spoolmate on the whole simulated PC, and under Wine
// (tests/service/wine_spoolmate.sh) each verb and the service run on this one.
#include "platform/platform.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_sync.h"
#include "platform/win32/win32_system.h"

namespace pf {

Platform& DefaultPlatform() {
  static Platform platform = [] {
    Platform real;
    real.registry = &win32::RegistryGroup();
    real.files = &win32::FilesGroup();
    real.system = &win32::SystemGroup();
    real.services = &win32::ServicesGroup();
    real.sync = &win32::SyncGroup();
    return real;
  }();
  return platform;
}

}  // namespace pf
