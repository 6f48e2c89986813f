// TextFileReader on 64 MiB of UTF-8, UTF-16 and GBK text in the simulated PC,
// beside iconv converting the same bytes. Reports MB/s per run.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <string>

#include "platform/sim/sim_files.h"
#include "platform/sim/sim_pc.h"
#include "setup/driver/file_handle.h"
#include "setup/driver/text_file_reader.h"

namespace {

constexpr std::size_t kSize = 64u << 20;

// 64 MiB made of one repeated line in the given encoding, with its mark.
std::string Sample(const char* encoding) {
  std::string line;
  if (std::string(encoding) == "UTF-8") {
    line = "\"TAVIR TQ-5800 \xE6\x89\x93\xE5\x8D\xB0\xE6\x9C\xBA\" = TQ5800, USBPRINT\\TAVIRTQ-5800TQMM\r\n";
  } else if (std::string(encoding) == "UTF-16LE") {
    std::string ascii = "\"TAVIR TQ-5800\" = TQ5800, USBPRINT\\TAVIRTQ-5800TQMM\r\n";
    for (char c : ascii) line += std::string{c, '\0'};
  } else {
    line = "\"TAVIR TQ-5800 \xB4\xF2\xD3\xA1\xBB\xFA\" = TQ5800, USBPRINT\\TAVIRTQ-5800TQMM\r\n";
  }
  std::string bytes = std::string(encoding) == "UTF-8" ? "\xEF\xBB\xBF" : std::string(encoding) == "UTF-16LE" ? "\xFF\xFE" : "";
  while (bytes.size() + line.size() <= kSize) bytes += line;
  return bytes;
}

void ReaderRun(benchmark::State& state, const char* encoding) {
  pf::sim::ScopedSimPc pc;
  std::string bytes = Sample(encoding);
  pc->files().WriteFileBytes(L"C:\\b.inf", bytes);
  for (auto _ : state) {
    FileHandle file = FileHandle::OpenForReading(L"C:\\b.inf");
    TextFileReader reader;
    reader.ReadAll(&file, 0);
    benchmark::DoNotOptimize(reader.Text());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

void IconvRun(benchmark::State& state, const char* encoding) {
  std::string bytes = Sample(encoding);
  std::string out(bytes.size() * 2 + 16, '\0');
  for (auto _ : state) {
    iconv_t cd = iconv_open("UTF-16LE", std::string(encoding) == "GBK" ? "GBK" : encoding);
    char* in = bytes.data();
    std::size_t inLeft = bytes.size();
    char* o = out.data();
    std::size_t outLeft = out.size();
    iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

BENCHMARK_CAPTURE(ReaderRun, utf8, "UTF-8")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(IconvRun, utf8, "UTF-8")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReaderRun, utf16, "UTF-16LE")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(IconvRun, utf16, "UTF-16LE")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReaderRun, gbk, "GBK")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(IconvRun, gbk, "GBK")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
