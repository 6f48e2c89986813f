// Code pages and locales (KERNEL32, USER32): the input locale, its locale
// information and conversions between multibyte text and UTF-16 units.
#pragma once

#include "platform/types.h"

namespace pf {

inline constexpr UINT CP_ACP = 0;
inline constexpr UINT CP_UTF8 = 65001;
inline constexpr LCTYPE LOCALE_IDEFAULTANSICODEPAGE = 0x1004;

class CodePageApi {
 public:
  virtual ~CodePageApi() = default;

  // The low word of the result is the input language identifier.
  virtual HKL GetKeyboardLayout(DWORD threadId) = 0;
  virtual int GetLocaleInfoW(LCID locale, LCTYPE type, wchar_t* data, int size) = 0;
  virtual UINT GetACP() = 0;
  // Wide output holds UTF-16 code units, one per wchar_t on every build.
  virtual int MultiByteToWideChar(UINT codePage, DWORD flags, const char* text, int length, wchar_t* wide,
                                  int wideLength) = 0;
  virtual int WideCharToMultiByte(UINT codePage, DWORD flags, const wchar_t* wide, int wideLength, char* text,
                                  int length) = 0;
};

}  // namespace pf
