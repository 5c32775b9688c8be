#include "rtl/Format.h"

#include <cstddef>
#include <cstdint>

namespace rtl {

namespace {

// Writes `value` ending before `p`, two digits at a time: the entry numbers
// of the index are written with it, twice for every entry.
template <typename Unsigned>
char* WriteDigits(Unsigned value, char* p) {
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  while (value >= 100) {
    const auto pair = static_cast<std::size_t>(value % 100) * 2;
    value /= 100;
    *--p = kPairs[pair + 1];
    *--p = kPairs[pair];
  }
  if (value >= 10) {
    *--p = kPairs[value * 2 + 1];
    *--p = kPairs[value * 2];
  } else {
    *--p = static_cast<char>('0' + value);
  }
  return p;
}

}  // namespace

char* FormatDecimalInto(std::int64_t value, char* end) {
  // Work on the magnitude as unsigned, so that the most negative value has one;
  // 32-bit arithmetic where it fits, as it does for every count of the run.
  const std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  char* p = magnitude <= UINT32_MAX ? WriteDigits(static_cast<std::uint32_t>(magnitude), end)
                                    : WriteDigits(magnitude, end);
  if (value < 0) *--p = '-';
  return p;
}

std::string FormatDecimal(std::int64_t value) {
  char buffer[20];
  char* end = buffer + sizeof buffer;
  return std::string(FormatDecimalInto(value, end), end);
}

std::string FormatHex8(std::uint32_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out(8, '0');
  for (int i = 7; i >= 0; --i) {
    out[static_cast<std::size_t>(i)] = kDigits[value & 15];
    value >>= 4;
  }
  return out;
}

}  // namespace rtl
