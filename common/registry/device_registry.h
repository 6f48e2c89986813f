// The registry names that device key provisioning (setup, wide) writes and
// device key restoration (Spoolmate, ANSI) reads: the printer class key, the
// access both open keys with for writing, and the staged value names that pass between
// the two programs. Each name is written once, as ASCII, and is made in both
// widths at compile time: kStagedDriver.wide for setup, .narrow for Spoolmate.
#pragma once

#include <cstddef>

#include "platform/registry.h"

namespace device_registry {

// Not constexpr (and not defined): calling it makes a constant fail to compile.
void NameIsNotAscii();

// An ASCII text of N - 1 characters and its NUL, in both character widths.
template <std::size_t N>
struct AsciiName {
  constexpr AsciiName() : narrow(), wide() {}
  constexpr AsciiName(const char (&ascii)[N]) : AsciiName() {
    for (std::size_t i = 0; i < N; ++i) Set(i, ascii[i]);
  }
  constexpr void Set(std::size_t i, char c) {
    // A name that is not ASCII fails to compile as a constant.
    if (static_cast<unsigned char>(c) > 0x7F) NameIsNotAscii();
    narrow[i] = c;
    wide[i] = static_cast<wchar_t>(c);
  }

  char narrow[N];
  wchar_t wide[N];
};

// head followed by tail.
template <std::size_t A, std::size_t B>
constexpr AsciiName<A + B - 1> operator+(const AsciiName<A>& head, const AsciiName<B>& tail) {
  AsciiName<A + B - 1> joined;
  for (std::size_t i = 0; i + 1 < A; ++i) joined.Set(i, head.narrow[i]);
  for (std::size_t i = 0; i < B; ++i) joined.Set(A - 1 + i, tail.narrow[i]);
  return joined;
}

// The access both programs open the class key and the keys they write with.
inline constexpr pf::DWORD kReadWriteAccess = pf::KEY_READ | pf::KEY_WRITE;

inline constexpr AsciiName kPrinterClassGuid{"{4D36E979-E325-11CE-BFC1-08002BE10318}"};
inline constexpr AsciiName kPrinterClassKey =
    AsciiName{"SYSTEM\\CurrentControlSet\\Control\\Class\\"} + kPrinterClassGuid;

// The staged values in the printer class key.
inline constexpr AsciiName kStagedDeviceDesc{"_DeviceDesc"};
inline constexpr AsciiName kStagedConfigFlags{"_ConfigFlags"};
inline constexpr AsciiName kStagedClassGuid{"_ClassGUID"};
inline constexpr AsciiName kStagedClass{"_Class"};
inline constexpr AsciiName kStagedDriver{"_Driver"};
inline constexpr AsciiName kStagedMfg{"_Mfg"};
inline constexpr AsciiName kStagedUpdateMode{"_UpdateMode"};
inline constexpr AsciiName kStagedBrandSeries{"_BrandSeries"};
inline constexpr AsciiName kStagedToPath{"_ToPath"};

}  // namespace device_registry
