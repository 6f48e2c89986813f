#include "setup/driver/platform_version.h"

#include <cstring>

#include "platform/platform.h"

namespace {

struct PlatformVersion {
  std::uint32_t majorVersion = 0;
};

PlatformVersion& ThePlatformVersion() {
  static PlatformVersion version;
  return version;
}

}  // namespace

void ProbePlatform() {
  PlatformVersion& version = ThePlatformVersion();
  version.majorVersion = 0;
  pf::OSVERSIONINFOW info;
  std::memset(&info, 0, sizeof(info));
  info.dwOSVersionInfoSize = sizeof(pf::OSVERSIONINFOW);
  if (!pf::GetVersionExW(&info)) return;
  if (info.dwPlatformId == pf::VER_PLATFORM_WIN32_NT) version.majorVersion = info.dwMajorVersion;
}

std::uint32_t GetMajorVersion() { return ThePlatformVersion().majorVersion; }

bool RunsUnderWow64() {
  pf::BOOL wow64 = pf::FALSE;
  return pf::IsWow64Process(pf::GetCurrentProcess(), &wow64) && wow64;
}
