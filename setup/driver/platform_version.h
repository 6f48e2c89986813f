// The Windows version, probed once at start-up, and whether setup runs as a
// 32-bit program on 64-bit Windows (WOW64), asked when it matters.
#pragma once

#include <cstdint>

// Records the major version of an NT-family Windows; 0 when the query fails or
// the system is not of the NT family.
void ProbePlatform();

// The major version that ProbePlatform recorded (0 before it ran).
std::uint32_t GetMajorVersion();

// True when IsWow64Process says the program runs under WOW64. A Windows
// without the function (2000, XP before SP2) or a call that fails counts as
// not WOW64: such a Windows is 32-bit.
bool RunsUnderWow64();
