// The simulated registry: a tree of keys holding typed byte values.
//
// Key and value names compare without case; subkeys enumerate sorted without
// case and values in the order they were first set, as in Windows. The roots
// are HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER and HKEY_USERS; HKEY_CLASSES_ROOT
// is HKEY_LOCAL_MACHINE\SOFTWARE\Classes. Handles carry the access they were
// opened with. A test can make the opening of a key, or the writing of its
// values, fail with a chosen error. Given the PC's kernel, every registry call
// the program makes is recorded there by name and can be failed with
// SimKernel::FailCall (the ANSI forms are recorded under their own names).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/codepages.h"
#include "platform/registry.h"

namespace pf::sim {

class SimCodePages;
class SimKernel;

class SimRegistry : public RegistryApi {
 public:
  // The ANSI forms convert through codePages' ANSI code page; SimCodePages is
  // one. Calls are recorded in kernel when one is given.
  explicit SimRegistry(CodePageApi& codePages, SimKernel* kernel = nullptr);
  ~SimRegistry() override;
  SimRegistry(const SimRegistry&) = delete;
  SimRegistry& operator=(const SimRegistry&) = delete;

  LONG RegOpenKeyExW(HKEY key, const wchar_t* subKey, DWORD options, DWORD sam, HKEY* result) override;
  LONG RegCreateKeyExW(HKEY key, const wchar_t* subKey, DWORD options, DWORD sam, HKEY* result,
                       DWORD* disposition) override;
  LONG RegQueryValueExW(HKEY key, const wchar_t* name, DWORD* type, BYTE* data, DWORD* size) override;
  LONG RegSetValueExW(HKEY key, const wchar_t* name, DWORD type, const BYTE* data, DWORD size) override;
  LONG RegDeleteValueW(HKEY key, const wchar_t* name) override;
  LONG RegDeleteKeyW(HKEY key, const wchar_t* subKey) override;
  LONG RegEnumKeyExW(HKEY key, DWORD index, wchar_t* name, DWORD* nameLength) override;
  LONG RegEnumValueW(HKEY key, DWORD index, wchar_t* name, DWORD* nameLength, DWORD* type, BYTE* data,
                     DWORD* size) override;

  LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, DWORD sam, HKEY* result) override;
  LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD options, DWORD sam, HKEY* result,
                       DWORD* disposition) override;
  LONG RegQueryValueExA(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* size) override;
  LONG RegSetValueExA(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size) override;
  LONG RegDeleteValueA(HKEY key, const char* name) override;
  LONG RegDeleteKeyA(HKEY key, const char* subKey) override;
  LONG RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameLength) override;

  LONG RegCloseKey(HKEY key) override;

  // Faults: opening or creating exactly this key fails with error.
  void FailOpen(HKEY root, const std::wstring& path, LONG error = ERROR_ACCESS_DENIED);
  // Faults: setting or deleting a value of exactly this key fails with error.
  void FailWrite(HKEY root, const std::wstring& path, LONG error = ERROR_ACCESS_DENIED);
  void ClearFaults();

  // Conveniences for tests and seeds; they ignore faults and create keys as needed.
  // An empty name is the default value.
  void SetString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value);
  void SetExpandString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value);
  void SetDword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value);
  void SetMultiString(HKEY root, const std::wstring& path, const std::wstring& name,
                      const std::vector<std::wstring>& strings);
  void SetBinary(HKEY root, const std::wstring& path, const std::wstring& name, const std::string& bytes);
  void SetValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const std::string& bytes);
  void CreateKey(HKEY root, const std::wstring& path);
  // Deletes the key with everything below it; false when it was not there.
  bool DeleteTree(HKEY root, const std::wstring& path);
  bool DeleteValue(HKEY root, const std::wstring& path, const std::wstring& name);

  // A REG_SZ or REG_EXPAND_SZ value's text up to its first NUL.
  bool GetString(HKEY root, const std::wstring& path, const std::wstring& name, std::wstring* value);
  bool GetDword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD* value);
  bool GetMultiString(HKEY root, const std::wstring& path, const std::wstring& name,
                      std::vector<std::wstring>* strings);
  bool GetValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD* type, std::string* bytes);
  bool KeyExists(HKEY root, const std::wstring& path);
  std::vector<std::wstring> ValueNames(HKEY root, const std::wstring& path);
  std::vector<std::wstring> SubkeyNames(HKEY root, const std::wstring& path);
  // Handles opened and not yet closed.
  size_t OpenHandleCount() const { return handles_.size(); }

  // Applies a .reg file (UTF-8, or UTF-16LE with BOM as regedit writes it).
  bool ImportRegText(const std::string& text, std::string* error);
  // The key and everything below it as a .reg file in UTF-8 (see reg_file.h).
  std::string ExportRegText(HKEY root, const std::wstring& path);

 private:
  struct Value {
    std::wstring name;
    DWORD type = REG_NONE;
    std::string bytes;
  };
  struct Node {
    std::wstring name;
    Node* parent = nullptr;
    bool deleted = false;
    std::vector<Value> values;
    std::map<std::wstring, std::shared_ptr<Node>> subkeys;  // by upper-case name: Windows order
  };
  struct Handle {
    std::shared_ptr<Node> node;
    DWORD access = 0;
  };

  LONG Resolve(HKEY key, Handle* handle);
  LONG ResolveForWrite(HKEY key, Handle* handle);
  std::shared_ptr<Node> RootNode(HKEY root);
  std::shared_ptr<Node> Find(const std::shared_ptr<Node>& from, const std::wstring& path);
  std::shared_ptr<Node> FindOrCreate(const std::shared_ptr<Node>& from, const std::wstring& path, bool* created);
  std::wstring FullPath(const Node* node, const std::wstring& below) const;
  std::wstring FullPath(HKEY root, const std::wstring& path);
  LONG OpenFault(const Node* parent, const std::wstring& subKey) const;
  HKEY NewHandle(const std::shared_ptr<Node>& node, DWORD access);
  static Value* FindValue(Node* node, const std::wstring& name);
  static void MarkDeleted(Node* node);
  LONG QueryValue(HKEY key, const std::wstring& name, Value** value);
  void ExportKey(const Node* node, const std::wstring& fullName, std::string* out) const;

  // Records the call in the kernel (not when an ANSI form runs it through its
  // wide form) and returns the error a fault makes it fail with, or 0.
  LONG Enter(const char* call);
  class Nested;

  std::wstring Widen(const char* text, int length = -1);
  std::string Narrow(const wchar_t* text, int length = -1);

  CodePageApi& codePages_;
  SimKernel* kernel_;
  int nesting_ = 0;
  std::shared_ptr<Node> machine_, user_, users_, classes_;
  std::map<HKEY, Handle> handles_;
  HKEY nextHandle_ = 0x1000;
  std::map<std::wstring, LONG> openFaults_, writeFaults_;  // by upper-case full path
};

}  // namespace pf::sim
