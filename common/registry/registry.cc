#include "common/registry/registry.h"

#include <utility>

#include "common/text/utf.h"

namespace {

// The wide and ANSI registry calls behind one name each, so that CRegistryT
// is a single piece of code for both widths.
pf::LONG OpenKey(pf::HKEY k, const wchar_t* s, pf::DWORD a, pf::HKEY* r) { return pf::RegOpenKeyExW(k, s, 0, a, r); }
pf::LONG OpenKey(pf::HKEY k, const char* s, pf::DWORD a, pf::HKEY* r) { return pf::RegOpenKeyExA(k, s, 0, a, r); }
pf::LONG CreateKey(pf::HKEY k, const wchar_t* s, pf::DWORD a, pf::HKEY* r) {
  return pf::RegCreateKeyExW(k, s, pf::REG_OPTION_NON_VOLATILE, a, r, nullptr);
}
pf::LONG CreateKey(pf::HKEY k, const char* s, pf::DWORD a, pf::HKEY* r) {
  return pf::RegCreateKeyExA(k, s, pf::REG_OPTION_NON_VOLATILE, a, r, nullptr);
}
pf::LONG Query(pf::HKEY k, const wchar_t* n, pf::DWORD* t, pf::BYTE* d, pf::DWORD* s) {
  return pf::RegQueryValueExW(k, n, t, d, s);
}
pf::LONG Query(pf::HKEY k, const char* n, pf::DWORD* t, pf::BYTE* d, pf::DWORD* s) {
  return pf::RegQueryValueExA(k, n, t, d, s);
}
pf::LONG Set(pf::HKEY k, const wchar_t* n, pf::DWORD t, const pf::BYTE* d, pf::DWORD s) {
  return pf::RegSetValueExW(k, n, t, d, s);
}
pf::LONG Set(pf::HKEY k, const char* n, pf::DWORD t, const pf::BYTE* d, pf::DWORD s) {
  return pf::RegSetValueExA(k, n, t, d, s);
}
pf::LONG DeleteValue(pf::HKEY k, const wchar_t* n) { return pf::RegDeleteValueW(k, n); }
pf::LONG DeleteValue(pf::HKEY k, const char* n) { return pf::RegDeleteValueA(k, n); }
pf::LONG EnumKey(pf::HKEY k, pf::DWORD i, wchar_t* n, pf::DWORD* l) { return pf::RegEnumKeyExW(k, i, n, l); }
pf::LONG EnumKey(pf::HKEY k, pf::DWORD i, char* n, pf::DWORD* l) { return pf::RegEnumKeyExA(k, i, n, l); }

// Registry string bytes to characters: UTF-16LE units for the wide form, the
// bytes themselves for the ANSI form.
std::wstring FromBytes(const pf::BYTE* data, pf::DWORD size, wchar_t) { return text::FromUtf16LeBytes(data, size); }
std::string FromBytes(const pf::BYTE* data, pf::DWORD size, char) {
  return std::string(reinterpret_cast<const char*>(data), size);
}
std::string ToBytes(const std::wstring& text) { return text::Utf16LeBytesWithNul(text); }
std::string ToBytes(const std::string& text) { return text + '\0'; }

}  // namespace

template <typename Char>
CRegistryT<Char>::CRegistryT(pf::HKEY root, pf::DWORD access) : root_(root), access_(access) {}

template <typename Char>
void CRegistryT<Char>::Close() {
  owned_.reset();
  root_ = 0;
}

template <typename Char>
bool CRegistryT<Char>::Open(const String& subKey, bool create) {
  return OpenFrom(key(), subKey, create);
}

template <typename Char>
bool CRegistryT<Char>::OpenFrom(pf::HKEY parent, const String& subKey, bool create) {
  pf::UniqueKey opened;
  if (OpenKey(parent, subKey.c_str(), access_, opened.put()) != pf::ERROR_SUCCESS) {
    if (!create) return false;
    pf::UniqueKey created;
    if (CreateKey(parent, subKey.c_str(), access_, created.put()) != pf::ERROR_SUCCESS) return false;
    created.reset();
    if (OpenKey(parent, subKey.c_str(), access_, opened.put()) != pf::ERROR_SUCCESS) return false;
  }
  owned_ = std::move(opened);
  return true;
}

template <typename Char>
bool CRegistryT<Char>::ReadDword(const String& name, pf::DWORD* value) {
  pf::BYTE data[4] = {};
  pf::DWORD type = 0;
  pf::DWORD size = sizeof(data);
  if (Query(key(), name.c_str(), &type, data, &size) != pf::ERROR_SUCCESS || size != 4) return false;
  *value = static_cast<pf::DWORD>(data[0] | (data[1] << 8) | (data[2] << 16)) | (static_cast<pf::DWORD>(data[3]) << 24);
  return true;
}

template <typename Char>
bool CRegistryT<Char>::ReadString(const String& name, String* text) {
  pf::BYTE buffer[1023];
  pf::DWORD type = 0;
  pf::DWORD size = sizeof(buffer);
  if (Query(key(), name.c_str(), &type, buffer, &size) != pf::ERROR_SUCCESS) return false;
  String value = FromBytes(buffer, size, Char());
  *text = value.substr(0, value.find(Char(0)));
  return true;
}

template <typename Char>
pf::DWORD CRegistryT<Char>::ReadDwordOrDefault(const String& name, pf::DWORD defaultValue) {
  pf::DWORD value = defaultValue;
  if (ReadDword(name, &value)) return value;
  WriteDword(name, defaultValue);
  return defaultValue;
}

template <typename Char>
typename CRegistryT<Char>::String CRegistryT<Char>::ReadStringOrDefault(const String& name,
                                                                        const String& defaultValue) {
  String value;
  if (ReadString(name, &value)) return value;
  WriteString(name, defaultValue);
  return defaultValue;
}

template <typename Char>
bool CRegistryT<Char>::WriteDword(const String& name, pf::DWORD value) {
  const pf::BYTE data[4] = {static_cast<pf::BYTE>(value), static_cast<pf::BYTE>(value >> 8),
                            static_cast<pf::BYTE>(value >> 16), static_cast<pf::BYTE>(value >> 24)};
  return Set(key(), name.c_str(), pf::REG_DWORD, data, 4) == pf::ERROR_SUCCESS;
}

template <typename Char>
bool CRegistryT<Char>::WriteString(const String& name, const String& text) {
  std::string bytes = ToBytes(text);
  return Set(key(), name.c_str(), pf::REG_SZ, reinterpret_cast<const pf::BYTE*>(bytes.data()),
             static_cast<pf::DWORD>(bytes.size())) == pf::ERROR_SUCCESS;
}

template <typename Char>
bool CRegistryT<Char>::DeleteValue(const String& name) {
  return ::DeleteValue(key(), name.c_str()) == pf::ERROR_SUCCESS;
}

template <typename Char>
pf::DWORD CRegistryT<Char>::CountSubkeys() {
  Char name[256];
  pf::DWORD index = 0;
  for (;; ++index) {
    pf::DWORD length = 256;
    if (EnumKey(key(), index, name, &length) != pf::ERROR_SUCCESS) return index;
  }
}

template <typename Char>
void CRegistryT<Char>::ListSubkeys(std::vector<String>* names) {
  pf::DWORD count = CountSubkeys();
  Char name[256];
  for (pf::DWORD index = 0; index < count; ++index) {
    pf::DWORD length = 256;
    if (EnumKey(key(), index, name, &length) == pf::ERROR_SUCCESS) names->push_back(String(name, length));
  }
}

template class CRegistryT<wchar_t>;
template class CRegistryT<char>;
