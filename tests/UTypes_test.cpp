#include "UTypes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestRules.h"
#include "rtl/LineReader.h"
#include "rtl/TextBlock.h"

namespace {

using namespace std::string_literals;

// The entry block the scan must give for these segments (already escaped),
// numbered from `first`, all linking to `link`.
std::string EntryLines(const std::vector<std::string>& segments, int first, const std::string& link) {
  std::string out;
  int n = first;
  for (const std::string& segment : segments) {
    const std::string number = std::to_string(n++);
    out += "KeyString[" + number + "]= \"" + segment + "\";\r\n";
    out += "KeyLink[" + number + "]= \"" + link + "\";\r\n";
  }
  return out;
}

TEST(UTypes, ScanPageText) {
  struct Case {
    std::string pageText;  // as the page reader builds it: each line trimmed, then one space
    std::vector<std::string> segments;
  };
  const Case cases[] = {
      {"", {}},
      {" ", {}},
      {"Hello world without any tags at all ", {}},
      {"<p>Hello world</p> ", {"Hello world"}},
      // Text before the first "<" is never indexed.
      {"lead text here <p>Hello world</p> ", {"Hello world"}},
      {"<p>abc ", {"abc"}},
      {"<p>ab ", {}},
      // The final character is never looked at.
      {"<p>abcd", {"abc"}},
      {"<", {}},
      {"< ", {}},
      {"<p", {}},
      // A "<" as the last character starts a tag that finds nothing.
      {"<p>Hello world < ", {"Hello world"}},
      // A tag without ">" consumes the rest of the page.
      {"<p>Hello <b world and more text ", {"Hello"}},
      // Inner runs of spaces stay; the ends are trimmed.
      {"<p>  a  b   c  </p> ", {"a  b   c"}},
      {"<p> \t\x01 </p> ", {}},
      // Skip tags in any case, with separators before the name.
      {"<script>var x = 1;</script>After script ", {"After script"}},
      {"<SCRIPT>hidden text</SCRIPT>shown text ", {"shown text"}},
      {"<Style>p { color: red }</style>body text ", {"body text"}},
      {"< script>hidden text</script> ", {}},
      {"<script type=\"text/javascript\">hidden text</script> ", {}},
      {"<\bscript\b>hidden text ", {}},
      {"<script\n>hidden text ", {}},
      // A tab, "/" or any other byte after the name becomes part of it.
      {"<script\t>visible text ", {"visible text"}},
      {"<\tscript>visible text ", {"visible text"}},
      {"<script/>visible text ", {"visible text"}},
      {"<scripts>visible text ", {"visible text"}},
      // Two tags in a row: the second one's name decides.
      {"<script><b>bold text</b> ", {"bold text"}},
      {"<script> <b>bold text ", {"bold text"}},
      {"<b><script>code text</script> ", {}},
      {"<b> <script>code text ", {}},
      // An empty tag has no name, which is no skip tag.
      {"<script><>after empty ", {"after empty"}},
      {"<script>< \b >after blank ", {"after blank"}},
      // A "<" inside a script ends the dropped text; the tag it seems to begin
      // ends at the next ">", here inside a string.
      {"<script>if (a < b) x = \"1 > 0\";</script> ", {"0';"}},
      // Comments: the name is "!--" (joined to the first word), the comment
      // ends at its first ">".
      {"<!-- note -->after comment ", {"after comment"}},
      {"<!--<b>hidden</b>-->tail text ", {"hidden", "-->tail text"}},
      {"<!--x > y-->rest text ", {"y-->rest text"}},
      {"<!--script>text after ", {"text after"}},
      // A ">" in a quoted attribute value ends the tag.
      {"<a title=\"a>b c\">link text</a> ", {"b c'>link text"}},
      // Character references: dropped whole at the start, kept inside.
      {"<p>&nbsp;Hello world</p> ", {}},
      {"<p>Tom &amp; Jerry</p> ", {"Tom &amp; Jerry"}},
      // The ratio test.
      {"<p>1........</p> ", {}},
      {"<p>a....</p> ", {"a...."}},
      {"<p>\xC0..</p><p>\xBF..</p> ", {"\xC0.."}},
      // Escaping: '"' becomes "'", a backslash two; "'" stays.
      {"<p>say \"hi\" \\ now</p> ", {"say 'hi' \\\\ now"}},
      {"<p>it's fine</p> ", {"it's fine"}},
      // A segment may hold ">" and NUL bytes.
      {"<p>a > b\0c</p> "s, {"a > b\0c"s}},
      {"<p>first one<br>second one<p>third one ", {"first one", "second one", "third one"}},
  };
  for (const Case& c : cases) {
    rtl::TextBlock entries;
    const std::int32_t count = ScanPageText(c.pageText, 0, "docs/a.htm", entries);
    EXPECT_EQ(entries.Str(), EntryLines(c.segments, 0, "docs/a.htm")) << ::testing::PrintToString(c.pageText);
    EXPECT_EQ(count, static_cast<std::int32_t>(c.segments.size())) << ::testing::PrintToString(c.pageText);
  }
}

TEST(UTypes, ScanOfPageLines) {
  // The page as the page reader joins it: each line trimmed and followed by
  // one space, CRs without LF dropped, the input ended by a Ctrl-Z at the
  // start of a line.
  struct Case {
    std::string page;
    std::vector<std::string> segments;
  };
  const Case cases[] = {
      {"<p>Hello\r\n      world</p>\r\n", {"Hello world"}},
      {"<p>first part\n\n   second part</p>\n", {"first part  second part"}},
      {"<p>join\red here</p>", {"joined here"}},
      {"<p\r\n>after a broken tag\r\n", {"after a broken tag"}},
      {"<p>kept\r\n\x1a<p>never read\r\n", {"kept"}},
      {"<p>inside \x1a line</p>", {"inside \x1a line"}},
      {"\t<p>last line without end", {"last line without end"}},
      {"<p>ab\ncd</p>", {"ab cd"}},
  };
  for (const Case& c : cases) {
    rtl::MemorySource source(c.page, 3);
    rtl::LineReader reader(source, 4);
    rtl::TextBlock pageText;
    while (!reader.AtEnd()) {
      reader.AppendLine(pageText, true);
      pageText.Append(' ');
    }
    rtl::TextBlock entries;
    ScanPageText(pageText.View(), 0, "a.htm", entries);
    EXPECT_EQ(entries.Str(), EntryLines(c.segments, 0, "a.htm")) << ::testing::PrintToString(c.page);
  }
}

TEST(UTypes, ScanPageTextAppendsNumberedEntries) {
  rtl::TextBlock entries("previous\r\n");
  const std::int32_t count = ScanPageText("<p>Hello world</p><p>four</p><p>ab</p><p>last one ", 7, "x/y.htm", entries);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(entries.Str(),
            "previous\r\n"
            "KeyString[7]= \"Hello world\";\r\nKeyLink[7]= \"x/y.htm\";\r\n"
            "KeyString[8]= \"four\";\r\nKeyLink[8]= \"x/y.htm\";\r\n"
            "KeyString[9]= \"last one\";\r\nKeyLink[9]= \"x/y.htm\";\r\n");
}

TEST(UTypes, ScanPageTextOfAnEmptyView) {
  // An empty page gives a view with no data behind it at all.
  rtl::TextBlock page;
  rtl::TextBlock entries;
  EXPECT_EQ(ScanPageText(page.View(), 0, "a.htm", entries), 0);
  EXPECT_TRUE(entries.Empty());
}

TEST(UTypes, IsIndexableText) {
  struct Case {
    std::string text;
    bool indexable;
  };
  const Case cases[] = {
      {"", false},
      {"a", false},
      {"ab", false},
      {"abc", true},
      {"&ab", false},
      {"&amp; Hello world", false},
      {"a&b", true},
      {"...", false},
      {"a..", true},
      {"..a", true},
      {"a....", true},    // 5 characters, one counted
      {"a.....", false},  // 6 characters need two
      {"ab....", true},
      {"1........", false},  // 9 characters need three
      {"ab.......", false},
      {"abc......", true},
      {"9:/", true},
      {"0/:", true},
      {"Z@[", true},
      {"@[`", false},  // 64, 91, 96
      {"{..", false},  // 123
      {"z..", true},
      {"A..", true},
      {"\xC0..", true},
      {"\xFF..", true},
      {"\xBF..", false},
      {"\x80..", false},
      {"\xA0\xA0\xA0", false},
      {"\0\0a"s, true},
  };
  for (const Case& c : cases) EXPECT_EQ(IsIndexableText(c.text), c.indexable) << ::testing::PrintToString(c.text);
}

TEST(UTypes, EscapeText) {
  struct Case {
    std::string text;
    std::string escaped;
  };
  const Case cases[] = {
      {"", ""},
      {"plain", "plain"},
      {"a\"b", "a'b"},
      {"\"\"", "''"},
      {"a\\b", "a\\\\b"},
      {"\\\\", "\\\\\\\\"},
      {"it's", "it's"},
      {"&amp; <x>", "&amp; <x>"},
      {"a\0b\x7f\xff"s, "a\0b\x7f\xff"s},
      {"\"\\\"", "'\\\\'"},
  };
  for (const Case& c : cases) EXPECT_EQ(EscapeText(c.text), c.escaped) << c.text;
}

TEST(UTypes, MakeLink) {
  struct Case {
    std::string path;
    std::string posix;
    const char* windows;  // null where a Windows path cannot hold the bytes
  };
  const Case cases[] = {
      {"docs/intro.htm", "docs/intro.htm", "docs/intro.htm"},
      {"docs\\intro.htm", "docs%5Cintro.htm", "docs/intro.htm"},
      {"C:\\site\\p.htm", "C:%5Csite%5Cp.htm", "C:/site/p.htm"},
      {"C:page.htm", "C:page.htm", "C:page.htm"},
      {"a b%20&'.htm", "a b%20&'.htm", "a b%20&'.htm"},
      {"\x80\xFF.htm", "\x80\xFF.htm", "\x80\xFF.htm"},
      {"./a.htm", "./a.htm", "./a.htm"},
      {"a\"b.htm", "a%22b.htm", nullptr},
      {"x\x01y\x1az\x1f.htm", "x%01y%1Az%1F.htm", nullptr},
      {"\t\n\r.htm", "%09%0A%0D.htm", nullptr},
      {"x\x7f.htm", "x%7F.htm", nullptr},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MakeLink(c.path, rtl::kPosixRules), c.posix) << c.path;
    if (c.windows != nullptr) {
      EXPECT_EQ(MakeLink(c.path, rtl::kWindowsRules), c.windows) << c.path;
    }
  }
  // A double-byte character whose second byte is 0x5C stays whole.
  EXPECT_EQ(MakeLink("d\\\x83\x5C.htm", testing_rules::kDbcsWindowsRules), "d/\x83\x5C.htm");
  EXPECT_EQ(MakeLink("d\\\x83\x5C.htm", rtl::kWindowsRules), "d/\x83/.htm");
}

TEST(UTypes, IsSkipTag) {
  struct Case {
    std::string name;
    bool skip;
  };
  const Case cases[] = {
      {"SCRIPT", true},   {"STYLE", true},    {"script", false},    {"Script", false},
      {"SCRIPT ", false}, {"SCRIPTS", false}, {"SCRIP", false},     {"", false},
      {"/SCRIPT", false}, {"STYLE\t", false}, {"SCRIPT\0"s, false}, {"STYLESHEET", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsSkipTag(c.name), c.skip) << ::testing::PrintToString(c.name);
}

TEST(UTypes, Trim) {
  struct Case {
    std::string text;
    std::string trimmed;
  };
  const Case cases[] = {
      {"", ""},
      {"   ", ""},
      {" a ", "a"},
      {"\0\x01x y\x20\x1f"s, "x y"},
      {"!a!", "!a!"},
      {"\x7f a", "\x7f a"},
      {"\xA0x\xA0", "\xA0x\xA0"},  // bytes above 127 are not blanks
      {"\x80", "\x80"},
      {"a\tb", "a\tb"},
  };
  for (const Case& c : cases) EXPECT_EQ(Trim(c.text), c.trimmed) << ::testing::PrintToString(c.text);
}

}  // namespace
