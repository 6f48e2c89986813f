#include "tests/wine/autoclient/wizard_view.h"

#include "tests/wine/autoclient/remote_window.h"

namespace autoclient {
namespace {

struct ButtonInfo {
  int id;
  const wchar_t* caption;
  bool ButtonStates::*enabled;
};

const ButtonInfo kButtons[] = {
    {kBackId, L"上一步", &ButtonStates::back},
    {kNextId, L"下一步", &ButtonStates::next},
    {kCancelId, L"取消", &ButtonStates::cancel},
    {kFinishId, L"完成", &ButtonStates::finish},
};

std::wstring Point(const POINT& p) { return L"(" + std::to_wstring(p.x) + L", " + std::to_wstring(p.y) + L")"; }

}  // namespace

PageView Pages(HWND frame) {
  PageView view;
  for (HWND child : DirectChildren(frame)) {
    if (!IsDialogClass(child)) continue;
    ++view.pages;
    if (::IsWindowVisible(child)) {
      ++view.visible_pages;
      view.shown = child;
    }
  }
  if (view.visible_pages != 1) view.shown = nullptr;
  return view;
}

bool Shows(HWND frame, const std::wstring& title, int page_marker) {
  if (WindowText(frame) != title) return false;
  PageView view = Pages(frame);
  return view.shown && ::GetDlgItem(view.shown, page_marker);
}

void CheckButtons(Report& report, HWND frame, const ButtonStates& expected, const std::wstring& situation,
                  bool with_captions) {
  for (const ButtonInfo& info : kButtons) {
    const std::wstring name = std::wstring(info.caption) + L" (" + std::to_wstring(info.id) + L")";
    HWND button = ::GetDlgItem(frame, info.id);
    if (!report.Check(button && ::GetParent(button) == frame,
                      situation + L": button " + std::to_wstring(info.id) + L" is a child of the frame")) {
      continue;
    }
    if (with_captions) {
      report.CheckText(situation + L": class of button " + std::to_wstring(info.id), ClassName(button),
                       L"Button");
      report.CheckText(situation + L": caption of button " + std::to_wstring(info.id), WindowText(button),
                       info.caption);
    }
    report.Check(::IsWindowVisible(button) != 0, situation + L": " + name + L" visible");
    const bool want = expected.*info.enabled;
    const bool is = ::IsWindowEnabled(button) != 0;
    report.Check(is == want, situation + L": " + name + (is ? L" enabled" : L" disabled") +
                                 (is == want ? L"" : want ? L", expected enabled" : L", expected disabled"));
  }
}

void CheckPlacement(Report& report, HWND frame, HWND page, const std::wstring& situation) {
  HWND area = ::GetDlgItem(frame, kPageAreaId);
  RECT area_rect;
  RECT page_rect;
  if (!report.Check(area && ::GetWindowRect(area, &area_rect) && ::GetWindowRect(page, &page_rect),
                    situation + L": page area 1021 found")) {
    return;
  }
  POINT area_corner{area_rect.left, area_rect.top};
  POINT page_corner{page_rect.left, page_rect.top};
  bool same = area_corner.x == page_corner.x && area_corner.y == page_corner.y;
  report.Check(same, situation + L": page placed at the page area's corner " + Point(area_corner) +
                         (same ? L"" : L", but it is at " + Point(page_corner)));
}

}  // namespace autoclient
