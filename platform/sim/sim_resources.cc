#include "platform/sim/sim_resources.h"

#include <fstream>
#include <iterator>

#include "common/text/case_fold.h"
#include "common/res/res_reader.h"

namespace pf::sim {
namespace {

// Resource handles are small numbers above this base, one per resource.
constexpr HRSRC kHandleBase = 0x7000;

// Whether the id given to FindResourceW names the type or name of an entry.
bool Matches(const wchar_t* wanted, const res::Id& id) {
  if (IS_INTRESOURCE(wanted)) {
    return id.text.empty() && id.ordinal == static_cast<std::uint16_t>(reinterpret_cast<std::uintptr_t>(wanted));
  }
  const std::wstring text = wanted;
  if (text.size() > 1 && text[0] == L'#') {  // "#232" stands for the id 232
    const std::wstring digits = text.substr(1);
    if (digits.find_first_not_of(L"0123456789") != std::wstring::npos || digits.size() > 5) return false;
    return id.text.empty() && id.ordinal == std::stoul(digits);
  }
  return text::EqualsNoCase(std::wstring(id.text.begin(), id.text.end()), text);
}

}  // namespace

struct SimResources::Resource {
  res::Entry entry;
};

SimResources::SimResources(SimKernel& kernel) : kernel_(kernel) {}

SimResources::~SimResources() = default;

HRSRC SimResources::FindResourceW(HMODULE module, const wchar_t* name, const wchar_t* type) {
  auto lock = kernel_.Lock();
  if (DWORD error = kernel_.Enter("FindResourceW")) {
    kernel_.SetLastError(error);
    return 0;
  }
  if (module != 0 || current_ == resources_.size()) {
    kernel_.SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return 0;
  }
  if (name == nullptr || type == nullptr) {
    kernel_.SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  bool typeFound = false;
  for (std::size_t i = current_; i < resources_.size(); ++i) {
    const res::Entry& entry = resources_[i]->entry;
    if (!Matches(type, entry.type)) continue;
    typeFound = true;
    if (Matches(name, entry.name)) return kHandleBase + i;
  }
  kernel_.SetLastError(typeFound ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
  return 0;
}

// The resource that `resource` names in `module` for the call `call`; null,
// with the thread's last error set, when the call is made to fail or the
// handle names nothing of the current program.
const SimResources::Resource* SimResources::Find(const char* call, HMODULE module, HRSRC resource) {
  if (DWORD error = kernel_.Enter(call)) {
    kernel_.SetLastError(error);
    return nullptr;
  }
  if (module != 0 || resource < kHandleBase || resource - kHandleBase >= resources_.size()) {
    kernel_.SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return resources_[resource - kHandleBase].get();
}

HGLOBAL SimResources::LoadResource(HMODULE module, HRSRC resource) {
  auto lock = kernel_.Lock();
  const Resource* found = Find("LoadResource", module, resource);
  if (found == nullptr) return 0;
  // A loaded resource is its data's address, as in a Win32 module.
  static const std::uint8_t kEmpty = 0;
  return reinterpret_cast<HGLOBAL>(found->entry.data.empty() ? &kEmpty : found->entry.data.data());
}

DWORD SimResources::SizeofResource(HMODULE module, HRSRC resource) {
  auto lock = kernel_.Lock();
  const Resource* found = Find("SizeofResource", module, resource);
  if (found == nullptr) return 0;
  return static_cast<DWORD>(found->entry.data.size());
}

const void* SimResources::LockResource(HGLOBAL loaded) {
  auto lock = kernel_.Lock();
  if (kernel_.Enter("LockResource") != 0) return nullptr;  // it sets no error of its own
  return reinterpret_cast<const void*>(loaded);
}

bool SimResources::SetModuleResources(const std::vector<std::uint8_t>& resBytes) {
  auto lock = kernel_.Lock();
  std::vector<res::Entry> entries;
  current_ = resources_.size();
  if (!res::ParseResFile(resBytes, &entries)) return false;
  for (res::Entry& entry : entries) resources_.push_back(std::make_unique<Resource>(Resource{std::move(entry)}));
  return true;
}

bool SimResources::LoadModuleResources(const std::string& hostPath) {
  std::ifstream file(hostPath, std::ios::binary);
  if (!file) {
    SetModuleResources({});
    return false;
  }
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  return SetModuleResources(bytes);
}

}  // namespace pf::sim
