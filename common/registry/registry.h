// CRegistry: the registry key object of both programs.
//
// One implementation serves both widths: CRegistry (wide, used by setup) and
// CRegistryA (ANSI, used by Spoolmate). The object starts at a predefined root
// key, which it never closes; the key it opens below is owned (pf::UniqueKey)
// and closed when another is opened, when closed, or when the object goes. Every failure is the boolean result; nothing is shown.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/unique_handle.h"

template <typename Char>
class CRegistryT {
 public:
  using String = std::basic_string<Char>;

  // access: KEY_READ for reading, KEY_READ | KEY_WRITE for writing.
  CRegistryT(pf::HKEY root, pf::DWORD access);
  CRegistryT(const CRegistryT&) = delete;
  CRegistryT& operator=(const CRegistryT&) = delete;

  // Opens subKey below the current key; with create, a missing key is created
  // first. On success the opened key replaces the current one; on failure the
  // current key stays.
  bool Open(const String& subKey, bool create);
  // As Open, relative to the given parent instead of the current key.
  bool OpenFrom(pf::HKEY parent, const String& subKey, bool create);

  // True when 4 bytes were read; otherwise value keeps what the caller put there.
  bool ReadDword(const String& name, pf::DWORD* value);
  // Reads into a 1023-byte buffer; a missing or longer value fails and leaves
  // text unchanged. Takes the text up to the first NUL (first string of a
  // multi-string).
  bool ReadString(const String& name, String* text);
  // The value when present; when missing, writes the default and returns it.
  pf::DWORD ReadDwordOrDefault(const String& name, pf::DWORD defaultValue);
  String ReadStringOrDefault(const String& name, const String& defaultValue);

  bool WriteDword(const String& name, pf::DWORD value);
  // REG_SZ with its terminating NUL.
  bool WriteString(const String& name, const String& text);
  bool DeleteValue(const String& name);

  // Enumerates subkeys by index until the call fails; the first failing index.
  pf::DWORD CountSubkeys();
  // Appends the names of indexes 0 .. CountSubkeys() - 1.
  void ListSubkeys(std::vector<String>* names);

  // Closes the owned key and lets go of the root: later calls fail.
  void Close();
  // The current key: the owned one once a key was opened, else the root.
  pf::HKEY key() const { return owned_ ? owned_.get() : root_; }

 private:
  pf::HKEY root_;
  pf::UniqueKey owned_;
  pf::DWORD access_;
};

using CRegistry = CRegistryT<wchar_t>;
using CRegistryA = CRegistryT<char>;
