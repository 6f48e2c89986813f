// CWinApp: the one application object of a dialog program. The program
// defines one static instance; the entry point calls RunApplication, which
// runs InitInstance and, when that reports true, the message loop; when it
// reports false, ExitInstance gives the process's exit code.
#pragma once

#include <string>

#include "framework/wnd.h"

namespace fw {

inline constexpr WORD ID_HELP = 0xE146;

class CWinApp {
 public:
  CWinApp();
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  virtual bool InitInstance() { return true; }
  // The exit code of a program whose InitInstance reported false.
  virtual int ExitInstance() { return 0; }
  // The standard help command; a program without help files does nothing.
  virtual void OnHelp() {}
  // Routes the application's commands; ID_HELP goes to OnHelp.
  virtual bool OnCommand(WORD id);

  CWnd* m_pMainWnd = nullptr;
};

// The application object, or null before it is constructed.
CWinApp* AfxGetApp();
// The application's title: the program file's name without its folder and
// extension ("setup" for setup.exe).
std::wstring AfxGetAppName();
// The application's standard message box: owned by the main window (none
// before there is one), with the application's title as caption.
int AfxMessageBox(const std::wstring& text, UINT type);
// Lets dialogs host controls beyond the standard ones.
void AfxEnableControlContainer();
// Runs the application object: InitInstance, then the message loop when it
// reported true, else ExitInstance. Returns the process exit code.
int RunApplication();

}  // namespace fw
