#include "common/text/decimal.h"

namespace text {
namespace {

template <typename String>
String DecimalOf(long long value, int width) {
  // The magnitude as unsigned, so that the most negative value has one too.
  unsigned long long rest = value < 0 ? 0ull - static_cast<unsigned long long>(value)
                                      : static_cast<unsigned long long>(value);
  typename String::value_type digits[20];
  int count = 0;
  do {
    digits[count++] = static_cast<typename String::value_type>('0' + rest % 10);
    rest /= 10;
  } while (rest != 0);
  String out;
  if (value < 0) out.push_back('-');
  for (int pad = count + (value < 0 ? 1 : 0); pad < width; ++pad) out.push_back('0');
  while (count > 0) out.push_back(digits[--count]);
  return out;
}

}  // namespace

std::string Decimal(long long value, int width) { return DecimalOf<std::string>(value, width); }
std::wstring WideDecimal(long long value, int width) { return DecimalOf<std::wstring>(value, width); }

}  // namespace text
