// The print spooler (WINSPOOL.DRV), the user's profile entries of WIN.INI
// (mapped to the registry by Windows) and the settings-change broadcast:
// what the installer needs to list printers, change a printer's default
// device settings, make a printer the default one and tell every window.
//
// The records keep Windows' layouts on the 32-bit build. EnumPrintersW and
// GetPrinterW pack their answer into the caller's buffer: the fixed records
// first, then the strings and device modes they point to, all inside the
// buffer. A buffer that is too small fails with ERROR_INSUFFICIENT_BUFFER and
// *needed tells the size. A printer handle's invalid value is 0.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "platform/types.h"

namespace pf {

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using DWORD_PTR = std::uintptr_t;

inline constexpr DWORD PRINTER_ENUM_DEFAULT = 0x1;
inline constexpr DWORD PRINTER_ENUM_LOCAL = 0x2;
inline constexpr DWORD PRINTER_ENUM_CONNECTIONS = 0x4;
inline constexpr DWORD PRINTER_ENUM_NAME = 0x8;

inline constexpr DWORD PRINTER_ACCESS_ADMINISTER = 0x4;
inline constexpr DWORD PRINTER_ACCESS_USE = 0x8;
inline constexpr DWORD PRINTER_ALL_ACCESS = 0xF000C;

inline constexpr DWORD PRINTER_CONTROL_PAUSE = 1;
inline constexpr DWORD PRINTER_CONTROL_RESUME = 2;
inline constexpr DWORD PRINTER_CONTROL_PURGE = 3;
inline constexpr DWORD PRINTER_CONTROL_SET_STATUS = 4;

inline constexpr DWORD PRINTER_STATUS_PAUSED = 0x1;
inline constexpr DWORD PRINTER_ATTRIBUTE_LOCAL = 0x40;

inline constexpr DWORD DM_ORIENTATION = 0x1;
inline constexpr DWORD DM_PAPERSIZE = 0x2;
inline constexpr short DMORIENT_PORTRAIT = 1;
inline constexpr short DMORIENT_LANDSCAPE = 2;
inline constexpr short DMPAPER_LETTER = 1;
inline constexpr short DMPAPER_A3 = 8;
inline constexpr short DMPAPER_A4 = 9;

inline constexpr LONG ERROR_INVALID_LEVEL = 124;
inline constexpr LONG ERROR_INVALID_WINDOW_HANDLE = 1400;
inline constexpr LONG ERROR_TIMEOUT = 1460;
inline constexpr LONG RPC_S_SERVER_UNAVAILABLE = 1722;
inline constexpr LONG RPC_X_NULL_REF_POINTER = 1780;
inline constexpr LONG ERROR_INVALID_PRINTER_NAME = 1801;
inline constexpr LONG ERROR_PRINTER_ALREADY_EXISTS = 1802;
inline constexpr LONG ERROR_UNKNOWN_PRINTER_DRIVER = 1797;
inline constexpr LONG ERROR_PRINTER_DRIVER_IN_USE = 3001;

inline constexpr HWND HWND_BROADCAST = 0xFFFF;
inline constexpr UINT WM_SETTINGCHANGE = 0x001A;
inline constexpr UINT SMTO_NORMAL = 0x0000;
inline constexpr UINT SMTO_BLOCK = 0x0001;
inline constexpr UINT SMTO_ABORTIFHUNG = 0x0002;

// DEVMODEW of a printer (220 bytes on the 32-bit build): the printer fields
// of the union only. dmDriverExtra bytes of the driver's own follow it.
struct DEVMODEW {
  wchar_t dmDeviceName[32];
  WORD dmSpecVersion;
  WORD dmDriverVersion;
  WORD dmSize;
  WORD dmDriverExtra;  // bytes of driver data that follow the record
  DWORD dmFields;
  short dmOrientation;
  short dmPaperSize;
  short dmPaperLength;
  short dmPaperWidth;
  short dmScale;
  short dmCopies;
  short dmDefaultSource;
  short dmPrintQuality;
  short dmColor;
  short dmDuplex;
  short dmYResolution;
  short dmTTOption;
  short dmCollate;
  wchar_t dmFormName[32];
  WORD dmLogPixels;
  DWORD dmBitsPerPel;
  DWORD dmPelsWidth;
  DWORD dmPelsHeight;
  DWORD dmNup;
  DWORD dmDisplayFrequency;
  DWORD dmICMMethod;
  DWORD dmICMIntent;
  DWORD dmMediaType;
  DWORD dmDitherType;
  DWORD dmReserved1;
  DWORD dmReserved2;
  DWORD dmPanningWidth;
  DWORD dmPanningHeight;
};

struct PRINTER_INFO_2W {
  wchar_t* pServerName;
  wchar_t* pPrinterName;
  wchar_t* pShareName;
  wchar_t* pPortName;
  wchar_t* pDriverName;
  wchar_t* pComment;
  wchar_t* pLocation;
  DEVMODEW* pDevMode;
  wchar_t* pSepFile;
  wchar_t* pPrintProcessor;
  wchar_t* pDatatype;
  wchar_t* pParameters;
  void* pSecurityDescriptor;
  DWORD Attributes;
  DWORD Priority;
  DWORD DefaultPriority;
  DWORD StartTime;
  DWORD UntilTime;
  DWORD Status;
  DWORD cJobs;
  DWORD AveragePPM;
};

struct PRINTER_DEFAULTSW {
  wchar_t* pDatatype;
  DEVMODEW* pDevMode;
  DWORD DesiredAccess;
};

class SpoolerApi {
 public:
  virtual ~SpoolerApi() = default;

