// Reading and driving windows that belong to another process.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <windows.h>

namespace autoclient {

// The window's text through WM_GETTEXT (GetWindowText does not read the
// controls of another process). Empty when the window does not answer.
std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);
bool IsDialogClass(HWND window);

// Children whose parent is `parent` itself, in Z order.
std::vector<HWND> DirectChildren(HWND parent);

// Visible top-level windows of a process.
std::vector<HWND> TopLevelWindows(DWORD process_id);

// "[class] "title"" for each top-level window of the process, with the texts
// of their children: what the process shows when the expected window is
// missing.
std::wstring DescribeWindows(DWORD process_id);

// Returns once the window's thread has handled everything sent before.
bool Sync(HWND window);

// Polls `ready` every 50 ms until it holds, `timeout_ms` has passed or
// `process` has ended. Reports whether `ready` held.
bool WaitUntil(const std::function<bool()>& ready, DWORD timeout_ms, HANDLE process);

// Posts a click to a push button: the button runs its own click handling and
// notifies its parent.
bool PostClick(HWND button);

}  // namespace autoclient
