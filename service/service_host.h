// Spoolmate's service host: the command-line verbs, the service entry, the
// control handler and the log file beside the program.
#pragma once

#include <string>

namespace spoolmate {

inline constexpr const char kOwnServiceName[] = "Kestrel Printer Helper";

// The program's main: sets up the paths and acts on the first argument.
int RunSpoolmate(int argc, char** argv);

// Appends one time-stamped entry to the log; dropped when the log cannot be opened.
void AppendLog(const std::string& message);

void InstallSelf();
void RemoveSelf();
void StartSelf();
void StopSelf();
void RunAsService();

}  // namespace spoolmate
