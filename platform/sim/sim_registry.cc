#include "platform/sim/sim_registry.h"

#include "common/text/case_fold.h"
#include "common/text/utf.h"
#include "platform/sim/reg_file.h"
#include "platform/sim/sim_kernel.h"

namespace pf::sim {
namespace {

using text::Upper;

std::vector<std::wstring> SplitPath(const std::wstring& path) {
  std::vector<std::wstring> parts;
  std::wstring part;
  for (wchar_t c : path) {
    if (c == L'\\') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

bool IsRoot(HKEY key) {
  return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE || key == HKEY_USERS;
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

std::wstring Name(const wchar_t* name) { return name ? std::wstring(name) : std::wstring(); }

// Rights that change a key or what is below it.
constexpr DWORD kDelete = 0x10000;
constexpr DWORD kWriteRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | 0x20 /* KEY_CREATE_LINK */ | kDelete |
                               0x40000 /* WRITE_DAC */ | 0x80000 /* WRITE_OWNER */ | 0x40000000 /* GENERIC_WRITE */ |
                               0x10000000 /* GENERIC_ALL */;

// The subtree that only the local system account may change (full upper-case path).
const std::wstring kSystemOnlyTree = L"HKEY_LOCAL_MACHINE\\SYSTEM\\CURRENTCONTROLSET\\ENUM";

bool InSystemOnlyTree(const std::wstring& fullPath) {
  return fullPath.compare(0, kSystemOnlyTree.size(), kSystemOnlyTree) == 0 &&
         (fullPath.size() == kSystemOnlyTree.size() || fullPath[kSystemOnlyTree.size()] == L'\\');
}

LONG CopyOut(const std::string& bytes, BYTE* data, DWORD* size) {
  if (!size) return data ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
  DWORD needed = static_cast<DWORD>(bytes.size());
  if (data && *size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (data) bytes.copy(reinterpret_cast<char*>(data), needed);
  *size = needed;
  return ERROR_SUCCESS;
}

}  // namespace

// A key handle in the kernel's table.
class SimRegistry::KeyObject : public KernelObject {
 public:
  KeyObject(std::shared_ptr<Node> node, DWORD access) : handle{std::move(node), access} {}
  ObjectKind kind() const override { return ObjectKind::RegistryKey; }
  Handle handle;
};

SimRegistry::SimRegistry(SimKernel& kernel)
    : kernel_(kernel),
      machine_(std::make_shared<Node>()),
      user_(std::make_shared<Node>()),
      users_(std::make_shared<Node>()) {
  machine_->name = L"HKEY_LOCAL_MACHINE";
  user_->name = L"HKEY_CURRENT_USER";
  users_->name = L"HKEY_USERS";
  bool created = false;
  classes_ = FindOrCreate(machine_, L"SOFTWARE\\Classes", &created);
  FindOrCreate(machine_, L"SYSTEM\\CurrentControlSet", &created);
  FindOrCreate(user_, L"Software", &created);
}

SimRegistry::~SimRegistry() = default;

std::shared_ptr<SimRegistry::Node> SimRegistry::RootNode(HKEY root) {
  if (root == HKEY_LOCAL_MACHINE) return machine_;
  if (root == HKEY_CURRENT_USER) return user_;
  if (root == HKEY_USERS) return users_;
  if (root == HKEY_CLASSES_ROOT) return classes_;
  return nullptr;
}

LONG SimRegistry::Resolve(HKEY key, Handle* handle) {
  if (IsRoot(key)) {
    handle->node = RootNode(key);
    handle->access = KEY_ALL_ACCESS;
    return ERROR_SUCCESS;
  }
  auto object = kernel_.FindAs<KeyObject>(key, {ObjectKind::RegistryKey});
  if (!object) return ERROR_INVALID_HANDLE;
  if (object->handle.node->deleted) return ERROR_KEY_DELETED;
  *handle = object->handle;
  return ERROR_SUCCESS;
}

std::shared_ptr<SimRegistry::Node> SimRegistry::Find(const std::shared_ptr<Node>& from, const std::wstring& path) {
  size_t depth = 0;
  std::shared_ptr<Node> node = Deepest(from, path, &depth);
  return depth == SplitPath(path).size() ? node : nullptr;
}

std::shared_ptr<SimRegistry::Node> SimRegistry::Deepest(const std::shared_ptr<Node>& from, const std::wstring& path,
                                                        size_t* depth) {
  *depth = 0;
  std::shared_ptr<Node> node = from;
  for (const auto& part : SplitPath(path)) {
    auto it = node->subkeys.find(Upper(part));
    if (it == node->subkeys.end()) break;
    node = it->second;
    ++*depth;
  }
  return node;
}

std::shared_ptr<SimRegistry::Node> SimRegistry::FindOrCreate(const std::shared_ptr<Node>& from,
                                                             const std::wstring& path, bool* created,
                                                             bool isVolatile) {
  *created = false;
  std::shared_ptr<Node> node = from;
  for (const auto& part : SplitPath(path)) {
    auto& slot = node->subkeys[Upper(part)];
    if (!slot) {
      slot = std::make_shared<Node>();
      slot->name = part;
      slot->parent = node.get();
      slot->isVolatile = isVolatile;
      *created = true;
    }
    node = slot;
  }
  return node;
}

std::wstring SimRegistry::FullPath(const Node* node, const std::wstring& below) const {
  std::wstring path;
  for (const Node* n = node; n; n = n->parent) path = n->name + (path.empty() ? L"" : L"\\") + path;
  for (const auto& part : SplitPath(below)) path += L"\\" + part;
  return Upper(path);
}

std::wstring SimRegistry::FullPath(HKEY root, const std::wstring& path) {
  auto node = RootNode(root);
  return node ? FullPath(node.get(), path) : std::wstring();
}

LONG SimRegistry::OpenFault(const Node* parent, const std::wstring& subKey) const {
  auto it = openFaults_.find(FullPath(parent, subKey));
  return it == openFaults_.end() ? ERROR_SUCCESS : it->second;
}

bool SimRegistry::Denied(const Node* node, DWORD sam) const {
  if (!(sam & kWriteRights) || kernel_.CallerAccount() == Account::LocalSystem) return false;
  return InSystemOnlyTree(FullPath(node, L""));
}

HKEY SimRegistry::NewHandle(const std::shared_ptr<Node>& node, DWORD access) {
  return kernel_.Insert(std::make_shared<KeyObject>(node, access));
}

SimRegistry::Value* SimRegistry::FindValue(Node* node, const std::wstring& name) {
  std::wstring wanted = Upper(name);
  for (auto& value : node->values) {
    if (Upper(value.name) == wanted) return &value;
  }
  return nullptr;
}

void SimRegistry::MarkDeleted(Node* node) {
  node->deleted = true;
  for (auto& [name, child] : node->subkeys) MarkDeleted(child.get());
}

void SimRegistry::DropVolatile(Node* node) {
  for (auto it = node->subkeys.begin(); it != node->subkeys.end();) {
    if (it->second->isVolatile) {
      MarkDeleted(it->second.get());
      it = node->subkeys.erase(it);
    } else {
      DropVolatile(it->second.get());
      ++it;
    }
  }
}

void SimRegistry::DropVolatileKeys() {
  auto lock = kernel_.Lock();
  for (Node* root : {machine_.get(), user_.get(), users_.get()}) DropVolatile(root);
}

size_t SimRegistry::OpenHandleCount() const { return kernel_.OpenHandleCount(ObjectKind::RegistryKey); }

// --- The calls' work ---

LONG SimRegistry::OpenKey(HKEY key, const std::wstring& subKey, DWORD sam, HKEY* result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  Handle parent;
  LONG rc = Resolve(key, &parent);
  if (rc != ERROR_SUCCESS) return rc;
  if (LONG fault = OpenFault(parent.node.get(), subKey)) return fault;
  auto node = Find(parent.node, subKey);
  if (!node) return ERROR_FILE_NOT_FOUND;
  if (Denied(node.get(), sam)) return ERROR_ACCESS_DENIED;
  *result = NewHandle(node, sam);
  return ERROR_SUCCESS;
}

LONG SimRegistry::CreateOrOpen(HKEY key, const std::wstring& subKey, DWORD options, DWORD sam, HKEY* result,
                               DWORD* disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  Handle parent;
  LONG rc = Resolve(key, &parent);
  if (rc != ERROR_SUCCESS) return rc;
  if (LONG fault = OpenFault(parent.node.get(), subKey)) return fault;
  const bool isVolatile = (options & REG_OPTION_VOLATILE) != 0;
  size_t depth = 0;
  std::shared_ptr<Node> deepest = Deepest(parent.node, subKey, &depth);
  if (depth == SplitPath(subKey).size()) {
    if (Denied(deepest.get(), sam)) return ERROR_ACCESS_DENIED;
  } else {
    // A new key needs the right to add keys to the deepest one that exists.
    if (!(parent.access & KEY_CREATE_SUB_KEY) || Denied(deepest.get(), KEY_CREATE_SUB_KEY)) {
      return ERROR_ACCESS_DENIED;
    }
    if (deepest->isVolatile && !isVolatile) return ERROR_CHILD_MUST_BE_VOLATILE;
  }
  bool created = false;
  auto node = FindOrCreate(parent.node, subKey, &created, isVolatile);
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *result = NewHandle(node, sam);
  return ERROR_SUCCESS;
}

LONG SimRegistry::QueryValue(HKEY key, const std::wstring& name, Value** value) {
  Handle handle;
  LONG rc = Resolve(key, &handle);
  if (rc != ERROR_SUCCESS) return rc;
  if (!(handle.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  *value = FindValue(handle.node.get(), name);
  return *value ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

// A handle whose values may be set or deleted: opened with KEY_SET_VALUE and
// not marked to fail writes.
LONG SimRegistry::ResolveForWrite(HKEY key, Handle* handle) {
  LONG rc = Resolve(key, handle);
  if (rc != ERROR_SUCCESS) return rc;
  if (!(handle->access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  auto fault = writeFaults_.find(FullPath(handle->node.get(), L""));
  return fault == writeFaults_.end() ? ERROR_SUCCESS : fault->second;
}

LONG SimRegistry::SetValueBytes(HKEY key, const std::wstring& name, DWORD type, std::string bytes) {
  Handle handle;
  LONG rc = ResolveForWrite(key, &handle);
  if (rc != ERROR_SUCCESS) return rc;
  Value* value = FindValue(handle.node.get(), name);
  if (!value) {
    handle.node->values.push_back(Value{name, type, std::move(bytes)});
  } else {
    value->type = type;
    value->bytes = std::move(bytes);
  }
  return ERROR_SUCCESS;
}

LONG SimRegistry::DeleteValueOf(HKEY key, const std::wstring& name) {
  Handle handle;
  LONG rc = ResolveForWrite(key, &handle);
  if (rc != ERROR_SUCCESS) return rc;
  auto& values = handle.node->values;
  std::wstring wanted = Upper(name);
  for (auto it = values.begin(); it != values.end(); ++it) {
    if (Upper(it->name) == wanted) {
      values.erase(it);
      return ERROR_SUCCESS;
    }
  }
  return ERROR_FILE_NOT_FOUND;
}

LONG SimRegistry::DeleteKey(HKEY key, const std::wstring& subKey) {
  Handle parent;
  LONG rc = Resolve(key, &parent);
  if (rc != ERROR_SUCCESS) return rc;
  auto node = Find(parent.node, subKey);
  if (!node) return ERROR_FILE_NOT_FOUND;
  if (!node->parent || (IsRoot(key) && SplitPath(subKey).empty())) return ERROR_ACCESS_DENIED;
  if (!node->subkeys.empty() || Denied(node.get(), kDelete)) return ERROR_ACCESS_DENIED;
  Node* owner = node->parent;
  MarkDeleted(node.get());
  owner->subkeys.erase(Upper(node->name));
  return ERROR_SUCCESS;
}

LONG SimRegistry::EnumKey(HKEY key, DWORD index, std::wstring* name) {
  Handle handle;
  LONG rc = Resolve(key, &handle);
  if (rc != ERROR_SUCCESS) return rc;
  if (!(handle.access & KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
  if (index >= handle.node->subkeys.size()) return ERROR_NO_MORE_ITEMS;
  auto it = handle.node->subkeys.begin();
  std::advance(it, index);
  *name = it->second->name;
  return ERROR_SUCCESS;
}

// --- Wide forms ---

LONG SimRegistry::RegOpenKeyExW(HKEY key, const wchar_t* subKey, DWORD, DWORD sam, HKEY* result) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("RegOpenKeyExW")) return static_cast<LONG>(error);
  return OpenKey(key, Name(subKey), sam, result);
}

LONG SimRegistry::RegCreateKeyExW(HKEY key, const wchar_t* subKey, DWORD options, DWORD sam, HKEY* result,
                                  DWORD* disposition) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("RegCreateKeyExW")) return static_cast<LONG>(error);
  return CreateOrOpen(key, Name(subKey), options, sam, result, disposition);
}

LONG SimRegistry::RegQueryValueExW(HKEY key, const wchar_t* name, DWORD* type, BYTE* data, DWORD* size) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("RegQueryValueExW")) return static_cast<LONG>(error);
  Value* value = nullptr;
  LONG rc = QueryValue(key, Name(name), &value);
  if (rc != ERROR_SUCCESS) return rc;
  if (type) *type = value->type;
  return CopyOut(value->bytes, data, size);
}

LONG SimRegistry::RegSetValueExW(HKEY key, const wchar_t* name, DWORD type, const BYTE* data, DWORD size) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("RegSetValueExW")) return static_cast<LONG>(error);
  std::string bytes = data ? std::string(reinterpret_cast<const char*>(data), size) : std::string();
  return SetValueBytes(key, Name(name), type, std::move(bytes));
}

LONG SimRegistry::RegDeleteValueW(HKEY key, const wchar_t* name) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("RegDeleteValueW")) return static_cast<LONG>(error);
  return DeleteValueOf(key, Name(name));
}

LONG SimRegistry::RegDeleteKeyW(HKEY key, const wchar_t* subKey) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("RegDeleteKeyW")) return static_cast<LONG>(error);
  return DeleteKey(key, Name(subKey));
}

