#include "setup/controls/link_label.h"

#include "common/text/decimal.h"
#include "common/text/utf.h"
#include "platform/platform.h"
#include "platform/unique_handle.h"

namespace {

constexpr fw::UINT kToolId = 1;
constexpr fw::UINT kHandCursorId = 106;

// The default value of HKEY_CLASSES_ROOT\subKey, read as at most 260 bytes.
bool ReadClassesDefault(const std::wstring& subKey, std::wstring* value) {
  pf::UniqueKey key;
  if (pf::RegOpenKeyExW(pf::HKEY_CLASSES_ROOT, subKey.c_str(), 0, pf::KEY_QUERY_VALUE, key.put()) !=
      pf::ERROR_SUCCESS)
    return false;
  pf::BYTE data[260];
  pf::DWORD type = 0;
  pf::DWORD size = sizeof(data);
  if (pf::RegQueryValueExW(key.get(), nullptr, &type, data, &size) != pf::ERROR_SUCCESS) return false;
  const std::wstring text = text::FromUtf16LeBytes(data, size);
  *value = text.substr(0, text.find(L'\0'));
  return true;
}

// The Windows folder, empty when it cannot be had.
std::wstring WindowsDirectory() {
  std::wstring folder(pf::MAX_PATH, L'\0');
  for (;;) {
    const pf::UINT length = pf::GetWindowsDirectoryW(&folder[0], static_cast<pf::UINT>(folder.size()));
    if (length < folder.size()) {
      folder.resize(length);
      return folder;
    }
    folder.resize(length);
  }
}

// The text in the thread's ANSI code page.
std::string ToAnsi(const std::wstring& text) {
  if (text.empty()) return std::string();
  int n = pf::WideCharToMultiByte(pf::GetACP(), 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return std::string();
  std::string ansi(static_cast<std::size_t>(n), '\0');
  pf::WideCharToMultiByte(pf::GetACP(), 0, text.c_str(), static_cast<int>(text.size()), &ansi[0], n);
  return ansi;
}

}  // namespace

void LinkLabel::SetUrl(const std::wstring& target) {
  target_ = target;
  if (!IsWindowCreated()) return;
  FitToText();
  if (tooltip_) fw::Windows().UpdateTipText(tooltip_.get(), GetSafeHwnd(), kToolId, target_);
}

bool LinkLabel::Bind(int id, fw::CWnd* parent) {
  if (!parent) return false;
  fw::HWND control = parent->GetDlgItem(id);
  if (!control) return false;
  Attach(control);
  Prepare();
  return SubclassDlgItem(id, parent);
}

void LinkLabel::Prepare() {
  fw::WindowApi& windows = fw::Windows();
  ModifyStyle(0, static_cast<fw::LONG>(fw::SS_NOTIFY));
  std::wstring text = GetWindowText();
  if (target_.empty()) target_ = text;
  if (text.empty()) SetWindowText(target_);

  fw::HFONT font = GetFont();
  if (!font) font = windows.GetStockObject(fw::DEFAULT_GUI_FONT);
  if (!font) font = windows.GetStockObject(fw::ANSI_VAR_FONT);
  fw::LOGFONTW description{};
  if (font && windows.GetFontDescription(font, &description)) {
    description.lfUnderline = 0;
    plainFont_.CreateFontIndirect(description);
    description.lfUnderline = 1;
    underlineFont_.CreateFontIndirect(description);
  }

  FitToText();
  LoadHandCursor();

  tooltip_.reset(windows.CreateTooltip(GetSafeHwnd()));
  if (tooltip_) {
    fw::RECT client{};
    windows.GetClientRect(GetSafeHwnd(), &client);
    windows.AddTool(tooltip_.get(), GetSafeHwnd(), kToolId, client, target_);
  }
}

void LinkLabel::FitToText() {
  if (!IsWindowCreated()) return;
  fw::WindowApi& windows = fw::Windows();
  fw::HWND window = GetSafeHwnd();
  fw::HWND parent = windows.GetParent(window);

  fw::RECT outer{};
  windows.GetWindowRect(window, &outer);
  fw::POINT topLeft{outer.left, outer.top};
  fw::POINT bottomRight{outer.right, outer.bottom};
  windows.ScreenToClient(parent, &topLeft);
  windows.ScreenToClient(parent, &bottomRight);
  outer = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
  fw::RECT client{};
  windows.GetClientRect(window, &client);
  const fw::LONG borderX = (outer.right - outer.left) - (client.right - client.left);
  const fw::LONG borderY = (outer.bottom - outer.top) - (client.bottom - client.top);

  int textWidth = 0;
  int textHeight = 0;
  {
    fw::CClientDC dc(window);
    fw::HGDIOBJ previous = windows.SelectObject(dc.handle(), underlineFont_.handle());
    windows.GetTextExtentPoint32W(dc.handle(), GetWindowText(), &textWidth, &textHeight);
    windows.SelectObject(dc.handle(), previous);
  }

  const fw::LONG style = GetStyle();
  const fw::LONG height = textHeight + borderY;
  if (style & static_cast<fw::LONG>(fw::SS_CENTERIMAGE)) {
    fw::LONG shrink = ((outer.bottom - outer.top) - height) / 2;
    outer.top += shrink;
    outer.bottom = outer.top + height;
  } else {
    outer.bottom = outer.top + height;
  }
  const fw::LONG width = textWidth + borderX;
  const fw::LONG alignment = style & 0x1F;
  if (alignment == static_cast<fw::LONG>(fw::SS_CENTER)) {
    fw::LONG shrink = ((outer.right - outer.left) - width) / 2;
    outer.left += shrink;
    outer.right = outer.left + width;
  } else if (alignment == static_cast<fw::LONG>(fw::SS_RIGHT)) {
    outer.left = outer.right - width;
  } else {
    outer.right = outer.left + width;
  }
  windows.SetWindowPos(window, 0, outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top,
                       fw::SWP_NOZORDER);
}

void LinkLabel::LoadHandCursor() {
  if (cursor_) return;
  fw::WindowApi& windows = fw::Windows();
  const std::wstring windowsFolder = WindowsDirectory();
  if (windowsFolder.empty()) return;
  fw::UniqueModule help(windows.LoadLibraryW(windowsFolder + L"\\winhlp32.exe"));
  if (!help) return;
  // The module's cursor goes with the module; the copy is ours.
  fw::HCURSOR hand = windows.LoadCursorFromModule(help.get(), kHandCursorId);
  if (hand) cursor_.reset(windows.CopyCursor(hand));
}

bool LinkLabel::OnMouseMove(fw::WPARAM flags, fw::POINT point) {
  if (!over_) {
    over_ = true;
    SetFont(underlineFont_.handle(), true);
    fw::Windows().RedrawWindow(GetSafeHwnd(), nullptr, fw::RDW_INVALIDATE | fw::RDW_ERASE);
    timerRunning_ = fw::Windows().SetTimer(GetSafeHwnd(), kTimerId, 100) != 0;
  }
  return false;
}

bool LinkLabel::OnTimer(std::uintptr_t id) {
  if (id != kTimerId) return false;
  fw::WindowApi& windows = fw::Windows();
  fw::DWORD position = windows.GetMessagePos();
  fw::POINT point{static_cast<std::int16_t>(fw::LOWORD(position)), static_cast<std::int16_t>(fw::HIWORD(position))};
  windows.ScreenToClient(GetSafeHwnd(), &point);
  fw::RECT client{};
  windows.GetClientRect(GetSafeHwnd(), &client);
  bool inside = point.x >= client.left && point.x < client.right && point.y >= client.top && point.y < client.bottom;
  if (!inside) {
    over_ = false;
    windows.KillTimer(GetSafeHwnd(), kTimerId);
    timerRunning_ = false;
    SetFont(plainFont_.handle(), true);
    fw::RECT area = client;
    area.bottom += 10;
    windows.RedrawWindow(GetSafeHwnd(), &area, fw::RDW_INVALIDATE | fw::RDW_ERASE);
  }
  return false;
}

bool LinkLabel::OnSetCursor(fw::HWND window, fw::UINT hitTest, fw::UINT message) {
  if (!cursor_) return false;
  fw::Windows().SetCursor(cursor_.get());
  return true;
}

bool LinkLabel::OnEraseBkgnd(fw::HDC dc) {
  fw::RECT client{};
  fw::Windows().GetClientRect(GetSafeHwnd(), &client);
  fw::Windows().FillRect(dc, client, fw::Windows().GetSysColorBrush(fw::COLOR_BTNFACE));
  return true;
}

void LinkLabel::OnControlDestroy() {
  fw::WindowApi& windows = fw::Windows();
  if (timerRunning_) windows.KillTimer(GetSafeHwnd(), kTimerId);
  timerRunning_ = false;
  tooltip_.reset();
  cursor_.reset();
  underlineFont_.DeleteObject();
  plainFont_.DeleteObject();
}

bool LinkLabel::OnReflectedCommand(fw::WORD code) {
  if (code != fw::STN_CLICKED) return false;
  OnClicked();
  return true;
}

bool LinkLabel::OnReflectedCtlColor(fw::HDC dc, fw::UINT ctlColorMessage, fw::HBRUSH* brush) {
  fw::WindowApi& windows = fw::Windows();
  windows.SetTextColor(dc, over_ ? hoverColour : visited_ ? visitedColour : linkColour);
  windows.SetBkMode(dc, fw::TRANSPARENT);
  *brush = windows.GetStockObject(fw::NULL_BRUSH);
  return true;
}

bool LinkLabel::PreTranslateMessage(fw::MSG* msg) {
  if (tooltip_) fw::Windows().RelayEvent(tooltip_.get(), *msg);
  return false;
}

void LinkLabel::OnClicked() {
  over_ = false;
  fw::INT_PTR result = OpenUrl(target_, fw::SW_SHOW);
  if (result > 32) {
    visited_ = true;
    if (IsWindowCreated()) Invalidate(true);
    return;
  }
  visited_ = false;
  fw::Windows().MessageBeep(fw::MB_ICONEXCLAMATION);
  fw::Windows().MessageBoxW(GetSafeHwnd(), L"Unable to open hyperlink:\n\n" + ErrorText(result), L"",
                            fw::MB_ICONEXCLAMATION);
}

std::wstring LinkLabel::CommandLineFor(const std::wstring& command, const std::wstring& target) {
  std::wstring line = command;
  std::wstring::size_type cut = line.find(L"\"%1\"");
  if (cut == std::wstring::npos) cut = line.find(L"%1");
  if (cut != std::wstring::npos) line.erase(cut);
  return line + L" " + target;
}

fw::INT_PTR LinkLabel::OpenUrl(const std::wstring& target, int show) {
  fw::INT_PTR result = pf::ShellExecuteW(0, L"open", target.c_str(), nullptr, nullptr, show);
  if (result > 32) return result;
  std::wstring pageClass;
  if (!ReadClassesDefault(L".htm", &pageClass)) return result;
  std::wstring command;
  if (!ReadClassesDefault(pageClass + L"\\shell\\open\\command", &command)) return result;
  return static_cast<fw::INT_PTR>(pf::WinExec(ToAnsi(CommandLineFor(command, target)).c_str(), show));
}

std::wstring LinkLabel::ErrorText(fw::INT_PTR code) {
  switch (code) {
    case 0: return L"The operating system is out\nof memory or resources.";
    case 2: return L"The specified file was not found.";
    case 3: return L"The specified path was not found.";
    case 5: return L"The operating system denied\naccess to the specified file.";
    case 8: return L"There was not enough memory to complete the operation.";
    case 11: return L"The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
    case 26: return L"A sharing violation occurred. ";
    case 27: return L"The filename association is\nincomplete or invalid.";
    case 28: return L"The DDE transaction could not\nbe completed because the request timed out.";
    case 29: return L"The DDE transaction failed.";
    case 30: return L"The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed.";
    case 31: return L"There is no application associated\nwith the given filename extension.";
    case 32: return L"The specified dynamic-link library was not found.";
    default: return L"Unknown Error (" + text::WideDecimal(code) + L") occurred.";
  }
}
