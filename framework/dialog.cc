#include "framework/dialog.h"

#include "platform/platform.h"

namespace fw {
namespace {

bool IsCtlColorMessage(UINT message) { return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC; }

}  // namespace

CDialog::~CDialog() {
  if (IsWindowCreated()) DestroyWindow();
}

bool CDialog::Create(int templateId, CWnd* parent) {
  templateId_ = templateId;
  parent_ = parent;
  HWND owner = parent ? parent->GetSafeHwnd() : 0;
  HWND window = Windows().CreateDialogParamW(templateId_, owner, &CDialog::DialogProc,
                                             reinterpret_cast<LPARAM>(this));
  if (!window) {
    SetHwnd(0);
    return false;
  }
  SetHwnd(window);
  return true;
}

INT_PTR CDialog::DoModal() {
  HWND owner = parent_ ? parent_->GetSafeHwnd() : 0;
  bool ownerWasEnabled = owner && Windows().IsWindowEnabled(owner);
  endRequested_ = false;
  result_ = -1;
  modal_ = true;
  if (!Create(templateId_, parent_)) {
    modal_ = false;
    return -1;
  }
  if (ownerWasEnabled) Windows().EnableWindow(owner, 0);
  if (!endRequested_) Windows().ShowWindow(GetSafeHwnd(), SW_SHOW);
  MSG msg{};
  while (!endRequested_) {
    BOOL got = Windows().GetMessageW(&msg);
    if (got <= 0) {
      if (got == 0) Windows().PostQuitMessage(static_cast<int>(msg.wParam));  // leave the quit to the outer loop
      result_ = -1;
      break;
    }
    if (PreTranslateChain(&msg)) continue;
    if (Windows().IsDialogMessageW(GetSafeHwnd(), &msg)) continue;
    Windows().TranslateMessage(&msg);
    Windows().DispatchMessageW(&msg);
  }
  if (ownerWasEnabled) Windows().EnableWindow(owner, 1);
  DestroyWindow();
  modal_ = false;
  return result_;
}

void CDialog::EndDialog(int result) {
  result_ = result;
  endRequested_ = true;
  if (modal_ && GetSafeHwnd()) Windows().ShowWindow(GetSafeHwnd(), SW_HIDE);
}

bool CDialog::DestroyWindow() {
  HWND window = GetSafeHwnd();
  if (!window) return false;
  bool destroyed = Windows().DestroyWindow(window) != 0;
  SetHwnd(0);
  return destroyed;
}

bool CDialog::PreTranslateChain(MSG* msg) {
  for (HWND window = msg->hwnd; window; window = Windows().GetParent(window)) {
    CWnd* object = CWnd::FromHandle(window);
    if (object && object->PreTranslateMessage(msg)) return true;
    if (window == GetSafeHwnd()) break;
  }
  return false;
}

bool CDialog::OnInitDialog() {
  DoDataExchange();
  return true;
}

bool CDialog::OnCommand(WORD id, WORD code, HWND control) {
  if (control) {
    CWnd* object = CWnd::FromHandle(control);
    if (object && object != this && object->OnReflectedCommand(code)) return true;
  }
  if (code != BN_CLICKED) return false;
  if (id == 1) {
    OnOK();
    return true;
  }
  if (id == 2) {
    OnCancel();
    return true;
  }
  return false;
}

HBRUSH CDialog::OnCtlColor(HDC dc, HWND control, UINT ctlColorMessage) {
  CWnd* object = control ? CWnd::FromHandle(control) : nullptr;
  HBRUSH brush = 0;
  if (object && object != this && object->OnReflectedCtlColor(dc, ctlColorMessage, &brush)) return brush;
  return 0;
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog() ? 1 : 0;
    case WM_COMMAND:
      return OnCommand(LOWORD(wParam), HIWORD(wParam), static_cast<HWND>(lParam)) ? 1 : 0;
    case WM_TIMER:
      return OnTimer(wParam) ? 1 : 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    default:
      break;
  }
  if (IsCtlColorMessage(message)) {
    HBRUSH brush = OnCtlColor(static_cast<HDC>(wParam), static_cast<HWND>(lParam), message);
    return static_cast<INT_PTR>(brush);
  }
  LRESULT result = 0;
  if (OnMessage(message, wParam, lParam, &result)) return result;
  return 0;
}

INT_PTR CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    CDialog* dialog = nullptr;
    if (message == WM_INITDIALOG) {
      dialog = reinterpret_cast<CDialog*>(lParam);
      if (!dialog) return 0;
      dialog->SetHwnd(window);
      Windows().SetWindowObject(window, static_cast<CWnd*>(dialog));
    } else {
      dialog = static_cast<CDialog*>(CWnd::FromHandle(window));
    }
    if (!dialog) return 0;
    INT_PTR result = dialog->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
      Windows().SetWindowObject(window, nullptr);
      if (dialog->GetSafeHwnd() == window) dialog->SetHwnd(0);
    }
    return result;
  } catch (...) {
    // Nothing may unwind through the window system's call.
    return 0;
  }
}

bool PumpMessages() {
  MSG msg{};
  while (Windows().PeekMessageW(&msg, PM_REMOVE)) {
    if (msg.message == WM_QUIT) return false;
    Windows().TranslateMessage(&msg);
    Windows().DispatchMessageW(&msg);
  }
  return true;
}

void PumpWait(DWORD total, DWORD slice) {
  PumpMessages();
  if (slice == 0) return;
  for (DWORD i = 0, n = total / slice; i < n; ++i) {
    pf::Sleep(slice);
    PumpMessages();
  }
}

}  // namespace fw
