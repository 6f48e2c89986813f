#include "platform/sim/sim_files.h"

#include <algorithm>
#include <cstring>
#include <cwctype>

#include "common/text/case_fold.h"
#include "platform/sim/sim_kernel.h"
#include "platform/sim/sim_sync.h"

namespace pf::sim {
namespace {

constexpr DWORD kErrorDirectory = 267;
constexpr DWORD kFileAttributeArchive = 0x20;
constexpr DWORD kFileReadData = 0x1;
constexpr DWORD kFileWriteData = 0x2;
constexpr DWORD kFileAppendData = 0x4;
constexpr DWORD kGenericAll = 0x10000000u;
constexpr DWORD kDelete = 0x10000;

bool WantsRead(DWORD access) { return (access & (GENERIC_READ | kFileReadData | kGenericAll)) != 0; }
bool WantsWrite(DWORD access) {
  return (access & (GENERIC_WRITE | kFileWriteData | kFileAppendData | kGenericAll)) != 0;
}

bool IsInvalidNameChar(wchar_t c) {
  return c < 0x20 || c == L'*' || c == L'?' || c == L'"' || c == L'<' || c == L'>' || c == L'|' || c == L':';
}

}  // namespace

struct SimFiles::Node {
  bool folder = false;
  bool readOnly = false;
  bool denied = false;
  std::int64_t failReadsAfter = -1;
  std::string data;
  std::map<std::wstring, std::shared_ptr<Node>> children;  // by folded name
};

// An open file: a kernel object that transfers complete on at once, so it
// is always signalled.
struct SimFiles::Open : KernelObject {
  Open(std::shared_ptr<Node> node, DWORD access, DWORD share) : node(std::move(node)), access(access), share(share) {}
  ObjectKind kind() const override { return ObjectKind::File; }
  bool IsWaitable() const override { return true; }
  bool IsSignaled() const override { return true; }

  std::shared_ptr<Node> node;
  DWORD access;
  DWORD share;
  std::int64_t position = 0;
};

struct SimFiles::Resolved {
  wchar_t drive = L'C';
  std::vector<std::wstring> parts;  // as written, without "." and ".."
  std::wstring Text() const {
    std::wstring text{drive, L':', L'\\'};
    for (size_t i = 0; i < parts.size(); ++i) {
      if (i > 0) text += L'\\';
      text += parts[i];
    }
    return text;
  }
};

SimFiles::SimFiles(SimKernel& kernel) : kernel_(kernel) {
  auto root = std::make_shared<Node>();
  root->folder = true;
  drives_[L'C'] = root;
}

SimFiles::~SimFiles() = default;

void SimFiles::Fail(DWORD error) { kernel_.SetLastError(error); }
void SimFiles::Succeed() { kernel_.SetLastError(ERROR_SUCCESS); }

bool SimFiles::Resolve(const wchar_t* path, Resolved* out) {
  if (path == nullptr) {
    Fail(ERROR_INVALID_PARAMETER);
    return false;
  }
  std::wstring text(path);
  std::replace(text.begin(), text.end(), L'/', L'\\');
  if (text.rfind(L"\\\\?\\", 0) == 0) text.erase(0, 4);
  if (text.empty() || text.rfind(L"\\\\", 0) == 0) {  // no network paths here
    Fail(ERROR_PATH_NOT_FOUND);
    return false;
  }
  Resolved current;
  current.drive = currentDirectory_[0];
  {
    std::wstring rest = currentDirectory_.substr(3);
    size_t start = 0;
    while (start < rest.size()) {
      size_t end = rest.find(L'\\', start);
      if (end == std::wstring::npos) end = rest.size();
      current.parts.push_back(rest.substr(start, end - start));
      start = end + 1;
    }
  }
  std::wstring rest;
  if (text.size() >= 2 && text[1] == L':' && std::iswalpha(text[0])) {
    const wchar_t drive = text::UpperChar(text[0]);
    rest = text.substr(2);
    if (drive != current.drive || (!rest.empty() && rest[0] == L'\\')) {
      current.parts.clear();
      current.drive = drive;
    }
  } else if (text[0] == L'\\') {
    current.parts.clear();
    rest = text;
  } else {
    rest = text;
  }
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = rest.find(L'\\', start);
    if (end == std::wstring::npos) end = rest.size();
    std::wstring part = rest.substr(start, end - start);
    start = end + 1;
    if (part == L".") continue;
    if (part == L"..") {
      if (!current.parts.empty()) current.parts.pop_back();
      continue;
    }
    for (wchar_t c : part) {
      if (IsInvalidNameChar(c)) {
        Fail(ERROR_INVALID_NAME);
        return false;
      }
    }
    while (!part.empty() && (part.back() == L'.' || part.back() == L' ')) part.pop_back();
    if (!part.empty()) current.parts.push_back(part);
  }
  *out = current;
  return true;
}

