// Writing the helper service program to disk, on the simulated PC with
// setup.exe's payload among its resources: what is written when, what is
// left alone, what counts as in place; and the service object that has no
// names to act on.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/platform.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_pc.h"
#include "platform/sim/sim_resources.h"
#include "platform/sim/sim_shell_folders.h"
#include "platform/unique_handle.h"
#include "setup/driver/payload.h"
#include "setup/install/helper_service.h"
#include "setup/install/service_control.h"
#include "tests/setup/install/install_env.h"

namespace install_test {
namespace {

class PayloadTest : public ::testing::Test {
 protected:
  PayloadTest() : payload_(PayloadBytes()) { pc_->resources().LoadModuleResources(TQ_INSTALL_RES_FILE); }
  void SetUp() override { ASSERT_GT(payload_.size(), 1000u); }

  std::string File(const std::wstring& path = kServiceExe) {
    std::string bytes = "<none>";
    pc_->files().ReadFileBytes(path, &bytes);
    return bytes;
  }
  // Extracts once with a fresh call record; the calls it made.
  bool Extract(std::vector<std::string>* calls = nullptr) {
    pc_->kernel().ClearCalls();
    const bool inPlace = ExtractHelperServiceProgram(L"Spoolmate.exe");
    if (calls) *calls = pc_->kernel().Calls();
    return inPlace;
  }
  static int Count(const std::vector<std::string>& calls, const char* name) {
    return static_cast<int>(std::count(calls.begin(), calls.end(), name));
  }

  pf::sim::ScopedSimPc pc_;
  const std::string payload_;
};

TEST_F(PayloadTest, ASecondExtractionFindsItsIdenticalCopyAndDoesNotRewriteIt) {
  std::vector<std::string> calls;
  ASSERT_TRUE(Extract(&calls));  // the folder and its parents are made
  EXPECT_TRUE(File() == payload_);
  EXPECT_EQ(Count(calls, "WriteFile"), 1);
  ASSERT_TRUE(Extract(&calls));
  EXPECT_TRUE(File() == payload_);
  EXPECT_EQ(Count(calls, "WriteFile"), 0);
  EXPECT_EQ(Count(calls, "ReadFile"), 1);
  EXPECT_EQ(pc_->kernel().OpenHandleCount(), 0u);
}

TEST_F(PayloadTest, AnotherFileIsReplacedAndOnlyOneOfTheSameSizeIsRead) {
  std::string sameSize = payload_;
  sameSize.back() ^= 0x5A;
  for (const std::string& old : {sameSize, std::string("MZ old Spoolmate"), payload_ + "tail"}) {
    pc_->files().WriteFileBytes(kServiceExe, old);
    std::vector<std::string> calls;
    EXPECT_TRUE(Extract(&calls));
    EXPECT_TRUE(File() == payload_);
    EXPECT_EQ(Count(calls, "ReadFile"), old.size() == payload_.size() ? 1 : 0) << old.size();
  }
}

// A copy that cannot be replaced (read-only, or the helper still running
// from an earlier install) stays and counts as in place.
TEST_F(PayloadTest, ACopyThatCannotBeReplacedStaysAndCountsAsInPlace) {
  pc_->files().WriteFileBytes(kServiceExe, "MZ old Spoolmate");
  pc_->files().SetReadOnly(kServiceExe);
  EXPECT_TRUE(Extract());
  EXPECT_EQ(File(), "MZ old Spoolmate");

  pc_->files().SetReadOnly(kServiceExe, false);
  pf::UniqueFile running(pf::CreateFileW(kServiceExe.c_str(), pf::GENERIC_READ, pf::FILE_SHARE_READ,
                                         pf::OPEN_EXISTING, pf::FILE_ATTRIBUTE_NORMAL));
  ASSERT_TRUE(running);
  EXPECT_TRUE(Extract());
  EXPECT_EQ(File(), "MZ old Spoolmate");
}

TEST_F(PayloadTest, NothingInPlaceIsFalse) {
  // A file where the folder should be: neither the folder nor the program can be made.
  pc_->files().WriteFileBytes(kServiceFolder, "not a folder");
  EXPECT_FALSE(Extract());
  pc_->files().DeleteFileW(kServiceFolder.c_str());

  // A write cut short leaves no usable program, new or replaced.
  pc_->kernel().FailCall("WriteFile", 112);  // ERROR_DISK_FULL
  EXPECT_FALSE(Extract());
  pc_->files().WriteFileBytes(kServiceExe, "MZ old Spoolmate");
  EXPECT_FALSE(Extract());
  pc_->kernel().ClearFaults();
  pc_->files().DeleteFileW(kServiceExe.c_str());

  // A build without the payload writes nothing; nor does a PC that cannot
  // tell where its common files are.
  pc_->resources().SetModuleResources({});
  EXPECT_FALSE(Extract());
  EXPECT_FALSE(pc_->files().Exists(kServiceExe));
  pc_->resources().LoadModuleResources(TQ_INSTALL_RES_FILE);
  pc_->shellFolders().SetSpecialFolder(pf::CSIDL_PROGRAM_FILES_COMMON, L"");
  EXPECT_FALSE(Extract());
  EXPECT_EQ(GetServiceBinaryPath(L"Spoolmate.exe"), L"");
  EXPECT_FALSE(pc_->files().Exists(kServiceExe));
}

TEST_F(PayloadTest, ACommonFilesFolderEndingInABackslashGetsNoSecondOne) {
  pc_->shellFolders().SetSpecialFolder(pf::CSIDL_PROGRAM_FILES_COMMON, L"C:\\Shared\\");
  EXPECT_EQ(GetServiceBinaryPath(L"Spoolmate.exe"), L"C:\\Shared\\Services\\Spoolmate.exe");
  EXPECT_TRUE(Extract());
  EXPECT_TRUE(File(L"C:\\Shared\\Services\\Spoolmate.exe") == payload_);
  pc_->shellFolders().SetSpecialFolder(pf::CSIDL_PROGRAM_FILES_COMMON, L"C:\\Shared");
  EXPECT_EQ(GetServiceBinaryPath(L"Spoolmate.exe"), L"C:\\Shared\\Services\\Spoolmate.exe");
}

TEST_F(PayloadTest, AServiceObjectWithoutNamesFailsEveryOperationWithoutAServiceCall) {
  {
    ServiceControl service;
    pc_->kernel().ClearCalls();
    EXPECT_FALSE(service.Create());
    EXPECT_FALSE(service.Start());
    EXPECT_FALSE(service.Stop());
    EXPECT_FALSE(service.Delete());
    service.SetServiceName(L"Printer Helper");  // still no display name or program
    EXPECT_FALSE(service.Create());
    EXPECT_TRUE(pc_->kernel().Calls().empty());
  }
  EXPECT_EQ(pc_->kernel().OpenHandleCount(), 0u);  // the manager handle went with it
}

}  // namespace
}  // namespace install_test
