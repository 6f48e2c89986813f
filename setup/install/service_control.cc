#include "setup/install/service_control.h"

#include "platform/platform.h"

ServiceControl::ServiceControl()
    : manager_(pf::OpenSCManagerW(nullptr, nullptr, pf::SC_MANAGER_ALL_ACCESS)) {}

bool ServiceControl::Create() {
  if (serviceName_ == nullptr || displayName_ == nullptr || programPath_ == nullptr) return false;
  pf::UniqueServiceHandle service(pf::CreateServiceW(
      manager_.get(), serviceName_, displayName_, pf::SERVICE_ALL_ACCESS,
      pf::SERVICE_WIN32_OWN_PROCESS | pf::SERVICE_INTERACTIVE_PROCESS,
      autoStart_ != 0 ? pf::SERVICE_AUTO_START : pf::SERVICE_DEMAND_START, pf::SERVICE_ERROR_NORMAL, programPath_,
      nullptr, nullptr, nullptr, nullptr, nullptr));
  return service.IsValid();
}

bool ServiceControl::Start() { return Act(Action::kStart); }
bool ServiceControl::Stop() { return Act(Action::kStop); }
bool ServiceControl::Delete() { return Act(Action::kDelete); }

bool ServiceControl::Act(Action action) {
  if (serviceName_ == nullptr) return false;
  pf::UniqueServiceHandle service(pf::OpenServiceW(manager_.get(), serviceName_, pf::SERVICE_ALL_ACCESS));
  if (!service) return false;
  switch (action) {
    case Action::kStart:
      return pf::StartServiceW(service.get(), 0, nullptr) != pf::FALSE;
    case Action::kStop: {
      pf::SERVICE_STATUS status{};
      return pf::ControlService(service.get(), pf::SERVICE_CONTROL_STOP, &status) != pf::FALSE;
    }
    case Action::kDelete:
      return pf::DeleteService(service.get()) != pf::FALSE;
  }
  return false;
}
