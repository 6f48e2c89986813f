#include "framework/window_api.h"

namespace fw {
namespace {
WindowApi* g_current = nullptr;
}  // namespace

WindowApi& Windows() { return g_current ? *g_current : DefaultWindows(); }

ScopedWindows::ScopedWindows(WindowApi* windows) : previous_(g_current) { g_current = windows; }

ScopedWindows::~ScopedWindows() { g_current = previous_; }

}  // namespace fw
