// The .reg file format ("Windows Registry Editor Version 5.00") as regedit
// writes it and `reg import` reads it: [key] and [-key] sections, "name"="text"
// with \\ and \" escapes, @ for the default value, dword:, hex:, hex(N): with
// backslash line continuation, and "name"=- to delete a value.
//
// Text here is UTF-8; RegFileToUtf8/Utf8ToRegFile convert from and to the
// UTF-16LE-with-BOM files regedit writes (Wine's `reg import` reads those and
// reads 8-bit files in the ANSI code page, so UTF-16LE is the form to hand it).
#pragma once

#include <string>
#include <vector>

#include "platform/registry.h"

namespace pf::sim {

// File bytes (UTF-16LE with BOM, UTF-8 with or without BOM) to UTF-8 text.
std::string RegFileToUtf8(const std::string& fileBytes);
// UTF-8 text to UTF-16LE with BOM.
std::string Utf8ToRegFile(const std::string& utf8);

struct RegFileOp {
  enum Kind { kCreateKey, kDeleteKey, kSetValue, kDeleteValue };
  Kind kind = kCreateKey;
  HKEY root = 0;
  std::wstring path;  // below root
  std::wstring name;  // empty: the default value
  DWORD type = REG_NONE;
  std::string bytes;
};

// The operations of a .reg file in order; on a malformed line false, with
// "line N: reason" in error.
bool ParseRegFile(const std::string& utf8, std::vector<RegFileOp>* ops, std::string* error);

// "HKEY_LOCAL_MACHINE" and the like; empty for a handle that is not a root.
std::wstring RegRootName(HKEY root);

// Pieces of an exported file, each ending in CRLF.
std::string FormatRegHeader();
std::string FormatRegKey(const std::wstring& fullName);
std::string FormatRegValue(const std::wstring& name, DWORD type, const std::string& bytes);

}  // namespace pf::sim
