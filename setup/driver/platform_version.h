// The Windows version, probed once at start-up.
#pragma once

#include <cstdint>

// Records the major version of an NT-family Windows; 0 when the query fails or
// the system is not of the NT family.
void ProbePlatform();

// The major version that ProbePlatform recorded (0 before it ran).
std::uint32_t GetMajorVersion();
