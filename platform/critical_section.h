// The owner of a critical section's initialisation, and the hold of a
// critical section for a scope.
#pragma once

#include "platform/sync.h"

namespace pf {

// Initialises a critical section when made and deletes it when it goes. The
// section's memory is the caller's and must outlive the owner, so that code
// that has no way to the owner (a program's log, say) can still enter it.
class UniqueCriticalSection {
 public:
  explicit UniqueCriticalSection(CRITICAL_SECTION& section) : section_(section) {
    InitializeCriticalSection(&section_);
  }
  ~UniqueCriticalSection() { DeleteCriticalSection(&section_); }
  UniqueCriticalSection(const UniqueCriticalSection&) = delete;
  UniqueCriticalSection& operator=(const UniqueCriticalSection&) = delete;

 private:
  CRITICAL_SECTION& section_;
};

// Holds an initialised critical section from its making to its end.
class CriticalSectionLock {
 public:
  explicit CriticalSectionLock(CRITICAL_SECTION& section) : section_(section) { EnterCriticalSection(&section_); }
  ~CriticalSectionLock() { LeaveCriticalSection(&section_); }
  CriticalSectionLock(const CriticalSectionLock&) = delete;
  CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

 private:
  CRITICAL_SECTION& section_;
};

}  // namespace pf
