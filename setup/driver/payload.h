// Payload extraction: setup.exe carries the helper service program
// (Spoolmate.exe) as its resource "WIN7" 232 and writes it into the
// "Services" folder under the common program files folder, unless an
// identical file is there already.
#pragma once

#include <cstdint>
#include <string>

// The folder the helper service program lives in: the common program files
// folder, one backslash, "Services". False when the system cannot tell where
// the common program files folder is.
bool GetServiceFolder(std::wstring* folder);

// Writes the helper service program as fileName into the service folder,
// creating the folder and its parents when missing. True when the program
// file is in place.
bool ExtractHelperServiceProgram(const std::wstring& fileName);

// Writes the program's own resource of type and id to folder\fileName:
// - an identical file is left untouched (not rewritten) and counts as in place;
// - a different file is replaced (one of the same size is compared first,
//   one of another size is replaced without being read); a file that cannot
//   be rewritten (locked, read-only) is an older copy left in place: true;
// - a missing file is created: true when it was written whole.
// A resource that cannot be loaded writes nothing and gives false: an empty
// program file would only make the service fail later.
bool ExtractResourceFile(const std::wstring& type, std::uint16_t id, const std::wstring& folder,
                         const std::wstring& fileName);
