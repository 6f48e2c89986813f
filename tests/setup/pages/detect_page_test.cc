// The detection page in the wizard, headless, on the simulated PC's clock:
// the status line over a run, its timing, what the page proposes for each
// registry state, the offer rules, the user's choices, and what the page
// keeps from re-entering the wizard while it runs.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_usb_printer.h"
#include "setup/app/setup_wizard.h"
#include "setup/pages/connect_page.h"
#include "setup/pages/detect_page.h"
#include "setup/pages/install_page.h"
#include "setup/resources/resource.h"
#include "tests/setup/app/shell_env.h"
#include "tests/setup/devices/printer_registry.h"

namespace {

const std::wstring kDetecting = L"正在检测打印机";
const std::wstring kDetected = L"检测到打印机设备：";
const std::wstring kNotDetected = L"没有检测到打印机！";

struct StatusChange {
  pf::DWORD tick;
  std::wstring text;
};
std::vector<StatusChange>* g_statuses = nullptr;

fw::LRESULT RecordStatus(fw::HWND window, fw::UINT message, fw::WPARAM wParam, fw::LPARAM lParam) {
  if (message == fw::WM_SETTEXT && g_statuses)
    g_statuses->push_back({pf::GetTickCount(), reinterpret_cast<const wchar_t*>(lParam)});
  return fw::Windows().CallOriginalProc(window, message, wParam, lParam);
}

// The detection page with its status line watched.
class WatchedDetectPage : public DetectPage {
 public:
  using DetectPage::DetectPage;
  bool OnInitDialog() override {
    bool result = DetectPage::OnInitDialog();
    fw::Windows().SubclassWindow(GetDlgItem(IDC_DETECT_STATUS), &RecordStatus);
    return result;
  }
};

class DetectPageTest : public ShellTest {
 protected:
  DetectPageTest() : connect_(context_), detect_(context_), install_(context_) {
    g_statuses = &statuses_;
    context_.driverModel = L"TQ-5800";
    context_.lptHardwareId = L"LPTENUM\\TAVIRTQ-5800";
    context_.usbHardwareId = L"USBPRINT\\TAVIRTQ-5800TQMM";
    wizard_.AddPage(&connect_, IDD_CONNECT_PAGE);
    wizard_.AddPage(&detect_, IDD_DETECT_PAGE);
    wizard_.AddPage(&install_, IDD_INSTALL_PAGE);
  }
  ~DetectPageTest() override { g_statuses = nullptr; }

  pf::sim::SimRegistry& reg() { return pc_->registry(); }
  fw::HWND Page() const { return detect_.GetSafeHwnd(); }
  fw::HWND Item(int id) const { return windows_.Child(Page(), id); }
  std::wstring NameBox() const { return windows_.Text(Item(IDC_DETECT_NAME)); }
  std::wstring Status() const { return windows_.Text(Item(IDC_DETECT_STATUS)); }
  bool UsbChecked() const { return windows_.CheckState(Item(IDC_DETECT_USB)) == 1; }
  bool LptChecked() const { return windows_.CheckState(Item(IDC_DETECT_LPT)) == 1; }

  // Clicks a frame button in the next step; detection runs as the click is
  // dispatched. The run's start is noted first.
  void Press(int id) {
    windows_.Then([this, id] {
      start_ = pf::GetTickCount();
      statuses_.clear();
      ASSERT_TRUE(windows_.Click(Control(id))) << "button " << id;
    });
  }
  void Then(std::function<void()> step) { windows_.Then(std::move(step)); }
  // Ends the wizard with Cancel and expects that it ran to here.
  void CancelAndRun() {
    Then([this] { ASSERT_TRUE(windows_.Click(Control(2))); });
    EXPECT_EQ(wizard_.DoModal(), 2);
  }

