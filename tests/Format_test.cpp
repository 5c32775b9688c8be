#include "rtl/Format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

TEST(Format, Decimal) {
  struct Case {
    std::int64_t value;
    const char* text;
  };
  const Case cases[] = {{0, "0"},
                        {7, "7"},
                        {1234567, "1234567"},
                        {-42, "-42"},
                        {std::numeric_limits<std::int32_t>::max(), "2147483647"},
                        {std::numeric_limits<std::int32_t>::min(), "-2147483648"},
                        {std::numeric_limits<std::int64_t>::min(), "-9223372036854775808"}};
  for (const Case& c : cases) EXPECT_EQ(rtl::FormatDecimal(c.value), c.text) << c.value;
}

TEST(Format, Hex8IsUpperCaseAndPadded) {
  EXPECT_EQ(rtl::FormatHex8(0), "00000000");
  EXPECT_EQ(rtl::FormatHex8(0x1a2bu), "00001A2B");
  EXPECT_EQ(rtl::FormatHex8(0xFFFFFFFFu), "FFFFFFFF");
}

}  // namespace
