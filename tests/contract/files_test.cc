#include <gtest/gtest.h>

#include <string>

#include "contract_env.h"
#include "platform/platform.h"

namespace {

using namespace pf;

class FilesContract : public ContractTest {
 protected:
  std::wstring Path(const wchar_t* name) const { return ScratchFolder() + L"\\" + name; }
  HANDLE Open(const wchar_t* name, DWORD access, DWORD share, DWORD creation) {
    return CreateFileW(Path(name).c_str(), access, share, creation, FILE_ATTRIBUTE_NORMAL);
  }
  void Write(HANDLE h, const std::string& bytes) {
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written));
    ASSERT_EQ(written, bytes.size());
  }
};

TEST_F(FilesContract, CreateDispositions) {
  EXPECT_EQ(Open(L"a.txt", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(Open(L"none\\a.txt", GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

  HANDLE h = Open(L"a.txt", GENERIC_WRITE, 0, CREATE_NEW);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  Write(h, "hello");
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_EQ(Open(L"a.txt", GENERIC_WRITE, 0, CREATE_NEW), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));

  h = Open(L"a.txt", GENERIC_READ, 0, OPEN_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  std::int64_t size = 0;
  EXPECT_TRUE(GetFileSizeEx(h, &size));
  EXPECT_EQ(size, 5);
  CloseHandle(h);

  h = Open(L"a.txt", GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_TRUE(GetFileSizeEx(h, &size));
  EXPECT_EQ(size, 0);
  CloseHandle(h);
}

TEST_F(FilesContract, ShareModesDecideWhetherASecondOpenSucceeds) {
  HANDLE first = Open(L"s.txt", GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
  ASSERT_NE(first, INVALID_HANDLE_VALUE);
  HANDLE reader = Open(L"s.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  EXPECT_NE(reader, INVALID_HANDLE_VALUE);
  // The second opener must let the first keep writing.
  EXPECT_EQ(Open(L"s.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  // The first opener did not share writing.
  EXPECT_EQ(Open(L"s.txt", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(DeleteFileW(Path(L"s.txt").c_str()), FALSE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  CloseHandle(reader);
  CloseHandle(first);
  EXPECT_TRUE(DeleteFileW(Path(L"s.txt").c_str()));
  EXPECT_EQ(GetFileAttributesW(Path(L"s.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FilesContract, ReadSeekAndLength) {
  HANDLE h = Open(L"r.bin", GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  Write(h, "0123456789");
  std::int64_t position = -1;
  ASSERT_TRUE(SetFilePointerEx(h, 2, &position, FILE_BEGIN));
  EXPECT_EQ(position, 2);
  char buffer[16] = {};
  DWORD read = 0;
  ASSERT_TRUE(ReadFile(h, buffer, 3, &read));
  EXPECT_EQ(std::string(buffer, read), "234");
  ASSERT_TRUE(SetFilePointerEx(h, -2, &position, FILE_CURRENT));
  EXPECT_EQ(position, 3);
  ASSERT_TRUE(SetFilePointerEx(h, -1, &position, FILE_END));
  ASSERT_TRUE(ReadFile(h, buffer, 16, &read));
  EXPECT_EQ(std::string(buffer, read), "9");
  ASSERT_TRUE(ReadFile(h, buffer, 16, &read));  // at the end: success, nothing read
  EXPECT_EQ(read, 0u);
  EXPECT_FALSE(SetFilePointerEx(h, -11, &position, FILE_END));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
  // Writing past the end fills the gap with zeros.
  ASSERT_TRUE(SetFilePointerEx(h, 12, &position, FILE_BEGIN));
  Write(h, "x");
  std::int64_t size = 0;
  ASSERT_TRUE(GetFileSizeEx(h, &size));
  EXPECT_EQ(size, 13);
  ASSERT_TRUE(SetFilePointerEx(h, 10, nullptr, FILE_BEGIN));
  ASSERT_TRUE(ReadFile(h, buffer, 16, &read));
  EXPECT_EQ(std::string(buffer, read), std::string("\0\0x", 3));
  CloseHandle(h);
  EXPECT_FALSE(CloseHandle(h));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(FilesContract, FoldersCurrentDirectoryAndAttributes) {
  const std::wstring folder = Path(L"Sub");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str()));
  EXPECT_FALSE(CreateDirectoryW(folder.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_FALSE(CreateDirectoryW(Path(L"no\\deeper").c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_NE(GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(Open(L"Sub", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

  wchar_t saved[MAX_PATH];
  ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, saved), 0u);
  ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));
  HANDLE h = CreateFileW(L"rel.txt", GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  const DWORD attributes = GetFileAttributesW((folder + L"\\REL.TXT").c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);

  const DWORD needed = GetCurrentDirectoryW(0, nullptr);
  EXPECT_EQ(needed, folder.size() + 1);
  wchar_t small[4];
  EXPECT_EQ(GetCurrentDirectoryW(4, small), needed);
  std::wstring current(needed, L'\0');
  EXPECT_EQ(GetCurrentDirectoryW(needed, &current[0]), needed - 1);
  EXPECT_EQ(std::wstring(current.c_str()), folder);
  ASSERT_TRUE(SetCurrentDirectoryW(saved));

  EXPECT_FALSE(RemoveDirectoryW(folder.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
  EXPECT_TRUE(DeleteFileW((folder + L"\\rel.txt").c_str()));
  EXPECT_TRUE(RemoveDirectoryW(folder.c_str()));
}

TEST_F(FilesContract, WildcardsAndReservedCharactersAreInvalidNames) {
  for (const wchar_t* name : {L"a*.txt", L"a?.txt", L"a<b", L"a>b", L"a|b", L"a\"b"}) {
    EXPECT_EQ(Open(name, GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE) << name;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME)) << name;
  }
}

}  // namespace
