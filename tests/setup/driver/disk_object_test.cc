#include "setup/driver/disk_object.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/platform.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_pc.h"

namespace {

std::wstring Cwd() {
  wchar_t buffer[300] = {};
  pf::GetCurrentDirectoryW(300, buffer);
  return buffer;
}

class DiskObjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pc_->files().MakeFolder(L"C:\\Work\\Sub"));
    ASSERT_TRUE(pc_->files().WriteFileBytes(L"C:\\Work\\a.txt", "x"));
    ASSERT_TRUE(pf::SetCurrentDirectoryW(L"C:\\Work\\Sub"));
  }
  pf::sim::ScopedSimPc pc_;
  CDiskObject disk_;
};

TEST_F(DiskObjectTest, QualifiesRelativePaths) {
  std::wstring path = L"..\\a.txt";
  EXPECT_TRUE(disk_.QualifyFilePath(&path));
  EXPECT_EQ(path, L"C:\\Work\\a.txt");
  path = L"../../x/y.txt";
  EXPECT_TRUE(disk_.QualifyFilePath(&path));
  EXPECT_EQ(path, L"C:\\x\\y.txt");
  path = L"\\top\\f.txt";
  EXPECT_TRUE(disk_.QualifyFilePath(&path));
  EXPECT_EQ(path, L"C:\\top\\f.txt");
  path = L"f.txt";
  EXPECT_TRUE(disk_.QualifyFilePath(&path));
  EXPECT_EQ(path, L"C:\\Work\\Sub\\f.txt");
  path = L"\\\\srv\\share\\f.txt";
  EXPECT_TRUE(disk_.QualifyFilePath(&path));
  EXPECT_EQ(path, L"\\\\srv\\share\\f.txt");
  path = L"C:\\d\\*.txt";
  EXPECT_FALSE(disk_.QualifyFilePath(&path));
  path = L"C:/d";
  EXPECT_TRUE(disk_.QualifyDirectoryPath(&path));
  EXPECT_EQ(path, L"C:\\d\\");
  EXPECT_EQ(Cwd(), L"C:\\Work\\Sub");
}

TEST_F(DiskObjectTest, ExistenceTestsKeepTheCurrentDirectory) {
  EXPECT_TRUE(disk_.FileExists(L"C:/Work/a.txt"));
  EXPECT_TRUE(disk_.FileExists(L"..\\a.txt"));
  EXPECT_FALSE(disk_.FileExists(L"C:\\Work\\*.txt"));
  EXPECT_FALSE(disk_.FileExists(L"C:\\Work"));
  EXPECT_FALSE(disk_.FileExists(L""));
  EXPECT_TRUE(disk_.DirectoryExists(L"C:/Work/Sub"));
  EXPECT_TRUE(disk_.DirectoryExists(L"C:\\Work\\Sub\\"));
  EXPECT_FALSE(disk_.DirectoryExists(L"C:\\Nope"));
  EXPECT_FALSE(disk_.DirectoryExists(L""));
  EXPECT_EQ(Cwd(), L"C:\\Work\\Sub");
}

TEST_F(DiskObjectTest, CreatesMissingLevels) {
  EXPECT_TRUE(disk_.CreateDirectoryPath(L"C:\\Work\\B\\C"));
  EXPECT_TRUE(pc_->files().Exists(L"C:\\Work\\B\\C"));
  EXPECT_TRUE(disk_.CreateDirectoryPath(L"C:/Work/B/C/"));
  EXPECT_TRUE(disk_.CreateDirectoryPath(L"rel\\deep"));
  EXPECT_TRUE(pc_->files().Exists(L"C:\\Work\\Sub\\rel\\deep"));
  EXPECT_FALSE(disk_.CreateDirectoryPath(L"C:\\Work\\a?b"));
  EXPECT_FALSE(disk_.CreateDirectoryPath(L""));
  ASSERT_TRUE(pc_->files().DenyAccess(L"C:\\Work\\B"));
  EXPECT_FALSE(disk_.CreateDirectoryPath(L"C:\\Work\\B\\D"));
  EXPECT_EQ(Cwd(), L"C:\\Work\\Sub");
}

}  // namespace
