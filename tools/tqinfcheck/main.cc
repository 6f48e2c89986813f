// tqinfcheck on the build host: the INF's bytes go into a fresh simulated PC
// beside a simulated setup, read with the input locale's code page N.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/text/utf.h"
#include "platform/sim/sim_codepages.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_pc.h"
#include "tools/tqinfcheck/inf_check.h"

int main(int argc, char** argv) {
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) args.push_back(text::Utf8ToUtf16(argv[i]));
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
