// The aborting form of the runtime error paths, as Spoolmate links it
// (without exceptions): memory still comes and goes through the replaced
// operator new and delete, the new handler is still asked, and a failure ends
// the process instead of throwing.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

TEST(CxxRuntimeAbort, AllocationsWork) {
  std::vector<std::string> texts;
  for (int i = 0; i < 1000; ++i) texts.push_back(std::string(static_cast<size_t>(i % 50), 'x'));
  EXPECT_EQ(texts[999].size(), 49u);
  void* empty = ::operator new(0);
  EXPECT_NE(empty, nullptr);
  ::operator delete(empty);
  int* numbers = new int[16]();
  EXPECT_EQ(numbers[15], 0);
  delete[] numbers;
}

void ReportAndGiveUp() {
  std::fputs("new handler asked\n", stderr);
  std::set_new_handler(nullptr);
}

TEST(CxxRuntimeAbortDeathTest, MemoryThatCannotBeHadAsksTheHandlerThenEnds) {
  EXPECT_DEATH(
      {
        std::set_new_handler(ReportAndGiveUp);
        volatile size_t huge = static_cast<size_t>(-1) / 2;
        void* memory = ::operator new(huge);
        std::fprintf(stderr, "got %p\n", memory);
      },
      "new handler asked");
}

TEST(CxxRuntimeAbortDeathTest, LibraryFailuresEnd) {
  EXPECT_DEATH(
      {
        std::string text = "abc";
        text.reserve(text.max_size() + 1);
      },
      "");
}

}  // namespace
