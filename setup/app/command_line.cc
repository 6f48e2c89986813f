#include "setup/app/command_line.h"

#include "common/text/case_fold.h"

namespace {

// The switch's name without its "/" or "-", in upper case; empty for a word
// that is not a switch.
std::wstring SwitchName(const std::wstring& argument) {
  if (argument.size() < 2 || (argument[0] != L'/' && argument[0] != L'-')) return std::wstring();
  return text::Upper(argument.substr(1));
}

bool IsKnownSwitch(const std::wstring& name) {
  for (const wchar_t* known : {L"QUIET", L"Q", L"UNINSTALL", L"PORT", L"NAME", L"LOG", L"?"}) {
    if (name == known) return true;
  }
  return false;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::wstring>& arguments, CommandLine* line, std::wstring* bad) {
  *line = CommandLine();
  // Known first, so that a bad command line of a quiet run shows nothing.
  for (const std::wstring& argument : arguments) {
    const std::wstring name = SwitchName(argument);
    if (name == L"QUIET" || name == L"Q") line->quiet = true;
  }
  const std::wstring* portSwitch = nullptr;
  const std::wstring* nameSwitch = nullptr;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::wstring& argument = arguments[i];
    const std::wstring name = SwitchName(argument);
    if (!IsKnownSwitch(name)) {
      *bad = argument;
      return false;
    }
    if (name == L"QUIET" || name == L"Q") {
      line->quiet = true;
    } else if (name == L"UNINSTALL") {
      line->uninstall = true;
    } else if (name == L"?") {
      line->usage = true;
    } else {
      // A value that is itself one of the switches was forgotten, not meant.
      if (i + 1 >= arguments.size() || arguments[i + 1].empty() || IsKnownSwitch(SwitchName(arguments[i + 1]))) {
        *bad = argument;
        return false;
      }
      const std::wstring& value = arguments[++i];
      if (name == L"PORT") {
        line->port = text::Upper(value);
        if (line->port != L"USB" && line->port != L"LPT") {
          *bad = argument + L" " + value;
          return false;
        }
        portSwitch = &argument;
      } else if (name == L"NAME") {
        line->name = value;
        nameSwitch = &argument;
      } else {
        line->logPath = value;
      }
    }
  }
  for (const std::wstring* installSwitch : {portSwitch, nameSwitch}) {
    if (installSwitch != nullptr && (!line->quiet || line->uninstall)) {
      *bad = *installSwitch;
      return false;
    }
  }
  return true;
}
