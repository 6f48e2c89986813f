// setup's staged values and Spoolmate's restoration on one PC: provisioning
// as the install step runs it, then the helper service's one run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "setup/app/setup_context.h"
#include "setup/devices/device_keys.h"
#include "tests/service/spoolmate_fixture.h"

namespace spoolmate_test {
namespace {

using pf::HKEY_LOCAL_MACHINE;

class ProvisionThenStopTest : public SpoolmateTest {
 protected:
  ProvisionThenStopTest() {
    context_.driverModel = L"TAVIR TQ-5800";
    context_.deviceDescription = L"TQ-5800";
  }
  std::wstring Instance(const std::wstring& device, const std::wstring& instance, const wchar_t* mfg = nullptr) {
    std::wstring path = device + L"\\" + instance;
    reg().SetString(HKEY_LOCAL_MACHINE, path, L"HardwareID", L"hw");
    if (mfg) reg().SetString(HKEY_LOCAL_MACHINE, path, L"Mfg", mfg);
    return path;
  }
  void ExpectBinding(const std::wstring& path, const std::wstring& description) {
    SCOPED_TRACE(std::string(path.begin(), path.end()));
    EXPECT_EQ(String(path, L"DeviceDesc"), description);
    pf::DWORD flags = 1;
    EXPECT_TRUE(reg().GetDword(HKEY_LOCAL_MACHINE, path, L"ConfigFlags", &flags));
    EXPECT_EQ(flags, 0u);
    EXPECT_EQ(String(path, L"ClassGUID"), L"{4D36E979-E325-11CE-BFC1-08002BE10318}");
    EXPECT_EQ(String(path, L"Driver"), L"{4D36E979-E325-11CE-BFC1-08002BE10318}\\0000");
    EXPECT_EQ(String(path, L"Class"), L"Printer");
    EXPECT_EQ(String(path, L"Mfg"), L"TAVIR");
  }
  // Class values and the instance stay; the staged values are consumed.
  void ExpectClassKeyAfterRun() {
    EXPECT_EQ(Values(kClass), (std::vector<std::wstring>{L"", L"Class", L"Icon", L"Installer32", L"NoDisplayClass",
                                                          L"EnumPropPages32"}));
    EXPECT_EQ(String(kClass + L"\\0000", L"ProviderName"), L"TAVIR");
    EXPECT_TRUE(pc_->services().ServiceNames().empty());
  }

  SetupContext context_;
};

TEST_F(ProvisionThenStopTest, UsbPrinterInstancesGetTheBinding) {
  const std::wstring first = Instance(kUsbEnum + L"\\TAVIRTQ-5800TQMM", L"6&1A&0&USB001");
  const std::wstring second = Instance(kUsbEnum + L"\\TAVIRTQ-5800TQMM", L"6&2B&0&USB002");
  const std::wstring other = Instance(kUsbEnum + L"\\ACME_LASER", L"1");
  ProvisionUsbDeviceKeys(context_, L"USBPRINT\\TAVIRTQ-5800TQMM");
  ASSERT_FALSE(StagedLeft().empty());
  EXPECT_EQ(RunHelperOnce(), pf::SERVICE_STOPPED);
  ExpectBinding(first, L"TQ-5800");
  ExpectBinding(second, L"TQ-5800");
  EXPECT_EQ(Values(other), std::vector<std::wstring>{L"HardwareID"});
  ExpectClassKeyAfterRun();
  EXPECT_NE(Log().find("write to path = SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\TAVIRTQ-5800TQMM"),
            std::string::npos);
}

TEST_F(ProvisionThenStopTest, ParallelPrinterUnboundInstancesGetTheBinding) {
  const std::wstring unbound = Instance(kLptEnum + L"\\TAVIRTQPRINTER5800", L"1");
  const std::wstring bound = Instance(kLptEnum + L"\\TAVIRTQPRINTER5800", L"2", L"Other");
  const std::wstring other = Instance(kLptEnum + L"\\EPSONLQ-300", L"1");
  ProvisionLptDeviceKeys(context_, L"LPTENUM\\TAVIRTQPRINTER5800");
  ASSERT_FALSE(StagedLeft().empty());
  EXPECT_EQ(RunHelperOnce(), pf::SERVICE_STOPPED);
  ExpectBinding(unbound, L"<missing>");  // the parallel search writes no description
  EXPECT_EQ(Values(bound), (std::vector<std::wstring>{L"HardwareID", L"Mfg"}));
  EXPECT_EQ(Values(other), std::vector<std::wstring>{L"HardwareID"});
  ExpectClassKeyAfterRun();
}

}  // namespace
}  // namespace spoolmate_test
