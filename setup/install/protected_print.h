// Windows protected print mode (Windows 11 24H2 and later): while it is on,
// Windows uses only its own print drivers and refuses every other, so the
// print UI cannot install this package. An administrator turns it on and off
// by group policy.
#pragma once

// True when the policy value "WindowsProtectedPrintGroupPolicyState" of
// HKLM\Software\Policies\Microsoft\Windows NT\Printers\WPP is the REG_DWORD 1.
// A value of another type or number, a missing key or value, or a key that
// cannot be read: off.
bool IsProtectedPrintModeOn();
