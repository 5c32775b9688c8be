// Entry numbers in the entry block: written in decimal by the runtime's
// formatter, across every change in the number of digits.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "UTypes.h"
#include "rtl/TextBlock.h"

namespace {

std::string Entries(std::int32_t first, const std::string& a, const std::string& b) {
  std::string out;
  for (const auto& [n, text] : {std::pair{first, a}, std::pair{first + 1, b}}) {
    out += "KeyString[" + std::to_string(n) + "]= \"" + text + "\";\r\n";
    out += "KeyLink[" + std::to_string(n) + "]= \"p.htm\";\r\n";
  }
  return out;
}

TEST(EntryNumber, EveryDigitCountAndTheLargest) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  // Each first number and the one after it (the page gives two entries).
  const std::int32_t firsts[] = {0,      1,       8,       9,         10,        98,        99,
                                 100,    998,     999,     1000,      9999,      10000,     99999,
                                 123456, 999999,  1000000, 9999999,   10000000,  99999999,  100000000,
                                 999999999, 1000000000, 1999999999, kMax - 1};
  for (const std::int32_t first : firsts) {
    rtl::TextBlock entries;
    EXPECT_EQ(ScanPageText("<p>first text<p>second text ", first, "p.htm", entries), 2);
    EXPECT_EQ(entries.Str(), Entries(first, "first text", "second text")) << first;
  }
}

}  // namespace
