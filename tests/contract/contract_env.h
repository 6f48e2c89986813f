// The fixture of the contract tests: the same test bodies run natively against
// a fresh simulated PC and, cross-built, under Wine against the real Win32
// calls. Each backend's environment lives in its own file
// (tests/contract/sim_env.cc, tests/wine/contract_env_win32.cc).
//
// Both give the test program the resources of tests/contract/contract.rc
// (linked into the Windows program, the compiled .res set as the simulated
// program's) and a cmd.exe in the system directory that ends with the code
// of "/c exit N".
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

  // Adds a local printer as an installer would (under Wine with a driver
  // named for wineps.drv's files), removed again after the test; false when
  // the environment could not add it.
  bool AddTestPrinter(const std::wstring& name, const std::wstring& port, const std::wstring& comment = L"");

 private:
  struct Env;
  Env* env_ = nullptr;
  std::wstring scratchFolder_;
  std::wstring scratchKeyPath_;
};
