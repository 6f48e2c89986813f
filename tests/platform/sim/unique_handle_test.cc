// The one handle owner, on the simulated PC: each kind's invalid value,
// exactly one close, and the last error kept across it.
#include "platform/unique_handle.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/sim/sim_files.h"
#include "platform/sim/sim_pc.h"

namespace pf::sim {
namespace {

class UniqueHandleTest : public ::testing::Test {
 protected:
  size_t Open(ObjectKind kind) { return pc_->kernel().OpenHandleCount(kind); }
  ScopedSimPc pc_;
};

TEST_F(UniqueHandleTest, ClosesOnceWhenItGoesIsResetOrIsMovedOnto) {
  {
    UniqueKernelHandle first(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    UniqueKernelHandle second(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(Open(ObjectKind::Event), 2u);
    const HANDLE moved = second.get();
    first = std::move(second);  // closes what first held, takes second's
    EXPECT_EQ(Open(ObjectKind::Event), 1u);
    EXPECT_EQ(first.get(), moved);
    EXPECT_FALSE(second);
    UniqueKernelHandle third(std::move(first));
    EXPECT_EQ(third.get(), moved);
    EXPECT_EQ(Open(ObjectKind::Event), 1u);
  }
  EXPECT_EQ(Open(ObjectKind::Event), 0u);

  // release hands the handle over without closing it.
  UniqueKernelHandle owner(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  const HANDLE released = owner.release();
  EXPECT_FALSE(owner);
  owner.reset();
  EXPECT_EQ(Open(ObjectKind::Event), 1u);
  EXPECT_TRUE(CloseHandle(released));
}

TEST_F(UniqueHandleTest, KeepsEachKindsInvalidValueApart) {
  pc_->files().MakeFolder(L"C:\\f");
  UniqueFile missing(CreateFileW(L"C:\\f\\none", GENERIC_READ, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
  EXPECT_FALSE(missing);
  EXPECT_EQ(missing.get(), INVALID_HANDLE_VALUE);
  UniqueFile file(CreateFileW(L"C:\\f\\a", GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(file);
  UniqueKernelHandle noEvent;
  EXPECT_EQ(noEvent.get(), 0u);
  UniqueKey key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\K", 0, KEY_ALL_ACCESS, key.put(), nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(Open(ObjectKind::RegistryKey), 1u);
  // put() closes what is held before handing out the slot.
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\K", 0, KEY_READ, key.put()), ERROR_SUCCESS);
  EXPECT_EQ(Open(ObjectKind::RegistryKey), 1u);
  pc_->kernel().ClearCalls();
  missing.reset();
  noEvent.reset();
  EXPECT_TRUE(pc_->kernel().Calls().empty());  // nothing to close for an invalid value
  file.reset();
  key.reset();
  EXPECT_EQ(pc_->kernel().Calls(), (std::vector<std::string>{"CloseHandle", "RegCloseKey"}));
}

TEST_F(UniqueHandleTest, ClosingKeepsTheLastErrorOfTheCallThatFailed) {
  UniqueFile file(CreateFileW(L"C:\\x", GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL));
  ASSERT_TRUE(file);
  pc_->kernel().FailCall("CloseHandle", ERROR_GEN_FAILURE);  // the close itself fails too
  SetLastError(ERROR_SHARING_VIOLATION);
  file.reset();
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
}

}  // namespace
}  // namespace pf::sim
