// The setup log: one line per step of a run, in UTF-8 (no byte-order mark),
// appended to a file, so that an administrator can see what a run did on a
// PC where nobody watched it. The command line opens it (/log FILE, or, for
// a quiet run, %WINDIR%\Temp\TQPrinterSetup.log); a wizard run without /log
// opens none, and then logging does nothing.
//
// A line is the local time, the step, its outcome with what it concerns and,
// when the step failed with one, the Win32 error:
//   2026-01-01 09:00:00  print UI: ended with exit code 0
//   2026-01-01 09:00:02  helper service: not written Spoolmate.exe (error 5)
// Each line is written when it happens, so a run that is ended half way
// leaves its lines up to there. A line that cannot be written is lost; the
// run goes on. Lines longer than 1000 bytes are cut.
#pragma once

#include <string>
#include <string_view>

#include "platform/types.h"

// Opens (or creates) the log at path for appending; false when it cannot be
// opened, and the run then logs nothing.
bool OpenSetupLog(const std::wstring& path);
void CloseSetupLog();
bool IsSetupLogOpen();

// "<step>: <outcome>[ <detail>][ (error N)]"; step and outcome are ASCII.
void LogStep(const char* step, const char* outcome, std::wstring_view detail = {}, pf::DWORD error = 0);
