#include "platform/sim/sim_pc.h"

#include "platform/sim/sim_codepages.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_services.h"
#include "platform/sim/sim_setupapi.h"
#include "platform/sim/sim_sync.h"
#include "platform/sim/sim_system.h"

namespace pf::sim {

SimPc::SimPc()
    : system_(std::make_unique<SimSystem>(kernel_)),
      sync_(std::make_unique<SimSync>(kernel_)),
      registry_(std::make_unique<SimRegistry>(kernel_.codePages(), &kernel_)),
      files_(std::make_unique<SimFiles>(kernel_)),
      services_(std::make_unique<SimServices>(*system_)),
      setupApi_(std::make_unique<SimSetupApi>(kernel_, *registry_)) {}

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
  return platform;
}

}  // namespace pf::sim
