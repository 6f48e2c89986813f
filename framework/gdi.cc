#include "framework/gdi.h"

namespace fw {

LOGFONTW MakeFontDescription(const std::wstring& face, LONG height, LONG weight, std::uint8_t pitchAndFamily) {
  LOGFONTW font{};
  font.lfHeight = height;
  font.lfWeight = weight;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfPitchAndFamily = pitchAndFamily;
  size_t n = face.size() < 31 ? face.size() : 31;
  for (size_t i = 0; i < n; ++i) font.lfFaceName[i] = face[i];
  font.lfFaceName[n] = 0;
  return font;
}

}  // namespace fw
