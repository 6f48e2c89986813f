#include "platform/platform.h"

namespace pf {
namespace {
Platform* g_current = nullptr;
}  // namespace

Platform& Current() { return g_current ? *g_current : DefaultPlatform(); }

ScopedPlatform::ScopedPlatform(const Platform& platform) : previous_(g_current), installed_(platform) {
  g_current = &installed_;
}

ScopedPlatform::~ScopedPlatform() { g_current = previous_; }

}  // namespace pf
