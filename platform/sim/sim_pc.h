// A Windows PC in memory: the sim backend of every platform group.
//
// A test (or the dry-run tool) makes a SimPc, prepares it (registry seed,
// files, code page, clock) and installs it with ScopedSimPc; the system's code
// then runs against it exactly as against Windows. Every group shares the
// PC's kernel (platform/sim/sim_kernel.h): its handles, last error, clock,
// lock, faults, programs and devices. A new PC has the Windows folder's Temp
// folder (C:\WINDOWS\Temp), as every Windows has.
#pragma once

#include <memory>

#include "platform/platform.h"
#include "platform/sim/sim_kernel.h"

namespace pf::sim {

class SimRegistry;
class SimFiles;
class SimCodePages;
class SimSystem;
class SimServices;
class SimSync;
class SimSetupApi;
class SimSpooler;
class SimProcess;
class SimShellFolders;
class SimResources;

class SimPc {
 public:
  SimPc();
  ~SimPc();
  SimPc(const SimPc&) = delete;
  SimPc& operator=(const SimPc&) = delete;

  SimKernel& kernel() { return kernel_; }
  SimRegistry& registry() { return *registry_; }
  SimFiles& files() { return *files_; }
  SimCodePages& codePages() { return kernel_.codePages(); }
  SimSystem& system() { return *system_; }
  SimServices& services() { return *services_; }
  SimSync& sync() { return *sync_; }
  SimSetupApi& setupApi() { return *setupApi_; }
  SimSpooler& spooler() { return *spooler_; }
  SimProcess& process() { return *process_; }
  SimShellFolders& shellFolders() { return *shellFolders_; }
  SimResources& resources() { return *resources_; }

  // The platform whose groups are this PC's.
  Platform platform();

  // Restarts the PC as far as the programs can tell: the running services
  // get SERVICE_CONTROL_SHUTDOWN (those that accept it), then every service
  // process ends, and the volatile registry keys are gone. Files, the other
  // keys, service registrations, the clock and the test's own handles stay.
  // Auto-start services are not started again; a test starts what it needs.
  void Restart();

 private:
  SimKernel kernel_;
  std::unique_ptr<SimSystem> system_;
  std::unique_ptr<SimSync> sync_;
  std::unique_ptr<SimRegistry> registry_;
  std::unique_ptr<SimFiles> files_;
  std::unique_ptr<SimServices> services_;
  std::unique_ptr<SimSetupApi> setupApi_;
  std::unique_ptr<SimShellFolders> shellFolders_;
  std::unique_ptr<SimSpooler> spooler_;
  std::unique_ptr<SimResources> resources_;
  std::unique_ptr<SimProcess> process_;
};

// A fresh PC, installed as the current platform for the object's lifetime.
// The PC's service processes end, and their threads are joined, before the
// previous platform comes back, so that none of them runs on another PC.
class ScopedSimPc {
 public:
  ScopedSimPc() : scope_(pc_.platform()) {}
  ~ScopedSimPc();
  ScopedSimPc(const ScopedSimPc&) = delete;
  ScopedSimPc& operator=(const ScopedSimPc&) = delete;
  SimPc& pc() { return pc_; }
  SimPc* operator->() { return &pc_; }

 private:
  SimPc pc_;
  ScopedPlatform scope_;
};

}  // namespace pf::sim
