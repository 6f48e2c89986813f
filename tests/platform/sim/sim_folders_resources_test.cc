// The simulated PC's folders and the program's own resources.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/sim/sim_files.h"
#include "platform/sim/sim_pc.h"
#include "platform/sim/sim_resources.h"
#include "platform/sim/sim_shell_folders.h"

namespace pf::sim {
namespace {

TEST(SimShellFoldersTest, AnswersAreGivenBackAsSetAndCanFail) {
  ScopedSimPc pc;
  wchar_t path[MAX_PATH];
  ASSERT_TRUE(SHGetSpecialFolderPathW(0, path, CSIDL_PROGRAM_FILES_COMMON, FALSE));
  EXPECT_STREQ(path, L"C:\\Program Files\\Common Files");
  EXPECT_FALSE(pc->files().Exists(path));  // reported, not made

  pc->shellFolders().SetSpecialFolder(CSIDL_PROGRAM_FILES_COMMON, L"D:\\Shared\\");
  ASSERT_TRUE(SHGetSpecialFolderPathW(0, path, CSIDL_PROGRAM_FILES_COMMON, TRUE));
  EXPECT_STREQ(path, L"D:\\Shared\\");
  EXPECT_TRUE(pc->files().Exists(L"D:\\Shared"));  // made when asked to create it

  pc->shellFolders().SetSystemDirectory(L"E:\\WIN\\system32");
  pc->shellFolders().SetWindowsDirectory(L"E:\\WIN");
  EXPECT_EQ(GetSystemDirectoryW(path, MAX_PATH), 15u);
  EXPECT_STREQ(path, L"E:\\WIN\\system32");
  EXPECT_EQ(GetWindowsDirectoryW(path, 7), 6u);  // fits exactly with its NUL
  EXPECT_EQ(GetWindowsDirectoryW(path, 6), 7u);  // the size it needs
  ASSERT_TRUE(SHGetSpecialFolderPathW(0, path, CSIDL_SYSTEM, FALSE));
  EXPECT_STREQ(path, L"E:\\WIN\\system32");

  pc->kernel().FailCall("SHGetSpecialFolderPathW", ERROR_ACCESS_DENIED);
  pc->kernel().FailCall("GetSystemDirectoryW", ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_FALSE(SHGetSpecialFolderPathW(0, path, CSIDL_PROGRAM_FILES_COMMON, FALSE));
  EXPECT_STREQ(path, L"");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(GetSystemDirectoryW(path, MAX_PATH), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));

  pc->kernel().ClearFaults();
  pc->shellFolders().SetSpecialFolder(CSIDL_PROGRAM_FILES_COMMON, L"");
  EXPECT_FALSE(SHGetSpecialFolderPathW(0, path, CSIDL_PROGRAM_FILES_COMMON, FALSE));
}

// A .res image as windres writes it: the empty entry, then each resource
// with its header (type, name, language) and its data, 4-byte aligned.
class ResImage {
 public:
  ResImage() { Entry(Id(0), Id(0), 0, ""); }
  struct Id {
    explicit Id(std::uint16_t number) : number(number) {}
    explicit Id(const std::u16string& text) : text(text) {}
    std::uint16_t number = 0;
    std::u16string text;
  };
  ResImage& Entry(const Id& type, const Id& name, std::uint16_t language, const std::string& data) {
    std::vector<std::uint8_t> header;
    Put(header, 0, 4);  // sizes, filled in below
    Put(header, 0, 4);
    PutId(header, type);
    PutId(header, name);
    while (header.size() % 4 != 0) header.push_back(0);
    Put(header, 0, 4);  // data version
    Put(header, 0x30, 2);
    Put(header, language, 2);
    Put(header, 0, 8);  // version, characteristics
    const std::uint32_t dataSize = static_cast<std::uint32_t>(data.size());
    const std::uint32_t headerSize = static_cast<std::uint32_t>(header.size());
    for (int i = 0; i < 4; ++i) {
      header[i] = static_cast<std::uint8_t>(dataSize >> (8 * i));
      header[4 + i] = static_cast<std::uint8_t>(headerSize >> (8 * i));
    }
    bytes_.insert(bytes_.end(), header.begin(), header.end());
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    while (bytes_.size() % 4 != 0) bytes_.push_back(0);
    return *this;
  }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  static void Put(std::vector<std::uint8_t>& out, std::uint64_t value, int size) {
    for (int i = 0; i < size; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }
  static void PutId(std::vector<std::uint8_t>& out, const Id& id) {
    if (id.text.empty()) {
      Put(out, 0xFFFF, 2);
      Put(out, id.number, 2);
      return;
    }
    for (char16_t c : id.text) Put(out, c, 2);
    Put(out, 0, 2);
  }
  std::vector<std::uint8_t> bytes_;
};

std::string Load(HRSRC resource) {
  const void* data = LockResource(LoadResource(0, resource));
  return data != nullptr ? std::string(static_cast<const char*>(data), SizeofResource(0, resource)) : "?";
}

TEST(SimResourcesTest, FindsByNumberOrNameAsWindowsMatchesThem) {
  ScopedSimPc pc;
  using Id = ResImage::Id;
  ResImage image;
  image.Entry(Id(u"WIN7"), Id(232), 0x0804, "service program")
      .Entry(Id(u"WIN7"), Id(232), 0x0409, "second language")
      .Entry(Id(u"WIN7"), Id(u"HELPER"), 0x0409, "named")
      .Entry(Id(10), Id(u"DATA"), 0x0409, "");
  ASSERT_TRUE(pc->resources().SetModuleResources(image.bytes()));

  const HRSRC payload = FindResourceW(0, MAKEINTRESOURCEW(232), L"win7");
  ASSERT_NE(payload, 0u);
  EXPECT_EQ(Load(payload), "service program");  // the first language in the file
  EXPECT_EQ(FindResourceW(0, L"#232", L"WIN7"), payload);
  EXPECT_EQ(Load(FindResourceW(0, L"Helper", L"Win7")), "named");
  const HRSRC empty = FindResourceW(0, L"data", MAKEINTRESOURCEW(10));
  ASSERT_NE(empty, 0u);
  EXPECT_EQ(SizeofResource(0, empty), 0u);
  EXPECT_NE(LockResource(LoadResource(0, empty)), nullptr);

  EXPECT_EQ(FindResourceW(0, MAKEINTRESOURCEW(232), L"WIN8"), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
  EXPECT_EQ(FindResourceW(0, L"#2320", L"WIN7"), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(FindResourceW(0, L"232", L"WIN7"), 0u);  // a name without "#" is text
  EXPECT_EQ(FindResourceW(0x400000, MAKEINTRESOURCEW(232), L"WIN7"), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND));
  EXPECT_EQ(LoadResource(0, 0x1234), 0u);
  EXPECT_EQ(SizeofResource(0, 0x1234), 0u);

  // Replaced resources leave what was found before readable.
  ASSERT_TRUE(pc->resources().SetModuleResources(ResImage().Entry(Id(u"WIN7"), Id(232), 0, "new").bytes()));
  EXPECT_EQ(Load(payload), "service program");
  EXPECT_EQ(Load(FindResourceW(0, MAKEINTRESOURCEW(232), L"WIN7")), "new");
  EXPECT_EQ(FindResourceW(0, L"HELPER", L"WIN7"), 0u);
}

TEST(SimResourcesTest, AModuleWithoutResourcesAndFaults) {
  ScopedSimPc pc;
  EXPECT_EQ(FindResourceW(0, MAKEINTRESOURCEW(232), L"WIN7"), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND));
  std::vector<std::uint8_t> truncated = ResImage().Entry(ResImage::Id(u"WIN7"), ResImage::Id(1), 0, "abc").bytes();
  truncated.resize(truncated.size() - 6);
  EXPECT_FALSE(pc->resources().SetModuleResources(truncated));
  EXPECT_EQ(FindResourceW(0, MAKEINTRESOURCEW(1), L"WIN7"), 0u);
  EXPECT_FALSE(pc->resources().LoadModuleResources("/nonexistent/tq.res"));

  ASSERT_TRUE(
      pc->resources().SetModuleResources(ResImage().Entry(ResImage::Id(u"WIN7"), ResImage::Id(1), 0, "abc").bytes()));
  pc->kernel().ClearFaults();  // counts calls from here
  pc->kernel().FailCall("FindResourceW", ERROR_NOT_ENOUGH_MEMORY, 0);
  pc->kernel().FailCall("LoadResource", ERROR_NOT_ENOUGH_MEMORY, 0);
  pc->kernel().FailCall("LockResource", ERROR_NOT_ENOUGH_MEMORY, 0);
  EXPECT_EQ(FindResourceW(0, MAKEINTRESOURCEW(1), L"WIN7"), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
  const HRSRC found = FindResourceW(0, MAKEINTRESOURCEW(1), L"WIN7");
  ASSERT_NE(found, 0u);
  EXPECT_EQ(LoadResource(0, found), 0u);
  const HGLOBAL loaded = LoadResource(0, found);
  EXPECT_EQ(LockResource(loaded), nullptr);
  EXPECT_EQ(Load(found), "abc");
}

}  // namespace
}  // namespace pf::sim
