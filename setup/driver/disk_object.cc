#include "setup/driver/disk_object.h"

#include <algorithm>
#include <vector>

#include "platform/platform.h"
#include "platform/unique_handle.h"

namespace {

struct SplitPath {
  std::wstring drive, folder, name, extension;
};

// Splits as the C runtime does: "X:" drive, folder up to the last backslash,
// extension from the last dot of the final element.
SplitPath Split(const std::wstring& path) {
  SplitPath parts;
  std::size_t rest = 0;
  if (path.size() >= 2 && path[1] == L':') {
    parts.drive = path.substr(0, 2);
    rest = 2;
  }
  std::size_t slash = path.rfind(L'\\');
  std::size_t fileStart = rest;
  if (slash != std::wstring::npos && slash >= rest) {
    parts.folder = path.substr(rest, slash + 1 - rest);
    fileStart = slash + 1;
  }
  std::wstring file = path.substr(fileStart);
  std::size_t dot = file.rfind(L'.');
  parts.name = file.substr(0, dot);
  if (dot != std::wstring::npos) parts.extension = file.substr(dot);
  return parts;
}

bool HasForbidden(const std::wstring& text) { return text.find_first_of(L":*?") != std::wstring::npos; }

void UseBackslashes(std::wstring* path) { std::replace(path->begin(), path->end(), L'/', L'\\'); }

bool StartsWith(const std::wstring& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

std::wstring CurrentDirectory() {
  std::vector<wchar_t> buffer(pf::MAX_PATH + 1);
  for (;;) {
    pf::DWORD length = pf::GetCurrentDirectoryW(static_cast<pf::DWORD>(buffer.size()), buffer.data());
    if (length == 0) return {};
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    buffer.resize(length + 1);
  }
}

// The folder one level up; a drive root or a UNC share root stays as it is.
std::wstring ParentOf(const std::wstring& folder) {
  std::wstring trimmed = folder;
  if (trimmed.size() > 3 && trimmed.back() == L'\\') trimmed.pop_back();
  std::size_t rootEnd = 0;
  if (StartsWith(trimmed, L"\\\\")) {
    std::size_t server = trimmed.find(L'\\', 2);
    std::size_t share = server == std::wstring::npos ? server : trimmed.find(L'\\', server + 1);
    if (share == std::wstring::npos) return trimmed;
    rootEnd = share;
  } else if (trimmed.size() >= 2 && trimmed[1] == L':') {
    rootEnd = 2;
  }
  std::size_t slash = trimmed.rfind(L'\\');
  if (slash == std::wstring::npos || slash < rootEnd) return trimmed;
  if (slash == rootEnd && rootEnd == 2) return trimmed.substr(0, 3);  // "C:\"
  return trimmed.substr(0, slash);
}

// folder, a backslash (unless folder already ends in one), then rest.
std::wstring JoinBelow(const std::wstring& folder, const std::wstring& rest) {
  if (!folder.empty() && folder.back() == L'\\') return folder + rest;
  return folder + L'\\' + rest;
}

// Puts the current directory back when the scope ends.
class CurrentDirectoryKeeper {
 public:
  CurrentDirectoryKeeper() : saved_(CurrentDirectory()) {}
  ~CurrentDirectoryKeeper() {
    if (!saved_.empty()) pf::SetCurrentDirectoryW(saved_.c_str());
  }
  CurrentDirectoryKeeper(const CurrentDirectoryKeeper&) = delete;
  CurrentDirectoryKeeper& operator=(const CurrentDirectoryKeeper&) = delete;

 private:
  std::wstring saved_;
};

}  // namespace

bool CDiskObject::QualifyFilePath(std::wstring* path) {
  UseBackslashes(path);
  SplitPath parts = Split(*path);
  if (parts.drive.empty()) {
    const std::wstring& folder = parts.folder;
    std::wstring file = parts.name + parts.extension;
    if (folder.size() > 2 && StartsWith(folder, L"\\\\")) {
      // UNC: already absolute.
    } else if (folder.size() > 2 && StartsWith(folder, L"..\\")) {
      std::wstring base = CurrentDirectory();
      std::size_t skip = 0;
      while (folder.compare(skip, 3, L"..\\") == 0) {
        base = ParentOf(base);
        skip += 3;
      }
      *path = JoinBelow(base, folder.substr(skip) + file);
    } else if (!folder.empty() && folder[0] == L'\\') {
      std::wstring current = CurrentDirectory();
      std::wstring drive = current.size() >= 2 && current[1] == L':' ? current.substr(0, 2) : std::wstring();
      *path = drive + *path;
    } else {
      *path = JoinBelow(CurrentDirectory(), *path);
    }
  }
  return !HasForbidden(parts.folder) && !HasForbidden(parts.name) && !HasForbidden(parts.extension);
}

bool CDiskObject::QualifyDirectoryPath(std::wstring* path) {
  UseBackslashes(path);
  if (!path->empty() && path->back() != L'\\') path->push_back(L'\\');
  if (path->size() >= 2 && StartsWith(*path, L"\\\\")) return true;
  return QualifyFilePath(path);
}

bool CDiskObject::FileExists(const std::wstring& path) {
  if (path.empty()) return false;
  std::wstring full = path;
  if (!QualifyFilePath(&full)) return false;
  const pf::UniqueFile file(pf::CreateFileW(full.c_str(), pf::GENERIC_READ,
                                            pf::FILE_SHARE_READ | pf::FILE_SHARE_WRITE, pf::OPEN_EXISTING,
                                            pf::FILE_ATTRIBUTE_NORMAL));
  return file.IsValid();
}

bool CDiskObject::DirectoryExists(const std::wstring& path) {
  if (path.empty()) return false;
  std::wstring full = path;
  if (!QualifyDirectoryPath(&full)) return false;
  CurrentDirectoryKeeper keeper;
  return pf::SetCurrentDirectoryW(full.c_str()) != pf::FALSE;
}

bool CDiskObject::CreateDirectoryPath(const std::wstring& path) {
  if (path.empty()) return false;
  std::wstring full = path;
  if (!QualifyDirectoryPath(&full)) return false;
  SplitPath parts = Split(full);
  CurrentDirectoryKeeper keeper;

  std::wstring built = parts.drive;
  std::wstring folder = parts.folder;
  if (StartsWith(folder, L"\\\\")) {
    std::size_t serverEnd = folder.find(L'\\', 2);
    if (serverEnd == std::wstring::npos) serverEnd = folder.size();
    built = folder.substr(0, serverEnd);
    folder = serverEnd < folder.size() ? folder.substr(serverEnd + 1) : std::wstring();
  }
  std::size_t start = folder.find_first_not_of(L'\\');
  folder = start == std::wstring::npos ? std::wstring() : folder.substr(start);
  std::size_t from = 0;
  while (from < folder.size()) {
    std::size_t slash = folder.find(L'\\', from);
    if (slash == std::wstring::npos) slash = folder.size();
    if (slash > from) {
      built += L'\\';
      built += folder.substr(from, slash - from);
      pf::CreateDirectoryW(built.c_str());
    }
    from = slash + 1;
  }
  return pf::SetCurrentDirectoryW(full.c_str()) != pf::FALSE;
}
