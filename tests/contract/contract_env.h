// The fixture of the contract tests: the same test bodies run natively against
// a fresh simulated PC and, cross-built, under Wine against the real Win32
// calls. Each backend's environment lives in its own file
// (tests/contract/sim_env.cc, tests/wine/contract_env_win32.cc).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"

class ContractTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // An existing, empty folder for this test; no trailing backslash.
  std::wstring ScratchFolder() const { return scratchFolder_; }
  // A freshly created, empty key under HKEY_CURRENT_USER for this test, deleted
  // with everything in it afterwards (path relative to HKEY_CURRENT_USER).
  std::wstring ScratchKeyPath() const { return scratchKeyPath_; }
  // True natively (simulated PC), false under Wine.
  bool IsSimulated() const;
  // Applies a .reg text (UTF-8, as platform/sim/reg_file.h writes it) to the
  // machine's registry: the simulated PC's, or under Wine the real one. Keys
  // it creates are deleted after the test. Fails the test on a malformed text.
  void ImportSeed(const std::string& regText);

 private:
  struct Env;
  Env* env_ = nullptr;
  std::wstring scratchFolder_;
  std::wstring scratchKeyPath_;
};
