#include "rtl/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestRules.h"

namespace {

using Words = std::vector<std::string>;

struct Case {
  std::string raw;
  Words arguments;
};

std::string Shown(const std::string& raw) {
  std::string out;
  for (const char c : raw) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 32 || byte >= 127) {
      out += "\\x" + std::to_string(byte);
    } else {
      out += c;
    }
  }
  return out;
}

TEST(CommandLine, Split) {
  using namespace std::string_literals;
  const Case cases[] = {
      {"", {}},
      {"zanthor", {}},
      {"zanthor a.htm", {"a.htm"}},
      {"  zanthor   a.htm   docs  ", {"a.htm", "docs"}},
      {"zanthor \"my docs\" x", {"my docs", "x"}},
      // A quoted stretch mid-word, and several in one word.
      {"zanthor site\\\"my docs\"\\a.htm", {"site\\my docs\\a.htm"}},
      {"zanthor \"a b\"c\" d\"", {"a bc d"}},
      // The backslash escapes nothing: the quotation mark after it closes.
      {"zanthor \"C:\\My Site\\\" next", {"C:\\My Site\\", "next"}},
      // An empty quoted word is no argument.
      {"zanthor \"\"", {}},
      {"zanthor \"\" a", {"a"}},
      {"zanthor \"\"\"\" a", {"a"}},
      {"zanthor a \"\" b", {"a", "b"}},
      {"zanthor a \"\"", {"a"}},
      {"zanthor \"\"a", {"a"}},
      // Doubled quotes inside a word are an empty stretch.
      {"zanthor a\"\"b", {"ab"}},
      // Every code from 1 to 32 separates; 127 and above do not.
      {"zanthor\ta\tb", {"a", "b"}},
      {"zanthor\x01x\x1Fy\x20z\r\nw", {"x", "y", "z", "w"}},
      {"zanthor x\x7Fy \xA0z", {"x\x7Fy", "\xA0z"}},
      // A quoted stretch keeps tabs and control characters.
      {"zanthor \"a\tb\x01z\"", {"a\tb\x01z"}},
      // An unterminated quote runs to the end of the line.
      {"zanthor \"a b", {"a b"}},
      {"zanthor x\"a b  ", {"xa b  "}},
      {"zanthor \" \" a", {" ", "a"}},
      // A lone quotation mark at the end is an empty word, the end of the list.
      {"zanthor a \"", {"a"}},
      // A zero byte ends the line.
      {"zanthor a\0b c"s, {"a"}},
      {"zanthor a \0 b"s, {"a"}},
      // The first word is the program's name, quoted or not.
      {"\"C:\\Program Files\\zanthor.exe\" a", {"a"}},
      {"\"C:\\Program Files\\zanthor.exe\"", {}},
      {"\"C:\\Program Files\\zanthor.exe\"\"x\" a", {"a"}},
      {"\"\" zanthor a", {"a"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(rtl::SplitCommandLine(c.raw, rtl::kWindowsRules), c.arguments) << Shown(c.raw);
    EXPECT_EQ(rtl::SplitCommandLine(c.raw, rtl::kPosixRules), c.arguments) << Shown(c.raw);
  }
}

TEST(CommandLine, DoubleByteTrailIsNoQuote) {
  // With double-byte characters, 0x81 followed by '"' is one character: the
  // '"' is its second byte and opens or closes nothing. Single-byte rules
  // see a quotation mark there.
  struct DbcsCase {
    std::string raw;
    Words dbcs;
    Words singleByte;
  };
  const DbcsCase cases[] = {
      {"z \x81\"x y", {"\x81\"x", "y"}, {"\x81x y"}},
      {"z \"\x81\" b\"", {"\x81\" b"}, {"\x81", "b"}},
      {"z \"\x83\\\" b", {"\x83\\", "b"}, {"\x83\\", "b"}},
      // The program's name is split by characters too.
      {"\"C:\\\x81\"\" a", {"a"}, {}},
      {"\"C:\\\x81\"\" \" a", {" a"}, {"a"}},
  };
  for (const DbcsCase& c : cases) {
    EXPECT_EQ(rtl::SplitCommandLine(c.raw, testing_rules::kDbcsWindowsRules), c.dbcs) << Shown(c.raw);
    EXPECT_EQ(rtl::SplitCommandLine(c.raw, rtl::kWindowsRules), c.singleByte) << Shown(c.raw);
  }
}

}  // namespace
