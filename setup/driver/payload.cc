#include "setup/driver/payload.h"

#include <algorithm>
#include <vector>

#include "platform/platform.h"
#include "platform/unique_handle.h"
#include "setup/driver/disk_object.h"

namespace {

constexpr wchar_t kPayloadType[] = L"WIN7";
constexpr std::uint16_t kPayloadId = 232;

// A copy of the resource's bytes, owned by the caller; false when any step
// of finding and loading it fails.
bool LoadResourceImage(const std::wstring& type, std::uint16_t id, std::vector<pf::BYTE>* image) {
  const pf::HRSRC found = pf::FindResourceW(0, pf::MAKEINTRESOURCEW(id), type.c_str());
  if (found == 0) return false;
  const pf::HGLOBAL loaded = pf::LoadResource(0, found);
  if (loaded == 0) return false;
  const pf::DWORD size = pf::SizeofResource(0, found);
  const auto* bytes = static_cast<const pf::BYTE*>(pf::LockResource(loaded));
  if (bytes == nullptr) return false;
  image->assign(bytes, bytes + size);
  return true;
}

// True when the file holds exactly the image's bytes. A file of another
// length is not read.
bool HoldsImage(const std::wstring& path, const std::vector<pf::BYTE>& image) {
  pf::UniqueFile file(pf::CreateFileW(path.c_str(), pf::GENERIC_READ, pf::FILE_SHARE_READ | pf::FILE_SHARE_WRITE,
                                      pf::OPEN_EXISTING, pf::FILE_ATTRIBUTE_NORMAL));
  if (!file) return false;
  std::int64_t length = 0;
  if (!pf::GetFileSizeEx(file.get(), &length) || length != static_cast<std::int64_t>(image.size())) return false;
  std::vector<pf::BYTE> content(image.size());
  pf::DWORD read = 0;
  if (!image.empty() && (!pf::ReadFile(file.get(), content.data(), static_cast<pf::DWORD>(content.size()), &read) ||
                         read != content.size())) {
    return false;
  }
  return content == image;
}

enum class WriteOutcome { kNotCreated, kIncomplete, kWritten };

WriteOutcome WriteImage(const std::wstring& path, const std::vector<pf::BYTE>& image) {
  pf::UniqueFile file(
      pf::CreateFileW(path.c_str(), pf::GENERIC_WRITE, 0, pf::CREATE_ALWAYS, pf::FILE_ATTRIBUTE_NORMAL));
  if (!file) return WriteOutcome::kNotCreated;
  pf::DWORD written = 0;
  if (!image.empty() && (!pf::WriteFile(file.get(), image.data(), static_cast<pf::DWORD>(image.size()), &written) ||
                         written != image.size())) {
    return WriteOutcome::kIncomplete;
  }
  return WriteOutcome::kWritten;
}

}  // namespace

bool GetServiceFolder(std::wstring* folder) {
  wchar_t common[pf::MAX_PATH] = {};
  if (!pf::SHGetSpecialFolderPathW(0, common, pf::CSIDL_PROGRAM_FILES_COMMON, pf::FALSE)) return false;
  common[pf::MAX_PATH - 1] = L'\0';
  *folder = common;
  if (folder->empty() || folder->back() != L'\\') *folder += L'\\';
  *folder += L"Services";
  return true;
}

bool ExtractHelperServiceProgram(const std::wstring& fileName) {
  std::wstring folder;
  if (!GetServiceFolder(&folder)) return false;
  CDiskObject().CreateDirectoryPath(folder);
  return ExtractResourceFile(kPayloadType, kPayloadId, folder, fileName);
}

bool ExtractResourceFile(const std::wstring& type, std::uint16_t id, const std::wstring& folder,
                         const std::wstring& fileName) {
  const std::wstring target = folder + L"\\" + fileName;
  CDiskObject disk;
  if (!disk.DirectoryExists(folder)) disk.CreateDirectoryPath(folder);
  std::vector<pf::BYTE> image;
  if (!LoadResourceImage(type, id, &image)) return false;
  if (disk.FileExists(target)) {
    if (HoldsImage(target, image)) return true;
    // A copy that cannot be rewritten (a helper service still running from
    // an earlier install) stays in place; one cut short by a failed write
    // does not count.
    return WriteImage(target, image) != WriteOutcome::kIncomplete;
  }
  return WriteImage(target, image) == WriteOutcome::kWritten;
}