LONG SimRegistry::RegEnumKeyExW(HKEY key, DWORD index, wchar_t* name, DWORD* nameLength) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("RegEnumKeyExW")) return static_cast<LONG>(error);
  if (!name || !nameLength) return ERROR_INVALID_PARAMETER;
  std::wstring found;
  LONG rc = EnumKey(key, index, &found);
  if (rc != ERROR_SUCCESS) return rc;
  if (*nameLength <= found.size()) return ERROR_MORE_DATA;
  found.copy(name, found.size());
  name[found.size()] = L'\0';
  *nameLength = static_cast<DWORD>(found.size());
  return ERROR_SUCCESS;
}

LONG SimRegistry::RegEnumValueW(HKEY key, DWORD index, wchar_t* name, DWORD* nameLength, DWORD* type, BYTE* data,
                                DWORD* size) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("RegEnumValueW")) return static_cast<LONG>(error);
  Handle handle;
  LONG rc = Resolve(key, &handle);
  if (rc != ERROR_SUCCESS) return rc;
  if (!(handle.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  if (!name || !nameLength) return ERROR_INVALID_PARAMETER;
  if (index >= handle.node->values.size()) return ERROR_NO_MORE_ITEMS;
  const Value& value = handle.node->values[index];
  if (*nameLength <= value.name.size()) return ERROR_MORE_DATA;
  value.name.copy(name, value.name.size());
  name[value.name.size()] = L'\0';
  *nameLength = static_cast<DWORD>(value.name.size());
  if (type) *type = value.type;
  return CopyOut(value.bytes, data, size);
}

LONG SimRegistry::RegCloseKey(HKEY key) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("RegCloseKey")) return static_cast<LONG>(error);
  if (IsRoot(key)) return ERROR_SUCCESS;
  return kernel_.Remove(key, {ObjectKind::RegistryKey}) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