  // The texts of the status line since the last Press, and when each was set
  // (milliseconds after the press).
  std::vector<std::wstring> Texts() const {
    std::vector<std::wstring> texts;
    for (const StatusChange& change : statuses_) texts.push_back(change.text);
    return texts;
  }
  std::vector<pf::DWORD> Times() const {
    std::vector<pf::DWORD> times;
    for (const StatusChange& change : statuses_) times.push_back(change.tick - start_);
    return times;
  }
  static std::vector<std::wstring> Dots(int pairs) {
    std::vector<std::wstring> texts;
    for (int i = 0; i < pairs; ++i) texts.push_back(kDetecting + std::wstring(static_cast<std::size_t>(i) * 2, L'.'));
    return texts;
  }

  // Another maker's printer on USB003.
  std::shared_ptr<pf::sim::SimUsbPrinter> OtherMakersPrinter() {
    return pf::sim::SimUsbPrinter::Create(
        pc_.pc(), printer_registry::UsbPort(L"03F0", L"SER2", L"Hewlett-PackardHP_LaserJet_1020", 3,
                                            L"HP LaserJet 1020"));
  }
  // The maker's printer on USB001, answering "TQ-5800".
  std::shared_ptr<pf::sim::SimUsbPrinter> MakersPrinter() {
    auto printer = pf::sim::SimUsbPrinter::Create(pc_.pc());
    printer->SetReply(pf::sim::SimUsbPrinter::ModelReply("TQ-5800", 0x01));
    return printer;
  }
  void ConnectLptPrinter(const std::wstring& deviceId) {
    printer_registry::ConnectLptPrinter(reg(), printer_registry::LptPort(deviceId, L"1&1"));
  }

  SetupContext context_;
  SetupWizard wizard_;
  ConnectPage connect_;
  WatchedDetectPage detect_;
  InstallPage install_;
  std::vector<StatusChange> statuses_;
  pf::DWORD start_ = 0;
};

TEST_F(DetectPageTest, WithoutAPrinterTheStatusAnimatesForThreeSecondsAndTheDriverModelIsProposed) {
  Press(1023);
  Then([&] {
    std::vector<std::wstring> expected{L""};
    for (const std::wstring& text : Dots(6)) expected.push_back(text);
    expected.push_back(kNotDetected);
    EXPECT_EQ(Texts(), expected);
    EXPECT_EQ(Times(), (std::vector<pf::DWORD>{0, 0, 500, 1000, 1500, 2000, 2500, 3000}));
    EXPECT_EQ(pf::GetTickCount() - start_, 3000u);
    EXPECT_EQ(NameBox(), L"TQ-5800");
    EXPECT_EQ(windows_.GetFocus(), Item(IDC_DETECT_NAME));  // where the user corrects the proposed name
    EXPECT_EQ(context_.modelName, L"TQ-5800");
    EXPECT_EQ(context_.portKind, L"USB");
    EXPECT_TRUE(UsbChecked());
    EXPECT_FALSE(LptChecked());
    EXPECT_TRUE(windows_.IsEnabled(Item(IDC_DETECT_USB)));
    EXPECT_TRUE(windows_.IsEnabled(Item(IDC_DETECT_LPT)));
    EXPECT_TRUE(windows_.IsEnabled(Page()));
    EXPECT_EQ(Buttons(), "EEED");
    EXPECT_EQ(TopTitle(), L"安装向导 - 请连接打印机和电脑");
  });
  CancelAndRun();
}

TEST_F(DetectPageTest, WhileItRunsThePageAndTheFrameButtonsTakeNoInput) {
  std::vector<std::string> buttons;
  std::vector<bool> pageEnabled;
  Then([&] {
    // Halfway through the wait, as a user would: Escape in the name box, the
    // title bar's close (WM_CLOSE), a click on the USB radio.
    pc_->kernel().ScheduleIn(1200, [&] {
      buttons.push_back(Buttons());
      pageEnabled.push_back(windows_.IsEnabled(Page()));
      windows_.PressKey(Item(IDC_DETECT_NAME), fw::VK_ESCAPE);
      windows_.PostMessageW(wizard_.GetSafeHwnd(), fw::WM_CLOSE, 0, 0);
      EXPECT_FALSE(windows_.Click(Item(IDC_DETECT_LPT)));
    });
  });
  Press(1023);
  Then([&] {
    EXPECT_EQ(buttons, (std::vector<std::string>{"DDDD"}));
    EXPECT_EQ(pageEnabled, (std::vector<bool>{false}));
    EXPECT_EQ(windows_.BeepCount(), 1);  // the close was refused
    EXPECT_EQ(Status(), kNotDetected);
    EXPECT_EQ(wizard_.ActivePage(), &detect_);
    // Escape in the name box once the run is over: nothing either.
    windows_.PressKey(Item(IDC_DETECT_NAME), fw::VK_ESCAPE);
  });
  Then([&] { EXPECT_EQ(wizard_.ActivePage(), &detect_); });
  CancelAndRun();
}

TEST_F(DetectPageTest, ModelOverrideWinsOverTheParallelScanAndTheDriverModel) {
  ConnectLptPrinter(L"TAVIRTQ-69001A2B");
  Press(1023);
  Then([&] {
    EXPECT_EQ(NameBox(), L"TQ-6900");  // one driverless parallel printer of the series
    context_.modelOverride = L"TQ-OEM";
  });
  Press(1022);
  Press(1023);
  Then([&] {
    EXPECT_EQ(NameBox(), L"TQ-OEM");
    EXPECT_EQ(context_.modelName, L"TQ-OEM");
    EXPECT_TRUE(UsbChecked());  // the parallel printer only names the printer
  });
  CancelAndRun();
}

TEST_F(DetectPageTest, APrinterPresentFromTheStartIsIdentifiedAtOnce) {
  auto printer = OtherMakersPrinter();
  printer->PlugIn();
  Press(1023);
  Then([&] {
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"", kDetected}));
    EXPECT_EQ(pf::GetTickCount(), start_);
    EXPECT_EQ(NameBox(), L"LaserJet 1020");
    EXPECT_EQ(context_.usbPortName, L"USB003");
    EXPECT_EQ(context_.portKind, L"USB");
    EXPECT_TRUE(UsbChecked());
    EXPECT_EQ(Buttons(), "EEED");
  });
  CancelAndRun();
}

