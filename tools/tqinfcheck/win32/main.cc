// tqinfcheck on Windows: reads the real file with the real platform; with
// --codepage N the input locale's ANSI code page is answered as N.
#include <cstdio>
#include <string>
#include <vector>

#include "common/text/decimal.h"
#include "platform/platform.h"
#include "tools/tqinfcheck/inf_check.h"

namespace {

// Answers the input locale's default ANSI code page with a fixed number and
// forwards everything else.
class FixedInputCodePage : public pf::CodePageApi {
 public:
  FixedInputCodePage(pf::CodePageApi* real, std::int32_t codePage) : real_(real), codePage_(codePage) {}
  pf::HKL GetKeyboardLayout(pf::DWORD threadId) override { return real_->GetKeyboardLayout(threadId); }
  int GetLocaleInfoW(pf::LCID locale, pf::LCTYPE type, wchar_t* data, int size) override {
    if (type != pf::LOCALE_IDEFAULTANSICODEPAGE) return real_->GetLocaleInfoW(locale, type, data, size);
    std::wstring text = text::WideDecimal(codePage_);
    if (size < static_cast<int>(text.size()) + 1) return 0;
    for (std::size_t i = 0; i <= text.size(); ++i) data[i] = i < text.size() ? text[i] : L'\0';
    return static_cast<int>(text.size()) + 1;
  }
  pf::UINT GetACP() override { return real_->GetACP(); }
  int MultiByteToWideChar(pf::UINT codePage, pf::DWORD flags, const char* text, int length, wchar_t* wide,
                          int wideLength) override {
    return real_->MultiByteToWideChar(codePage, flags, text, length, wide, wideLength);
  }
  int WideCharToMultiByte(pf::UINT codePage, pf::DWORD flags, const wchar_t* wide, int wideLength, char* text,
                          int length) override {
    return real_->WideCharToMultiByte(codePage, flags, wide, wideLength, text, length);
  }

 private:
  pf::CodePageApi* real_;
  std::int32_t codePage_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::wstring> args(argv + 1, argv + argc);
  std::wstring path;
  std::int32_t codePage = -1;
  std::string error;
  if (!ParseInfCheckArgs(args, &path, &codePage, &error)) {
    std::fputs(("tqinfcheck: " + error + "\n").c_str(), stderr);
    return 2;
  }
  FixedInputCodePage fixed(pf::Current().codePages, codePage);
  pf::Platform platform = pf::Current();
  if (codePage >= 0) platform.codePages = &fixed;
  pf::ScopedPlatform scope(platform);
  std::string json;
  if (!CheckInf(path, path, &json)) {
    std::fputs("tqinfcheck: cannot open the INF file\n", stderr);
    return 2;
  }
  std::fputs((json + "\n").c_str(), stdout);
  return 0;
}
