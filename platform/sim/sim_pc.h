// A Windows PC in memory: the sim backend of every platform group.
//
// A test (or the dry-run tool) makes a SimPc, prepares it (registry seed,
// files, code page, clock) and installs it with ScopedSimPc; the system's code
// then runs against it exactly as against Windows. Every group shares the
// PC's kernel (platform/sim/sim_kernel.h): its handles, last error, clock,
// lock, faults, programs and devices.
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

  // The platform whose groups are this PC's.
  Platform platform();

 private:
  SimKernel kernel_;
  std::unique_ptr<SimSystem> system_;
  std::unique_ptr<SimSync> sync_;
  std::unique_ptr<SimRegistry> registry_;
  std::unique_ptr<SimFiles> files_;
  std::unique_ptr<SimServices> services_;
  std::unique_ptr<SimSetupApi> setupApi_;
};

// A fresh PC, installed as the current platform for the object's lifetime.
class ScopedSimPc {
 public:
  ScopedSimPc() : scope_(pc_.platform()) {}
  SimPc& pc() { return pc_; }
  SimPc* operator->() { return &pc_; }

 private:
  SimPc pc_;
  ScopedPlatform scope_;
};

}  // namespace pf::sim
