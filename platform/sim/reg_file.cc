#include "platform/sim/reg_file.h"

#include <cstdio>

#include "common/text/case_fold.h"
#include "common/text/utf.h"

namespace pf::sim {
namespace {

constexpr char kHeader[] = "Windows Registry Editor Version 5.00";
constexpr char kHeader4[] = "REGEDIT4";

std::string LeftTrim(const std::string& s) {
  size_t i = s.find_first_not_of(" \t");
  return i == std::string::npos ? std::string() : s.substr(i);
}

std::string RightTrim(const std::string& s) {
  size_t i = s.find_last_not_of(" \t\r");
  return i == std::string::npos ? std::string() : s.substr(0, i + 1);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool RootFromName(const std::string& name, HKEY* root) {
  struct Entry {
    const wchar_t* name;
    HKEY root;
  };
  static const Entry kRoots[] = {{L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
                                 {L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
                                 {L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
                                 {L"HKEY_USERS", HKEY_USERS}};
  const std::wstring wide = text::Utf8ToUtf16(name);
  for (const Entry& e : kRoots) {
    if (text::EqualsNoCase(wide, e.name)) {
      *root = e.root;
      return true;
    }
  }
  return false;
}

// Reads a quoted string starting at text[*pos] == '"'; leaves *pos after the closing quote.
bool ParseQuoted(const std::string& text, size_t* pos, std::string* out) {
  size_t i = *pos + 1;
  out->clear();
  while (i < text.size()) {
    char c = text[i];
    if (c == '"') {
      *pos = i + 1;
      return true;
    }
    if (c == '\\' && i + 1 < text.size()) {
      char next = text[i + 1];
      if (next == '\\' || next == '"') {
        out->push_back(next);
        i += 2;
        continue;
      }
    }
    out->push_back(c);
    ++i;
  }
  return false;
}

bool ParseHexBytes(const std::string& text, std::string* bytes) {
  bytes->clear();
  size_t i = 0;
  auto skipSpace = [&] {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  };
  skipSpace();
  if (i == text.size()) return true;
  while (true) {
    skipSpace();
    int hi = i < text.size() ? HexDigit(text[i]) : -1;
    int lo = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
    if (hi < 0) return false;
    if (lo < 0) {  // a single digit
      bytes->push_back(static_cast<char>(hi));
      i += 1;
    } else {
      bytes->push_back(static_cast<char>(hi * 16 + lo));
      i += 2;
    }
    skipSpace();
    if (i == text.size()) return true;
    if (text[i] != ',') return false;
    ++i;
    skipSpace();
    if (i == text.size()) return true;  // a trailing comma
  }
}

bool ParseData(const std::string& data, RegFileOp* op, std::string* reason) {
  if (data == "-") {
    op->kind = RegFileOp::kDeleteValue;
    return true;
  }
  op->kind = RegFileOp::kSetValue;
  if (!data.empty() && data[0] == '"') {
    size_t pos = 0;
    std::string text;
    if (!ParseQuoted(data, &pos, &text) || !RightTrim(data.substr(pos)).empty()) {
      *reason = "malformed string value";
      return false;
    }
    op->type = REG_SZ;
    op->bytes = text::Utf16LeBytesWithNul(text::Utf8ToUtf16(text));
    return true;
  }
  if (data.compare(0, 6, "dword:") == 0) {
    std::string digits = RightTrim(data.substr(6));
    if (digits.empty() || digits.size() > 8) {
      *reason = "malformed dword value";
      return false;
    }
    DWORD value = 0;
    for (char c : digits) {
      int d = HexDigit(c);
      if (d < 0) {
        *reason = "malformed dword value";
        return false;
      }
      value = value * 16 + static_cast<DWORD>(d);
    }
    op->type = REG_DWORD;
    op->bytes.clear();
    for (int k = 0; k < 4; ++k) op->bytes.push_back(static_cast<char>((value >> (8 * k)) & 0xFF));
    return true;
  }
  if (data.compare(0, 3, "hex") == 0) {
    size_t colon = data.find(':');
    if (colon == std::string::npos) {
      *reason = "malformed hex value";
      return false;
    }
    std::string kind = data.substr(3, colon - 3);
    op->type = REG_BINARY;
    if (!kind.empty()) {
      if (kind.size() < 3 || kind.front() != '(' || kind.back() != ')') {
        *reason = "malformed hex type";
        return false;
      }
      DWORD type = 0;
      for (size_t k = 1; k + 1 < kind.size(); ++k) {
        int d = HexDigit(kind[k]);
        if (d < 0) {
          *reason = "malformed hex type";
          return false;
        }
        type = type * 16 + static_cast<DWORD>(d);
      }
      op->type = type;
    }
    if (!ParseHexBytes(data.substr(colon + 1), &op->bytes)) {
      *reason = "malformed hex bytes";
      return false;
    }
    return true;
  }
  *reason = "unknown value data";
  return false;
}

bool ParseKeyLine(const std::string& line, RegFileOp* op, std::string* reason) {
  std::string body = RightTrim(line);
  if (body.size() < 2 || body.back() != ']') {
    *reason = "malformed key line";
    return false;
  }
  body = body.substr(1, body.size() - 2);
  op->kind = RegFileOp::kCreateKey;
  if (!body.empty() && body[0] == '-') {
    op->kind = RegFileOp::kDeleteKey;
    body = body.substr(1);
  }
  size_t slash = body.find('\\');
  std::string rootName = body.substr(0, slash);
  if (!RootFromName(rootName, &op->root)) {
    *reason = "unknown root key '" + rootName + "'";
    return false;
  }
  op->path = slash == std::string::npos ? std::wstring() : text::Utf8ToUtf16(body.substr(slash + 1));
  return true;
}

std::string Escape(const std::wstring& text) {
  std::string out;
  for (char c : text::Utf16ToUtf8(text)) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  return out;
}

}  // namespace

std::string RegFileToUtf8(const std::string& fileBytes) {
  if (fileBytes.size() >= 2 && static_cast<unsigned char>(fileBytes[0]) == 0xFF &&
      static_cast<unsigned char>(fileBytes[1]) == 0xFE) {
    return text::Utf16ToUtf8(text::FromUtf16LeBytes(fileBytes.substr(2)));
  }
  if (fileBytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return fileBytes.substr(3);
  return fileBytes;
}

std::string Utf8ToRegFile(const std::string& utf8) { return "\xFF\xFE" + text::Utf16LeBytes(text::Utf8ToUtf16(utf8)); }

bool ParseRegFile(const std::string& utf8, std::vector<RegFileOp>* ops, std::string* error) {
  std::string text = RegFileToUtf8(utf8);
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }

  bool sawHeader = false;
  bool inKey = false;  // inside a [key] section (values apply)
  bool inDeleted = false;
  RegFileOp section;
  for (size_t n = 0; n < lines.size(); ++n) {
    size_t lineNumber = n + 1;
    std::string line = LeftTrim(lines[n]);
    auto fail = [&](const std::string& reason) {
      if (error) *error = "line " + std::to_string(lineNumber) + ": " + reason;
      return false;
    };
    if (RightTrim(line).empty() || line[0] == ';') continue;
    if (!sawHeader) {
      std::string header = RightTrim(line);
      if (header != kHeader && header != kHeader4) return fail("not a registry file");
      sawHeader = true;
      continue;
    }
    if (line[0] == '[') {
      std::string reason;
      if (!ParseKeyLine(line, &section, &reason)) return fail(reason);
      inDeleted = section.kind == RegFileOp::kDeleteKey;
      inKey = !inDeleted;
      ops->push_back(section);
      continue;
    }
    if (line[0] != '"' && line[0] != '@') return fail("unexpected text");
    // Hex data may continue over lines ending in a backslash.
    std::string logical = RightTrim(line);
    while (!logical.empty() && logical.back() == '\\' && logical.find("=hex") != std::string::npos &&
           n + 1 < lines.size()) {
      logical.pop_back();
      logical += RightTrim(LeftTrim(lines[++n]));
    }
    RegFileOp op;
    size_t pos = 1;
    if (logical[0] == '"') {
      std::string name;
      pos = 0;
      if (!ParseQuoted(logical, &pos, &name)) return fail("malformed value name");
      op.name = text::Utf8ToUtf16(name);
    }
    while (pos < logical.size() && (logical[pos] == ' ' || logical[pos] == '\t')) ++pos;
    if (pos >= logical.size() || logical[pos] != '=') return fail("missing '='");
    std::string reason;
    if (!ParseData(LeftTrim(logical.substr(pos + 1)), &op, &reason)) return fail(reason);
    if (inDeleted) continue;
    if (!inKey) return fail("value outside a key");
    op.root = section.root;
    op.path = section.path;
    ops->push_back(op);
  }
  if (!sawHeader) {
    if (error) *error = "line 1: not a registry file";
    return false;
  }
  return true;
}

std::wstring RegRootName(HKEY root) {
  switch (root) {
    case HKEY_LOCAL_MACHINE: return L"HKEY_LOCAL_MACHINE";
    case HKEY_CURRENT_USER: return L"HKEY_CURRENT_USER";
    case HKEY_CLASSES_ROOT: return L"HKEY_CLASSES_ROOT";
    case HKEY_USERS: return L"HKEY_USERS";
    default: return std::wstring();
  }
}

std::string FormatRegHeader() { return std::string(kHeader) + "\r\n\r\n"; }

std::string FormatRegKey(const std::wstring& fullName) { return "[" + text::Utf16ToUtf8(fullName) + "]\r\n"; }

std::string FormatRegValue(const std::wstring& name, DWORD type, const std::string& bytes) {
  std::string out = name.empty() ? "@=" : "\"" + Escape(name) + "\"=";
  if (type == REG_SZ && bytes.size() >= 2 && bytes.size() % 2 == 0) {
    std::wstring units = text::FromUtf16LeBytes(bytes);
    if (units.back() == 0 && units.find(L'\0') == units.size() - 1) {
      units.pop_back();
      return out + "\"" + Escape(units) + "\"\r\n";
    }
  }
  if (type == REG_DWORD && bytes.size() == 4) {
    DWORD value = 0;
    for (int k = 3; k >= 0; --k) value = value * 256 + static_cast<unsigned char>(bytes[k]);
    char digits[16];
    std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(value));
    return out + "dword:" + digits + "\r\n";
  }
  char prefix[24];
  if (type == REG_BINARY) {
    std::snprintf(prefix, sizeof prefix, "hex:");
  } else {
    std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(type));
  }
  out += prefix;
  size_t column = out.size();
  for (size_t i = 0; i < bytes.size(); ++i) {
    char digits[4];
    std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned char>(bytes[i]));
    out += digits;
    column += 2;
    if (i + 1 < bytes.size()) {
      out += ',';
      ++column;
      if (column > 76) {
        out += "\\\r\n  ";
        column = 2;
      }
    }
  }
  return out + "\r\n";
}

}  // namespace pf::sim