  // name null or empty: the local machine. Level 2 only in the simulated PC.
  // No printers: TRUE with *needed and *returned 0.
  virtual BOOL EnumPrintersW(DWORD flags, const wchar_t* name, DWORD level, BYTE* buffer, DWORD size,
                             DWORD* needed, DWORD* returned) = 0;
  // defaults null (or its DesiredAccess 0): PRINTER_ACCESS_USE, which lets a
  // program read the printer; changing it at level 2 takes
  // PRINTER_ACCESS_ADMINISTER (PRINTER_ALL_ACCESS includes it). An unknown
  // or empty name fails with ERROR_INVALID_PRINTER_NAME.
  virtual BOOL OpenPrinterW(const wchar_t* name, HANDLE* printer, const PRINTER_DEFAULTSW* defaults) = 0;
  virtual BOOL GetPrinterW(HANDLE printer, DWORD level, BYTE* buffer, DWORD size, DWORD* needed) = 0;
  virtual BOOL SetPrinterW(HANDLE printer, DWORD level, BYTE* info, DWORD command) = 0;
  // Closes printer handles only.
  virtual BOOL ClosePrinter(HANDLE printer) = 0;

  // The user's WIN.INI entries ("windows", "device" is the default printer).
  virtual BOOL WriteProfileStringW(const wchar_t* section, const wchar_t* key, const wchar_t* value) = 0;
  // Win32 rules: returns the characters copied without NUL; default when missing.
  virtual DWORD GetProfileStringW(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue,
                                  wchar_t* buffer, DWORD size) = 0;

  // Sends to every top-level window with HWND_BROADCAST; 0 when it timed out or failed.
  virtual LRESULT SendMessageTimeoutW(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT flags,
                                      UINT timeout, DWORD_PTR* result) = 0;
};

// clang-format off
inline BOOL EnumPrintersW(DWORD f, const wchar_t* n, DWORD l, BYTE* b, DWORD s, DWORD* nd, DWORD* r) { return Current().spooler->EnumPrintersW(f, n, l, b, s, nd, r); }
inline BOOL OpenPrinterW(const wchar_t* n, HANDLE* p, const PRINTER_DEFAULTSW* d) { return Current().spooler->OpenPrinterW(n, p, d); }
inline BOOL GetPrinterW(HANDLE p, DWORD l, BYTE* b, DWORD s, DWORD* n) { return Current().spooler->GetPrinterW(p, l, b, s, n); }
inline BOOL SetPrinterW(HANDLE p, DWORD l, BYTE* i, DWORD c) { return Current().spooler->SetPrinterW(p, l, i, c); }
inline BOOL ClosePrinter(HANDLE p) { return Current().spooler->ClosePrinter(p); }
inline BOOL WriteProfileStringW(const wchar_t* s, const wchar_t* k, const wchar_t* v) { return Current().spooler->WriteProfileStringW(s, k, v); }
inline DWORD GetProfileStringW(const wchar_t* s, const wchar_t* k, const wchar_t* d, wchar_t* b, DWORD n) { return Current().spooler->GetProfileStringW(s, k, d, b, n); }
inline LRESULT SendMessageTimeoutW(HWND w, UINT m, WPARAM wp, LPARAM lp, UINT f, UINT t, DWORD_PTR* r) { return Current().spooler->SendMessageTimeoutW(w, m, wp, lp, f, t, r); }
// clang-format on

}  // namespace pf
