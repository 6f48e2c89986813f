// The driver identity: the parallel-port id, the USB id and the model name
// that the driver INF "TQPRINTER.INF" beside the program holds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct SetupContext;

struct DriverInf {
  std::wstring lptHardwareId;
  std::wstring usbHardwareId;
  std::wstring modelName;  // the quoted name on the USB line
};

// The folder of the running program, without a trailing backslash; empty
// when the program's path holds no backslash.
std::wstring GetProgramFolder();

// Reads the INF beside the program into the context's lptHardwareId,
// usbHardwareId, driverModel and deviceDescription (empty when not given).
// False, with the fields empty, when the INF cannot be opened or read.
bool LoadDriverIdentity(SetupContext* context);

// The identity of the INF at path; empty fields when it cannot be read.
DriverInf ParseDriverInf(const std::wstring& path);

// As ParseDriverInf, also telling the code page that decoded the file (and,
// when text is given, the decoded text). False when the file cannot be
// opened or read (or is too large to hold).
bool ReadDriverInf(const std::wstring& path, DriverInf* inf, std::int32_t* codePage,
                   std::u16string* text = nullptr);

// The identity found in INF text: each marker's first occurrence with the
// rest of its line, and the quoted name on the USB marker's line.
DriverInf ParseDriverInfText(std::u16string_view text);

// Whether the detection page offers the connection of this id: not empty and
// not ending in "FFFF" in any letter case.
bool IsOfferedHardwareId(const std::wstring& id);
