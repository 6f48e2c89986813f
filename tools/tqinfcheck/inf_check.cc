#include "tools/tqinfcheck/inf_check.h"

#include <nlohmann/json.hpp>

#include "common/inf/inf_sections.h"
#include "common/text/case_fold.h"
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

std::vector<std::string> PackageWarnings(const std::wstring& infText) {
  std::vector<std::string> warnings;
  const inf::Sections sections = inf::ReadSections(infText);
  bool catalog = false;
  if (auto version = sections.find(L"VERSION"); version != sections.end()) {
    for (const std::wstring& line : version->second) {
      std::wstring key, value;
      // CatalogFile, or a decorated CatalogFile.NTamd64 and the like.
      if (inf::SplitEntry(line, &key, &value) && !value.empty()) {
        const std::wstring name = text::Upper(key);
        catalog = catalog || name == L"CATALOGFILE" || name.rfind(L"CATALOGFILE.", 0) == 0;
      }
    }
  }
  if (!catalog) {
    warnings.push_back("no CatalogFile in [Version]: the package is not signed, and 64-bit Windows 10 and 11 "
                       "refuse to install an unsigned driver package");
  }
  if (inf::ModelsSections(sections, L"amd64").empty()) {
    warnings.push_back("no NTamd64 models section: 64-bit Windows on x64 PCs finds no model to install");
  }
  if (inf::ModelsSections(sections, L"arm64").empty()) {
    warnings.push_back("no NTarm64 models section: Windows on ARM64 PCs finds no model to install");
  }
  return warnings;
}

std::string InfReportJson(const std::wstring& file, std::int32_t codePage, const DriverInf& inf,
                          const std::vector<std::string>& packageWarnings) {
  nlohmann::ordered_json report;
  report["file"] = text::Utf16ToUtf8(file);
  report["codePage"] = codePage;
  report["lptHardwareId"] = text::Utf16ToUtf8(inf.lptHardwareId);
  report["usbHardwareId"] = text::Utf16ToUtf8(inf.usbHardwareId);
  report["driverModel"] = text::Utf16ToUtf8(inf.modelName);
  report["deviceDescription"] = text::Utf16ToUtf8(inf.modelName);
  report["lptOffered"] = IsOfferedHardwareId(inf.lptHardwareId);
  report["usbOffered"] = IsOfferedHardwareId(inf.usbHardwareId);
  std::vector<std::string> warnings = InfWarnings(inf);
  warnings.insert(warnings.end(), packageWarnings.begin(), packageWarnings.end());
  report["warnings"] = warnings;
  return report.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

bool CheckInf(const std::wstring& path, const std::wstring& shownName, std::string* json) {
  DriverInf inf;
  std::int32_t codePage = 0;
  std::u16string text;
  if (!ReadDriverInf(path, &inf, &codePage, &text)) return false;
  *json = InfReportJson(shownName, codePage, inf, PackageWarnings(std::wstring(text.begin(), text.end())));
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
