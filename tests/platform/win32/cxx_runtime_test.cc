// The library's failures still arrive as exceptions that a catch stops (the
// window procedures rely on it), with the library's own text, when the
// shipped programs' replacements of the throwing helpers are linked in.
#include <gtest/gtest.h>

#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <vector>

namespace {

// The what() text of what `action` throws; "" when it throws nothing and
// "not a std::exception" when the object is of another kind.
template <typename Action>
std::string WhatItThrows(Action action) {
  try {
    action();
  } catch (const std::exception& e) {
    return e.what() ? e.what() : "";
  } catch (...) {
    return "not a std::exception";
  }
  return "";
}

TEST(CxxRuntime, StringAndVectorFailuresThrowWithTheLibrarysText) {
  std::string text = "abc";
  EXPECT_NE(WhatItThrows([&] { text.reserve(text.max_size() + 1); }).find("basic_string"), std::string::npos);
  EXPECT_NE(WhatItThrows([&] { (void)text.substr(4); }).find("basic_string"), std::string::npos);
  EXPECT_NE(WhatItThrows([&] { (void)text.at(3); }).find("basic_string"), std::string::npos);
  std::wstring wide = L"abc";
  EXPECT_NE(WhatItThrows([&] { wide.append(wide.max_size(), L'x'); }).find("basic_string"), std::string::npos);
  std::vector<int> numbers;
  EXPECT_NE(WhatItThrows([&] { numbers.reserve(numbers.max_size() + 1); }).find("vector"), std::string::npos);
  EXPECT_NE(WhatItThrows([&] { (void)numbers.at(0); }).find("vector"), std::string::npos);
  // The strings are usable after the failed calls.
  text += "d";
  EXPECT_EQ(text, "abcd");
}

TEST(CxxRuntime, AllocationFailuresStayBadAlloc) {
  bool caught = false;
  try {
    std::vector<char> huge;
    huge.resize(static_cast<size_t>(-1) / 2);
  } catch (const std::bad_alloc&) {
    caught = true;
  } catch (...) {
  }
  EXPECT_TRUE(caught);
  caught = false;
  try {
    volatile size_t count = static_cast<size_t>(-1) / 8;
    std::unique_ptr<double[]> numbers(new double[count]);
  } catch (const std::bad_alloc&) {
    caught = true;
  }
  EXPECT_TRUE(caught);
}

}  // namespace
