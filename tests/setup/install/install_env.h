// A PC ready for an installation, and the wizard from the connection page
// on, headless on its virtual clock: the driver package beside setup.exe,
// the system's print UI (a stand-in that adds printers to the simulated
// spooler), setup.exe's own resources with its "WIN7" 232 payload, and
// Spoolmate's linked logic as the program at the path setup registers the
// helper service under, so that the simulated service manager runs it as the
// local system account.
#pragma once

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/sim_print_ui.h"
#include "platform/sim/sim_process.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_resources.h"
#include "platform/sim/sim_services.h"
#include "platform/sim/sim_shell_folders.h"
#include "platform/sim/sim_spooler.h"
#include "platform/sim/sim_usb_printer.h"
#include "service/service_host.h"
#include "setup/app/setup_wizard.h"
#include "setup/driver/driver_identity.h"
#include "setup/driver/platform_version.h"
#include "setup/pages/connect_page.h"
#include "setup/pages/detect_page.h"
#include "setup/pages/install_page.h"
#include "tests/setup/app/shell_env.h"

namespace install_test {

inline const std::wstring kProgramFolder = L"C:\\TQPrinterSetup";
inline const std::wstring kServiceFolder = L"C:\\Program Files\\Common Files\\Services";
inline const std::wstring kServiceExe = kServiceFolder + L"\\Spoolmate.exe";
inline const std::wstring kClassKey =
    L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E979-E325-11CE-BFC1-08002BE10318}";
inline const std::wstring kUsbDevice = L"SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\TAVIRPRINTERTQ-5800TQMM";
inline const std::wstring kLptDevice = L"SYSTEM\\CurrentControlSet\\Enum\\LPTENUM\\TAVIRTQPRINTER5800";
inline const char kInf[] =
    "[Manufacturer]\r\n\"TAVIR\"=TAVIR\r\n[TAVIR]\r\n"
    "\"TQ-5800\" = TQ5800, USBPRINT\\TAVIRTQ-5800TQMM\r\n"
    "\"TQ-5800\" = TQ5800, LPTENUM\\TAVIRTQ-5800\r\n";