// --- ANSI forms ---

std::wstring SimRegistry::Widen(const char* text) { return text ? kernel_.FromAnsi(text) : std::wstring(); }

std::wstring SimRegistry::Widen(const char* text, size_t length) { return kernel_.FromAnsi(std::string(text, length)); }

std::string SimRegistry::Narrow(const std::wstring& text) { return kernel_.ToAnsi(text); }

LONG SimRegistry::RegOpenKeyExA(HKEY key, const char* subKey, DWORD, DWORD sam, HKEY* result) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("RegOpenKeyExA")) return static_cast<LONG>(error);
  return OpenKey(key, Widen(subKey), sam, result);
}

LONG SimRegistry::RegCreateKeyExA(HKEY key, const char* subKey, DWORD options, DWORD sam, HKEY* result,
                                  DWORD* disposition) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("RegCreateKeyExA")) return static_cast<LONG>(error);
  return CreateOrOpen(key, Widen(subKey), options, sam, result, disposition);
}

// String data is stored as UTF-16LE; the ANSI form hands it out converted,
// NULs included, as Windows does.
LONG SimRegistry::RegQueryValueExA(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* size) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("RegQueryValueExA")) return static_cast<LONG>(error);
  Value* value = nullptr;
  LONG rc = QueryValue(key, Widen(name), &value);
  if (rc != ERROR_SUCCESS) return rc;
  if (type) *type = value->type;
  if (!IsStringType(value->type)) return CopyOut(value->bytes, data, size);
  return CopyOut(Narrow(text::FromUtf16LeBytes(value->bytes)), data, size);
}

