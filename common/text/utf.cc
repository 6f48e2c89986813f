#include "common/text/utf.h"

namespace text {
namespace {

char32_t Unit(wchar_t c) { return static_cast<char32_t>(c) & 0xFFFF; }

}  // namespace

char32_t NextCodePoint(std::wstring_view units, std::size_t* i) {
  const char32_t unit = Unit(units[*i]);
  ++*i;
  if (IsHighSurrogate(unit) && *i < units.size() && IsLowSurrogate(Unit(units[*i]))) {
    const char32_t low = Unit(units[(*i)++]);
    return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
  }
  return unit;
}

void AppendUtf8(char32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

void AppendUtf16(char32_t cp, std::wstring* out) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out->push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
    out->push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
  } else {
    out->push_back(static_cast<wchar_t>(cp));
  }
}

bool Utf8ToUtf16(std::string_view utf8, std::wstring* units) {
  bool clean = true;
  const std::size_t n = utf8.size();
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(utf8[k]); };
  std::size_t i = 0;
  while (i < n) {
    const unsigned b = byte(i);
    if (b < 0x80) {
      units->push_back(static_cast<wchar_t>(b));
      ++i;
      continue;
    }
    // The lead byte fixes the length and the range of the first continuation
    // byte, which excludes overlong forms, surrogates and values past 0x10FFFF.
    int need = 0;
    unsigned lo = 0x80, hi = 0xBF;
    char32_t cp = 0;
    if (b >= 0xC2 && b <= 0xDF) {
      need = 1, cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      need = 2, cp = b & 0x0F;
      if (b == 0xE0) lo = 0xA0;
      if (b == 0xED) hi = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      need = 3, cp = b & 0x07;
      if (b == 0xF0) lo = 0x90;
      if (b == 0xF4) hi = 0x8F;
    }
    std::size_t j = i + 1;
    bool good = need > 0;
    for (int k = 0; good && k < need; ++k, ++j) {
      if (j >= n || byte(j) < lo || byte(j) > hi) {
        good = false;
        break;
      }
      cp = (cp << 6) | (byte(j) & 0x3F);
      lo = 0x80, hi = 0xBF;
    }
    if (!good) {
      clean = false;
      units->push_back(static_cast<wchar_t>(kReplacementCharacter));
      i = j > i + 1 ? j : i + 1;
      continue;
    }
    AppendUtf16(cp, units);
    i = j;
  }
  return clean;
}

std::wstring Utf8ToUtf16(std::string_view utf8) {
  std::wstring units;
  Utf8ToUtf16(utf8, &units);
  return units;
}

std::string Utf16ToUtf8(std::wstring_view units) {
  std::string out;
  out.reserve(units.size());
  for (std::size_t i = 0; i < units.size();) {
    const char32_t cp = NextCodePoint(units, &i);
    AppendUtf8(IsSurrogate(cp) ? kReplacementCharacter : cp, &out);
  }
  return out;
}

std::string Utf16LeBytes(std::wstring_view units) {
  std::string bytes;
  bytes.reserve(2 * units.size());
  for (wchar_t c : units) {
    const char32_t unit = Unit(c);
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

std::string Utf16LeBytesWithNul(std::wstring_view units) {
  std::string bytes = Utf16LeBytes(units);
  bytes.append(2, '\0');
  return bytes;
}

std::wstring FromUtf16LeBytes(const unsigned char* bytes, std::size_t size) {
  std::wstring units;
  units.reserve(size / 2);
  for (std::size_t i = 0; i + 1 < size; i += 2) units.push_back(static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8)));
  return units;
}

std::wstring FromUtf16LeBytes(std::string_view bytes) {
  return FromUtf16LeBytes(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

}  // namespace text
