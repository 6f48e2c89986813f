// The whole job on one simulated PC: from the printer that Plug and Play
// recorded, through detection, the print UI, the staged device values and
// the helper program on disk, to Spoolmate run once as a service, which
// binds the printer's device keys. Then each step of the deployment failing
// in turn.
#include <gtest/gtest.h>

#include "tests/setup/install/install_env.h"

namespace install_test {
namespace {

const std::wstring kClassGuid = L"{4D36E979-E325-11CE-BFC1-08002BE10318}";

class DeploymentTest : public InstallTest {
 protected:
  // The page, the printer and the default entry after a successful run.
  void ExpectInstalled(const std::wstring& name, const std::wstring& port) {
    EXPECT_EQ(install_.state.resultCode, 0);
    EXPECT_EQ(install_.state.finalPrinterName, name);
    EXPECT_EQ(Text(IDC_INSTALL_HEADING), L"驱动程序安装信息");
    EXPECT_EQ(Text(IDC_INSTALL_NAME), L"名称: \t" + name);
    EXPECT_EQ(Text(IDC_INSTALL_PORT), L"端口: \t" + port);
    EXPECT_EQ(Text(IDC_INSTALL_MODEL), L"型号: \tTQ-5800");
    EXPECT_FALSE(windows_.IsVisible(Item(IDC_INSTALL_MODEL)));
    EXPECT_EQ(Text(IDC_INSTALL_STATUS), L"安装成功，请点击“完成”退出");
    EXPECT_EQ(TopTitle(), L"安装向导 - 安装完成");
    EXPECT_EQ(Progress(), 100);
    EXPECT_EQ(windows_.ProgressMin(Item(IDC_INSTALL_PROGRESS)), 1);
    EXPECT_EQ(windows_.ProgressMax(Item(IDC_INSTALL_PROGRESS)), 100);
    EXPECT_EQ(windows_.ProgressStep(Item(IDC_INSTALL_PROGRESS)), 1);
    EXPECT_EQ(Buttons(), "DDDE");
    ASSERT_TRUE(pc_->spooler().Printer(name));
    EXPECT_EQ(pc_->spooler().Printer(name)->port, port);
    EXPECT_EQ(pc_->spooler().Printer(name)->driver, L"TQ-5800");
    EXPECT_EQ(DefaultPrinter(), name + L",winspool," + port);
    EXPECT_TRUE(Boxes().empty());
  }
  // The device instance bound to driver instance 0000 by Spoolmate, which
  // consumed the staged values, ran from the extracted program, logged
  // beside it and is gone.
  void ExpectBound(const std::wstring& instance, const std::wstring& description, const std::string& logged) {
    EXPECT_EQ(String(instance, L"DeviceDesc"), description);
    pf::DWORD flags = 1;
    EXPECT_TRUE(reg().GetDword(pf::HKEY_LOCAL_MACHINE, instance, L"ConfigFlags", &flags));
    EXPECT_EQ(flags, 0u);
    EXPECT_EQ(String(instance, L"ClassGUID"), kClassGuid);
    EXPECT_EQ(String(instance, L"Driver"), kClassGuid + L"\\0000");
    EXPECT_EQ(String(instance, L"Class"), L"Printer");
    EXPECT_EQ(String(instance, L"Mfg"), L"TAVIR");
    EXPECT_EQ(Values(kClassKey), (std::vector<std::wstring>{L"", L"Class", L"Icon", L"Installer32",
                                                             L"NoDisplayClass", L"EnumPropPages32"}));
    EXPECT_EQ(String(kClassKey + L"\\0000", L"DriverDesc"), L"TQ-5800");
    EXPECT_TRUE(ServiceFile() == PayloadBytes());
    EXPECT_EQ(pc_->services().StartedPrograms(), std::vector<std::wstring>{kServiceExe});
    EXPECT_TRUE(pc_->services().ServiceNames().empty());
    std::string log;
    EXPECT_TRUE(pc_->files().ReadFileBytes(kServiceFolder + L"\\Spoolmate.log", &log));
    EXPECT_NE(log.find(logged), std::string::npos) << log;
  }
};

TEST_F(DeploymentTest, TheMakersUsbPrinterIsInstalledAndItsDeviceKeyBound) {
  auto printer = PlugInUsbPrinter();
  Install();
  Then([&] {
    EXPECT_EQ(context_.modelName, L"TQ-5800");  // as the printer reported it
    ExpectInstalled(L"TQ-5800", L"USB001");
    ExpectBound(Instance(kUsbDevice), L"TAVIRPrinter",
                "write to path = SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\TAVIRPRINTERTQ-5800TQMM");
  });
  FinishAndRun();
  ExpectNothingHeld();
}

TEST_F(DeploymentTest, TheMakersParallelPrinterIsInstalledAndItsDeviceKeyBound) {
  ConnectLptPrinter();
  Install(true);
  Then([&] {
    ExpectInstalled(context_.modelName, L"LPT1:");
    ExpectBound(Instance(kLptDevice), L"<none>", "dwUpdateMode > 0");  // the parallel search writes no description
  });
  FinishAndRun();
  ExpectNothingHeld();
}

TEST_F(DeploymentTest, AProgramThatCannotBeWrittenIsToldAndNoServiceIsRegistered) {
  ConnectLptPrinter();
  pc_->files().WriteFileBytes(kServiceFolder, "a file where the folder belongs");
  Install(true);
  Then([&] {
    ASSERT_EQ(Boxes(), std::vector<std::wstring>{L"无法解压服务文件，请重新启动计算机！"});
    const pf::sim::MessageBoxRecord& box = pc_->system().messageBoxes()[0];
    EXPECT_EQ(box.caption, context_.modelName + L"打印机安装程序");
    EXPECT_EQ(box.owner, install_.GetSafeHwnd());
    EXPECT_EQ(box.type, pf::MB_OK);
    const std::vector<std::string> calls = pc_->kernel().Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "OpenSCManagerW"), 0);
    EXPECT_TRUE(pc_->services().StartedPrograms().empty());
    EXPECT_EQ(Staged().size(), 9u);  // staged for a run that never came
    // The printer is installed all the same.
    EXPECT_EQ(install_.state.resultCode, 0);
    EXPECT_EQ(Text(IDC_INSTALL_STATUS), L"安装成功，请点击“完成”退出");
  });
  FinishAndRun();
  ExpectNothingHeld();
}

