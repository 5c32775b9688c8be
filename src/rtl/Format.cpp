#include "rtl/Format.h"

namespace rtl {

char* FormatDecimalInto(std::int64_t value, char* end) {
  // Work on the magnitude as unsigned, so that the most negative value has one.
  std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  char* p = end;
  do {
    *--p = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
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
