#include "common/text/decimal.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cwchar>
#include <string>

namespace {

// The C library's "%0*lld" is the reference: the same text for every value
// and width, narrow and wide.
TEST(Decimal, PrintsAsPrintfWithZeroPadding) {
  const long long values[] = {0, 7, -7, 10, 99, 100, 1234, -1234, 2147483647LL, -2147483648LL,
                              4294967295LL, LLONG_MAX, LLONG_MIN};
  for (long long value : values) {
    for (int width : {0, 1, 2, 3, 4, 16, 21}) {
      char narrow[64];
      std::snprintf(narrow, sizeof narrow, "%0*lld", width, value);
      wchar_t wide[64];
      std::swprintf(wide, 64, L"%0*lld", width, value);
      EXPECT_EQ(text::Decimal(value, width), narrow) << value << " " << width;
      EXPECT_EQ(text::WideDecimal(value, width), wide) << value << " " << width;
    }
  }
}

TEST(Decimal, DefaultIsThePlainNumber) {
  EXPECT_EQ(text::Decimal(0), "0");
  EXPECT_EQ(text::Decimal(-42), "-42");
  EXPECT_EQ(text::WideDecimal(1167), L"1167");
  EXPECT_EQ(text::Decimal(-7, 3), "-07");
}

}  // namespace