LONG SimRegistry::RegSetValueExA(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("RegSetValueExA")) return static_cast<LONG>(error);
  if (!data) return SetValueBytes(key, Widen(name), type, std::string());
  const char* bytes = reinterpret_cast<const char*>(data);
  if (!IsStringType(type)) return SetValueBytes(key, Widen(name), type, std::string(bytes, size));
  return SetValueBytes(key, Widen(name), type, text::Utf16LeBytes(Widen(bytes, size)));
}

LONG SimRegistry::RegDeleteValueA(HKEY key, const char* name) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("RegDeleteValueA")) return static_cast<LONG>(error);
  return DeleteValueOf(key, Widen(name));
}

LONG SimRegistry::RegDeleteKeyA(HKEY key, const char* subKey) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("RegDeleteKeyA")) return static_cast<LONG>(error);
  return DeleteKey(key, Widen(subKey));
}

LONG SimRegistry::RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameLength) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("RegEnumKeyExA")) return static_cast<LONG>(error);
  if (!name || !nameLength) return ERROR_INVALID_PARAMETER;
  std::wstring found;
  LONG rc = EnumKey(key, index, &found);
  if (rc != ERROR_SUCCESS) return rc;
  std::string narrow = Narrow(found);
  if (*nameLength <= narrow.size()) return ERROR_MORE_DATA;
  narrow.copy(name, narrow.size());
  name[narrow.size()] = '\0';
  *nameLength = static_cast<DWORD>(narrow.size());
  return ERROR_SUCCESS;
}

