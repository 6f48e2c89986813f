// The sections of an INF text, read the way Windows' INF parser reads what
// the simulated print UI and tqinfcheck look at: sections by name, entries
// "key = value", comma lists, the [Strings] keys, and the models sections
// that [Manufacturer] names for an architecture.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace inf {

// Lines by upper-case section name, trimmed, comments (";" outside double
// quotes) and blank lines removed; lines before the first section dropped.
using Sections = std::map<std::wstring, std::vector<std::wstring>>;
Sections ReadSections(const std::wstring& text);

// The key and value of a line "key = value", trimmed; false without "=".
bool SplitEntry(const std::wstring& line, std::wstring* key, std::wstring* value);
// The text without one pair of enclosing double quotes.
std::wstring Unquoted(const std::wstring& text);
// What a key of a models line stands for: a %key% that [Strings] defines
// becomes its text, a quoted name its name.
std::wstring KeyText(const Sections& sections, const std::wstring& key);

// The upper-case names of the models sections that [Manufacturer] names and
// the INF has, for the architecture "x86", "amd64" or "arm64" (any case).
// For x86: the bare name and the TargetOSVersion decorations that name x86
// or no architecture ("NTx86", "NT.6.1"). For any other: only decorations
// that name it ("NTamd64", "NTamd64.10.0"), as Windows since Server 2003 SP1
// requires of every architecture but x86.
std::vector<std::wstring> ModelsSections(const Sections& sections, const std::wstring& architecture);

}  // namespace inf