std::shared_ptr<SimFiles::Node> SimFiles::Find(const Resolved& path, std::shared_ptr<Node>* parent) {
  if (parent != nullptr) parent->reset();
  auto drive = drives_.find(path.drive);
  if (drive == drives_.end()) {
    Fail(ERROR_PATH_NOT_FOUND);
    return nullptr;
  }
  std::shared_ptr<Node> node = drive->second;
  for (size_t i = 0; i < path.parts.size(); ++i) {
    if (!node->folder) {
      Fail(ERROR_PATH_NOT_FOUND);
      return nullptr;
    }
    if (parent != nullptr && i + 1 == path.parts.size()) *parent = node;
    auto child = node->children.find(text::Upper(path.parts[i]));
    if (child == node->children.end()) {
      Fail(i + 1 == path.parts.size() ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
      return nullptr;
    }
    node = child->second;
  }
  return node;
}

std::shared_ptr<SimFiles::Node> SimFiles::MakeFolders(const Resolved& path, size_t depth) {
  std::shared_ptr<Node>& root = drives_[path.drive];
  if (!root) {
    root = std::make_shared<Node>();
    root->folder = true;
  }
  std::shared_ptr<Node> node = root;
  for (size_t i = 0; i < depth; ++i) {
    std::shared_ptr<Node>& child = node->children[text::Upper(path.parts[i])];
    if (!child) {
      child = std::make_shared<Node>();
      child->folder = true;
    }
    if (!child->folder) return nullptr;
    node = child;
  }
  return node;
}

std::shared_ptr<SimFiles::Open> SimFiles::Lookup(HANDLE handle) {
  return kernel_.LookupAs<Open>(handle, {ObjectKind::File});
}

bool SimFiles::SharingConflict(const Node* node, DWORD access, DWORD share) const {
  for (const auto& object : kernel_.OpenObjects(ObjectKind::File)) {
    const auto* open = static_cast<const Open*>(object.get());
    if (open->node.get() != node) continue;
    if (WantsRead(access) && !(open->share & FILE_SHARE_READ)) return true;
    if (WantsWrite(access) && !(open->share & FILE_SHARE_WRITE)) return true;
    if ((access & kDelete) && !(open->share & FILE_SHARE_DELETE)) return true;
    if (WantsRead(open->access) && !(share & FILE_SHARE_READ)) return true;
    if (WantsWrite(open->access) && !(share & FILE_SHARE_WRITE)) return true;
    if ((open->access & kDelete) && !(share & FILE_SHARE_DELETE)) return true;
  }
  return false;
}

HANDLE SimFiles::CreateFileW(const wchar_t* path, DWORD access, DWORD share, DWORD creation, DWORD flags) {
  return Create("CreateFileW", path, access, share, creation, flags);
}

HANDLE SimFiles::Create(const char* call, const wchar_t* path, DWORD access, DWORD share, DWORD creation,
                        DWORD flags) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter(call)) {
    Fail(error);
    return INVALID_HANDLE_VALUE;
  }
  if (path != nullptr && SimKernel::IsDevicePath(path)) {
    if (creation != OPEN_EXISTING) {
      Fail(ERROR_INVALID_PARAMETER);
      return INVALID_HANDLE_VALUE;
    }
    return kernel_.OpenDevice(path, access, share, flags);
  }
  if (creation < CREATE_NEW || creation > TRUNCATE_EXISTING) {
    Fail(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  Resolved resolved;
  if (!Resolve(path, &resolved)) return INVALID_HANDLE_VALUE;
  std::shared_ptr<Node> parent;
  std::shared_ptr<Node> node = Find(resolved, &parent);
  const bool truncates = creation == CREATE_ALWAYS || creation == TRUNCATE_EXISTING;
  const bool existed = node != nullptr;
  if (node) {
    if (node->folder || node->denied) {
      Fail(ERROR_ACCESS_DENIED);
      return INVALID_HANDLE_VALUE;
    }
    if (creation == CREATE_NEW) {
      Fail(ERROR_FILE_EXISTS);
      return INVALID_HANDLE_VALUE;
    }
    if (creation == TRUNCATE_EXISTING && !WantsWrite(access)) {
      Fail(ERROR_INVALID_PARAMETER);
      return INVALID_HANDLE_VALUE;
    }
    if (node->readOnly && (WantsWrite(access) || truncates)) {
      Fail(ERROR_ACCESS_DENIED);
      return INVALID_HANDLE_VALUE;
    }
    if (SharingConflict(node.get(), truncates ? access | GENERIC_WRITE : access, share)) {
      Fail(ERROR_SHARING_VIOLATION);
      return INVALID_HANDLE_VALUE;
    }
    if (truncates) node->data.clear();
  } else {
    if (!parent || creation == OPEN_EXISTING || creation == TRUNCATE_EXISTING) {
      return INVALID_HANDLE_VALUE;  // Find set the error
    }
    if (resolved.parts.empty() || parent->denied) {
      Fail(ERROR_ACCESS_DENIED);
      return INVALID_HANDLE_VALUE;
    }
    node = std::make_shared<Node>();
    node->readOnly = (flags & FILE_ATTRIBUTE_READONLY) != 0;
    parent->children[text::Upper(resolved.parts.back())] = node;
  }
  const HANDLE handle = kernel_.Insert(std::make_shared<Open>(node, access, share));
  if (existed && (creation == CREATE_ALWAYS || creation == OPEN_ALWAYS)) {
    Fail(ERROR_ALREADY_EXISTS);
  } else {
    Succeed();
  }
  return handle;
}

HANDLE SimFiles::CreateFileA(const char* path, DWORD access, DWORD share, DWORD creation, DWORD flags) {
  if (path == nullptr) return Create("CreateFileA", nullptr, access, share, creation, flags);
  return Create("CreateFileA", kernel_.FromAnsi(path).c_str(), access, share, creation, flags);
}

BOOL SimFiles::DeleteFileA(const char* path) {
  if (path == nullptr) return Delete("DeleteFileA", nullptr);
  return Delete("DeleteFileA", kernel_.FromAnsi(path).c_str());
}

BOOL SimFiles::ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read, OVERLAPPED* overlapped) {
  auto lock = kernel_.Lock();
  if (read != nullptr) *read = 0;
  if (DWORD error = kernel_.Enter("ReadFile")) return kernel_.Fail(error);
  if (auto device = kernel_.FindAs<SimIoObject>(file, {ObjectKind::Device})) {
    return device->Read(buffer, toRead, read, overlapped);
  }
  std::shared_ptr<Open> open = Lookup(file);
  if (open == nullptr) return FALSE;
  if (overlapped != nullptr) open->position = overlapped->Offset | (std::int64_t{overlapped->OffsetHigh} << 32);
  if (!WantsRead(open->access)) {
    Fail(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  const Node& node = *open->node;
  const std::int64_t size = static_cast<std::int64_t>(node.data.size());
  const std::int64_t begin = std::min(open->position, size);
  const std::int64_t end = std::min(open->position + static_cast<std::int64_t>(toRead), size);
  if (node.failReadsAfter >= 0 && end > node.failReadsAfter) {
    Fail(ERROR_READ_FAULT);
    return FALSE;
  }
  if (overlapped != nullptr && toRead > 0 && begin >= size) {
    overlapped->Internal = ERROR_HANDLE_EOF;
    overlapped->InternalHigh = 0;
    return kernel_.Fail(ERROR_HANDLE_EOF);
  }
  if (end > begin) std::memcpy(buffer, node.data.data() + begin, static_cast<size_t>(end - begin));
  open->position = std::max(open->position, end);
  const DWORD count = static_cast<DWORD>(std::max<std::int64_t>(0, end - begin));
  if (read != nullptr) *read = count;
  CompleteOverlapped(kernel_, overlapped, ERROR_SUCCESS, count);
  return TRUE;
}

BOOL SimFiles::WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD* written, OVERLAPPED* overlapped) {
  auto lock = kernel_.Lock();
  if (written != nullptr) *written = 0;
  if (DWORD error = kernel_.Enter("WriteFile")) return kernel_.Fail(error);
  if (auto device = kernel_.FindAs<SimIoObject>(file, {ObjectKind::Device})) {
    return device->Write(buffer, toWrite, written, overlapped);
  }
  std::shared_ptr<Open> open = Lookup(file);
  if (open == nullptr) return FALSE;
  if (overlapped != nullptr) open->position = overlapped->Offset | (std::int64_t{overlapped->OffsetHigh} << 32);
  if (!WantsWrite(open->access)) {
    Fail(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  std::string& data = open->node->data;
  const size_t at = static_cast<size_t>(open->position);
  if (data.size() < at + toWrite) data.resize(at + toWrite);
  if (toWrite > 0) std::memcpy(&data[at], buffer, toWrite);
  open->position += toWrite;
  if (written != nullptr) *written = toWrite;
  CompleteOverlapped(kernel_, overlapped, ERROR_SUCCESS, toWrite);
  return TRUE;
}

BOOL SimFiles::SetFilePointerEx(HANDLE file, std::int64_t distance, std::int64_t* newPosition, DWORD method) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("SetFilePointerEx")) return kernel_.Fail(error);
  std::shared_ptr<Open> open = Lookup(file);
  if (open == nullptr) return FALSE;
  std::int64_t base = 0;
  switch (method) {
    case FILE_BEGIN: base = 0; break;
    case FILE_CURRENT: base = open->position; break;
    case FILE_END: base = static_cast<std::int64_t>(open->node->data.size()); break;
    default: Fail(ERROR_INVALID_PARAMETER); return FALSE;
  }
  const std::int64_t target = base + distance;
  if (target < 0) {
    Fail(ERROR_NEGATIVE_SEEK);
    return FALSE;
  }
  open->position = target;
  if (newPosition != nullptr) *newPosition = target;
  return TRUE;
}

BOOL SimFiles::GetFileSizeEx(HANDLE file, std::int64_t* size) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("GetFileSizeEx")) return kernel_.Fail(error);
  std::shared_ptr<Open> open = Lookup(file);
  if (open == nullptr) return FALSE;
  *size = static_cast<std::int64_t>(open->node->data.size());
  return TRUE;
}

