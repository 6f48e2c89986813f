#include "platform/sim/sim_pc.h"

#include "platform/sim/sim_codepages.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_process.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_resources.h"
#include "platform/sim/sim_services.h"
#include "platform/sim/sim_setupapi.h"
#include "platform/sim/sim_shell_folders.h"
#include "platform/sim/sim_spooler.h"
#include "platform/sim/sim_sync.h"
#include "platform/sim/sim_system.h"

namespace pf::sim {

SimPc::SimPc()
    : system_(std::make_unique<SimSystem>(kernel_)),
      sync_(std::make_unique<SimSync>(kernel_)),
      registry_(std::make_unique<SimRegistry>(kernel_)),
      files_(std::make_unique<SimFiles>(kernel_)),
      services_(std::make_unique<SimServices>(kernel_)),
      setupApi_(std::make_unique<SimSetupApi>(kernel_, *registry_)),
      shellFolders_(std::make_unique<SimShellFolders>(kernel_, *files_)),
      spooler_(std::make_unique<SimSpooler>(kernel_, *registry_)),
      resources_(std::make_unique<SimResources>(kernel_)),
      process_(std::make_unique<SimProcess>(kernel_, *system_, *files_, *shellFolders_, *registry_)) {
  // Every Windows has its Temp folder, where programs run as the local
  // system account keep their logs.
  files_->MakeFolder(shellFolders_->windowsDirectory() + L"\\Temp");
}

SimPc::~SimPc() = default;

Platform SimPc::platform() {
  Platform platform;
  platform.registry = registry_.get();
  platform.files = files_.get();
  platform.codePages = &kernel_.codePages();
  platform.system = system_.get();
  platform.services = services_.get();
  platform.sync = sync_.get();
  platform.setupApi = setupApi_.get();
  platform.spooler = spooler_.get();
  platform.process = process_.get();
  platform.shellFolders = shellFolders_.get();
  platform.resources = resources_.get();
  return platform;
}

void SimPc::Restart() {
  services_->Shutdown();
  services_->EndProcesses();
  registry_->DropVolatileKeys();
}

ScopedSimPc::~ScopedSimPc() { pc_.services().EndProcesses(); }

}  // namespace pf::sim
