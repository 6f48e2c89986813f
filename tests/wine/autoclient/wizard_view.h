// What the wizard frame shows: its buttons and its page dialogs.
#pragma once

#include <string>

#include <windows.h>

#include "setup/resources/resource.h"
#include "tests/wine/autoclient/report.h"

namespace autoclient {

constexpr int kBackId = IDC_BACK;
constexpr int kNextId = IDC_NEXT;
constexpr int kCancelId = IDC_CANCEL;
constexpr int kFinishId = IDC_FINISH;
constexpr int kPageAreaId = 1021;

// Enabled states of Back, Next, Cancel and Finish.
struct ButtonStates {
  bool back;
  bool next;
  bool cancel;
  bool finish;
};

struct PageView {
  int pages = 0;          // child dialogs of the frame
  int visible_pages = 0;  // of them shown
  HWND shown = nullptr;   // the shown one, when exactly one is
};

PageView Pages(HWND frame);

// The frame has `title` and shows exactly one page, the one holding control
// `page_marker`.
bool Shows(HWND frame, const std::wstring& title, int page_marker);

// The four buttons: direct children of the frame, push buttons with their
// captions (checked once, `with_captions`), visible, and enabled as expected.
void CheckButtons(Report& report, HWND frame, const ButtonStates& expected, const std::wstring& situation,
                  bool with_captions);

// The page's top-left corner is the page area's.
void CheckPlacement(Report& report, HWND frame, HWND page, const std::wstring& situation);

}  // namespace autoclient
