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

SimRegistry::SimRegistry(CodePageApi& codePages, SimKernel* kernel)
    : codePages_(codePages),
      kernel_(kernel),
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

// An ANSI form's call of the wide form: not recorded a second time.
class SimRegistry::Nested {
 public:
  explicit Nested(SimRegistry& registry) : registry_(registry) { ++registry_.nesting_; }
  ~Nested() { --registry_.nesting_; }
  Nested(const Nested&) = delete;
  Nested& operator=(const Nested&) = delete;

 private:
  SimRegistry& registry_;
};

LONG SimRegistry::Enter(const char* call) {
  if (!kernel_ || nesting_ > 0) return ERROR_SUCCESS;
  return static_cast<LONG>(kernel_->Enter(call));
}

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
  auto it = handles_.find(key);
  if (it == handles_.end()) return ERROR_INVALID_HANDLE;
  if (it->second.node->deleted) return ERROR_KEY_DELETED;
  *handle = it->second;
  return ERROR_SUCCESS;
}

std::shared_ptr<SimRegistry::Node> SimRegistry::Find(const std::shared_ptr<Node>& from, const std::wstring& path) {
  std::shared_ptr<Node> node = from;
  for (const auto& part : SplitPath(path)) {
    auto it = node->subkeys.find(Upper(part));
    if (it == node->subkeys.end()) return nullptr;
    node = it->second;
  }
  return node;
}