TEST_F(DetectPageTest, TheMakersPrinterThatAppearsDuringTheWaitIsFoundAtTheNextPollAndAsked) {
  auto printer = MakersPrinter();
  Then([&] { printer->PlugInAfter(1200); });
  Press(1023);
  Then([&] {
    std::vector<std::wstring> expected{L""};
    for (const std::wstring& text : Dots(3)) expected.push_back(text);
    expected.push_back(kDetected);
    EXPECT_EQ(Texts(), expected);
    // Found at the poll at 1.5 s; the query pauses 50 ms between request and reply.
    EXPECT_EQ(Times().back(), 1550u);
    EXPECT_EQ(NameBox(), L"TQ-5800");
    EXPECT_EQ(context_.usbPortName, L"USB001");
    EXPECT_EQ(context_.deviceDescription, L"TAVIRPrinter");
    EXPECT_EQ(printer->Writes().size(), 1u);
  });
  CancelAndRun();
}

TEST_F(DetectPageTest, AMakersPrinterThatCannotBeQueriedFallsBackAndIsNeverUnknown) {
  auto printer = MakersPrinter();
  printer->PlugIn();
  printer->ScriptRead(pf::sim::UsbTransfer::Never());
  Press(1023);
  Then([&] {
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"", kNotDetected}));
    EXPECT_EQ(context_.queryFailures, 1);
    EXPECT_EQ(NameBox(), L"TQ-5800");  // the driver's model, not "Unknown"
    EXPECT_EQ(context_.modelName, L"TQ-5800");
    EXPECT_EQ(printer->PendingTransfers(), 0u);
    ConnectLptPrinter(L"TAVIRTQ-69001A2B");
  });
  Press(1022);
  Press(1023);
  Then([&] {
    // Not asked again; the parallel scan's model this time.
    EXPECT_EQ(Texts().back(), kNotDetected);
    EXPECT_EQ(context_.queryFailures, 2);
    EXPECT_EQ(printer->ReadsStarted(), 1u);
    EXPECT_EQ(NameBox(), L"TQ-6900");
    EXPECT_EQ(context_.modelName, L"TQ-6900");
  });
  CancelAndRun();
}

