// The contract tests' environment on the simulated PC: a fresh PC per test.
#include <memory>

#include "platform/sim/sim_files.h"
#include "platform/sim/sim_pc.h"
#include "platform/sim/sim_registry.h"
#include "tests/contract/contract_env.h"

struct ContractTest::Env {
  pf::sim::ScopedSimPc pc;
};

void ContractTest::SetUp() {
  env_ = new Env;
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info ? info->name() : "test";
  scratchFolder_ = L"C:\\scratch\\" + std::wstring(name.begin(), name.end());
  env_->pc->files().MakeFolder(scratchFolder_);
  scratchKeyPath_ = L"Software\\TQContract\\" + std::wstring(name.begin(), name.end());
  pf::HKEY key = 0;
  pf::RegCreateKeyExW(pf::HKEY_CURRENT_USER, scratchKeyPath_.c_str(), 0, pf::KEY_ALL_ACCESS, &key, nullptr);
  pf::RegCloseKey(key);
}

void ContractTest::TearDown() {
  delete env_;
  env_ = nullptr;
}

bool ContractTest::IsSimulated() const { return true; }

void ContractTest::ImportSeed(const std::string& regText) {
  std::string error;
  ASSERT_TRUE(env_->pc->registry().ImportRegText(regText, &error)) << error;
}
