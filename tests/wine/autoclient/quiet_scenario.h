// Runs of setup.exe from its command line, as a deployment tool starts it.
#pragma once

#include <string>

#include <windows.h>

#include "tests/wine/autoclient/child_process.h"
#include "tests/wine/autoclient/report.h"

namespace autoclient {

// Polls the top-level windows of setup.exe's process until it ends (at
// most timeout_ms): none may become visible; then its exit code must be
// expected_exit.
void RunQuietScenario(Report& report, ChildProcess& setup, DWORD expected_exit, DWORD timeout_ms);

// setup.exe must show one message box whose texts hold `text` (within
// timeout_ms), and end with expected_exit once it is answered with OK. It
// also shows that the polling of RunQuietScenario sees setup.exe's windows.
void RunBoxScenario(Report& report, ChildProcess& setup, const std::wstring& text, DWORD expected_exit,
                    DWORD timeout_ms);

}  // namespace autoclient
