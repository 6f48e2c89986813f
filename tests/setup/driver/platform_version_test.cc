#include "setup/driver/platform_version.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_pc.h"
#include "platform/sim/sim_system.h"

namespace {

TEST(ProbePlatformTest, OnlyNtFamilyCounts) {
  struct Case {
    pf::DWORD major, platformId, expected;
  } cases[] = {{4, pf::VER_PLATFORM_WIN32_NT, 4}, {5, pf::VER_PLATFORM_WIN32_NT, 5},
               {6, pf::VER_PLATFORM_WIN32_NT, 6}, {4, pf::VER_PLATFORM_WIN32_WINDOWS, 0}};
  for (const Case& c : cases) {
    pf::sim::ScopedSimPc pc;
    pc->system().SetVersion(c.major, 1, 2600, c.platformId);
    ProbePlatform();
    EXPECT_EQ(GetMajorVersion(), c.expected) << c.major << "/" << c.platformId;
  }
}

TEST(ProbePlatformTest, FailingQueryResetsToZero) {
  pf::sim::ScopedSimPc pc;
  pc->system().SetVersion(6, 1, 7601, pf::VER_PLATFORM_WIN32_NT);
  ProbePlatform();
  ASSERT_EQ(GetMajorVersion(), 6u);
  pc->system().SetGetVersionFails(true);
  ProbePlatform();
  EXPECT_EQ(GetMajorVersion(), 0u);
}

}  // namespace
