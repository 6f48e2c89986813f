#include "setup/install/printer_settings.h"

#include <vector>

#include "framework/app.h"
#include "platform/platform.h"
#include "platform/unique_handle.h"

namespace {

constexpr pf::DWORD kFirstQuerySize = 4096;
constexpr pf::DWORD kMessageBufferSize = 2048;
// Microsoft's rule: a level other than 0 goes with command 0, and the
// printer keeps its state.
constexpr pf::DWORD kLevelTwoCommand = 0;

// The system's text for the thread's last error, in a box owned by owner.
void ShowLastError(fw::HWND owner) {
  const pf::DWORD error = pf::GetLastError();
  wchar_t text[kMessageBufferSize] = {};
  pf::FormatMessageW(pf::FORMAT_MESSAGE_FROM_SYSTEM, nullptr, error, 0, text, kMessageBufferSize);
  fw::Windows().MessageBoxW(owner, text, fw::AfxGetAppName(), pf::MB_OK);
}

// One pass: sets field in the default device mode and writes value there.
void ApplyDefault(fw::HWND owner, const std::wstring& printerName, pf::DWORD field, short value) {
  pf::SetLastError(0);
  // Changing a printer's default settings needs administer access; a handle
  // opened without asking for it only lets SetPrinterW fail unseen.
  pf::PRINTER_DEFAULTSW access{nullptr, nullptr, pf::PRINTER_ALL_ACCESS};
  pf::UniquePrinter printer;
  if (!pf::OpenPrinterW(printerName.c_str(), printer.put(), &access)) {
    ShowLastError(owner);
    return;
  }
  std::vector<pf::BYTE> buffer(kFirstQuerySize);
  pf::DWORD needed = 0;
  bool read = pf::GetPrinterW(printer.get(), 2, buffer.data(), kFirstQuerySize, &needed) != pf::FALSE;
  if (!read && needed > kFirstQuerySize) {
    buffer.resize(needed);
    read = pf::GetPrinterW(printer.get(), 2, buffer.data(), needed, &needed) != pf::FALSE;
  }
  if (!read) {
    ShowLastError(owner);
    return;
  }
  auto* info = reinterpret_cast<pf::PRINTER_INFO_2W*>(buffer.data());
  // A printer without default device settings has nothing this pass could
  // change; the pass is skipped without a message (the driver gives the
  // printer its settings when it is first used).
  if (info->pDevMode == nullptr) return;
  info->pDevMode->dmFields |= field;
  if (field == pf::DM_ORIENTATION) {
    info->pDevMode->dmOrientation = value;
  } else {
    info->pDevMode->dmPaperSize = value;
  }
  pf::SetPrinterW(printer.get(), 2, buffer.data(), kLevelTwoCommand);
}

}  // namespace

void ApplyPrinterDefaults(fw::HWND owner, const std::wstring& printerName) {
  ApplyDefault(owner, printerName, pf::DM_ORIENTATION, pf::DMORIENT_LANDSCAPE);
  ApplyDefault(owner, printerName, pf::DM_PAPERSIZE, pf::DMPAPER_A3);
}
