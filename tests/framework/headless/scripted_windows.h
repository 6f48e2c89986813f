// The headless window system of a test that scripts user input. When the
// test ends every scripted step must have run: a dialog that closed before
// its script was used up fails the test instead of leaving the later steps,
// and the checks in them, unrun.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "framework/headless/headless_windows.h"

class ScriptedWindows : public fw::headless::HeadlessWindows {
 public:
  explicit ScriptedWindows(const std::vector<std::uint8_t>& resBytes) : HeadlessWindows(resBytes) {}
  ~ScriptedWindows() override {
    EXPECT_EQ(PendingSteps(), 0u) << "scripted steps never ran: the dialog loop ended before the script did";
  }
};
