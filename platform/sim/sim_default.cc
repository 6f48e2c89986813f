#include "platform/platform.h"
#include "platform/sim/sim_pc.h"

namespace pf {

// Native programs that install no platform of their own run on one default PC.
Platform& DefaultPlatform() {
  static sim::SimPc pc;
  static Platform platform = pc.platform();
  return platform;
}

}  // namespace pf
