// CDialog: a dialog made from a template of the program's resources, modal
// (DoModal, with the framework's own message loop so that PreTranslateMessage
// sees every message) or modeless (Create). Window messages reach small
// virtual handlers; no exception leaves the dialog procedure.
#pragma once

#include "framework/wnd.h"

namespace fw {

class CDialog : public CWnd {
 public:
  explicit CDialog(int templateId, CWnd* parent = nullptr) : templateId_(templateId), parent_(parent) {}
  ~CDialog() override;

  int GetTemplateId() const { return templateId_; }

  // Runs the dialog modally: returns the EndDialog result, or -1 when the
  // dialog could not be created or the message loop failed.
  INT_PTR DoModal();
  // Creates the dialog modeless as a child or owned window of `parent`.
  bool Create(int templateId, CWnd* parent);
  // Ends a modal run with `result`; the window is destroyed when DoModal returns.
  void EndDialog(int result);
  bool DestroyWindow();

  // Window initialisation: the default exchanges the dialog data and reports
  // true (the system then sets the initial focus).
  virtual bool OnInitDialog();
  // Binds controls to objects (DDX_Control's place); called by OnInitDialog.
  virtual void DoDataExchange() {}
  // A command from a menu, accelerator or control. The default routes IDOK
  // and IDCANCEL to OnOK and OnCancel and reflects other control commands to
  // the control's object. Reports whether it was handled.
  virtual bool OnCommand(WORD id, WORD code, HWND control);
  virtual void OnOK() { EndDialog(1); }
  virtual void OnCancel() { EndDialog(2); }
  // The colour request of a control (or the dialog itself). Returns the brush
  // to paint with, or 0 for the system's default colours.
  virtual HBRUSH OnCtlColor(HDC dc, HWND control, UINT ctlColorMessage);
  // The window is being destroyed (WM_DESTROY).
  virtual void OnDestroy() {}
  // Any other message; true when handled, with the procedure's result.
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) { return false; }

  bool PreTranslateMessage(MSG* msg) override { return false; }

 protected:
  bool IsModalRunning() const { return modal_; }

 private:
  static INT_PTR DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Offers `msg` to PreTranslateMessage of its window and of every ancestor up
  // to and including this dialog.
  bool PreTranslateChain(MSG* msg);

  int templateId_;
  CWnd* parent_;
  bool modal_ = false;
  bool endRequested_ = false;
  INT_PTR result_ = -1;
};

// Dispatches every waiting message: peek with removal, translate, dispatch.
// Reports false when it removed a quit message (which is not put back).
bool PumpMessages();
// PumpMessages, then for each whole slice that fits in `total`: sleep one
// slice and PumpMessages again. A slice of 0 only pumps once.
void PumpWait(DWORD total, DWORD slice);

}  // namespace fw
