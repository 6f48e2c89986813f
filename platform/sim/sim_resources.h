// The program's own resources in the simulated PC: the entries of a `.res`
// file that windres compiled, set by a test as the resources of module 0 (the
// program itself). Types and names match as Windows matches them: integer ids
// (MAKEINTRESOURCEW, or a "#232" string) by number, names without case. When
// a type and name exist in several languages, the first in the file wins.
//
// A resource handle (HRSRC) and a loaded resource (HGLOBAL) stay valid for
// the life of the PC, also when the module's resources are replaced.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/resources.h"
#include "platform/sim/sim_kernel.h"

namespace pf::sim {

class SimResources : public ResourceApi {
 public:
  explicit SimResources(SimKernel& kernel);
  ~SimResources() override;

  // Module 0 only; any other module has no resources here
  // (ERROR_RESOURCE_DATA_NOT_FOUND).
  HRSRC FindResourceW(HMODULE module, const wchar_t* name, const wchar_t* type) override;
  HGLOBAL LoadResource(HMODULE module, HRSRC resource) override;
  DWORD SizeofResource(HMODULE module, HRSRC resource) override;
  const void* LockResource(HGLOBAL loaded) override;

  // --- Test API ---
  // The module's resources from a compiled .res image; false (and no
  // resources) when it does not parse.
  bool SetModuleResources(const std::vector<std::uint8_t>& resBytes);
  // The same from a .res file of the host; false when it cannot be read.
  bool LoadModuleResources(const std::string& hostPath);

 private:
  struct Resource;
  const Resource* Find(const char* call, HMODULE module, HRSRC resource);

  SimKernel& kernel_;
  // Every resource the module ever had, so that old handles stay valid;
  // current_ marks where the module's present set begins.
  std::vector<std::unique_ptr<Resource>> resources_;
  std::size_t current_ = 0;
};

}  // namespace pf::sim
