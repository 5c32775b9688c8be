// From the template to database.js: its lines, each ended by CR LF, the
// entry block in place of the first "$DataBase$", the count in place of the
// first "$RecordCount$" of the template's own text, and one more line end.
#include <gtest/gtest.h>

#include "Harness.h"

namespace e2e {
namespace {

using namespace std::string_literals;

// The page every case indexes, and what it gives.
constexpr std::string_view kPage = "<p>First entry</p><p>Second entry</p>\n";
const std::string kEntries = Entry(0, "First entry", "p.htm") + Entry(1, "Second entry", "p.htm");

struct TemplateCase {
  const char* name;
  // Failures name the case rather than dump its bytes.
  friend void PrintTo(const TemplateCase& c, std::ostream* os) { *os << c.name; }
  std::string templateText;
  std::string output;
};

class TemplateFill : public testing::TestWithParam<TemplateCase> {};

TEST_P(TemplateFill, WritesThisOutput) {
  const TemplateCase& c = GetParam();
  Sandbox box;
  box.WriteTemplate(c.templateText);
  box.Write("p.htm", kPage);

  const RunResult run = box.Run({"p.htm"});

  EXPECT_EQ(run.status, 0);
  // The count is reported whether the template takes it or not.
  EXPECT_EQ(run.out, PageLine("p.htm", 2) + TotalLine(2));
  EXPECT_EQ(box.Read("database.js"), c.output);
}

const std::string E = kEntries;

INSTANTIATE_TEST_SUITE_P(
    Cases, TemplateFill,
    testing::Values(
        TemplateCase{"CountBefore", "$RecordCount$\n$DataBase$\n", "2\r\n" + E + "\r\n\r\n"},
        TemplateCase{"CountAfter", "$DataBase$\n$RecordCount$\n", E + "\r\n2\r\n\r\n"},
        TemplateCase{"BothOnOneLine", "[$DataBase$$RecordCount$]\n", "[" + E + "2]\r\n\r\n"},
        TemplateCase{"NoDataBase", "count $RecordCount$\nend\n", "count 2\r\nend\r\n\r\n"},
        TemplateCase{"NoPlaceholders", "plain\n", "plain\r\n\r\n"},
        TemplateCase{"TwoDataBase", "$DataBase$\n--\n$DataBase$\n", E + "\r\n--\r\n$DataBase$\r\n\r\n"},
        TemplateCase{"TwoCounts", "$RecordCount$ $RecordCount$\n", "2 $RecordCount$\r\n\r\n"},
        TemplateCase{"LowerCase", "n=$recordcount$;\n$database$\n", "n=2;\r\n" + E + "\r\n\r\n"},
        TemplateCase{"MixedCase", "$dAtAbAsE$ $RECORDcount$\n", E + " 2\r\n\r\n"},
        TemplateCase{"CaseOfTheRestKept", "Var N = $RecordCount$; // Keep\n", "Var N = 2; // Keep\r\n\r\n"},
        TemplateCase{"DollarsAround", "$$DataBase$$\n", "$" + E + "$\r\n\r\n"},
        TemplateCase{"IncompletePlaceholders", "$DataBase $Record Count$\n", "$DataBase $Record Count$\r\n\r\n"},
        TemplateCase{"PlaceholdersAcrossLineEnds", "$Data\nBase$ $Record\r\nCount$\n",
                     "$Data\r\nBase$ $Record\r\nCount$\r\n\r\n"},
        TemplateCase{"Empty", "", "\r\n"},
        TemplateCase{"OnlyALineEnd", "\n", "\r\n\r\n"},
        TemplateCase{"LastLineWithoutLineEnd", "a\n$DataBase$", "a\r\n" + E + "\r\n\r\n"},
        TemplateCase{"LfAndCrLfLines", "a\r\nb\nc\r\n\n", "a\r\nb\r\nc\r\n\r\n\r\n"},
        TemplateCase{"LoneCrDropped", "a\rb\r\r\n", "ab\r\n\r\n"},
        TemplateCase{"CtrlZAtALineStart", "a\n\x1a$DataBase$\nb\n", "a\r\n\r\n"},
        TemplateCase{"CtrlZFirst", "\x1a$DataBase$\n", "\r\n"},
        TemplateCase{"CtrlZInsideALine", "a\x1a$RecordCount$\n", "a\x1a" "2\r\n\r\n"},
        // Neither search stops at a zero byte.
        TemplateCase{"ZeroBytes", "x\0$RecordCount$\0\n\0$DataBase$\n"s,
                     "x\0"s + "2" + "\0\r\n\0"s + E + "\r\n\r\n"},
        TemplateCase{"HighBytesUnchanged", "\xe9\xff $DataBase$ \x80\n", "\xe9\xff " + E + " \x80\r\n\r\n"}),
    [](const auto& p) { return std::string(p.param.name); });

// Text from the pages is never searched for a placeholder: the count goes
// into the template's own "$RecordCount$", wherever it stands, and entries
// that hold placeholder text keep it.
struct PageTextCase {
  const char* name;
  friend void PrintTo(const PageTextCase& c, std::ostream* os) { *os << c.name; }
  std::string templateText;
  std::string page;
  std::string output;
};

class PlaceholdersInPages : public testing::TestWithParam<PageTextCase> {};

TEST_P(PlaceholdersInPages, AreNotReplaced) {
  const PageTextCase& c = GetParam();
  Sandbox box;
  box.WriteTemplate(c.templateText);
  box.Write("p.htm", c.page);

  const RunResult run = box.Run({"p.htm"});

  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, PageLine("p.htm", 2) + TotalLine(2));
  EXPECT_EQ(box.Read("database.js"), c.output);
}

const std::string kPlaceholderPage = "<p>Count is $RecordCount$ here</p><p>Base is $database$ here</p>\n";
const std::string kPlaceholderEntries =
    Entry(0, "Count is $RecordCount$ here", "p.htm") + Entry(1, "Base is $database$ here", "p.htm");
// "Wide" and "Text", two bytes per character: entries with zero bytes.
const std::string kWidePage = "<\0p\0>\0W\0i\0d\0e\0<\0/\0p\0>\0<\0p\0>\0T\0e\0x\0t\0<\0/\0p\0>\0"s;
const std::string kWideEntries = Entry(0, "W\0i\0d\0e"s, "p.htm") + Entry(1, "T\0e\0x\0t"s, "p.htm");

INSTANTIATE_TEST_SUITE_P(
    Cases, PlaceholdersInPages,
    testing::Values(
        PageTextCase{"CountAfter", "$DataBase$\nvar n = $RecordCount$;\n", kPlaceholderPage,
                     kPlaceholderEntries + "\r\nvar n = 2;\r\n\r\n"},
        PageTextCase{"CountBefore", "var n = $RecordCount$;\n$DataBase$\n", kPlaceholderPage,
                     "var n = 2;\r\n" + kPlaceholderEntries + "\r\n\r\n"},
        PageTextCase{"NoCountInTheTemplate", "$DataBase$\n", kPlaceholderPage, kPlaceholderEntries + "\r\n\r\n"},
        PageTextCase{"ZeroBytesHideNothing", "$DataBase$\nvar n = $RecordCount$;\n", kWidePage,
                     kWideEntries + "\r\nvar n = 2;\r\n\r\n"},
        PageTextCase{"ZeroBytesCountBefore", "var n = $RecordCount$;\n$DataBase$\n", kWidePage,
                     "var n = 2;\r\n" + kWideEntries + "\r\n\r\n"}),
    [](const auto& p) { return std::string(p.param.name); });

// A larger count stands in plain decimal, without grouping, in the total
// line and in the template alike.
TEST(TemplateFill, CountIsPlainDecimal) {
  Sandbox box;
  std::string page;
  std::string entries;
  for (int i = 0; i < 1234; ++i) {
    page += "<p>Entry " + std::to_string(i) + "</p>";
    entries += Entry(i, "Entry " + std::to_string(i), "p.htm");
  }
  box.Write("p.htm", page);
  const RunResult run = box.Run({"p.htm"});
  EXPECT_EQ(run.out, PageLine("p.htm", 1234) + TotalLine(1234));
  EXPECT_EQ(box.Read("database.js"), DefaultOutput(entries, 1234));
}

}  // namespace
}  // namespace e2e
