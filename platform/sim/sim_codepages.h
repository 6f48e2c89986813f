// The simulated input locale and code page conversions (through iconv), with
// Win32 buffer rules: a length of -1 means NUL-terminated (the NUL counted),
// an output size of 0 asks for the size needed.
#pragma once

#include <map>
#include <string>

#include "platform/codepages.h"

namespace pf::sim {

class SimKernel;

class SimCodePages : public CodePageApi {
 public:
  // kernel receives the last error of failing calls; may be null.
  explicit SimCodePages(SimKernel* kernel = nullptr) : kernel_(kernel) {}

  HKL GetKeyboardLayout(DWORD threadId) override;
  int GetLocaleInfoW(LCID locale, LCTYPE type, wchar_t* data, int size) override;
  UINT GetACP() override { return ansiCodePage_; }
  int MultiByteToWideChar(UINT codePage, DWORD flags, const char* text, int length, wchar_t* wide,
                          int wideLength) override;
  int WideCharToMultiByte(UINT codePage, DWORD flags, const wchar_t* wide, int wideLength, char* text,
                          int length) override;

  // Test API.
  void SetInputLocaleAnsiCodePage(UINT codePage) { inputCodePage_ = codePage; }
  void SetAnsiCodePage(UINT codePage) { ansiCodePage_ = codePage; }

  // Conversions through the ANSI code page, for the ANSI forms of other groups.
  std::wstring FromAnsi(const std::string& text);
  std::string ToAnsi(const std::wstring& text);

 private:
  // The language id that stands for a code page; unknown pages get a
  // synthetic id remembered for GetLocaleInfoW.
  WORD LanguageFor(UINT codePage);
  bool CodePageOfLanguage(WORD language, UINT* codePage) const;
  void Fail(DWORD error);

  SimKernel* kernel_;
  UINT inputCodePage_ = 936;
  UINT ansiCodePage_ = 936;
  std::map<WORD, UINT> syntheticLanguages_;
};

// Decodes bytes of a code page into UTF-16 units the way Windows does with
// flags 0; false for a code page that is not supported. With strict set, an
// invalid sequence makes it fail with *invalid set.
bool DecodeBytes(UINT codePage, const std::string& bytes, bool strict, std::u16string* units, bool* invalid);
// Encodes UTF-16 units; what the page cannot represent becomes '?'.
bool EncodeUnits(UINT codePage, const std::u16string& units, std::string* bytes);

}  // namespace pf::sim
