// The contract tests' environment on the simulated PC: a fresh PC per test,
// with the test program's resources and a stand-in for the system's cmd.exe.
#include <memory>
#include <string>

#include "platform/sim/sim_files.h"
#include "platform/sim/sim_pc.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_resources.h"
#include "platform/sim/sim_shell_folders.h"
#include "platform/sim/sim_spooler.h"
#include "tests/contract/contract_env.h"

namespace {

// cmd.exe as far as the tests use it: "/c exit N" ends with N.
pf::DWORD Cmd(const pf::sim::SimProcessStart& start) {
  const std::wstring command = L"/c exit ";
  const std::size_t at = start.commandLine.find(command);
  if (at == std::wstring::npos) return 1;
  return static_cast<pf::DWORD>(std::stoul(start.commandLine.substr(at + command.size())));
}

}  // namespace

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
  ASSERT_TRUE(env_->pc->resources().LoadModuleResources(TQ_CONTRACT_RES_FILE)) << TQ_CONTRACT_RES_FILE;
  env_->pc->kernel().RegisterProgram(env_->pc->shellFolders().systemDirectory() + L"\\cmd.exe", Cmd);
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

bool ContractTest::AddTestPrinter(const std::wstring& name, const std::wstring& port, const std::wstring& comment) {
  pf::sim::SimPrinter printer;
  printer.name = name;
  printer.port = port;
  printer.driver = L"TQ Contract Driver";
  printer.comment = comment;
  return env_->pc->spooler().AddPrinter(printer);
}
