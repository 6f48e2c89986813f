#include "common/text/case_fold.h"

namespace text {
namespace {

// Lower-case units first..last, every step-th, map to the unit + delta.
struct FoldRange {
  char32_t first;
  char32_t last;
  char32_t step;
  int delta;
};

constexpr FoldRange kRanges[] = {
    {0x0061, 0x007A, 1, -32},   // a-z
    {0x00E0, 0x00F6, 1, -32},   // à-ö
    {0x00F8, 0x00FE, 1, -32},   // ø-þ
    {0x00FF, 0x00FF, 1, 121},   // ÿ -> Ÿ
    {0x0101, 0x012F, 2, -1},    // Latin Extended-A pairs
    {0x0133, 0x0137, 2, -1},
    {0x013A, 0x0148, 2, -1},
    {0x014B, 0x0177, 2, -1},
    {0x017A, 0x017E, 2, -1},
    {0x03AC, 0x03AC, 1, -38},   // Greek with tonos
    {0x03AD, 0x03AF, 1, -37},
    {0x03B1, 0x03C1, 1, -32},   // α-ρ
    {0x03C2, 0x03C2, 1, -31},   // final sigma -> Σ
    {0x03C3, 0x03CB, 1, -32},   // σ-ϋ
    {0x03CC, 0x03CC, 1, -64},
    {0x03CD, 0x03CE, 1, -63},
    {0x0430, 0x044F, 1, -32},   // а-я
    {0x0450, 0x045F, 1, -80},   // ѐ-џ
    {0x0461, 0x0481, 2, -1},    // Cyrillic pairs
    {0x048B, 0x04BF, 2, -1},
    {0x04C2, 0x04CE, 2, -1},
    {0x04D1, 0x04FF, 2, -1},
    {0x0561, 0x0586, 1, -48},   // Armenian
    {0x1E01, 0x1E95, 2, -1},    // Latin Extended Additional pairs
    {0x1EA1, 0x1EFF, 2, -1},
    {0x2170, 0x217F, 1, -16},   // small Roman numerals
    {0x24D0, 0x24E9, 1, -26},   // circled a-z
    {0xFF41, 0xFF5A, 1, -32},   // full-width a-z
};

}  // namespace

wchar_t UpperChar(wchar_t c) {
  const char32_t unit = static_cast<char32_t>(c);
  if (unit < 0x61) return c;
  for (const FoldRange& range : kRanges) {
    if (unit < range.first) return c;
    if (unit <= range.last && (unit - range.first) % range.step == 0) {
      return static_cast<wchar_t>(static_cast<int>(unit) + range.delta);
    }
  }
  return c;
}

wchar_t LowerChar(wchar_t c) {
  const char32_t unit = static_cast<char32_t>(c);
  for (const FoldRange& range : kRanges) {
    if (range.first == 0x03C2) continue;  // Σ lowers to σ, never to the final form
    const char32_t lower = static_cast<char32_t>(static_cast<int>(unit) - range.delta);
    if (lower >= range.first && lower <= range.last && (lower - range.first) % range.step == 0) {
      return static_cast<wchar_t>(lower);
    }
  }
  return c;
}

std::wstring Upper(std::wstring_view text) {
  std::wstring upper(text);
  for (wchar_t& c : upper) c = UpperChar(c);
  return upper;
}

std::wstring Lower(std::wstring_view text) {
  std::wstring lower(text);
  for (wchar_t& c : lower) c = LowerChar(c);
  return lower;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpperChar(a[i]) != UpperChar(b[i])) return false;
  }
  return true;
}

bool EndsWithNoCase(std::wstring_view text, std::wstring_view suffix) {
  return text.size() >= suffix.size() && EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

}  // namespace text