BOOL SimFiles::CreateDirectoryW(const wchar_t* path) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("CreateDirectoryW")) return kernel_.Fail(error);
  Resolved resolved;
  if (!Resolve(path, &resolved)) return FALSE;
  if (resolved.parts.empty()) {
    Fail(drives_.count(resolved.drive) ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  std::shared_ptr<Node> parent;
  if (Find(resolved, &parent)) {
    Fail(ERROR_ALREADY_EXISTS);
    return FALSE;
  }
  if (!parent) return FALSE;  // Find set ERROR_PATH_NOT_FOUND
  if (parent->denied) {
    Fail(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  auto folder = std::make_shared<Node>();
  folder->folder = true;
  parent->children[text::Upper(resolved.parts.back())] = folder;
  Succeed();
  return TRUE;
}

BOOL SimFiles::RemoveDirectoryW(const wchar_t* path) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("RemoveDirectoryW")) return kernel_.Fail(error);
  Resolved resolved;
  if (!Resolve(path, &resolved)) return FALSE;
  std::shared_ptr<Node> parent;
  std::shared_ptr<Node> node = Find(resolved, &parent);
  if (!node) return FALSE;
  if (!parent) {
    Fail(ERROR_ACCESS_DENIED);  // a drive's root
    return FALSE;
  }
  if (!node->folder) {
    Fail(kErrorDirectory);
    return FALSE;
  }
  if (node->denied) {
    Fail(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (!node->children.empty()) {
    Fail(ERROR_DIR_NOT_EMPTY);
    return FALSE;
  }
  const std::wstring folded = text::Upper(resolved.Text());
  const std::wstring current = text::Upper(currentDirectory_);
  if (current == folded || current.rfind(folded + L"\\", 0) == 0) {
    Fail(ERROR_SHARING_VIOLATION);  // the process holds its current directory open
    return FALSE;
  }
  parent->children.erase(text::Upper(resolved.parts.back()));
  Succeed();
  return TRUE;
}

BOOL SimFiles::DeleteFileW(const wchar_t* path) { return Delete("DeleteFileW", path); }

BOOL SimFiles::Delete(const char* call, const wchar_t* path) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter(call)) return kernel_.Fail(error);
  Resolved resolved;
  if (!Resolve(path, &resolved)) return FALSE;
  std::shared_ptr<Node> parent;
  std::shared_ptr<Node> node = Find(resolved, &parent);
  if (!node) return FALSE;
  if (!parent || node->folder || node->readOnly || node->denied) {
    Fail(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (SharingConflict(node.get(), kDelete, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)) {
    Fail(ERROR_SHARING_VIOLATION);
    return FALSE;
  }
  // Handles still open (all shared for delete) keep the data until closed.
  parent->children.erase(text::Upper(resolved.parts.back()));
  Succeed();
  return TRUE;
}

DWORD SimFiles::GetFileAttributesW(const wchar_t* path) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("GetFileAttributesW")) {
    Fail(error);
    return INVALID_FILE_ATTRIBUTES;
  }
  return Attributes(path);
}

DWORD SimFiles::Attributes(const wchar_t* path) {
  Resolved resolved;
  if (!Resolve(path, &resolved)) return INVALID_FILE_ATTRIBUTES;
  std::shared_ptr<Node> node = Find(resolved, nullptr);
  if (!node) return INVALID_FILE_ATTRIBUTES;
  DWORD attributes = node->folder ? FILE_ATTRIBUTE_DIRECTORY : kFileAttributeArchive;
  if (node->readOnly) attributes |= FILE_ATTRIBUTE_READONLY;
  Succeed();
  return attributes;
}

BOOL SimFiles::SetCurrentDirectoryW(const wchar_t* path) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("SetCurrentDirectoryW")) return kernel_.Fail(error);
  Resolved resolved;
  if (!Resolve(path, &resolved)) return FALSE;
  std::shared_ptr<Node> node = Find(resolved, nullptr);
  if (!node) return FALSE;
  if (!node->folder) {
    Fail(kErrorDirectory);
    return FALSE;
  }
  if (node->denied) {
    Fail(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  currentDirectory_ = resolved.Text();
  Succeed();
  return TRUE;
}

DWORD SimFiles::GetCurrentDirectoryW(DWORD bufferLength, wchar_t* buffer) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("GetCurrentDirectoryW")) {
    Fail(error);
    return 0;
  }
  const DWORD length = static_cast<DWORD>(currentDirectory_.size());
  if (buffer == nullptr || bufferLength <= length) return length + 1;
  std::copy(currentDirectory_.begin(), currentDirectory_.end(), buffer);
  buffer[length] = L'\0';
  return length;
}

