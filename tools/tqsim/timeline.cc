#include "tools/tqsim/timeline.h"

#include "common/text/utf.h"
#include "platform/sim/sim_kernel.h"

namespace tqsim {

std::string Utf8(const std::wstring& text) { return text::Utf16ToUtf8(text); }

std::size_t Timeline::Add(const Json& fields) {
  Json event = {{"ms", Now()}};  // read before taking the lock: the kernel has its own
  event.update(fields);
  std::lock_guard<std::mutex> lock(mutex_);
  events_.push_back(std::move(event));
  return events_.size() - 1;
}

void Timeline::Amend(std::size_t index, const Json& fields) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (index < events_.size()) events_[index].update(fields);
}

Json Timeline::Events() const {
  std::lock_guard<std::mutex> lock(mutex_);
  Json list = Json::array();
  for (const Json& event : events_) list.push_back(event);
  return list;
}

std::uint64_t Timeline::Now() const { return kernel_.Now(); }

}  // namespace tqsim
