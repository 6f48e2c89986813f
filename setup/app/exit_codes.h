// setup.exe's exit codes. The install result codes (0, 3, 30, 100, and the
// protected print mode's) are the install sequence's own
// (setup/install/install_sequence.h); these are the others.
#pragma once

inline constexpr int kExitSucceeded = 0;
// The INF beside setup.exe cannot be read.
inline constexpr int kExitInfUnreadable = 1;
// The printer is installed, but the helper service could not be written or
// run (and so the device keys are not written); for a removal: printers and
// driver are gone, but some of the helper service's remains are not.
inline constexpr int kExitHelperFailed = 4;
// The command line is bad (or /? asked for the usage).
inline constexpr int kExitBadCommandLine = 87;  // ERROR_INVALID_PARAMETER
