// Number formatting: decimal with a minus sign when negative, no leading
// zeros, no grouping; and eight upper-case hexadecimal digits.
#pragma once

#include <cstdint>
#include <string>

namespace rtl {

// Writes the decimal digits of value ending just before `end`; returns the
// first character written. The buffer must hold 20 characters.
char* FormatDecimalInto(std::int64_t value, char* end);

std::string FormatDecimal(std::int64_t value);

std::string FormatHex8(std::uint32_t value);

}  // namespace rtl
