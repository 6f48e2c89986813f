// One line per check on standard output ("ok: ..." / "FAIL: ..."), UTF-8.
#pragma once

#include <string>

namespace autoclient {

class Report {
 public:
  // Prints the check's line; returns `passed`.
  bool Check(bool passed, const std::wstring& what);
  // A text check that shows both texts when they differ.
  bool CheckText(const std::wstring& what, const std::wstring& actual, const std::wstring& expected);
  bool CheckPrefix(const std::wstring& what, const std::wstring& actual, const std::wstring& prefix);
  void Fail(const std::wstring& what) { Check(false, what); }
  // Information that is not a check.
  void Note(const std::wstring& what);

  int failures() const { return failures_; }

 private:
  int failures_ = 0;
};

// Text for a report line: control characters shown as \r, \n, \t.
std::wstring Quote(const std::wstring& text);

}  // namespace autoclient
