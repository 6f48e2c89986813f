// DPI: each window's, dialog units at it, and a move to a monitor of another
// DPI as Windows 10 1703 and later play it for a per-monitor (v2) window.
#include "framework/headless/headless_windows.h"

namespace fw::headless {
namespace {

LONG Scale(LONG value, UINT to, UINT from) {
  return static_cast<LONG>((static_cast<long long>(value) * to + (value < 0 ? -1 : 1) * static_cast<long long>(from / 2)) /
                           from);
}

}  // namespace

UINT HeadlessWindows::GetDpiForWindow(HWND window) { return Field(window, &Window::dpi, 0u); }

BOOL HeadlessWindows::MapDialogRect(HWND dialog, RECT* rect) {
  const Window* d = Find(dialog);
  if (!d || d->kind != Kind::kDialog || !rect) return FALSE;
  *rect = {DluX(rect->left, d->dpi), DluY(rect->top, d->dpi), DluX(rect->right, d->dpi), DluY(rect->bottom, d->dpi)};
  return TRUE;
}

BOOL HeadlessWindows::SetDialogControlDpiChangeBehavior(HWND window, DWORD mask, DWORD values) {
  Window* w = Find(window);
  if (!w) return FALSE;
  w->dpiBehaviour = (w->dpiBehaviour & ~mask) | (values & mask);
  return TRUE;
}

void HeadlessWindows::TakeDpi(HWND window, UINT dpi) {
  Window* w = Find(window);
  if (!w) return;
  w->dpi = dpi;
  for (HWND child : w->children) TakeDpi(child, dpi);
}

void HeadlessWindows::ChangeDpi(HWND topLevel, UINT dpi) {
  Window* top = Find(topLevel);
  if (!top || dpi == 0 || dpi == top->dpi) return;
  const UINT from = top->dpi;
  RECT suggested = top->rect;
  suggested.right = suggested.left + Scale(top->rect.right - top->rect.left, dpi, from);
  suggested.bottom = suggested.top + Scale(top->rect.bottom - top->rect.top, dpi, from);
  TakeDpi(topLevel, dpi);
  SendMessageW(topLevel, WM_DPICHANGED, MAKEWPARAM(static_cast<WORD>(dpi), static_cast<WORD>(dpi)),
               reinterpret_cast<LPARAM>(&suggested));
  if (Find(topLevel)) Paint(topLevel, true);
}

// The dialog manager's part: a new font for the dialog at its DPI, sent to
// its controls, and its controls' rectangles scaled; then the same inside
// each child dialog.
void HeadlessWindows::Relayout(HWND dialog) {
  Window* d = Find(dialog);
  if (!d || d->kind != Kind::kDialog) return;
  if (d->ownedFont && d->layoutDpi != d->dpi) {
    d->retiredFonts.push_back(d->ownedFont);
    d->ownedFont = DialogFont(d->fontFace, d->fontPoints, d->dpi);
    d->font = d->ownedFont;
  }
  d->layoutDpi = d->dpi;
  const HFONT font = d->font;
  const std::vector<HWND> children = d->children;
  for (HWND child : children) {
    Window* c = Find(child);
    if (!c) continue;
    if (!(c->dpiBehaviour & DCDC_DISABLE_RELAYOUT) && c->layoutDpi != c->dpi) {
      c->rect = {Scale(c->rect.left, c->dpi, c->layoutDpi), Scale(c->rect.top, c->dpi, c->layoutDpi),
                 Scale(c->rect.right, c->dpi, c->layoutDpi), Scale(c->rect.bottom, c->dpi, c->layoutDpi)};
    }
    c->layoutDpi = c->dpi;
    if (font && !(c->dpiBehaviour & DCDC_DISABLE_FONT_UPDATE)) SendMessageW(child, WM_SETFONT, font, 0);
    if (c->kind == Kind::kDialog) Relayout(child);
  }
}

}  // namespace fw::headless