std::shared_ptr<SimRegistry::Node> SimRegistry::FindOrCreate(const std::shared_ptr<Node>& from,
                                                             const std::wstring& path, bool* created) {
  *created = false;
  std::shared_ptr<Node> node = from;
  for (const auto& part : SplitPath(path)) {
    auto& slot = node->subkeys[Upper(part)];
    if (!slot) {
      slot = std::make_shared<Node>();
      slot->name = part;
      slot->parent = node.get();
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

HKEY SimRegistry::NewHandle(const std::shared_ptr<Node>& node, DWORD access) {
  HKEY handle = nextHandle_;
  nextHandle_ += 4;
  handles_[handle] = Handle{node, access};
  return handle;
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

LONG SimRegistry::RegOpenKeyExW(HKEY key, const wchar_t* subKey, DWORD, DWORD sam, HKEY* result) {
  if (LONG fault = Enter("RegOpenKeyExW")) return fault;
  if (!result) return ERROR_INVALID_PARAMETER;
  Handle parent;
  LONG rc = Resolve(key, &parent);
  if (rc != ERROR_SUCCESS) return rc;
  std::wstring sub = Name(subKey);
  if (LONG fault = OpenFault(parent.node.get(), sub)) return fault;
  auto node = Find(parent.node, sub);
  if (!node) return ERROR_FILE_NOT_FOUND;
  *result = NewHandle(node, sam);
  return ERROR_SUCCESS;
}

LONG SimRegistry::RegCreateKeyExW(HKEY key, const wchar_t* subKey, DWORD, DWORD sam, HKEY* result,
                                  DWORD* disposition) {
  if (LONG fault = Enter("RegCreateKeyExW")) return fault;
  if (!result) return ERROR_INVALID_PARAMETER;
  Handle parent;
  LONG rc = Resolve(key, &parent);
  if (rc != ERROR_SUCCESS) return rc;
  std::wstring sub = Name(subKey);
  if (LONG fault = OpenFault(parent.node.get(), sub)) return fault;
  bool created = false;
  if (!Find(parent.node, sub) && !(parent.access & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
  auto node = FindOrCreate(parent.node, sub, &created);
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

LONG SimRegistry::RegQueryValueExW(HKEY key, const wchar_t* name, DWORD* type, BYTE* data, DWORD* size) {
  if (LONG fault = Enter("RegQueryValueExW")) return fault;
  Value* value = nullptr;
  LONG rc = QueryValue(key, Name(name), &value);
  if (rc != ERROR_SUCCESS) return rc;
  if (type) *type = value->type;
  return CopyOut(value->bytes, data, size);
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

LONG SimRegistry::RegSetValueExW(HKEY key, const wchar_t* name, DWORD type, const BYTE* data, DWORD size) {
  if (LONG fault = Enter("RegSetValueExW")) return fault;
  Handle handle;
  LONG rc = ResolveForWrite(key, &handle);
  if (rc != ERROR_SUCCESS) return rc;
  std::string bytes = data ? std::string(reinterpret_cast<const char*>(data), size) : std::string();
  Value* value = FindValue(handle.node.get(), Name(name));
  if (!value) {
    handle.node->values.push_back(Value{Name(name), type, bytes});
  } else {
    value->type = type;
    value->bytes = bytes;
  }
  return ERROR_SUCCESS;
}

LONG SimRegistry::RegDeleteValueW(HKEY key, const wchar_t* name) {
  if (LONG fault = Enter("RegDeleteValueW")) return fault;
  Handle handle;
  LONG rc = ResolveForWrite(key, &handle);
  if (rc != ERROR_SUCCESS) return rc;
  auto& values = handle.node->values;
  std::wstring wanted = Upper(Name(name));
  for (auto it = values.begin(); it != values.end(); ++it) {
    if (Upper(it->name) == wanted) {
      values.erase(it);
      return ERROR_SUCCESS;
    }
  }
  return ERROR_FILE_NOT_FOUND;
}

LONG SimRegistry::RegDeleteKeyW(HKEY key, const wchar_t* subKey) {
  if (LONG fault = Enter("RegDeleteKeyW")) return fault;
  Handle parent;
  LONG rc = Resolve(key, &parent);
  if (rc != ERROR_SUCCESS) return rc;
  std::wstring sub = Name(subKey);
  auto node = Find(parent.node, sub);
  if (!node) return ERROR_FILE_NOT_FOUND;
  if (!node->parent || (IsRoot(key) && SplitPath(sub).empty())) return ERROR_ACCESS_DENIED;
  if (!node->subkeys.empty()) return ERROR_ACCESS_DENIED;
  Node* owner = node->parent;
  MarkDeleted(node.get());
  owner->subkeys.erase(Upper(node->name));
  return ERROR_SUCCESS;
}

LONG SimRegistry::RegEnumKeyExW(HKEY key, DWORD index, wchar_t* name, DWORD* nameLength) {
  if (LONG fault = Enter("RegEnumKeyExW")) return fault;
  Handle handle;
  LONG rc = Resolve(key, &handle);
  if (rc != ERROR_SUCCESS) return rc;
  if (!(handle.access & KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
  if (!name || !nameLength) return ERROR_INVALID_PARAMETER;
  if (index >= handle.node->subkeys.size()) return ERROR_NO_MORE_ITEMS;
  auto it = handle.node->subkeys.begin();
  std::advance(it, index);
  const std::wstring& found = it->second->name;
  if (*nameLength <= found.size()) return ERROR_MORE_DATA;
  found.copy(name, found.size());
  name[found.size()] = L'\0';
  *nameLength = static_cast<DWORD>(found.size());
  return ERROR_SUCCESS;
}

LONG SimRegistry::RegEnumValueW(HKEY key, DWORD index, wchar_t* name, DWORD* nameLength, DWORD* type, BYTE* data,
                                DWORD* size) {
  if (LONG fault = Enter("RegEnumValueW")) return fault;
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

std::wstring SimRegistry::Widen(const char* text, int length) {
  if (!text) return std::wstring();
  int count = codePages_.MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
  if (count <= 0) return std::wstring();
  std::wstring out(static_cast<size_t>(count), L'\0');
  codePages_.MultiByteToWideChar(CP_ACP, 0, text, length, &out[0], count);
  if (length < 0 && !out.empty() && out.back() == L'\0') out.pop_back();
  return out;
}

std::string SimRegistry::Narrow(const wchar_t* text, int length) {
  if (!text || length == 0) return std::string();
  int count = codePages_.WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0);
  if (count <= 0) return std::string();
  std::string out(static_cast<size_t>(count), '\0');
  codePages_.WideCharToMultiByte(CP_ACP, 0, text, length, &out[0], count);
  if (length < 0 && !out.empty() && out.back() == '\0') out.pop_back();
  return out;
}

LONG SimRegistry::RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, DWORD sam, HKEY* result) {
  if (LONG fault = Enter("RegOpenKeyExA")) return fault;
  Nested nested(*this);
  std::wstring sub = Widen(subKey);
  return RegOpenKeyExW(key, subKey ? sub.c_str() : nullptr, options, sam, result);
}

LONG SimRegistry::RegCreateKeyExA(HKEY key, const char* subKey, DWORD options, DWORD sam, HKEY* result,
                                  DWORD* disposition) {
  if (LONG fault = Enter("RegCreateKeyExA")) return fault;
  Nested nested(*this);
  std::wstring sub = Widen(subKey);
  return RegCreateKeyExW(key, subKey ? sub.c_str() : nullptr, options, sam, result, disposition);
}

// String data is stored as UTF-16LE; the ANSI form hands it out converted,
// NULs included, as Windows does.
LONG SimRegistry::RegQueryValueExA(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* size) {
  if (LONG fault = Enter("RegQueryValueExA")) return fault;
  Nested nested(*this);
  Value* value = nullptr;
  LONG rc = QueryValue(key, Widen(name), &value);
  if (rc != ERROR_SUCCESS) return rc;
  if (type) *type = value->type;
  if (!IsStringType(value->type)) return CopyOut(value->bytes, data, size);
  std::wstring units = text::FromUtf16LeBytes(value->bytes);
  return CopyOut(Narrow(units.data(), static_cast<int>(units.size())), data, size);
}

LONG SimRegistry::RegSetValueExA(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size) {
  if (LONG fault = Enter("RegSetValueExA")) return fault;
  Nested nested(*this);
  std::wstring wideName = Widen(name);
  const wchar_t* namePtr = name ? wideName.c_str() : nullptr;
  if (!IsStringType(type) || !data) return RegSetValueExW(key, namePtr, type, data, size);
  std::wstring units = Widen(reinterpret_cast<const char*>(data), static_cast<int>(size));
  std::string bytes = text::Utf16LeBytes(units);
  return RegSetValueExW(key, namePtr, type, reinterpret_cast<const BYTE*>(bytes.data()),
                        static_cast<DWORD>(bytes.size()));
}

LONG SimRegistry::RegDeleteValueA(HKEY key, const char* name) {
  if (LONG fault = Enter("RegDeleteValueA")) return fault;
  Nested nested(*this);
  std::wstring wideName = Widen(name);
  return RegDeleteValueW(key, name ? wideName.c_str() : nullptr);
}

LONG SimRegistry::RegDeleteKeyA(HKEY key, const char* subKey) {
  if (LONG fault = Enter("RegDeleteKeyA")) return fault;
  Nested nested(*this);
  std::wstring sub = Widen(subKey);
  return RegDeleteKeyW(key, subKey ? sub.c_str() : nullptr);
}

LONG SimRegistry::RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameLength) {
  if (LONG fault = Enter("RegEnumKeyExA")) return fault;
  Nested nested(*this);
  if (!name || !nameLength) return ERROR_INVALID_PARAMETER;
  wchar_t wide[256];
  DWORD wideLength = 256;
  LONG rc = RegEnumKeyExW(key, index, wide, &wideLength);
  if (rc != ERROR_SUCCESS) return rc;
  std::string narrow = Narrow(wide, static_cast<int>(wideLength));
  if (*nameLength <= narrow.size()) return ERROR_MORE_DATA;
  narrow.copy(name, narrow.size());
  name[narrow.size()] = '\0';
  *nameLength = static_cast<DWORD>(narrow.size());
  return ERROR_SUCCESS;
}

LONG SimRegistry::RegCloseKey(HKEY key) {
  if (LONG fault = Enter("RegCloseKey")) return fault;
  if (IsRoot(key)) return ERROR_SUCCESS;
  return handles_.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

void SimRegistry::FailOpen(HKEY root, const std::wstring& path, LONG error) { openFaults_[FullPath(root, path)] = error; }
void SimRegistry::FailWrite(HKEY root, const std::wstring& path, LONG error) {
  writeFaults_[FullPath(root, path)] = error;
}
void SimRegistry::ClearFaults() {
  openFaults_.clear();
  writeFaults_.clear();
}

void SimRegistry::SetValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type,
                           const std::string& bytes) {
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
  bool created = false;
  FindOrCreate(RootNode(root), path, &created);
}

bool SimRegistry::DeleteTree(HKEY root, const std::wstring& path) {
  auto node = Find(RootNode(root), path);
  if (!node || !node->parent) return false;
  Node* owner = node->parent;
  MarkDeleted(node.get());
  owner->subkeys.erase(Upper(node->name));
  return true;
}

bool SimRegistry::DeleteValue(HKEY root, const std::wstring& path, const std::wstring& name) {
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

bool SimRegistry::KeyExists(HKEY root, const std::wstring& path) { return Find(RootNode(root), path) != nullptr; }

std::vector<std::wstring> SimRegistry::ValueNames(HKEY root, const std::wstring& path) {
  std::vector<std::wstring> names;
  if (auto node = Find(RootNode(root), path)) {
    for (const auto& value : node->values) names.push_back(value.name);
  }
  return names;
}

std::vector<std::wstring> SimRegistry::SubkeyNames(HKEY root, const std::wstring& path) {
  std::vector<std::wstring> names;
  if (auto node = Find(RootNode(root), path)) {
    for (const auto& [upper, child] : node->subkeys) names.push_back(child->name);
  }
  return names;
}

bool SimRegistry::ImportRegText(const std::string& text, std::string* error) {
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
  std::string out = FormatRegHeader();
  auto node = Find(RootNode(root), path);
  if (!node) return out;
  std::wstring fullName = RegRootName(root);
  for (const auto& part : SplitPath(path)) fullName += L"\\" + part;
  ExportKey(node.get(), fullName, &out);
  return out;
}

}  // namespace pf::sim