TEST_F(DetectPageTest, ConnectionsAreOfferedOnlyForIdsThatAreSetAndDoNotEndInFfff) {
  struct Case {
    std::wstring lpt, usb;
    bool lptOffered, usbOffered;
  };
  const std::vector<Case> cases = {
      {L"LPTENUM\\TAVIRTQ-5800", L"USBPRINT\\TAVIRTQ-5800TQMM", true, true},
      {L"LPTENUM\\TAVIRTQ-5800FFFF", L"USBPRINT\\TAVIRTQ-5800fFfF", false, false},
      {L"", L"USBPRINT\\TAVIRTQ-FFFF5800", false, true},
      {L"LPTENUM\\ffF", L"", true, false},  // shorter than four: not "FFFF"
  };
  for (const Case& c : cases) {
    Then([&] {
      context_.lptHardwareId = c.lpt;
      context_.usbHardwareId = c.usb;
    });
    Press(1023);
    Then([&] {
      SCOPED_TRACE(std::string(c.lpt.begin(), c.lpt.end()) + " / " + std::string(c.usb.begin(), c.usb.end()));
      EXPECT_EQ(windows_.IsEnabled(Item(IDC_DETECT_LPT)), c.lptOffered);
      EXPECT_EQ(windows_.IsEnabled(Item(IDC_DETECT_USB)), c.usbOffered);
      EXPECT_TRUE(UsbChecked());  // selected even when it is not offered
    });
    Press(1022);
  }
  CancelAndRun();
}

TEST_F(DetectPageTest, ARadioClickPutsTheProposedNameBackAndNextHandsOnTheChoice) {
  Press(1023);
  Then([&] { ASSERT_TRUE(windows_.Type(Item(IDC_DETECT_NAME), L"办公室")); });
  Then([&] {
    EXPECT_EQ(NameBox(), L"办公室");
    ASSERT_TRUE(windows_.Click(Item(IDC_DETECT_LPT)));
  });
  Then([&] {
    EXPECT_EQ(NameBox(), L"TQ-5800");
    EXPECT_EQ(windows_.GetFocus(), Item(IDC_DETECT_NAME));
    EXPECT_EQ(context_.portKind, L"LPT");
    ASSERT_TRUE(windows_.Type(Item(IDC_DETECT_NAME), L""));
  });
  Press(1023);
  Then([&] {
    // An empty box keeps the proposed name.
    EXPECT_EQ(wizard_.ActivePage(), &install_);
    EXPECT_EQ(context_.portKind, L"LPT");
    EXPECT_EQ(context_.modelName, L"TQ-5800");
    // No print UI on this PC adds the printer: the run fails and leaves Back on.
    EXPECT_TRUE(windows_.IsEnabled(Control(1022)));
  });
  Press(1022);
  Then([&] {
    // Back from the install page detects again from the start.
    EXPECT_EQ(Texts().front(), L"");
    EXPECT_EQ(Texts().back(), kNotDetected);
    EXPECT_EQ(context_.portKind, L"USB");
    EXPECT_TRUE(UsbChecked());
    ASSERT_TRUE(windows_.Type(Item(IDC_DETECT_NAME), L"TQ-5800 前台"));
    ASSERT_TRUE(windows_.Click(Item(IDC_DETECT_USB)));
  });
  Then([&] {
    EXPECT_EQ(NameBox(), L"TQ-5800");
    ASSERT_TRUE(windows_.Type(Item(IDC_DETECT_NAME), L"TQ-5800 前台"));
  });
  Press(1023);
  Then([&] {
    EXPECT_EQ(context_.portKind, L"USB");
    EXPECT_EQ(context_.modelName, L"TQ-5800 前台");
    // After the install run Cancel is off; Finish ends the wizard.
    ASSERT_TRUE(windows_.Click(Control(1025)));
  });
  EXPECT_EQ(wizard_.DoModal(), 1025);
}

}  // namespace
