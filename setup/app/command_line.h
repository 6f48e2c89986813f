// setup.exe's command line. Without arguments setup runs the wizard. The
// switches, each with "/" or "-" and without regard to case:
//   /quiet, /q        install with no window at all
//   /port USB|LPT     (quiet only) the port instead of the one detection offers
//   /name TEXT        (quiet only) the printer's name instead of the proposed one
//   /uninstall        remove what installations of this package made
//   /log FILE         write every step to FILE (UTF-8)
//   /?                show the usage
#pragma once

#include <string>
#include <vector>

struct CommandLine {
  bool quiet = false;
  bool uninstall = false;
  bool usage = false;
  std::wstring port;     // "USB", "LPT", or empty: detection's choice
  std::wstring name;     // empty: the proposed name
  std::wstring logPath;  // empty: no /log
};

// Reads the arguments (the program part excluded). False for an unknown
// switch or plain word, a switch without its value, /port with another value
// than USB or LPT, or /port or /name without /quiet or with /uninstall;
// *bad then names what is wrong ("/port COM1"), and line->quiet still tells
// whether /quiet was given.
bool ParseCommandLine(const std::vector<std::wstring>& arguments, CommandLine* line, std::wstring* bad);
