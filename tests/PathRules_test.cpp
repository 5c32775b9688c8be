#include "rtl/PathRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "TestRules.h"

namespace {

using rtl::kPosixRules;
using rtl::kWindowsRules;
using testing_rules::kDbcsWindowsRules;

TEST(PathRules, DirectoryPartAndLastComponent) {
  struct Case {
    std::string path;
    std::string posixDirectory;
    std::string windowsDirectory;
  };
  const Case cases[] = {
      {"", "", ""},
      {"a.htm", "", ""},
      {"site/docs", "site/", "site/"},  // on Windows too: site/docs is site\docs
      {"site\\docs", "", "site\\"},
      {"C:page.htm", "", "C:"},
      {"C:\\site\\page?.htm", "", "C:\\site\\"},
      {"/abs/x/*.*", "/abs/x/", "/abs/x/"},
      {"docs/", "docs/", "docs/"},
      {"docs\\", "", "docs\\"},
      {"dir//a.htm", "dir//", "dir//"},
      {"a/b\\c:d", "a/", "a/b\\c:"},
      {"q.htm:x", "", "q.htm:"},
      {"/", "/", "/"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(rtl::DirectoryPart(c.path, kPosixRules), c.posixDirectory) << c.path;
    EXPECT_EQ(rtl::LastComponent(c.path, kPosixRules), c.path.substr(c.posixDirectory.size())) << c.path;
    EXPECT_EQ(rtl::DirectoryPart(c.path, kWindowsRules), c.windowsDirectory) << c.path;
    EXPECT_EQ(rtl::LastComponent(c.path, kWindowsRules), c.path.substr(c.windowsDirectory.size())) << c.path;
  }
}

TEST(PathRules, DoubleByteTrailIsNoSeparator) {
  // 0x83 0x5C is one character whose second byte is the backslash code.
  struct Case {
    std::string path;
    std::string dbcsDirectory;
    std::string singleByteDirectory;
  };
  const Case cases[] = {
      {"\x83\x5Cpage.htm", "", "\x83\x5C"},
      {"d\\\x83\x5Cpage.htm", "d\\", "d\\\x83\x5C"},
      {"\x83\x5C\\a.htm", "\x83\x5C\\", "\x83\x5C\\"},
      // A lead byte followed by a lead byte: the pair is one character, so
      // the backslash after it is a separator.
      {"\x81\x81\\a.htm", "\x81\x81\\", "\x81\x81\\"},
      // A lead byte at the very end stands alone.
      {"d\\\x83", "d\\", "d\\"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(rtl::DirectoryPart(c.path, kDbcsWindowsRules), c.dbcsDirectory) << c.path;
    EXPECT_EQ(rtl::LastComponent(c.path, kDbcsWindowsRules), c.path.substr(c.dbcsDirectory.size())) << c.path;
    EXPECT_EQ(rtl::DirectoryPart(c.path, kWindowsRules), c.singleByteDirectory) << c.path;
  }
}

TEST(PathRules, ExtractExtension) {
  struct Case {
    std::string name;
    std::string posix;
    std::string windows;
    std::string dbcsWindows;
  };
  const Case cases[] = {
      {"a.htm", ".htm", ".htm", ".htm"},
      {"README", "", "", ""},
      {".htm", ".htm", ".htm", ".htm"},
      {"a.htm.bak", ".bak", ".bak", ".bak"},
      {"a.", ".", ".", "."},
      {"", "", "", ""},
      {"q.htm:x", ".htm:x", "", ""},
      {"d.x\\name", ".x\\name", "", ""},
      {"d.x/name", "", "", ""},
      {"a.b\\c.htm", ".htm", ".htm", ".htm"},
      // The trail byte 0x5C after the full stop is no separator where the
      // code page has double-byte characters.
      {"a.htm\x83\x5C", ".htm\x83\x5C", "", ".htm\x83\x5C"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(rtl::ExtractExtension(c.name, kPosixRules), c.posix) << c.name;
    EXPECT_EQ(rtl::ExtractExtension(c.name, kWindowsRules), c.windows) << c.name;
    EXPECT_EQ(rtl::ExtractExtension(c.name, kDbcsWindowsRules), c.dbcsWindows) << c.name;
  }
}

TEST(PathRules, IsPageName) {
  struct Case {
    const char* name;
    bool posix;
    bool windows;
  };
  const Case cases[] = {
      {"a.htm", true, true},      {"a.Html", true, true},    {"a.php", true, true},       {"a.php3", true, true},
      {"a.htmx", true, true},     {".htm", true, true},      {"A.HTM", true, true},       {"a.pHp5", true, true},
      {"a.phtml", false, false},  {"a.xhtml", false, false}, {"a.htm.bak", false, false}, {"a.asp", false, false},
      {"README", false, false},   {"a.ht", false, false},    {"htm", false, false},       {"a.ph", false, false},
      {"a.htm ", true, true},     {"a. htm", false, false},  {"q.htm:x", true, false},    {"x.php\\y", true, false},
      {"a.\xC8TM", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(rtl::IsPageName(c.name, kPosixRules), c.posix) << c.name;
    EXPECT_EQ(rtl::IsPageName(c.name, kWindowsRules), c.windows) << c.name;
  }
}

TEST(PathRules, UpperAsciiChangesOnlyAtoZ) {
  EXPECT_EQ(rtl::UpperAscii("abz.AZ@[`{\xE4\xFF"), "ABZ.AZ@[`{\xE4\xFF");
  EXPECT_EQ(rtl::UpperAscii(std::string("a\0b", 3)), std::string("A\0B", 3));
}

TEST(PathRules, HasWildCards) {
  EXPECT_TRUE(rtl::HasWildCards("*.htm"));
  EXPECT_TRUE(rtl::HasWildCards("page?.htm"));
  EXPECT_FALSE(rtl::HasWildCards("[ab].htm"));
  EXPECT_FALSE(rtl::HasWildCards(""));
}

TEST(PathRules, WildMatch) {
  struct Case {
    const char* pattern;
    const char* name;
    bool match;
  };
  const Case cases[] = {
      {"*", "abc", true},
      {"*", "", true},
      {"**", "x", true},
      {"*.*", "README", true},  // names without a full stop too
      {"*.*", "a.htm", true},
      {"*.*", ".git", true},
      {"*.htm", "a.htm", true},
      {"*.htm", "A.HTM", true},
      {"*.HTM", "a.htm", true},
      {"*.htm", "a.html", false},
      {"*.htm", "a.htm.bak", false},
      {"*.htm*", "a.html", true},
      {"*.htm", ".htm", true},
      {"?.htm", "a.htm", true},
      {"?.htm", "ab.htm", false},
      {"?.htm", ".htm", false},
      {"page?.htm", "page1.htm", true},
      {"page?.htm", "page.htm", false},
      {"*?", "", false},
      {"*?", "a", true},
      {"a*", "a", true},
      {"*b", "aaab", true},
      {"*a*b", "xaxb", true},
      {"*a*b", "xaxbx", false},
      {"a*b*c", "abbbcbc", true},
      {"abc", "abc", true},
      {"abc", "abd", false},
      {"abc", "ab", false},
      {"ab", "abc", false},
      {"", "", true},
      {"", "a", false},
      {"[ab].htm", "[ab].htm", true},  // "[" is an ordinary byte
      {"[ab].htm", "a.htm", false},
      {"\xE4.htm", "\xC4.htm", false},  // only ASCII letters ignore case
      {"\xE4.htm", "\xE4.HTM", true},
      {"@.htm", "`.htm", false},  // no case folding outside a-z
      {"a.*", "a", true},         // a trailing ".*" may match nothing
      {"a.*", "a.b", true},
      {"a.*", "ab", false},
      {"*.htm.*", "a.htm", true},
      {"*.htm.*", "a.htm.bak", true},
      {"*.htm.*", "a.html", false},
  };
  for (const Case& c : cases) EXPECT_EQ(rtl::WildMatch(c.pattern, c.name), c.match) << c.pattern << " / " << c.name;
}

// Plain recursive matching, exponential but obviously right on short texts.
bool ModelMatch(std::string_view p, std::string_view s) {
  if (p.empty()) return s.empty();
  if (p[0] == '*') return ModelMatch(p.substr(1), s) || (!s.empty() && ModelMatch(p, s.substr(1)));
  if (s.empty()) return false;
  const auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
  return (p[0] == '?' || upper(p[0]) == upper(s[0])) && ModelMatch(p.substr(1), s.substr(1));
}

TEST(PathRules, WildMatchAgreesWithPlainMatchingOnRandomNames) {
  const char patternBytes[] = {'a', 'A', 'b', '.', '*', '?'};
  const char nameBytes[] = {'a', 'A', 'b', '.'};
  std::mt19937 random(7);
  std::uniform_int_distribution<std::size_t> length(0, 7);
  std::uniform_int_distribution<std::size_t> pickPattern(0, sizeof patternBytes - 1);
  std::uniform_int_distribution<std::size_t> pickName(0, sizeof nameBytes - 1);
  for (int round = 0; round < 5000; ++round) {
    std::string pattern, name;
    for (std::size_t n = length(random); n > 0; --n) pattern += patternBytes[pickPattern(random)];
    for (std::size_t n = length(random); n > 0; --n) name += nameBytes[pickName(random)];
    const bool expected = ModelMatch(pattern, name) ||
                          (pattern.ends_with(".*") && ModelMatch(pattern.substr(0, pattern.size() - 2), name));
    EXPECT_EQ(rtl::WildMatch(pattern, name), expected) << pattern << " / " << name;
  }
}

TEST(PathRules, WildMatchWithManyStarsStaysFast) {
  // A backtracking matcher that retries every "*" at every position would
  // not finish these within the age of the machine; the match must stay
  // close to linear.
  std::string pattern;
  for (int i = 0; i < 40; ++i) pattern += "*a";
  const std::string noMatch = pattern + "b";
  const std::string name(200, 'a');
  EXPECT_TRUE(rtl::WildMatch(pattern, name));
  EXPECT_FALSE(rtl::WildMatch(noMatch, name));
  EXPECT_FALSE(rtl::WildMatch(noMatch + ".*", name));
  EXPECT_TRUE(rtl::WildMatch(pattern + ".*", name));
}

TEST(PathRules, NameLess) {
  struct Case {
    std::string a;
    std::string b;
    bool less;
  };
  // clang-format off
  const Case cases[] = {
      {"a", "B", true},   // by the upper-cased bytes, not the raw ones
      {"B", "a", false},
      {"A", "a", true},   // a tie is broken by the raw bytes
      {"a", "A", false},
      {"a", "a", false},
      {"ab", "abc", true},
      {"abc", "ab", false},
      {"a", "_x", true},  // "A" (0x41) before "_" (0x5F), though "a" is 0x61
      {"\xC4", "\xE4", true},  // no case folding above 127
      {"z", "\x80", true},     // bytes compare unsigned
      {"\x80", "z", false},
      {"", "a", true},
      {"", "", false},
  };
  // clang-format on
  for (const Case& c : cases) EXPECT_EQ(rtl::NameLess(c.a, c.b), c.less) << c.a << " < " << c.b;

  std::vector<std::string> names = {"b.htm", "\x80", "a.htm", "Z", "_x", "A.htm", "sub", "Sub"};
  std::sort(names.begin(), names.end(), [](const std::string& x, const std::string& y) { return rtl::NameLess(x, y); });
  const std::vector<std::string> sorted = {"A.htm", "a.htm", "b.htm", "Sub", "sub", "Z", "_x", "\x80"};
  EXPECT_EQ(names, sorted);
}

}  // namespace
