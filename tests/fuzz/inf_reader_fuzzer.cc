// The INF text reader and the driver identity parse, as start-up runs them on
// the INF beside setup: the input is the file's bytes after one byte that
// picks the input locale's ANSI code page and the reader's hint.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/sim/sim_codepages.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_pc.h"
#include "setup/driver/driver_identity.h"
#include "setup/driver/file_handle.h"
#include "setup/driver/text_file_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static const pf::UINT kCodePages[] = {936, 1252, 932, 950, 65001, 1200};
  static const std::int32_t kHints[] = {0, TextFileReader::kUtf16LittleEndian, TextFileReader::kUtf16BigEndian,
                                        TextFileReader::kUtf8, 936};
  const std::uint8_t selector = data[0];
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

  pf::sim::ScopedSimPc pc;
  pc->codePages().SetInputLocaleAnsiCodePage(kCodePages[selector % 6]);
  const std::wstring path = L"C:\\TQPrinterSetup\\TQPRINTER.INF";
  if (!pc->files().WriteFileBytes(path, bytes)) return 0;

  // Start-up's own path: the reader deciding by the byte-order mark.
  DriverInf inf;
  std::int32_t codePage = 0;
  if (ReadDriverInf(path, &inf, &codePage)) {
    IsOfferedHardwareId(inf.lptHardwareId);
    IsOfferedHardwareId(inf.usbHardwareId);
  }
  // The reader with a hint, twice into one buffer, and the parse of its text.
  TextFileReader reader;
  for (int round = 0; round < 2; ++round) {
    FileHandle file = FileHandle::OpenForReading(path);
    if (!file.IsValid()) return 0;
    reader.ReadAll(&file, kHints[(selector / 6) % 5]);
  }
  ParseDriverInfText(reader.TextView());
  return 0;
}
