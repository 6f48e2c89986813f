#include "service/device_restore.h"

#include <string>
#include <vector>

#include "common/registry/device_registry.h"
#include "common/registry/registry.h"
#include "platform/platform.h"
#include "service/service_host.h"

namespace spoolmate {
namespace {

using namespace device_registry;

constexpr const char* kClassKey = kPrinterClassKey.narrow;
const char kLptEnum[] = "SYSTEM\\CurrentControlSet\\Enum\\LPTENUM";
const char kDefaultBrandSeries[] = "KestrelVRL";
const char kFixedDeviceId[] = "KestrelPrinter";

struct StagedValues {
  std::string toPath, brandSeries, deviceDesc, classGuid, driver, className, mfg;
  pf::DWORD updateMode = 0;
  pf::DWORD configFlags = 0;
};

// Reads the staged values in their order, writing back the defaults of the
// mode and the brand series, then deletes all nine.
StagedValues TakeStagedValues(CRegistryA& classKey) {
  StagedValues staged;
  classKey.ReadString(kStagedToPath.narrow, &staged.toPath);
  staged.updateMode = classKey.ReadDwordOrDefault(kStagedUpdateMode.narrow, 0);
  if (!classKey.ReadString(kStagedBrandSeries.narrow, &staged.brandSeries) || staged.brandSeries.empty()) {
    staged.brandSeries = kDefaultBrandSeries;
    classKey.WriteString(kStagedBrandSeries.narrow, staged.brandSeries);
  }
  classKey.ReadString(kStagedDeviceDesc.narrow, &staged.deviceDesc);
  classKey.ReadDword(kStagedConfigFlags.narrow, &staged.configFlags);
  classKey.ReadString(kStagedClassGuid.narrow, &staged.classGuid);
  classKey.ReadString(kStagedDriver.narrow, &staged.driver);
  classKey.ReadString(kStagedClass.narrow, &staged.className);
  classKey.ReadString(kStagedMfg.narrow, &staged.mfg);
  for (const char* name : {kStagedToPath.narrow, kStagedUpdateMode.narrow, kStagedBrandSeries.narrow,
                           kStagedDeviceDesc.narrow, kStagedConfigFlags.narrow, kStagedClassGuid.narrow,
                           kStagedDriver.narrow, kStagedClass.narrow, kStagedMfg.narrow}) {
    classKey.DeleteValue(name);
  }
  return staged;
}

// The five values every mode writes, in their order.
void WriteDriverBinding(CRegistryA& device, const StagedValues& staged) {
  device.WriteDword("ConfigFlags", staged.configFlags);
  device.WriteString("ClassGUID", staged.classGuid);
  device.WriteString("Driver", staged.driver);
  device.WriteString("Class", staged.className);
  device.WriteString("Mfg", staged.mfg);
}

void RestoreParallelDevices(const StagedValues& staged) {
  AppendLog("dwUpdateMode > 0");
  CRegistryA enumerator(pf::HKEY_LOCAL_MACHINE, pf::KEY_READ);
  if (!enumerator.Open(kLptEnum, false)) return;
  std::vector<std::string> ids;
  enumerator.ListSubkeys(&ids);
  for (const std::string& id : ids) {
    if (id.find(staged.brandSeries) == std::string::npos && id.find(kFixedDeviceId) == std::string::npos) continue;
    std::string idPath = std::string(kLptEnum) + "\\" + id;
    CRegistryA idKey(pf::HKEY_LOCAL_MACHINE, pf::KEY_READ);
    if (!idKey.Open(idPath, false)) continue;
    std::vector<std::string> instances;
    idKey.ListSubkeys(&instances);
    for (const std::string& instance : instances) {
      CRegistryA device(pf::HKEY_LOCAL_MACHINE, kReadWriteAccess);
      if (!device.Open(idPath + "\\" + instance, false)) continue;
      std::string mfg;
      if (!device.ReadString("Mfg", &mfg)) WriteDriverBinding(device, staged);
      if (id == kFixedDeviceId) WriteDriverBinding(device, staged);
    }
  }
}

void RestoreNamedDevice(const StagedValues& staged) {
  AppendLog("dwUpdateMode == 0");
  // Nothing staged: the path is empty, and the root key itself must not be written.
  if (staged.toPath.empty()) return;
  CRegistryA target(pf::HKEY_LOCAL_MACHINE, kReadWriteAccess);
  if (!target.Open(staged.toPath, true)) return;
  AppendLog("write to path = " + staged.toPath);
  std::vector<std::string> instances;
  target.ListSubkeys(&instances);
  for (const std::string& instance : instances) {
    CRegistryA device(pf::HKEY_LOCAL_MACHINE, kReadWriteAccess);
    if (!device.Open(staged.toPath + "\\" + instance, true)) continue;
    device.WriteString("DeviceDesc", staged.deviceDesc);
    WriteDriverBinding(device, staged);
  }
}

}  // namespace

void RestoreDeviceKeys() {
  StagedValues staged;
  {
    CRegistryA classKey(pf::HKEY_LOCAL_MACHINE, kReadWriteAccess);
    if (!classKey.Open(kClassKey, false)) return;
    AppendLog(std::string("open ") + kClassKey);
    staged = TakeStagedValues(classKey);
  }
  if (staged.updateMode != 0) {
    RestoreParallelDevices(staged);
  } else {
    RestoreNamedDevice(staged);
  }
}

}  // namespace spoolmate
