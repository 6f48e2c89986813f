#include "tools/tqinfcheck/inf_check.h"

#include <nlohmann/json.hpp>

#include "common/text/utf.h"

namespace {

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

std::string InfReportJson(const std::wstring& file, std::int32_t codePage, const DriverInf& inf) {
  nlohmann::ordered_json report;
  report["file"] = text::Utf16ToUtf8(file);
  report["codePage"] = codePage;
  report["lptHardwareId"] = text::Utf16ToUtf8(inf.lptHardwareId);
  report["usbHardwareId"] = text::Utf16ToUtf8(inf.usbHardwareId);
  report["driverModel"] = text::Utf16ToUtf8(inf.modelName);
  report["deviceDescription"] = text::Utf16ToUtf8(inf.modelName);
  report["lptOffered"] = IsOfferedHardwareId(inf.lptHardwareId);
  report["usbOffered"] = IsOfferedHardwareId(inf.usbHardwareId);
  report["warnings"] = InfWarnings(inf);
  return report.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
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
