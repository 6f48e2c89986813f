#include "tests/wine/autoclient/picture_check.h"

#include <algorithm>
#include <cstdlib>

#include "setup/resources/resource.h"

namespace autoclient {
namespace {

// What setup.rc says of each page: a control that tells it apart, its width
// and height and its picture's frame, in dialog units.
struct PageLayout {
  const wchar_t* name;
  int marker;
  int cx, cy;
  int pictureCx, pictureCy;
};
const PageLayout kLayouts[] = {
    {L"welcome", IDC_WELCOME_BODY, 322, 165, SIDE_PICTURE_TALL_CX, SIDE_PICTURE_TALL_CY},
    {L"connection", IDC_CONNECT_BODY, 317, 165, SIDE_PICTURE_CX, SIDE_PICTURE_CY},
    {L"detection", IDC_DETECT_HEADING, 320, 165, SIDE_PICTURE_CX, SIDE_PICTURE_CY},
    {L"install", IDC_INSTALL_HEADING, 320, 165, SIDE_PICTURE_TALL_CX, SIDE_PICTURE_TALL_CY},
};

LONG Width(const RECT& r) { return r.right - r.left; }
LONG Height(const RECT& r) { return r.bottom - r.top; }

class ScreenPixels {
 public:
  ScreenPixels() : dc_(::GetDC(nullptr)) {}
  ~ScreenPixels() {
    if (dc_) ::ReleaseDC(nullptr, dc_);
  }
  COLORREF At(LONG x, LONG y) const { return dc_ ? ::GetPixel(dc_, x, y) : CLR_INVALID; }

 private:
  HDC dc_;
};

}  // namespace

void CheckSidePicture(Report& report, HWND page, const std::wstring& situation) {
  const PageLayout* layout = nullptr;
  for (const PageLayout& l : kLayouts) {
    if (::GetDlgItem(page, l.marker)) layout = &l;
  }
  if (!report.Check(layout != nullptr, situation + L": the page is one of the four")) return;
  const std::wstring what = situation + L": " + layout->name + L" page's picture";
  const HWND picture = ::GetDlgItem(page, IDC_NONE);
  RECT pageRect{}, client{}, onScreen{};
  if (!report.Check(picture && ::GetClientRect(page, &pageRect) && ::GetClientRect(picture, &client) &&
                        ::GetWindowRect(picture, &onScreen),
                    what + L" static (id -1) found")) {
    return;
  }
  // The frame at the page's own scale: the page is layout->cx dialog units
  // wide and layout->cy high; the dialog manager rounds each, hence a pixel.
  const LONG wantCx = MulDiv(Width(pageRect), layout->pictureCx, layout->cx);
  const LONG wantCy = MulDiv(Height(pageRect), layout->pictureCy, layout->cy);
  report.Check(std::labs(Width(client) - wantCx) <= 2 && std::labs(Height(client) - wantCy) <= 2,
               what + L": static " + std::to_wstring(Width(client)) + L" x " + std::to_wstring(Height(client)) +
                   L", its frame " + std::to_wstring(wantCx) + L" x " + std::to_wstring(wantCy) + L" (page " +
                   std::to_wstring(Width(pageRect)) + L" x " + std::to_wstring(Height(pageRect)) + L")");

  // GDI objects are each process's own, on Windows as under Wine, so the
  // bitmap's size is read from the screen: along rows left of the texts (which
  // begin inside the tall frame only higher up), the picture's colours reach
  // the static's last column and stop right there, where the page's own
  // background (as at its right end) begins; and they reach the bottom of
  // what the page shows.
  const bool hasImage = ::SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
  report.Check(hasImage, what + L": the static shows a bitmap");
  ScreenPixels screen;
  POINT pageOrigin{0, 0};
  ::ClientToScreen(page, &pageOrigin);
  // The page's background near its right end, within the frame, which
  // clips the pages wider than its own client area.
  RECT frameClient{};
  ::GetClientRect(::GetParent(page), &frameClient);
  POINT frameOrigin{0, 0};
  ::ClientToScreen(::GetParent(page), &frameOrigin);
  const LONG pageRightX = std::min(pageOrigin.x + Width(pageRect), frameOrigin.x + Width(frameClient)) - 3;
  const LONG pageBottomY = pageOrigin.y + Height(pageRect) - 1;
  // A page just shown may not have painted yet (the wizard's thread paints
  // when it gets to it, later on a loaded machine): its pending paints are
  // asked for, and the screen is read again until it shows the picture or
  // three seconds have passed.
  std::wstring wrong;
  for (int attempt = 0; attempt < 30; ++attempt) {
    if (attempt > 0) ::Sleep(100);
    ::RedrawWindow(page, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    wrong.clear();
    for (int percent : {35, 50, 65}) {
      const LONG y = onScreen.top + MulDiv(std::min(Height(client), Height(pageRect)), percent, 100);
      const COLORREF background = screen.At(pageRightX, y);
      if (background == CLR_INVALID || screen.At(onScreen.right - 1, y) == background) {
        wrong += L"; at " + std::to_wstring(percent) + L"% of its height it ends before its last column";
      } else if (screen.At(onScreen.right, y) != background) {
        wrong += L"; at " + std::to_wstring(percent) + L"% of its height it goes on past its last column";
      }
    }
    const LONG bottomY = std::min(onScreen.bottom - 1, pageBottomY);
    if (screen.At(onScreen.left + Width(client) / 2, bottomY) == screen.At(pageRightX, bottomY)) {
      wrong += L"; it ends above the bottom of its frame";
    }
    if (wrong.empty()) break;
  }
  report.Check(hasImage && wrong.empty(), what + L" on the screen is " + std::to_wstring(Width(client)) +
                                               L" pixels wide, the static's client width, and reaches its bottom" +
                                               wrong);
}

}  // namespace autoclient
