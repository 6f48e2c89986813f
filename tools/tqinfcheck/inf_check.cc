#include "tools/tqinfcheck/inf_check.h"

#include "common/text/utf.h"

namespace {

// "\\u" and the unit's four upper-case hex digits, as "\\u%04X" prints them.
void AppendEscape(std::uint32_t unit, std::string* out) {
  static const char kHex[] = "0123456789ABCDEF";
  out->append("\\u");
  for (int shift = 12; shift >= 0; shift -= 4) out->push_back(kHex[(unit >> shift) & 0xF]);
}

bool HasTextAfterId(const std::wstring& id) { return id.find_first_of(L" \t,;") != std::wstring::npos; }

void WarnAboutId(const std::wstring& id, const char* marker, std::vector<std::string>* warnings) {
  std::string name(marker);
  if (id.empty()) {
    warnings->push_back("marker " + name + " missing or not followed by a line feed");
    return;
  }
  if (HasTextAfterId(id)) warnings->push_back("text after the " + name + " id on its line");
  if (!IsOfferedHardwareId(id)) warnings->push_back("the detection page will not offer the " + name + " id");
}

}  // namespace

std::vector<std::string> InfWarnings(const DriverInf& inf) {
  std::vector<std::string> warnings;
  WarnAboutId(inf.lptHardwareId, "LPTENUM\\", &warnings);
  WarnAboutId(inf.usbHardwareId, "USBPRINT\\", &warnings);
  if (!inf.usbHardwareId.empty() && inf.modelName.empty()) warnings.push_back("no quoted model name on the USB line");
  return warnings;
}

std::string JsonString(const std::wstring& text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const char32_t c = text::NextCodePoint(text, &i);
    if (text::IsSurrogate(c)) {
      AppendEscape(c, &out);
    } else if (c == '"') {
      out += "\\\"";
    } else if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20) {
      AppendEscape(c, &out);
    } else {
      text::AppendUtf8(c, &out);
    }
  }
  return out + "\"";
}

std::string InfReportJson(const std::wstring& file, std::int32_t codePage, const DriverInf& inf) {
  std::string json = "{\"file\":" + JsonString(file);
  json += ",\"codePage\":" + std::to_string(codePage);
  json += ",\"lptHardwareId\":" + JsonString(inf.lptHardwareId);
  json += ",\"usbHardwareId\":" + JsonString(inf.usbHardwareId);
  json += ",\"driverModel\":" + JsonString(inf.modelName);
  json += ",\"deviceDescription\":" + JsonString(inf.modelName);
  json += std::string(",\"lptOffered\":") + (IsOfferedHardwareId(inf.lptHardwareId) ? "true" : "false");
  json += std::string(",\"usbOffered\":") + (IsOfferedHardwareId(inf.usbHardwareId) ? "true" : "false");
  json += ",\"warnings\":[";
  std::vector<std::string> warnings = InfWarnings(inf);
  for (std::size_t i = 0; i < warnings.size(); ++i) {
    if (i > 0) json += ",";
    json += JsonString(std::wstring(warnings[i].begin(), warnings[i].end()));
  }
  return json + "]}";
}

bool CheckInf(const std::wstring& path, const std::wstring& shownName, std::string* json) {
  DriverInf inf;
  std::int32_t codePage = 0;
  if (!ReadDriverInf(path, &inf, &codePage)) return false;
  *json = InfReportJson(shownName, codePage, inf);
  return true;
}

bool ParseInfCheckArgs(const std::vector<std::wstring>& args, std::wstring* path, std::int32_t* codePage,
                       std::string* error) {
  *codePage = -1;
  path->clear();
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == L"--codepage") {
      if (i + 1 >= args.size()) {
        *error = "--codepage needs a number";
        return false;
      }
      const std::wstring& number = args[++i];
      std::int32_t value = 0;
      if (number.empty() || number.size() > 9) {
        *error = "bad code page";
        return false;
      }
      for (wchar_t c : number) {
        if (c < L'0' || c > L'9') {
          *error = "bad code page";
          return false;
        }
        value = value * 10 + (c - L'0');
      }
      *codePage = value;
    } else if (path->empty()) {
      *path = args[i];
    } else {
      *error = "usage: tqinfcheck PATH [--codepage N]";
      return false;
    }
  }
  if (path->empty()) {
    *error = "usage: tqinfcheck PATH [--codepage N]";
    return false;
  }
  return true;
}
