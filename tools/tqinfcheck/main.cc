// tqinfcheck on the build host: the INF's bytes go into a fresh simulated PC
// beside a simulated setup, read with the input locale's code page N.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/sim/sim_codepages.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_pc.h"
#include "tools/tqinfcheck/inf_check.h"

namespace {

std::wstring FromUtf8(const std::string& text) {
  std::wstring out;
  for (std::size_t i = 0; i < text.size();) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    std::uint32_t c = b;
    std::size_t extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    if (extra > 0) c = b & (0x3F >> extra);
    for (std::size_t k = 1; k <= extra && i + k < text.size(); ++k) c = (c << 6) | (text[i + k] & 0x3F);
    i += extra + 1;
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<wchar_t>(c));
    }
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) args.push_back(FromUtf8(argv[i]));
  std::wstring path;
  std::int32_t codePage = -1;
  std::string error;
  if (!ParseInfCheckArgs(args, &path, &codePage, &error)) {
    std::fprintf(stderr, "tqinfcheck: %s\n", error.c_str());
    return 2;
  }
  std::string hostPath;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--codepage") {
      ++i;
    } else {
      hostPath = argv[i];
      break;
    }
  }
  std::ifstream in(hostPath, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "tqinfcheck: cannot open %s\n", hostPath.c_str());
    return 2;
  }
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  pf::sim::ScopedSimPc pc;
  if (codePage >= 0) pc->codePages().SetInputLocaleAnsiCodePage(static_cast<pf::UINT>(codePage));
  const std::wstring simPath = L"C:\\TQPrinterSetup\\TQPRINTER.INF";
  std::string json;
  if (!pc->files().WriteFileBytes(simPath, bytes) || !CheckInf(simPath, path, &json)) {
    std::fprintf(stderr, "tqinfcheck: cannot read %s\n", hostPath.c_str());
    return 2;
  }
  std::printf("%s\n", json.c_str());
  return 0;
}