// --- Faults and the test API ---

void SimRegistry::FailOpen(HKEY root, const std::wstring& path, LONG error) {
  auto lock = kernel_.Lock();
  openFaults_[FullPath(root, path)] = error;
}

void SimRegistry::FailWrite(HKEY root, const std::wstring& path, LONG error) {
  auto lock = kernel_.Lock();
  writeFaults_[FullPath(root, path)] = error;
}

void SimRegistry::ClearFaults() {
  auto lock = kernel_.Lock();
  openFaults_.clear();
  writeFaults_.clear();
}

void SimRegistry::SetValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type,
                           const std::string& bytes) {
  auto lock = kernel_.Lock();
  bool created = false;
  auto node = FindOrCreate(RootNode(root), path, &created);
  Value* value = FindValue(node.get(), name);
  if (!value) {
    node->values.push_back(Value{name, type, bytes});
  } else {
    value->type = type;
    value->bytes = bytes;
  }
}

void SimRegistry::SetString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value) {
  SetValue(root, path, name, REG_SZ, text::Utf16LeBytesWithNul(value));
}
void SimRegistry::SetExpandString(HKEY root, const std::wstring& path, const std::wstring& name,
                                  const std::wstring& value) {
  SetValue(root, path, name, REG_EXPAND_SZ, text::Utf16LeBytesWithNul(value));
}
void SimRegistry::SetDword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  SetValue(root, path, name, REG_DWORD, bytes);
}
void SimRegistry::SetMultiString(HKEY root, const std::wstring& path, const std::wstring& name,
                                 const std::vector<std::wstring>& strings) {
  std::wstring units;
  for (const auto& s : strings) units += s + L'\0';
  units += L'\0';
  SetValue(root, path, name, REG_MULTI_SZ, text::Utf16LeBytes(units));
}
void SimRegistry::SetBinary(HKEY root, const std::wstring& path, const std::wstring& name, const std::string& bytes) {
  SetValue(root, path, name, REG_BINARY, bytes);
}
void SimRegistry::CreateKey(HKEY root, const std::wstring& path) {
  auto lock = kernel_.Lock();
  bool created = false;
  FindOrCreate(RootNode(root), path, &created);
}

bool SimRegistry::DeleteTree(HKEY root, const std::wstring& path) {
  auto lock = kernel_.Lock();
  auto node = Find(RootNode(root), path);
  if (!node || !node->parent) return false;
  Node* owner = node->parent;
  MarkDeleted(node.get());
  owner->subkeys.erase(Upper(node->name));
  return true;
}

bool SimRegistry::DeleteValue(HKEY root, const std::wstring& path, const std::wstring& name) {
  auto lock = kernel_.Lock();
  auto node = Find(RootNode(root), path);
  if (!node) return false;
  std::wstring wanted = Upper(name);
  for (auto it = node->values.begin(); it != node->values.end(); ++it) {
    if (Upper(it->name) == wanted) {
      node->values.erase(it);
      return true;
    }
  }
  return false;
}

