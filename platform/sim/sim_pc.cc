#include "platform/sim/sim_pc.h"

#include "platform/sim/sim_codepages.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_services.h"
#include "platform/sim/sim_system.h"

namespace pf::sim {

SimPc::SimPc()
    : system_(std::make_unique<SimSystem>()),
      codePages_(std::make_unique<SimCodePages>(system_.get())),
      registry_(std::make_unique<SimRegistry>(*codePages_)),
      files_(std::make_unique<SimFiles>(*system_, *codePages_)),
      services_(std::make_unique<SimServices>(*system_)) {
  system_->SetCodePages(codePages_.get());
}

SimPc::~SimPc() = default;

Platform SimPc::platform() {
  Platform platform;
  platform.registry = registry_.get();
  platform.files = files_.get();
  platform.codePages = codePages_.get();
  platform.system = system_.get();
  platform.services = services_.get();
  return platform;
}

}  // namespace pf::sim
