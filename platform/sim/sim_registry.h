// The simulated registry: a tree of keys holding typed byte values.
//
// Key and value names compare without case; subkeys enumerate sorted without
// case and values in the order they were first set, as in Windows. The roots
// are HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER and HKEY_USERS; HKEY_CLASSES_ROOT
// is HKEY_LOCAL_MACHINE\SOFTWARE\Classes.
//
// Keys opened by the calls are handles of the kernel's table (RegistryKey)
// and carry the access they were opened with; RegCloseKey closes those and
// nothing else. Every call takes the kernel's lock and can be made to fail
// through the kernel's FailCall under its own name ("RegOpenKeyExW",
// "RegQueryValueExA", ...); like Windows, the calls return their error and
// leave the thread's last error alone. The ANSI forms convert through the
// kernel's ANSI code page.
//
// Security as Windows has it where the system depends on it: the Enum
// subtree (HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Enum) is readable by
// the administrator that runs setup and writable only by the local system
// account that services run as. An administrator's open or create there that
// asks for any write right, its creation of a key there and its deletion of
// one fail with ERROR_ACCESS_DENIED.
//
// Keys created with REG_OPTION_VOLATILE vanish when the PC restarts
// (DropVolatileKeys); a key below a volatile key must be volatile too.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace pf::sim {

class SimKernel;

class SimRegistry : public RegistryApi {
 public:
  explicit SimRegistry(SimKernel& kernel);
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

  // Removes every volatile key with what is below it, as a restart does.
  // Handles still open to them then fail with ERROR_KEY_DELETED.
  void DropVolatileKeys();

  // Conveniences for tests and seeds; they ignore faults and security and
  // create (non-volatile) keys as needed. An empty name is the default value.
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
  // Key handles opened and not yet closed.
  size_t OpenHandleCount() const;

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
    bool isVolatile = false;
    std::vector<Value> values;
    std::map<std::wstring, std::shared_ptr<Node>> subkeys;  // by upper-case name: Windows order
  };
  struct Handle {
    std::shared_ptr<Node> node;
    DWORD access = 0;
  };
  class KeyObject;

  // The calls' work; the public wide and ANSI forms enter the kernel under
  // their own names and then convert around these.
  LONG OpenKey(HKEY key, const std::wstring& subKey, DWORD sam, HKEY* result);
  LONG CreateOrOpen(HKEY key, const std::wstring& subKey, DWORD options, DWORD sam, HKEY* result,
                    DWORD* disposition);
  LONG QueryValue(HKEY key, const std::wstring& name, Value** value);
  LONG SetValueBytes(HKEY key, const std::wstring& name, DWORD type, std::string bytes);
  LONG DeleteValueOf(HKEY key, const std::wstring& name);
  LONG DeleteKey(HKEY key, const std::wstring& subKey);
  LONG EnumKey(HKEY key, DWORD index, std::wstring* name);

  LONG Resolve(HKEY key, Handle* handle);
  LONG ResolveForWrite(HKEY key, Handle* handle);
  std::shared_ptr<Node> RootNode(HKEY root);
  std::shared_ptr<Node> Find(const std::shared_ptr<Node>& from, const std::wstring& path);
  // The deepest key of path that exists, and how many of path's parts it covers.
  std::shared_ptr<Node> Deepest(const std::shared_ptr<Node>& from, const std::wstring& path, size_t* depth);
  std::shared_ptr<Node> FindOrCreate(const std::shared_ptr<Node>& from, const std::wstring& path, bool* created,
                                     bool isVolatile = false);
  std::wstring FullPath(const Node* node, const std::wstring& below) const;
  std::wstring FullPath(HKEY root, const std::wstring& path);
  LONG OpenFault(const Node* parent, const std::wstring& subKey) const;
  // True when the calling thread's account may not have these rights on node.
  bool Denied(const Node* node, DWORD sam) const;
  HKEY NewHandle(const std::shared_ptr<Node>& node, DWORD access);
  static Value* FindValue(Node* node, const std::wstring& name);
  static void MarkDeleted(Node* node);
  static void DropVolatile(Node* node);
  void ExportKey(const Node* node, const std::wstring& fullName, std::string* out) const;

  std::wstring Widen(const char* text);
  std::wstring Widen(const char* text, size_t length);
  std::string Narrow(const std::wstring& text);

  SimKernel& kernel_;
  std::shared_ptr<Node> machine_, user_, users_, classes_;
  std::map<std::wstring, LONG> openFaults_, writeFaults_;  // by upper-case full path
};

}  // namespace pf::sim