bool SimRegistry::GetValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD* type,
                           std::string* bytes) {
  auto lock = kernel_.Lock();
  auto node = Find(RootNode(root), path);
  if (!node) return false;
  Value* value = FindValue(node.get(), name);
  if (!value) return false;
  if (type) *type = value->type;
  if (bytes) *bytes = value->bytes;
  return true;
}

bool SimRegistry::GetString(HKEY root, const std::wstring& path, const std::wstring& name, std::wstring* value) {
  DWORD type = REG_NONE;
  std::string bytes;
  if (!GetValue(root, path, name, &type, &bytes) || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
  std::wstring units = text::FromUtf16LeBytes(bytes);
  *value = units.substr(0, units.find(L'\0'));
  return true;
}

bool SimRegistry::GetDword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD* value) {
  DWORD type = REG_NONE;
  std::string bytes;
  if (!GetValue(root, path, name, &type, &bytes) || type != REG_DWORD || bytes.size() != 4) return false;
  DWORD result = 0;
  for (int i = 3; i >= 0; --i) result = (result << 8) | static_cast<BYTE>(bytes[i]);
  *value = result;
  return true;
}

bool SimRegistry::GetMultiString(HKEY root, const std::wstring& path, const std::wstring& name,
                                 std::vector<std::wstring>* strings) {
  DWORD type = REG_NONE;
  std::string bytes;
  if (!GetValue(root, path, name, &type, &bytes) || type != REG_MULTI_SZ) return false;
  strings->clear();
  std::wstring current;
  for (wchar_t c : text::FromUtf16LeBytes(bytes)) {
    if (c != L'\0') {
      current += c;
    } else if (current.empty()) {
      break;
    } else {
      strings->push_back(current);
      current.clear();
    }
  }
  if (!current.empty()) strings->push_back(current);
  return true;
}

bool SimRegistry::KeyExists(HKEY root, const std::wstring& path) {
  auto lock = kernel_.Lock();
  return Find(RootNode(root), path) != nullptr;
}

std::vector<std::wstring> SimRegistry::ValueNames(HKEY root, const std::wstring& path) {
  auto lock = kernel_.Lock();
  std::vector<std::wstring> names;
  if (auto node = Find(RootNode(root), path)) {
    for (const auto& value : node->values) names.push_back(value.name);
  }
  return names;
}

std::vector<std::wstring> SimRegistry::SubkeyNames(HKEY root, const std::wstring& path) {
  auto lock = kernel_.Lock();
  std::vector<std::wstring> names;
  if (auto node = Find(RootNode(root), path)) {
    for (const auto& [upper, child] : node->subkeys) names.push_back(child->name);
  }
  return names;
}

bool SimRegistry::ImportRegText(const std::string& text, std::string* error) {
  auto lock = kernel_.Lock();
  std::vector<RegFileOp> ops;
  if (!ParseRegFile(RegFileToUtf8(text), &ops, error)) return false;
  for (const auto& op : ops) {
    switch (op.kind) {
      case RegFileOp::kCreateKey: CreateKey(op.root, op.path); break;
      case RegFileOp::kDeleteKey: DeleteTree(op.root, op.path); break;
      case RegFileOp::kSetValue: SetValue(op.root, op.path, op.name, op.type, op.bytes); break;
      case RegFileOp::kDeleteValue: DeleteValue(op.root, op.path, op.name); break;
    }
  }
  return true;
}

void SimRegistry::ExportKey(const Node* node, const std::wstring& fullName, std::string* out) const {
  *out += FormatRegKey(fullName);
  for (const auto& value : node->values) *out += FormatRegValue(value.name, value.type, value.bytes);
  *out += "\r\n";
  for (const auto& [upper, child] : node->subkeys) ExportKey(child.get(), fullName + L"\\" + child->name, out);
}

std::string SimRegistry::ExportRegText(HKEY root, const std::wstring& path) {
  auto lock = kernel_.Lock();
  std::string out = FormatRegHeader();
  auto node = Find(RootNode(root), path);
  if (!node) return out;
  std::wstring fullName = RegRootName(root);
  for (const auto& part : SplitPath(path)) fullName += L"\\" + part;
  ExportKey(node.get(), fullName, &out);
  return out;
}

}  // namespace pf::sim