// The bytes setup.exe carries as "WIN7" 232 in these tests.
inline std::string PayloadBytes() {
  std::ifstream file(TQ_INSTALL_PAYLOAD_FILE, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

struct StatusChange {
  pf::DWORD tick;  // the tick counter's, which may wrap during the test
  std::wstring text;
};
inline std::vector<StatusChange>* g_statuses = nullptr;

inline fw::LRESULT RecordStatus(fw::HWND window, fw::UINT message, fw::WPARAM wParam, fw::LPARAM lParam) {
  if (message == fw::WM_SETTEXT && g_statuses) {
    g_statuses->push_back({pf::GetTickCount(), reinterpret_cast<const wchar_t*>(lParam)});
  }
  return fw::Windows().CallOriginalProc(window, message, wParam, lParam);
}

// The install page with its status line watched.
class WatchedInstallPage : public InstallPage {
 public:
  using InstallPage::InstallPage;
  bool OnInitDialog() override {
    bool result = InstallPage::OnInitDialog();
    fw::Windows().SubclassWindow(GetDlgItem(IDC_INSTALL_STATUS), &RecordStatus);
    return result;
  }
};

class InstallTest : public ShellTest {
 protected:
  InstallTest() : ui_(pc_.pc()), connect_(context_), detect_(context_), install_(context_) {
    g_statuses = &statuses_;
    pc_->files().WriteFileBytes(kProgramFolder + L"\\TQPRINTER.INF", kInf);
    pc_->resources().LoadModuleResources(TQ_INSTALL_RES_FILE);
    pc_->services().RegisterProgram(kServiceExe, spoolmate::RunSpoolmate);
    ApplyFixedValues(&context_);
    identityRead_ = LoadDriverIdentity(&context_);
    ProbePlatform();
    wizard_.AddPage(&connect_, IDD_CONNECT_PAGE);
    wizard_.AddPage(&detect_, IDD_DETECT_PAGE);
    wizard_.AddPage(&install_, IDD_INSTALL_PAGE);
  }
  ~InstallTest() override { g_statuses = nullptr; }
  void SetUp() override {
    ShellTest::SetUp();
    ASSERT_TRUE(identityRead_);
    ASSERT_EQ(context_.driverModel, L"TQ-5800");
  }

  void Then(std::function<void()> step) { windows_.Then(std::move(step)); }
  // Clicks a frame button in the next step; the click's time is noted first.
  void Press(int id) {
    Then([this, id] {
      start_ = pc_->kernel().Now();
      startTick_ = pf::GetTickCount();
      statuses_.clear();
      ASSERT_TRUE(windows_.Click(Control(id))) << "button " << id;
    });
  }
  // From the connection page through detection to the install page, which
  // runs the installation; with lpt the user picks the parallel port first.
  void Install(bool lpt = false) {
    Press(IDC_NEXT);
    if (lpt) Then([this] { ASSERT_TRUE(windows_.Click(windows_.Child(detect_.GetSafeHwnd(), IDC_DETECT_LPT))); });
    Press(IDC_NEXT);
  }
  // Ends the wizard with Finish and expects that its script ran to here.
  void FinishAndRun() {
    Press(IDC_FINISH);
    EXPECT_EQ(wizard_.DoModal(), IDC_FINISH);
  }
  // A click on one of the page's hidden buttons, as the system delivers it.
  void ClickHidden(int id) {
    windows_.PostMessageW(install_.GetSafeHwnd(), fw::WM_COMMAND, fw::MAKEWPARAM(id, fw::BN_CLICKED),
                          static_cast<fw::LPARAM>(Item(id)));
  }

  // The maker's USB printer on USB001, answering the model request with "TQ-5800".
  std::shared_ptr<pf::sim::SimUsbPrinter> PlugInUsbPrinter() {
    pf::sim::UsbPrinterSeed seed;
    seed.printerId = L"TAVIRPRINTERTQ-5800TQMM";
    auto printer = pf::sim::SimUsbPrinter::Create(pc_.pc(), seed);
    printer->SetReply(pf::sim::SimUsbPrinter::ModelReply("TQ-5800", 0x01));
    printer->PlugIn();
    return printer;
  }
  // The maker's parallel-port printer without a driver.
  void ConnectLptPrinter() {
    std::string error;
    ASSERT_TRUE(reg().ImportRegText(pf::sim::RegText({pf::sim::LptPrinterKeys({})}), &error)) << error;
  }

  pf::sim::SimRegistry& reg() { return pc_->registry(); }
  fw::HWND Item(int id) const { return windows_.Child(install_.GetSafeHwnd(), id); }
  std::wstring Text(int id) const { return windows_.Text(Item(id)); }
  int Progress() const { return windows_.ProgressPos(Item(IDC_INSTALL_PROGRESS)); }
  std::vector<std::wstring> Statuses() const {
    std::vector<std::wstring> texts;
    for (const StatusChange& change : statuses_) texts.push_back(change.text);
    return texts;
  }
  // The message boxes' texts so far.
  std::vector<std::wstring> Boxes() {
    std::vector<std::wstring> texts;
    for (const auto& box : pc_->system().messageBoxes()) texts.push_back(box.text);
    return texts;
  }
  // The user's default-printer entry, or "<none>".
  std::wstring DefaultPrinter() {
    std::wstring value = L"<none>";
    reg().GetString(pf::HKEY_CURRENT_USER, pf::sim::SimSpooler::ProfileKeyPath(L"windows"), L"device", &value);
    return value;
  }
  std::wstring String(const std::wstring& path, const std::wstring& name) {
    std::wstring value = L"<none>";
    reg().GetString(pf::HKEY_LOCAL_MACHINE, path, name, &value);
    return value;
  }
  // The class key's staged values ("_" names) still there.
  std::vector<std::wstring> Staged() {
    std::vector<std::wstring> staged;
    for (const std::wstring& name : reg().ValueNames(pf::HKEY_LOCAL_MACHINE, kClassKey)) {
      if (!name.empty() && name[0] == L'_') staged.push_back(name);
    }
    return staged;
  }
  std::vector<std::wstring> Values(const std::wstring& path) {
    return reg().ValueNames(pf::HKEY_LOCAL_MACHINE, path);
  }
  // The one instance of a device key that the seed made.
  std::wstring Instance(const std::wstring& device) {
    std::vector<std::wstring> instances = reg().SubkeyNames(pf::HKEY_LOCAL_MACHINE, device);
    return instances.size() == 1 ? device + L"\\" + instances[0] : L"<not one instance>";
  }
  std::string ServiceFile() {
    std::string bytes = "<none>";
    pc_->files().ReadFileBytes(kServiceExe, &bytes);
    return bytes;
  }
  // What is left once the wizard has ended: every handle closed, every block
  // freed. A service process still running is ended first (so that a helper
  // that was never stopped fails the test's other checks instead of hanging it).
  void ExpectNothingHeld() {
    pc_->services().EndProcesses();
    EXPECT_EQ(pc_->kernel().OpenHandleCount(), 0u);
    EXPECT_EQ(pc_->system().LocalBlockCount(), 0u);
  }

  pf::sim::SimPrintUi ui_;
  SetupContext context_;
  SetupWizard wizard_;
  ConnectPage connect_;
  DetectPage detect_;
  WatchedInstallPage install_;
  std::vector<StatusChange> statuses_;
  std::uint64_t start_ = 0;  // the virtual time, which never wraps
  pf::DWORD startTick_ = 0;
  bool identityRead_ = false;
};

}  // namespace install_test
