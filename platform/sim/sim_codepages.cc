#include "platform/sim/sim_codepages.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

#include "common/text/utf.h"
#include "platform/sim/sim_kernel.h"

namespace pf::sim {
namespace {

constexpr DWORD kErrorInvalidFlags = 1004;
constexpr DWORD kErrorNoUnicodeTranslation = 1113;
constexpr DWORD kMbErrInvalidChars = 0x8;
constexpr LCTYPE kLocaleNoUserOverride = 0x80000000u;
constexpr LCTYPE kLocaleReturnNumber = 0x20000000u;
constexpr WORD kLangUserDefault = 0x0400;
constexpr WORD kLangSystemDefault = 0x0800;
constexpr WORD kFirstSyntheticLanguage = 0xF000;

struct LanguageCodePage {
  WORD language;
  UINT codePage;
};

// The first language listed for a code page is the one the input locale uses.
constexpr LanguageCodePage kLanguages[] = {
    {0x0804, 936},  {0x1004, 936},  {0x0404, 950},  {0x0C04, 950},  {0x1404, 950},  {0x0411, 932},
    {0x0412, 949},  {0x0409, 1252}, {0x0407, 1252}, {0x040C, 1252}, {0x0809, 1252}, {0x0405, 1250},
    {0x0415, 1250}, {0x040E, 1250}, {0x0419, 1251}, {0x0422, 1251}, {0x0408, 1253}, {0x041F, 1254},
    {0x040D, 1255}, {0x0401, 1256}, {0x0425, 1257}, {0x042A, 1258}, {0x041E, 874},
};

bool IsDoubleByte(UINT codePage) {
  return codePage == 936 || codePage == 950 || codePage == 932 || codePage == 949;
}

const char* IconvName(UINT codePage) {
  switch (codePage) {
    case 936: return "CP936";
    case 950: return "CP950";
    case 932: return "CP932";
    case 949: return "CP949";
    case 874: return "CP874";
    case 1250: return "CP1250";
    case 1251: return "CP1251";
    case 1252: return "CP1252";
    case 1253: return "CP1253";
    case 1254: return "CP1254";
    case 1255: return "CP1255";
    case 1256: return "CP1256";
    case 1257: return "CP1257";
    case 1258: return "CP1258";
    case 20127: return "ASCII";
    default: return nullptr;
  }
}

// Windows maps the five bytes that 1252 leaves undefined to the C1 controls.
bool IsCp1252Hole(unsigned value) {
  return value == 0x81 || value == 0x8D || value == 0x8F || value == 0x90 || value == 0x9D;
}

class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (ok()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  // Converts as much as it can; returns errno of the stop (0 when done).
  int Convert(const char** in, size_t* inLeft, std::string* out) {
    char buffer[4096];
    while (*inLeft > 0) {
      char* outPtr = buffer;
      size_t outLeft = sizeof buffer;
      size_t r = iconv(cd_, const_cast<char**>(in), inLeft, &outPtr, &outLeft);
      out->append(buffer, outPtr - buffer);
      if (r == static_cast<size_t>(-1) && errno != E2BIG) return errno;
    }
    return 0;
  }

 private:
  iconv_t cd_;
};

}  // namespace

bool DecodeBytes(UINT codePage, const std::string& bytes, bool strict, std::u16string* units, bool* invalid) {
  *invalid = false;
  if (codePage == CP_UTF8) {
    std::wstring wide;
    *invalid = !text::Utf8ToUtf16(bytes, &wide);
    units->append(wide.begin(), wide.end());
    return true;
  }
  const char* name = IconvName(codePage);
  if (name == nullptr) return false;
  Iconv cd("UTF-16LE", name);
  if (!cd.ok()) return false;
  const char* in = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    std::string out;
    const int stop = cd.Convert(&in, &left, &out);
    const std::wstring converted = text::FromUtf16LeBytes(out);
    units->append(converted.begin(), converted.end());
    if (stop == 0) break;
    const unsigned b = static_cast<unsigned char>(*in);
    if (codePage == 1252 && IsCp1252Hole(b)) {
      units->push_back(static_cast<char16_t>(b));
      ++in, --left;
      continue;
    }
    *invalid = true;
    if (strict) return true;
    // An invalid double-byte pair, or a lead byte cut off at the end, is one
    // default character.
    size_t skip = 1;
    if (IsDoubleByte(codePage) && b >= 0x81 && left >= 2 && static_cast<unsigned char>(in[1]) >= 0x40) skip = 2;
    units->push_back(u'?');
    in += skip, left -= skip;
  }
  return true;
}

bool EncodeUnits(UINT codePage, const std::u16string& units, std::string* bytes) {
  const std::wstring wide(units.begin(), units.end());
  if (codePage == CP_UTF8) {
    *bytes += text::Utf16ToUtf8(wide);
    return true;
  }
  const char* name = IconvName(codePage);
  if (name == nullptr) return false;
  Iconv cd(name, "UTF-16LE");
  if (!cd.ok()) return false;
  const std::string le = text::Utf16LeBytes(wide);
  const char* in = le.data();
  size_t left = le.size();
  while (left > 0) {
    const int stop = cd.Convert(&in, &left, bytes);
    if (stop == 0) break;
    // The unit iconv stopped at; a surrogate pair is one default character.
    const size_t at = static_cast<size_t>(in - le.data()) / 2;
    const char16_t u = units[at];
    if (codePage == 1252 && IsCp1252Hole(u)) {
      bytes->push_back(static_cast<char>(u));
    } else {
      bytes->push_back('?');
    }
    size_t skip = 2;
    if (text::IsHighSurrogate(u) && at + 1 < units.size() && text::IsLowSurrogate(units[at + 1])) skip = 4;
    in += skip, left -= skip;
  }
  return true;
}