std::shared_ptr<SimFiles::Node> SimFiles::FindForTest(const std::wstring& path) {
  const DWORD saved = kernel_.LastError();
  Resolved resolved;
  std::shared_ptr<Node> node;
  if (Resolve(path.c_str(), &resolved)) node = Find(resolved, nullptr);
  kernel_.SetLastError(saved);
  return node;
}

bool SimFiles::WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  auto lock = kernel_.Lock();
  const DWORD saved = kernel_.LastError();
  Resolved resolved;
  const bool valid = Resolve(path.c_str(), &resolved) && !resolved.parts.empty();
  kernel_.SetLastError(saved);
  if (!valid) return false;
  std::shared_ptr<Node> parent = MakeFolders(resolved, resolved.parts.size() - 1);
  if (!parent) return false;
  std::shared_ptr<Node>& node = parent->children[text::Upper(resolved.parts.back())];
  if (!node) node = std::make_shared<Node>();
  if (node->folder) return false;
  node->data = bytes;
  return true;
}

bool SimFiles::ReadFileBytes(const std::wstring& path, std::string* bytes) {
  auto lock = kernel_.Lock();
  std::shared_ptr<Node> node = FindForTest(path);
  if (!node || node->folder) return false;
  *bytes = node->data;
  return true;
}

