// The seam's calls that need a system DLL the program cannot have, under
// Wine with winspool.drv, setupapi.dll and shell32.dll refused
// (CMakeLists.txt; system_library_test.cc checks that they are): winspool
// and setupapi calls fail with error values, the spooler's as when the
// spooler does not answer; a delay-loaded DLL that is missing ends the
// program with the loader's error instead of an unhandled exception.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/platform.h"

namespace {

constexpr pf::DWORD kModuleNotFound = 126;  // ERROR_MOD_NOT_FOUND

TEST(Unavailable, EverySpoolerCallFailsAsWhenTheSpoolerDoesNotAnswer) {
  const auto expected = static_cast<pf::DWORD>(pf::RPC_S_SERVER_UNAVAILABLE);
  pf::DWORD needed = 7, returned = 7;
  pf::SetLastError(0);
  EXPECT_FALSE(pf::EnumPrintersW(pf::PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &returned));
  EXPECT_EQ(pf::GetLastError(), expected);
  pf::HANDLE printer = 0;
  pf::SetLastError(0);
  EXPECT_FALSE(pf::OpenPrinterW(L"TQ-5800", &printer, nullptr));
  EXPECT_EQ(pf::GetLastError(), expected);
  EXPECT_EQ(printer, 0u);
  pf::BYTE buffer[16] = {};
  const pf::HANDLE stale = 0x1234;
  pf::SetLastError(0);
  EXPECT_FALSE(pf::GetPrinterW(stale, 2, buffer, sizeof buffer, &needed));
  EXPECT_EQ(pf::GetLastError(), expected);
  pf::SetLastError(0);
  EXPECT_FALSE(pf::SetPrinterW(stale, 2, buffer, 0));
  EXPECT_EQ(pf::GetLastError(), expected);
  pf::SetLastError(0);
  EXPECT_FALSE(pf::ClosePrinter(stale));
  EXPECT_EQ(pf::GetLastError(), expected);
}

TEST(Unavailable, SetupApiCallsFailWithTheLoadersError) {
  const pf::GUID usbPrint = {0x28d78fad, 0x5a12, 0x11d1, {0xae, 0x5b, 0x00, 0x00, 0xf8, 0x03, 0xa8, 0xc2}};
  pf::SetLastError(0);
  const pf::HDEVINFO set =
      pf::SetupDiGetClassDevsW(&usbPrint, nullptr, 0, pf::DIGCF_PRESENT | pf::DIGCF_DEVICEINTERFACE);
  EXPECT_EQ(set, static_cast<pf::HDEVINFO>(pf::INVALID_HANDLE_VALUE));
  EXPECT_EQ(pf::GetLastError(), kModuleNotFound);
  pf::SP_DEVICE_INTERFACE_DATA data = {};
  data.cbSize = sizeof data;
  pf::SetLastError(0);
  EXPECT_FALSE(pf::SetupDiEnumDeviceInterfaces(set, nullptr, &usbPrint, 0, &data));
  EXPECT_EQ(pf::GetLastError(), kModuleNotFound);
}

TEST(Unavailable, ADelayLoadedDllThatIsMissingEndsTheProgramWithTheLoadersError) {
  EXPECT_EXIT(pf::ShellExecuteW(0, L"open", L"C:\\windows\\notepad.exe", nullptr, nullptr, pf::SW_HIDE),
              ::testing::ExitedWithCode(kModuleNotFound), "");
}

}  // namespace
