// Registry seeds for the Wine tests: a .reg text (UTF-8, as
// platform/sim/reg_file.h reads and writes it) applied to the real registry
// of the test prefix, key by key, and taken away again.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/registry.h"

namespace winetest {

// Deletes a key with everything below it; nothing when it is not there.
// parent: a predefined root key or an open key, as a pf::HKEY.
void DeleteKeyTree(pf::HKEY parent, const std::wstring& path);

class RegistrySeed {
 public:
  RegistrySeed() = default;
  RegistrySeed(const RegistrySeed&) = delete;
  RegistrySeed& operator=(const RegistrySeed&) = delete;
  // Deletes every key the seeds created, with what is below it.
  ~RegistrySeed();

  // False with the reason in error on a malformed text or a key that cannot be created.
  bool Apply(const std::string& regText, std::string* error);

 private:
  std::vector<std::pair<pf::HKEY, std::wstring>> created_;  // the shallowest new key of each path
};

}  // namespace winetest
