#include "framework/app.h"

#include "platform/platform.h"

namespace fw {
namespace {
CWinApp* g_app = nullptr;
}  // namespace

CWinApp::CWinApp() { g_app = this; }

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

bool CWinApp::OnCommand(WORD id) {
  if (id != ID_HELP) return false;
  OnHelp();
  return true;
}

CWinApp* AfxGetApp() { return g_app; }

std::wstring AfxGetAppName() {
  wchar_t path[pf::MAX_PATH] = {};
  const pf::DWORD length = pf::GetModuleFileNameW(0, path, pf::MAX_PATH);
  std::wstring name(path, length < pf::MAX_PATH ? length : 0);
  const auto slash = name.find_last_of(L"\\/");
  if (slash != std::wstring::npos) name.erase(0, slash + 1);
  const auto dot = name.rfind(L'.');
  if (dot != std::wstring::npos) name.erase(dot);
  return name;
}

int AfxMessageBox(const std::wstring& text, UINT type) {
  CWinApp* app = AfxGetApp();
  const HWND owner = app && app->m_pMainWnd ? app->m_pMainWnd->GetSafeHwnd() : 0;
  return Windows().MessageBoxW(owner, text, AfxGetAppName(), type);
}

void AfxEnableControlContainer() { Windows().EnableControlContainer(); }

int RunApplication() {
  CWinApp* app = AfxGetApp();
  if (!app) return 1;
  bool keepRunning = false;
  try {
    keepRunning = app->InitInstance();
    if (!keepRunning) return app->ExitInstance();
  } catch (...) {
    return 1;
  }
  MSG msg{};
  while (Windows().GetMessageW(&msg) > 0) {
    Windows().TranslateMessage(&msg);
    Windows().DispatchMessageW(&msg);
  }
  return msg.message == WM_QUIT ? static_cast<int>(msg.wParam) : 0;
}

}  // namespace fw