void SimCodePages::Fail(DWORD error) {
  if (kernel_ != nullptr) kernel_->SetLastError(error);
}

WORD SimCodePages::LanguageFor(UINT codePage) {
  for (const LanguageCodePage& entry : kLanguages) {
    if (entry.codePage == codePage) return entry.language;
  }
  for (const auto& [language, page] : syntheticLanguages_) {
    if (page == codePage) return language;
  }
  const WORD language = static_cast<WORD>(kFirstSyntheticLanguage + syntheticLanguages_.size());
  syntheticLanguages_[language] = codePage;
  return language;
}

bool SimCodePages::CodePageOfLanguage(WORD language, UINT* codePage) const {
  if (language == kLangUserDefault || language == kLangSystemDefault) {
    *codePage = ansiCodePage_;
    return true;
  }
  for (const LanguageCodePage& entry : kLanguages) {
    if (entry.language == language) {
      *codePage = entry.codePage;
      return true;
    }
  }
  auto found = syntheticLanguages_.find(language);
  if (found == syntheticLanguages_.end()) return false;
  *codePage = found->second;
  return true;
}

HKL SimCodePages::GetKeyboardLayout(DWORD) {
  const WORD language = LanguageFor(inputCodePage_);
  return (static_cast<HKL>(language) << 16) | language;
}

int SimCodePages::GetLocaleInfoW(LCID locale, LCTYPE type, wchar_t* data, int size) {
  if (size < 0 || (size > 0 && data == nullptr)) {
    Fail(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const LCTYPE base = type & ~(kLocaleNoUserOverride | kLocaleReturnNumber);
  if (base != LOCALE_IDEFAULTANSICODEPAGE) {
    Fail(kErrorInvalidFlags);
    return 0;
  }
  UINT codePage = 0;
  if (!CodePageOfLanguage(static_cast<WORD>(locale & 0xFFFF), &codePage)) {
    Fail(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::wstring text;
  if (type & kLocaleReturnNumber) {
    text.push_back(static_cast<wchar_t>(codePage & 0xFFFF));
    text.push_back(static_cast<wchar_t>(codePage >> 16));
  } else {
    text = std::to_wstring(codePage);
    text.push_back(L'\0');
  }
  const int needed = static_cast<int>(text.size());
  if (size == 0) return needed;
  if (size < needed) {
    Fail(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::copy(text.begin(), text.end(), data);
  return needed;
}

int SimCodePages::MultiByteToWideChar(UINT codePage, DWORD flags, const char* text, int length, wchar_t* wide,
                                      int wideLength) {
  if (text == nullptr || length == 0 || length < -1 || wideLength < 0 || (wideLength > 0 && wide == nullptr)) {
    Fail(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (codePage == CP_ACP) codePage = ansiCodePage_;
  const std::string bytes = length == -1 ? std::string(text, std::strlen(text) + 1) : std::string(text, length);
  std::u16string units;
  bool invalid = false;
  if (!DecodeBytes(codePage, bytes, (flags & kMbErrInvalidChars) != 0, &units, &invalid)) {
    Fail(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (invalid && (flags & kMbErrInvalidChars)) {
    Fail(kErrorNoUnicodeTranslation);
    return 0;
  }
  const int needed = static_cast<int>(units.size());
  if (wideLength == 0) return needed;
  if (wideLength < needed) {
    std::copy(units.begin(), units.begin() + wideLength, wide);
    Fail(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::copy(units.begin(), units.end(), wide);
  return needed;
}

int SimCodePages::WideCharToMultiByte(UINT codePage, DWORD, const wchar_t* wide, int wideLength, char* text,
                                      int length) {
  if (wide == nullptr || wideLength == 0 || wideLength < -1 || length < 0 || (length > 0 && text == nullptr)) {
    Fail(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (codePage == CP_ACP) codePage = ansiCodePage_;
  std::u16string units;
  if (wideLength == -1) {
    for (const wchar_t* p = wide;; ++p) {
      units.push_back(static_cast<char16_t>(*p));
      if (*p == 0) break;
    }
  } else {
    for (int i = 0; i < wideLength; ++i) units.push_back(static_cast<char16_t>(wide[i]));
  }
  std::string bytes;
  if (!EncodeUnits(codePage, units, &bytes)) {
    Fail(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const int needed = static_cast<int>(bytes.size());
  if (length == 0) return needed;
  if (length < needed) {
    std::copy(bytes.begin(), bytes.begin() + length, text);
    Fail(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::copy(bytes.begin(), bytes.end(), text);
  return needed;
}

std::wstring SimCodePages::FromAnsi(const std::string& text) {
  std::u16string units;
  bool invalid = false;
  DecodeBytes(ansiCodePage_, text, false, &units, &invalid);
  return std::wstring(units.begin(), units.end());
}

std::string SimCodePages::ToAnsi(const std::wstring& text) {
  std::string bytes;
  EncodeUnits(ansiCodePage_, std::u16string(text.begin(), text.end()), &bytes);
  return bytes;
}

}  // namespace pf::sim