TEST_F(DeploymentTest, ARegistrationLeftFromAnEarlierRunIsStartedStoppedAndDeleted) {
  pc_->services().AddRegistration({L"Printer Helper", L"Printer Helper", L"\"" + kServiceExe + L"\"", 0x110,
                                   pf::SERVICE_AUTO_START, pf::SERVICE_ERROR_NORMAL, false});
  ConnectLptPrinter();
  Install(true);
  Then([&] { ExpectBound(Instance(kLptDevice), L"<none>", "dwUpdateMode > 0"); });
  FinishAndRun();
  ExpectNothingHeld();
}

// One step of the deployment fails, from 500 ms into the print UI's run on.
struct Fault {
  const char* step;
  std::function<void(pf::sim::SimPc&)> arm;
  bool classValues, driverInstance, stagedLeft, bound, registrationLeft;
};

Fault KeyFault(const char* step, const std::wstring& path, bool classValues, bool driverInstance, bool stagedLeft,
               bool bound) {
  return {step, [path](pf::sim::SimPc& pc) { pc.registry().FailOpen(pf::HKEY_LOCAL_MACHINE, path); }, classValues,
          driverInstance, stagedLeft, bound, false};
}
Fault CallFault(const char* step, const char* call, bool stagedLeft, bool bound, bool registrationLeft) {
  return {step, [call](pf::sim::SimPc& pc) { pc.kernel().FailCall(call, pf::ERROR_ACCESS_DENIED); }, true, true,
          stagedLeft, bound, registrationLeft};
}

void PrintTo(const Fault& fault, std::ostream* out) { *out << fault.step; }

class DeploymentFaultTest : public DeploymentTest, public ::testing::WithParamInterface<Fault> {};

TEST_P(DeploymentFaultTest, EndsAsTheStepAllowsAndHoldsNothing) {
  const Fault& fault = GetParam();
  ConnectLptPrinter();
  ui_.Takes(1000);
  Press(IDC_NEXT);
  Then([&] {
    ASSERT_TRUE(windows_.Click(windows_.Child(detect_.GetSafeHwnd(), IDC_DETECT_LPT)));
    pc_->kernel().ScheduleIn(900 + 500, [&] { fault.arm(pc_.pc()); });
  });
  Press(IDC_NEXT);
  Then([&] {
    pc_->kernel().ClearFaults();
    reg().ClearFaults();
    EXPECT_EQ(install_.state.resultCode, 0);
    EXPECT_EQ(Text(IDC_INSTALL_STATUS), L"安装成功，请点击“完成”退出");
    EXPECT_EQ(Boxes().size(), std::string(fault.step) == "extraction" ? 1u : 0u);
    EXPECT_EQ(String(kClassKey, L"Installer32") != L"<none>", fault.classValues);
    EXPECT_EQ(reg().KeyExists(pf::HKEY_LOCAL_MACHINE, kClassKey + L"\\0000"), fault.driverInstance);
    EXPECT_EQ(!Staged().empty(), fault.stagedLeft);
    EXPECT_EQ(String(Instance(kLptDevice), L"Driver") == kClassGuid + L"\\0000", fault.bound);
    EXPECT_EQ(pc_->services().ServiceNames().size(), fault.registrationLeft ? 1u : 0u);
  });
  FinishAndRun();
  if (std::string(fault.step) == "stop") {
    // Still running, marked for deletion: at the next shutdown it binds the
    // device key and its registration goes.
    pc_->Restart();
    EXPECT_TRUE(Staged().empty());
    EXPECT_EQ(String(Instance(kLptDevice), L"Driver"), kClassGuid + L"\\0000");
    EXPECT_TRUE(pc_->services().ServiceNames().empty());
  }
  ExpectNothingHeld();
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, DeploymentFaultTest,
    ::testing::Values(KeyFault("class key", kClassKey, false, false, false, false),
                      KeyFault("driver instance", kClassKey + L"\\0000", true, false, false, true),
                      KeyFault("enumerator", L"SYSTEM\\CurrentControlSet\\Enum\\LPTENUM", true, true, false, false),
                      CallFault("extraction", "CreateFileW", true, false, false),
                      CallFault("manager", "OpenSCManagerW", true, false, false),
                      CallFault("create", "CreateServiceW", true, false, false),
                      CallFault("start", "StartServiceW", true, false, false),
                      CallFault("stop", "ControlService", true, false, true),
                      CallFault("delete", "DeleteService", false, true, true)),
    [](const ::testing::TestParamInfo<Fault>& info) {
      std::string name = info.param.step;
      for (char& c : name) {
        if (c == ' ') c = '_';
      }
      return name;
    });

}  // namespace
}  // namespace install_test
