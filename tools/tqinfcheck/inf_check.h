// The driver package check: reads an INF the way setup does and reports what
// setup would take from it, as one JSON object.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "setup/driver/driver_identity.h"

// Short English texts about what setup will not like in the identity.
std::vector<std::string> InfWarnings(const DriverInf& inf);

// Short English texts about what keeps the package from installing on the
// PCs people have: no CatalogFile (the package is unsigned, which 64-bit
// Windows refuses), no models for 64-bit Windows on x64 (NTamd64) or on ARM64
// (NTarm64).
std::vector<std::string> PackageWarnings(const std::wstring& infText);

// The report object for the INF named file that was decoded with codePage,
// in UTF-8 (a lone surrogate of the INF's text becomes U+FFFD); its warnings
// are InfWarnings' and then packageWarnings.
std::string InfReportJson(const std::wstring& file, std::int32_t codePage, const DriverInf& inf,
                          const std::vector<std::string>& packageWarnings = {});

// Reads the INF at path with the current platform; false when it cannot be
// opened. *json gets the report naming the file as shownName.
bool CheckInf(const std::wstring& path, const std::wstring& shownName, std::string* json);

// Parses "PATH [--codepage N]"; false with *error on bad arguments.
bool ParseInfCheckArgs(const std::vector<std::wstring>& args, std::wstring* path, std::int32_t* codePage,
                       std::string* error);
