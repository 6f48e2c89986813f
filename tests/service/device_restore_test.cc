// Device key restoration, run the way it runs for real: by stopping the
// service on the simulated service manager.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/service/spoolmate_fixture.h"

namespace spoolmate_test {
namespace {

using pf::HKEY_LOCAL_MACHINE;

const std::string kOpenEntry =
    kStamp + "open SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E979-E325-11CE-BFC1-08002BE10318}";
const std::wstring kDriver = L"{4D36E979-E325-11CE-BFC1-08002BE10318}\\0004";

class RestoreTest : public SpoolmateTest {
 protected:
  // The values setup stages, with this mode; _BrandSeries only when given.
  void Stage(pf::DWORD mode, const std::wstring& toPath, const std::wstring* brandSeries = nullptr) {
    reg().SetString(HKEY_LOCAL_MACHINE, kClass, L"Class", L"Printer");
    reg().SetString(HKEY_LOCAL_MACHINE, kClass, L"_DeviceDesc", L"TQ-5800");
    reg().SetDword(HKEY_LOCAL_MACHINE, kClass, L"_ConfigFlags", 0);
    reg().SetString(HKEY_LOCAL_MACHINE, kClass, L"_ClassGUID", L"{4D36E979-E325-11CE-BFC1-08002BE10318}");
    reg().SetString(HKEY_LOCAL_MACHINE, kClass, L"_Class", L"Printer");
    reg().SetString(HKEY_LOCAL_MACHINE, kClass, L"_Driver", kDriver);
    reg().SetString(HKEY_LOCAL_MACHINE, kClass, L"_Mfg", L"TAVIR");
    reg().SetDword(HKEY_LOCAL_MACHINE, kClass, L"_UpdateMode", mode);
    if (brandSeries) reg().SetString(HKEY_LOCAL_MACHINE, kClass, L"_BrandSeries", *brandSeries);
    reg().SetString(HKEY_LOCAL_MACHINE, kClass, L"_ToPath", toPath);
  }
  // A device instance; with mfg, one that a driver is already bound to.
  std::wstring Instance(const std::wstring& device, const std::wstring& instance, const wchar_t* mfg = nullptr) {
    std::wstring path = device + L"\\" + instance;
    reg().CreateKey(HKEY_LOCAL_MACHINE, path);
    if (mfg) reg().SetString(HKEY_LOCAL_MACHINE, path, L"Mfg", mfg);
    return path;
  }
  // The instance holds the driver binding: the five values in their order,
  // and DeviceDesc first when named. A "Mfg" that was there keeps its place.
  void ExpectBound(const std::wstring& path, bool withDescription, bool hadMfg = false) {
    SCOPED_TRACE(std::string(path.begin(), path.end()));
    std::vector<std::wstring> names = {L"ConfigFlags", L"ClassGUID", L"Driver", L"Class"};
    names.insert(hadMfg ? names.begin() : names.end(), L"Mfg");
    if (withDescription) names.insert(names.begin(), L"DeviceDesc");
    EXPECT_EQ(Values(path), names);
    pf::DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(reg().GetValue(HKEY_LOCAL_MACHINE, path, L"ConfigFlags", &type, &bytes));
    EXPECT_EQ(type, pf::REG_DWORD);
    EXPECT_EQ(bytes, std::string(4, '\0'));
    ASSERT_TRUE(reg().GetValue(HKEY_LOCAL_MACHINE, path, L"Driver", &type, &bytes));
    EXPECT_EQ(type, pf::REG_SZ);
    EXPECT_EQ(String(path, L"Driver"), kDriver);
    EXPECT_EQ(String(path, L"ClassGUID"), L"{4D36E979-E325-11CE-BFC1-08002BE10318}");
    EXPECT_EQ(String(path, L"Class"), L"Printer");
    EXPECT_EQ(String(path, L"Mfg"), L"TAVIR");
    if (withDescription) EXPECT_EQ(String(path, L"DeviceDesc"), L"TQ-5800");
  }
};

TEST_F(RestoreTest, Mode0WritesEveryInstanceOfTheNamedKeyBeforeTheStopIsReported) {
  const std::wstring device = kUsbEnum + L"\\TAVIRTQ-5800TQMM";
  const std::wstring first = Instance(device, L"6&1A&0&USB001");
  const std::wstring second = Instance(device, L"6&2B&0&USB002");
  Stage(0, device);
  EXPECT_EQ(RunHelperOnce(), pf::SERVICE_STOPPED);
  ExpectBound(first, true);
  ExpectBound(second, true);
  EXPECT_TRUE(StagedLeft().empty());
  EXPECT_EQ(Values(kClass), std::vector<std::wstring>{L"Class"});
  EXPECT_EQ(Log(), kOpenEntry + kStamp + "dwUpdateMode == 0" + kStamp + "write to path = " +
                       std::string(device.begin(), device.end()));
}

TEST_F(RestoreTest, Mode2WritesUnboundInstancesOfBrandIdsAndEveryInstanceOfKestrelPrinter) {
  const std::wstring brand = kLptEnum + L"\\TAVIRTQPRINTER5800";
  const std::wstring fixed = kLptEnum + L"\\KestrelPrinter";
  const std::wstring containing = kLptEnum + L"\\XKestrelPrinterY";
  const std::wstring brandFree = Instance(brand, L"1"), brandBound = Instance(brand, L"2", L"Other");
  const std::wstring fixedBound = Instance(fixed, L"1", L"Other"), fixedFree = Instance(fixed, L"2");
  const std::wstring containingBound = Instance(containing, L"1", L"Other"), containingFree = Instance(containing, L"2");
  const std::wstring otherCase = Instance(kLptEnum + L"\\tavirtqprinter9", L"1");
  const std::wstring unrelated = Instance(kLptEnum + L"\\EPSONLQ-300", L"1");
  const std::wstring series = L"TAVIRTQ";
  Stage(2, brand, &series);
  EXPECT_EQ(RunHelperOnce(), pf::SERVICE_STOPPED);

  ExpectBound(brandFree, false);
  ExpectBound(fixedBound, false, true);
  ExpectBound(fixedFree, false);
  ExpectBound(containingFree, false);
  EXPECT_EQ(Values(brandBound), std::vector<std::wstring>{L"Mfg"});
  EXPECT_EQ(String(brandBound, L"Mfg"), L"Other");
  EXPECT_EQ(Values(containingBound), std::vector<std::wstring>{L"Mfg"});
  EXPECT_TRUE(Values(otherCase).empty());
  EXPECT_TRUE(Values(unrelated).empty());
  EXPECT_TRUE(StagedLeft().empty());
  EXPECT_EQ(Log(), kOpenEntry + kStamp + "dwUpdateMode > 0");
}

// A missing or empty "_BrandSeries" searches for "KestrelVRL".
TEST_F(RestoreTest, Mode2WithoutBrandSeriesSearchesTheDefaultSeries) {
  const std::wstring vrl = Instance(kLptEnum + L"\\ACMEKestrelVRL9", L"1");
  const std::wstring tavir = Instance(kLptEnum + L"\\TAVIRTQPRINTER5800", L"1");
  Stage(2, kLptEnum + L"\\TAVIRTQPRINTER5800");
  EXPECT_EQ(RunHelperOnce(), pf::SERVICE_STOPPED);
  ExpectBound(vrl, false);
  EXPECT_TRUE(Values(tavir).empty());
  EXPECT_TRUE(StagedLeft().empty());

  reg().DeleteTree(HKEY_LOCAL_MACHINE, kLptEnum + L"\\ACMEKestrelVRL9");
  const std::wstring again = Instance(kLptEnum + L"\\KestrelVRL", L"1");
  const std::wstring empty;
  Stage(1, kLptEnum + L"\\TAVIRTQPRINTER5800", &empty);
  EXPECT_EQ(RunHelperOnce(), pf::SERVICE_STOPPED);
  ExpectBound(again, false);
  EXPECT_TRUE(Values(tavir).empty());
  EXPECT_TRUE(StagedLeft().empty());
}

TEST_F(RestoreTest, MissingClassKeyReadsWritesAndLogsNothing) {
  const std::wstring device = Instance(kUsbEnum + L"\\TAVIRTQ-5800TQMM", L"1");
  const std::wstring parallel = Instance(kLptEnum + L"\\KestrelPrinter", L"1");
  EXPECT_EQ(RunHelperOnce(), pf::SERVICE_STOPPED);
  EXPECT_FALSE(reg().KeyExists(HKEY_LOCAL_MACHINE, kClass));
  EXPECT_TRUE(Values(device).empty());
  EXPECT_TRUE(Values(parallel).empty());
  EXPECT_FALSE(LogExists());
}

TEST_F(RestoreTest, PauseKeepsTheStagedValuesAndALaterStopRestoresThem) {
  const std::wstring device = kUsbEnum + L"\\TAVIRTQ-5800TQMM";
  const std::wstring instance = Instance(device, L"1");
  Stage(0, device);
  const std::vector<std::wstring> staged = StagedLeft();
  StartHelper();
  EXPECT_EQ(Control(pf::SERVICE_CONTROL_PAUSE), pf::SERVICE_PAUSED);
  EXPECT_EQ(StagedLeft(), staged);
  EXPECT_TRUE(Values(instance).empty());
  EXPECT_EQ(Control(pf::SERVICE_CONTROL_INTERROGATE), pf::SERVICE_PAUSED);
  EXPECT_EQ(Control(pf::SERVICE_CONTROL_CONTINUE), pf::SERVICE_RUNNING);
  EXPECT_EQ(Control(pf::SERVICE_CONTROL_PAUSE), pf::SERVICE_PAUSED);
  EXPECT_FALSE(LogExists());
  EXPECT_EQ(Control(pf::SERVICE_CONTROL_STOP), pf::SERVICE_STOPPED);
  ExpectBound(instance, true);
  EXPECT_TRUE(StagedLeft().empty());
}

TEST_F(RestoreTest, ShutdownRestoresLikeAStop) {
  const std::wstring device = kUsbEnum + L"\\TAVIRTQ-5800TQMM";
  const std::wstring instance = Instance(device, L"1");
  Stage(0, device);
  StartHelper();
  pc_->services().Shutdown();
  ExpectBound(instance, true);
  EXPECT_TRUE(StagedLeft().empty());
  pf::SERVICE_STATUS status{};
  ASSERT_TRUE(pf::QueryServiceStatus(helper_, &status));
  EXPECT_EQ(status.dwCurrentState, pf::SERVICE_STOPPED);
}

}  // namespace
}  // namespace spoolmate_test
