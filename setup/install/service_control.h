// ServiceControl: a small object over the service control manager that
// creates, starts, stops and deletes one service. It owns the manager
// handle, opened when the object is made; the names and the program path
// are the caller's strings, which must outlive the object. Each operation
// reports success and leaves the outcome's code for GetLastError.
#pragma once

#include <cstdint>

#include "platform/unique_handle.h"

class ServiceControl {
 public:
  ServiceControl();
  virtual ~ServiceControl() = default;
  ServiceControl(const ServiceControl&) = delete;
  ServiceControl& operator=(const ServiceControl&) = delete;

  void SetServiceName(const wchar_t* name) { serviceName_ = name; }
  void SetDisplayName(const wchar_t* name) { displayName_ = name; }
  // The service's command line as the manager stores it.
  void SetProgramPath(const wchar_t* path) { programPath_ = path; }
  // Non-zero: the service starts with the system; 0: on demand.
  void SetAutoStart(std::int32_t autoStart) { autoStart_ = autoStart; }

  // Each is false without a service name (Create also without display name
  // or program path) and then makes no call.
  bool Create();
  bool Start();
  bool Stop();
  bool Delete();

 private:
  enum class Action { kStart, kStop, kDelete };
  bool Act(Action action);

  pf::UniqueServiceHandle manager_;
  const wchar_t* serviceName_ = nullptr;
  const wchar_t* displayName_ = nullptr;
  const wchar_t* programPath_ = nullptr;
  std::int32_t autoStart_ = 0;
};
