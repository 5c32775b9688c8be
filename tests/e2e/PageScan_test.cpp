// What the scan takes from a page's bytes: one page per case, the texts
// of its entries in order.
#include <gtest/gtest.h>

#include "Harness.h"

namespace e2e {
namespace {

struct ScanCase {
  const char* name;
  // Failures name the case rather than dump its bytes.
  friend void PrintTo(const ScanCase& c, std::ostream* os) { *os << c.name; }
  std::string page;
  std::vector<std::string> entries;  // as they stand in database.js
};

class PageScan : public testing::TestWithParam<ScanCase> {};

TEST_P(PageScan, GivesTheseEntries) {
  const ScanCase& c = GetParam();
  Sandbox box;
  box.Write("p.htm", c.page);

  const RunResult run = box.Run({"p.htm"});

  EXPECT_EQ(run.status, 0);
  const int count = static_cast<int>(c.entries.size());
  std::string entries;
  for (int i = 0; i < count; ++i) entries += Entry(i, c.entries[static_cast<std::size_t>(i)], "p.htm");
  if (count == 0) {
    EXPECT_EQ(run.out, PageLine("p.htm", 0) + std::string(kNothingFound));
    EXPECT_FALSE(box.Exists("database.js"));
  } else {
    EXPECT_EQ(run.out, PageLine("p.htm", count) + TotalLine(count));
    EXPECT_EQ(box.Read("database.js"), DefaultOutput(entries, count));
  }
}

const std::string kLongLine(200, 'w');

INSTANTIATE_TEST_SUITE_P(
    Cases, PageScan,
    testing::Values(
        ScanCase{"EmptyPage", "", {}},
        ScanCase{"OnlyALineEnd", "\r\n", {}},
        ScanCase{"NoTagAtAll", "Plenty of text\nbut not one tag\n", {}},
        ScanCase{"TextBeforeTheFirstTag", "Before the tag <p>After the tag", {"After the tag"}},
        ScanCase{"TagAtTheVeryStart", "<p>Starts here</p>", {"Starts here"}},
        ScanCase{"LessThanAtTheEnd", "<p>Last words<", {"Last words"}},
        ScanCase{"LessThanAloneAtTheEnd", "Some text <", {}},
        ScanCase{"TagWithoutClosingBracket", "<p>Kept text</p><a href=\"x\" Lost text here", {"Kept text"}},
        ScanCase{"SegmentsBetweenTags", "<p>One text<br>Two text</p>", {"One text", "Two text"}},
        ScanCase{"InnerSpacesStay", "<p>a   b\t\tc</p>", {"a   b\t\tc"}},
        ScanCase{"EndsTrimmed", "<p> \t\x01 Trimmed text \x1f\t </p>", {"Trimmed text"}},
        // Tag names and the skip tags.
        ScanCase{"Script", "<script>var secret = 1;</script>After the script", {"After the script"}},
        ScanCase{"StyleInAnyCase", "<StYlE>p { color: red }</style>Styled text", {"Styled text"}},
        ScanCase{"SeparatorsAroundTheName", "< \b\bscript\b>hidden text</ script >Shown text", {"Shown text"}},
        ScanCase{"LineEndBeforeTheName", "<\r\nscript >hidden text</script>", {}},
        ScanCase{"LineBreakAfterTheName", "<script\ntype=x>hidden text</script>", {}},
        ScanCase{"TabAfterTheName", "<script\ttype=x>var shown = 10;</script>", {"var shown = 10;"}},
        ScanCase{"SlashAfterTheName", "<script/>Shown after slash", {"Shown after slash"}},
        ScanCase{"SecondTagDecides", "<script><p>Shown text</p><p> <style> Hidden text", {"Shown text"}},
        ScanCase{"EmptyTagName", "<script><>After empty tag<  >After blank tag",
                 {"After empty tag", "After blank tag"}},
        ScanCase{"LessThanInsideAScript", "<script>if (a <b> 0) alert('big');</script>",
                 {"0) alert('big');"}},
        ScanCase{"LessThanInRunningText", "<p>Cats < dogs said Tom</p><p>Next one</p>", {"Cats", "Next one"}},
        ScanCase{"Comment", "<p>Start<!-- a <b>bold</b> comment -->End text",
                 {"Start", "bold", "comment -->End text"}},
        ScanCase{"CommentJoinedToItsWord", "<!--script-->Not skipped", {"Not skipped"}},
        ScanCase{"GreaterThanInAQuotedValue", "<a title=\"x > y\" href=\"z\">Link</a>",
                 {"y' href='z'>Link"}},
        ScanCase{"GreaterThanInText", "<p>a > b holds</p>", {"a > b holds"}},
        // The text test.
        ScanCase{"TwoCharacters", "<p>ab</p><p>abc</p>", {"abc"}},
        ScanCase{"AmpersandFirst", "<p>&nbsp;Hello there</p><p>Fish &amp; chips</p>", {"Fish &amp; chips"}},
        ScanCase{"RatioNineWithOne", "<p>1........</p><p>12.......</p><p>123......</p>", {"123......"}},
        ScanCase{"RatioFiveWithOne", "<p>a....</p><p>.....</p>", {"a...."}},
        ScanCase{"RatioSixWithOne", "<p>a.....</p><p>ab....</p>", {"ab...."}},
        ScanCase{"HighCodes", "<p>\x80\xbf\xa0</p><p>\xc0\x80\x80</p><p>\xbf\xbf\xbf</p><p>\xff\x80\x80</p>",
                 {"\xc0\x80\x80", "\xff\x80\x80"}},
        ScanCase{"DigitsAndLettersCount", "<p>9..</p><p>Z..</p><p>z..</p><p>@[`{</p>", {"9..", "Z..", "z.."}},
        ScanCase{"BlankSegment", "<p> \t\x01\x02 </p>", {}},
        // Lines.
        ScanCase{"LinesJoinWithOneSpace", "<p>Hello\nworld</p>", {"Hello world"}},
        ScanCase{"EmptyLineGivesTwoSpaces", "<p>Hello\n\nworld</p>", {"Hello  world"}},
        ScanCase{"BlankLineGivesTwoSpaces", "<p>Hello\n \t \nworld</p>", {"Hello  world"}},
        ScanCase{"IndentationGoes", "<p>\n    indented\n\t\tline\n</p>", {"indented line"}},
        ScanCase{"CrLfEndsALine", "<p>Hello\r\nworld\r\n</p>", {"Hello world"}},
        ScanCase{"LoneCrIsDropped", "<p>ab\rcd</p>\r<p>ef\r\r\ngh</p>", {"abcd", "ef gh"}},
        ScanCase{"TagAcrossLines", "<p\nclass=x>Broken tag", {"Broken tag"}},
        ScanCase{"LastLineWithoutLineEnd", "<p>one</p>\n<p>two", {"one", "two"}},
        ScanCase{"CtrlZAtALineStartEndsThePage", "<p>First line</p>\n\x1a<p>Never seen</p>\n<p>Nor this</p>\n",
                 {"First line"}},
        ScanCase{"CtrlZAfterIndentationStays", "<p>First line</p>\n  \x1a<p>Seen after all</p>\n",
                 {"First line", "Seen after all"}},
        ScanCase{"CtrlZInsideALineStays", "<p>Before\x1a" "after</p>", {"Before\x1a" "after"}},
        // A Ctrl-Z on a 128-byte boundary inside a line is no different.
        ScanCase{"CtrlZAtOffset128", "<p>" + std::string(125, 'x') + "\x1a" "tail</p>",
                 {std::string(125, 'x') + "\x1a" "tail"}},
        ScanCase{"ZeroBytesStay", std::string("<p>ab\0cd</p>", 12), {std::string("ab\0cd", 5)}},
        ScanCase{"LongLines", "<p>" + kLongLine + "\n" + kLongLine + "</p>", {kLongLine + " " + kLongLine}},
        // Escaping.
        ScanCase{"QuoteAndBackslash", "<p>Say \"hi\" to C:\\dir\\ and 'you'</p>",
                 {"Say 'hi' to C:\\\\dir\\\\ and 'you'"}},
        ScanCase{"CharacterReferenceLaterStays", "<p>Tom &amp; Jerry &#34;</p>", {"Tom &amp; Jerry &#34;"}}),
    [](const auto& p) { return std::string(p.param.name); });

// A page stored with two bytes per character gives entries with zero bytes
// in them, and they reach database.js as they are.
TEST(PageScan, TwoBytesPerCharacter) {
  Sandbox box;
  std::string page;
  for (const char c : std::string("<p>Wide</p>")) page += std::string{c, '\0'};
  box.Write("w.htm", page);

  const RunResult run = box.Run({"w.htm"});

  EXPECT_EQ(run.status, 0);
  // The segment is "\0W\0i\0d\0e\0" up to the next "<", with the zeros at
  // both ends trimmed.
  EXPECT_EQ(run.out, PageLine("w.htm", 1) + TotalLine(1));
  EXPECT_EQ(box.Read("database.js"), DefaultOutput(Entry(0, std::string("W\0i\0d\0e", 7), "w.htm"), 1));
}

// Entries are numbered on from the pages before, across a page that gives
// none and one that cannot be found.
TEST(PageScan, NumbersRunOnAcrossPages) {
  Sandbox box;
  box.Write("a.htm", "<p>Zero entry</p><p>One entry</p><p>Two entry</p>");
  box.Write("b.htm", "<p>no</p>");
  box.Write("c.htm", "<p>Three entry</p>");
  const RunResult run = box.Run({"a.htm", "b.htm", "gone.htm", "c.htm"});
  EXPECT_EQ(run.out, PageLine("a.htm", 3) + PageLine("b.htm", 0) + PageLine("c.htm", 1) + TotalLine(4));
  EXPECT_EQ(box.Read("database.js"),
            DefaultOutput(Entry(0, "Zero entry", "a.htm") + Entry(1, "One entry", "a.htm") +
                              Entry(2, "Two entry", "a.htm") + Entry(3, "Three entry", "c.htm"),
                          4));
}

}  // namespace
}  // namespace e2e
