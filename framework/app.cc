#include "framework/app.h"

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

void AfxEnableControlContainer() { Windows().EnableControlContainer(); }

int RunApplication() {
  CWinApp* app = AfxGetApp();
  if (!app) return 1;
  bool keepRunning = false;
  try {
    keepRunning = app->InitInstance();
  } catch (...) {
    return 1;
  }
  if (!keepRunning) return 0;
  MSG msg{};
  while (Windows().GetMessageW(&msg) > 0) {
    Windows().TranslateMessage(&msg);
    Windows().DispatchMessageW(&msg);
  }
  return msg.message == WM_QUIT ? static_cast<int>(msg.wParam) : 0;
}

}  // namespace fw
