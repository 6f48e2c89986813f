// setup.exe's version resource and manifest both carry the product version
// of the build (TQ_PRODUCT_VERSION, from project() in the root CMakeLists).
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "common/res/res_reader.h"

namespace {

std::vector<uint8_t> ReadBytes(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

uint16_t U16(const std::vector<uint8_t>& b, size_t at) {
  return at + 2 <= b.size() ? static_cast<uint16_t>(b[at] | (b[at + 1] << 8)) : 0;
}
uint32_t U32(const std::vector<uint8_t>& b, size_t at) { return U16(b, at) | (uint32_t{U16(b, at + 2)} << 16); }

std::string Narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }

// One block of a version resource: {wLength, wValueLength, wType, szKey,
// padding, Value, padding, children}. Collects the string values (wType 1)
// (text blocks with a value) by key and the VS_FIXEDFILEINFO of the root.
struct VersionInfo {
  std::map<std::string, std::string> strings;
  std::vector<uint32_t> fixed;  // the 13 DWORDs of VS_FIXEDFILEINFO
};

void ReadBlock(const std::vector<uint8_t>& b, size_t at, size_t end, VersionInfo* info) {
  const size_t length = U16(b, at), valueLength = U16(b, at + 2), type = U16(b, at + 4);
  ASSERT_GE(length, 6u);
  ASSERT_LE(at + length, end);
  size_t pos = at + 6;
  std::u16string key;
  for (char16_t c = U16(b, pos); c != 0; c = U16(b, pos)) key.push_back(c), pos += 2;
  pos = (pos + 2 + 3) & ~size_t{3};
  if (type == 1 && valueLength > 0) {  // a String; StringFileInfo and StringTable have no value
    std::u16string value;
    for (size_t i = 0; i < valueLength && U16(b, pos + 2 * i) != 0; ++i) value.push_back(U16(b, pos + 2 * i));
    info->strings[Narrow(key)] = Narrow(value);
    return;
  }
  if (key == u"VS_VERSION_INFO") {
    for (size_t i = 0; i < valueLength / 4; ++i) info->fixed.push_back(U32(b, pos + 4 * i));
  }
  pos = (pos + valueLength + 3) & ~size_t{3};
  while (pos < at + length) {
    const size_t child = U16(b, pos);
    ASSERT_GT(child, 0u);
    ReadBlock(b, pos, at + length, info);
    pos = (pos + child + 3) & ~size_t{3};
  }
}

class SetupVersion : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(res::ParseResFile(ReadBytes(TQ_SETUP_RES_FILE), &entries_)); }
  std::vector<res::Entry> entries_;
};

TEST_F(SetupVersion, VersionResourceCarriesTheProductVersion) {
  const res::Entry* entry = res::FindEntry(entries_, res::kTypeVersion, 1);
  ASSERT_NE(entry, nullptr);
  VersionInfo info;
  ReadBlock(entry->data, 0, entry->data.size(), &info);
  EXPECT_EQ(info.strings["FileVersion"], TQ_PRODUCT_VERSION);
  EXPECT_EQ(info.strings["ProductVersion"], TQ_PRODUCT_VERSION);
  EXPECT_EQ(info.strings["OriginalFilename"], "setup.exe");
  ASSERT_EQ(info.fixed.size(), 13u);
  EXPECT_EQ(info.fixed[0], 0xFEEF04BDu);  // signature
  const std::string fileVersion = std::to_string(info.fixed[2] >> 16) + "." + std::to_string(info.fixed[2] & 0xFFFF) +
                                  "." + std::to_string(info.fixed[3] >> 16) + "." +
                                  std::to_string(info.fixed[3] & 0xFFFF);
  const std::string productVersion = std::to_string(info.fixed[4] >> 16) + "." +
                                     std::to_string(info.fixed[4] & 0xFFFF) + "." +
                                     std::to_string(info.fixed[5] >> 16) + "." + std::to_string(info.fixed[5] & 0xFFFF);
  EXPECT_EQ(fileVersion, TQ_PRODUCT_VERSION);
  EXPECT_EQ(productVersion, TQ_PRODUCT_VERSION);
}

TEST_F(SetupVersion, ManifestCarriesTheProductVersionAndAsksForAdministrator) {
  const res::Entry* entry = res::FindEntry(entries_, res::kTypeManifest, 1);
  ASSERT_NE(entry, nullptr);
  const std::string manifest(entry->data.begin(), entry->data.end());
  EXPECT_NE(manifest.find("name=\"TAVIR.TQPrinter.Setup\" version=\"" TQ_PRODUCT_VERSION "\""), std::string::npos)
      << manifest;
  EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
  EXPECT_EQ(manifest.find('@'), std::string::npos) << "a placeholder was left";
}

// The text between the first `open` at or after `from` and the next `close`;
// empty when either is missing.
std::string Between(const std::string& text, const std::string& open, const std::string& close, size_t from = 0) {
  const size_t start = text.find(open, from);
  if (start == std::string::npos) return {};
  const size_t end = text.find(close, start + open.size());
  return end == std::string::npos ? std::string() : text.substr(start + open.size(), end - start - open.size());
}

TEST_F(SetupVersion, ManifestDeclaresPerMonitorDpiAwarenessAndTheSupportedWindows) {
  const res::Entry* entry = res::FindEntry(entries_, res::kTypeManifest, 1);
  ASSERT_NE(entry, nullptr);
  const std::string manifest(entry->data.begin(), entry->data.end());
  // Windows reads the DPI settings only inside the asm.v3 application element,
  // each element in its own namespace: the 2005 one for dpiAware (Vista to
  // 10 1607), the 2016 one for dpiAwareness (10 1607 and later, which then
  // ignore dpiAware).
  const std::string settings = Between(manifest, "<application xmlns=\"urn:schemas-microsoft-com:asm.v3\">",
                                       "</application>");
  const std::string windowsSettings = Between(settings, "<windowsSettings>", "</windowsSettings>");
  ASSERT_FALSE(windowsSettings.empty()) << manifest;
  EXPECT_EQ(Between(windowsSettings, "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">",
                    "</dpiAware>"),
            "true/pm");
  EXPECT_EQ(Between(windowsSettings,
                    "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">",
                    "</dpiAwareness>"),
            "PerMonitorV2, PerMonitor");
  // Vista, 7, 8, 8.1 and 10/11, in the compatibility section's application.
  const std::string compatibility =
      Between(manifest, "<compatibility xmlns=\"urn:schemas-microsoft-com:compatibility.v1\">", "</compatibility>");
  const std::string supported = Between(compatibility, "<application>", "</application>");
  for (const char* id : {"{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                         "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                         "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {
    EXPECT_NE(supported.find(std::string("<supportedOS Id=\"") + id + "\"/>"), std::string::npos) << id;
  }
  // What was there before stays: administrator rights without UI access,
  // common controls 6.
  EXPECT_NE(Between(manifest, "<trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v3\">", "</trustInfo>")
                .find("<requestedExecutionLevel level=\"requireAdministrator\" uiAccess=\"false\"/>"),
            std::string::npos);
  EXPECT_NE(Between(manifest, "<dependentAssembly>", "</dependentAssembly>")
                .find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
            std::string::npos);
}

}  // namespace
