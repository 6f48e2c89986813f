// The transcript's timeline: what happened during a run, in order, each
// event stamped with the simulated PC's virtual time in milliseconds
// ({"ms": 3020, ...}). Setup's thread and the helper service's threads both
// add to it.
#pragma once

#include <cstdint>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace pf::sim {
class SimKernel;
}

namespace tqsim {

using Json = nlohmann::ordered_json;

// Wide text as the transcript's UTF-8 (a lone surrogate becomes U+FFFD).
std::string Utf8(const std::wstring& text);

class Timeline {
 public:
  explicit Timeline(pf::sim::SimKernel& kernel) : kernel_(kernel) {}

  // Records {"ms": now} followed by the fields; returns the event's index.
  std::size_t Add(const Json& fields);
  // Adds fields to an event recorded before.
  void Amend(std::size_t index, const Json& fields);
  // The events so far, as a JSON list.
  Json Events() const;
  std::uint64_t Now() const;
  pf::sim::SimKernel& kernel() const { return kernel_; }

 private:
  pf::sim::SimKernel& kernel_;
  mutable std::mutex mutex_;
  std::vector<Json> events_;
};

}  // namespace tqsim