bool SimFiles::MakeFolder(const std::wstring& path) {
  auto lock = kernel_.Lock();
  const DWORD saved = kernel_.LastError();
  Resolved resolved;
  const bool valid = Resolve(path.c_str(), &resolved);
  kernel_.SetLastError(saved);
  return valid && MakeFolders(resolved, resolved.parts.size()) != nullptr;
}

bool SimFiles::Exists(const std::wstring& path) {
  auto lock = kernel_.Lock();
  return FindForTest(path) != nullptr;
}

bool SimFiles::DenyAccess(const std::wstring& path) {
  auto lock = kernel_.Lock();
  std::shared_ptr<Node> node = FindForTest(path);
  if (node) node->denied = true;
  return node != nullptr;
}

bool SimFiles::SetReadOnly(const std::wstring& path, bool readOnly) {
  auto lock = kernel_.Lock();
  std::shared_ptr<Node> node = FindForTest(path);
  if (node) node->readOnly = readOnly;
  return node != nullptr;
}

bool SimFiles::FailReadsAfter(const std::wstring& path, std::int64_t offset) {
  auto lock = kernel_.Lock();
  std::shared_ptr<Node> node = FindForTest(path);
  if (node) node->failReadsAfter = offset;
  return node != nullptr;
}

size_t SimFiles::OpenHandleCount() { return kernel_.OpenHandleCount(ObjectKind::File); }

DWORD SimFiles::AttributesOf(const std::wstring& path) {
  auto lock = kernel_.Lock();
  const DWORD saved = kernel_.LastError();
  const DWORD attributes = Attributes(path.c_str());
  kernel_.SetLastError(saved);
  return attributes;
}

std::wstring SimFiles::CurrentDirectory() {
  auto lock = kernel_.Lock();
  return currentDirectory_;
}

}  // namespace pf::sim
