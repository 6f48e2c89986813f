#include "setup/app/setup_app.h"

#include "platform/platform.h"
#include "setup/app/setup_wizard.h"
#include "setup/app/texts.h"
#include "setup/driver/driver_identity.h"
#include "setup/driver/platform_version.h"
#include "setup/pages/connect_page.h"
#include "setup/pages/detect_page.h"
#include "setup/pages/install_page.h"
#include "setup/pages/welcome_page.h"
#include "setup/resources/resource.h"

SetupContext& TheSetupContext() {
  static SetupContext context;
  return context;
}

bool SetupApp::InitInstance() {
  fw::AfxEnableControlContainer();
  ProbePlatform();

  SetupWizard wizard;
  m_pMainWnd = &wizard;
  SetupContext& context = TheSetupContext();
  WelcomePage welcome(context);
  ConnectPage connect(context);
  DetectPage detect(context);
  InstallPage install(context);

  ApplyFixedValues(&context);
  // Without its INF the wizard could only fail at the last page; tell the
  // user at once which file is missing and end.
  if (!LoadDriverIdentity(&context)) {
    fw::Windows().MessageBoxW(0, LoadText(IDS_ERROR_NO_INF),
                              FormatText(LoadText(IDS_SERVICE_CAPTION), context.companyNameCn),
                              pf::MB_OK | pf::MB_ICONERROR);
    m_pMainWnd = nullptr;
    return false;
  }

  wizard.AddPage(&welcome, IDD_WELCOME_PAGE);
  wizard.AddPage(&connect, IDD_CONNECT_PAGE);
  wizard.AddPage(&detect, IDD_DETECT_PAGE);
  wizard.AddPage(&install, IDD_INSTALL_PAGE);
  wizard.DoModal();
  m_pMainWnd = nullptr;
  return false;
}
