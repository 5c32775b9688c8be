#include "rtl/Template.h"

#include <gtest/gtest.h>

#include <string>

#include "TestRules.h"

namespace {

using namespace std::string_literals;

std::string Fill(const std::string& templateText, const std::string& entries, const std::string& count,
                 const rtl::SystemRules& rules) {
  std::string out;
  for (const std::string_view piece : rtl::FillTemplate(templateText, entries, count, rules)) out += piece;
  return out;
}

struct Case {
  std::string templateText;
  std::string entries;
  std::string expected;  // with the count "6"
};

void ExpectFilled(const Case* begin, const Case* end, const rtl::SystemRules& rules) {
  for (const Case* c = begin; c != end; ++c) {
    EXPECT_EQ(Fill(c->templateText, c->entries, "6", rules), c->expected)
        << "template " << ::testing::PrintToString(c->templateText) << ", entries "
        << ::testing::PrintToString(c->entries);
  }
}

TEST(Template, Fill) {
  const Case cases[] = {
      {"var a;\r\n$DataBase$\r\nn = $RecordCount$;\r\n\r\n", "E\r\n", "var a;\r\nE\r\n\r\nn = 6;\r\n\r\n"},
      {"", "E", ""},
      {"no placeholders\r\n", "E", "no placeholders\r\n"},
      // Without "$DataBase$" only the count goes in.
      {"n = $RecordCount$;", "E", "n = 6;"},
      {"$DataBase$", "E", "E"},
      // Only the first occurrence of each is replaced.
      {"$DataBase$|$DataBase$", "E", "E|$DataBase$"},
      {"$DataBase$|$RecordCount$|$RecordCount$", "E", "E|6|$RecordCount$"},
      {"$RecordCount$|$RecordCount$", "E", "6|$RecordCount$"},
      // Letter case does not matter; the text around keeps its own.
      {"abc$database$xyz$recordcount$end", "E", "abcExyz6end"},
      {"$DATABASE$ $RECORDCOUNT$", "E", "E 6"},
      {"$dAtAbAsE$ $rEcOrDcOuNt$", "E", "E 6"},
      {"$Data Base$ $Record\r\nCount$", "E", "$Data Base$ $Record\r\nCount$"},
      {"$$DataBase$$", "E", "$E$"},
      // The count before the entry block.
      {"$RecordCount$|$DataBase$", "E", "6|E"},
      {"$RecordCount$|$DataBase$", "[$RecordCount$]", "6|[$RecordCount$]"},
      // The entry block comes from pages and is never searched: the count
      // goes into the template's own placeholder.
      {"$DataBase$|$RecordCount$", "[$RecordCount$]", "[$RecordCount$]|6"},
      {"$DataBase$|$RecordCount$", "[$recordcount$]", "[$recordcount$]|6"},
      {"$DataBase$", "[$RecordCount$]", "[$RecordCount$]"},
      {"$DataBase$|$DataBase$", "[$DataBase$]", "[$DataBase$]|$DataBase$"},
      // Nor does a placeholder form across the edges of the entry block.
      {"$Record$DataBase$t$", "Coun", "$RecordCount$"},
      // Zero bytes stop neither search.
      {"a\0$DataBase$\0$RecordCount$"s, "E", "a\0E\0006"s},
      {"$DataBase$|$RecordCount$", "K\0K"s, "K\0K|6"s},
      {"\0$RecordCount$\0"s, "E", "\0006\0"s},
      // An occurrence that overlaps the "$DataBase$" stretch does not count.
      {"$DataBase$RecordCount$", "E", "ERecordCount$"},
      {"$RecordCount$DataBase$", "E", "$RecordCountE"},
      {"$DataBase$RecordCount$ $RecordCount$", "E", "ERecordCount$ 6"},
      {"$RecordCount$DataBase$ $RecordCount$", "E", "$RecordCountE 6"},
  };
  ExpectFilled(std::begin(cases), std::end(cases), rtl::kPosixRules);
  ExpectFilled(std::begin(cases), std::end(cases), rtl::kWindowsRules);
}

TEST(Template, EmptyEntriesAndCount) {
  EXPECT_EQ(Fill("[$DataBase$][$RecordCount$]", "", "", rtl::kPosixRules), "[][]");
  EXPECT_EQ(Fill("$RecordCount$", "E", "-2147483648", rtl::kPosixRules), "-2147483648");
}

TEST(Template, DoubleByteTrailDoesNotStartAPlaceholder) {
  // After the lead byte 0x81 the "$" is the second byte of a character, so
  // no placeholder begins there; single-byte rules see one.
  struct DbcsCase {
    std::string templateText;
    std::string dbcs;
    std::string singleByte;
  };
  const DbcsCase cases[] = {
      {"\x81$DataBase$ $DataBase$", "\x81$DataBase$ [E]", "\x81[E] $DataBase$"},
      {"\x81$DataBase$", "\x81$DataBase$", "\x81[E]"},
      // Two lead bytes make one character: the "$" after them begins one.
      {"\x81\x81$DataBase$", "\x81\x81[E]", "\x81\x81[E]"},
      {"$DataBase$\x81$RecordCount$ $RecordCount$", "[E]\x81$RecordCount$ (6)", "[E]\x81(6) $RecordCount$"},
      {"\x81$RecordCount$$DataBase$", "\x81$RecordCount$[E]", "\x81(6)[E]"},
  };
  for (const DbcsCase& c : cases) {
    EXPECT_EQ(Fill(c.templateText, "[E]", "(6)", testing_rules::kDbcsWindowsRules), c.dbcs)
        << ::testing::PrintToString(c.templateText);
    EXPECT_EQ(Fill(c.templateText, "[E]", "(6)", rtl::kWindowsRules), c.singleByte)
        << ::testing::PrintToString(c.templateText);
  }
}

// A code page without letter case: upper-casing leaves every byte alone.
void NoCase(char*, std::size_t) {}

// A code page whose upper-casing also folds the Latin-1 small letters.
void LatinUpper(char* text, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    auto c = static_cast<unsigned char>(text[i]);
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) text[i] = static_cast<char>(c - 32);
  }
}

TEST(Template, SystemUpperCasingDecidesTheMatch) {
  constexpr rtl::SystemRules noCase{"\\/:", '\\', false, nullptr, NoCase};
  EXPECT_EQ(Fill("$database$ $DataBase$", "E", "6", noCase), "$database$ E");
  EXPECT_EQ(Fill("$recordcount$ $RecordCount$", "E", "6", noCase), "$recordcount$ 6");
  EXPECT_EQ(Fill("$database$ $DataBase$", "E", "6", rtl::kWindowsRules), "E $DataBase$");

  constexpr rtl::SystemRules latin{"\\/:", '\\', false, nullptr, LatinUpper};
  // The bytes outside the replaced stretch keep their case.
  EXPECT_EQ(Fill("\xE4$database$\xE4", "[E]", "6", latin), "\xE4[E]\xE4");
}

TEST(Template, FindPlaceholder) {
  const std::size_t npos = std::string_view::npos;
  EXPECT_EQ(rtl::FindPlaceholder("ab$database$", rtl::kDataBasePlaceholder, rtl::kPosixRules), 2u);
  EXPECT_EQ(rtl::FindPlaceholder("$DataBase", rtl::kDataBasePlaceholder, rtl::kPosixRules), npos);
  EXPECT_EQ(rtl::FindPlaceholder("", rtl::kDataBasePlaceholder, rtl::kPosixRules), npos);
  EXPECT_EQ(rtl::FindPlaceholder("x$DataBase$ $DataBase$", rtl::kDataBasePlaceholder, rtl::kPosixRules, 2), 12u);
  EXPECT_EQ(rtl::FindPlaceholder("\x81\x81$DataBase$", rtl::kDataBasePlaceholder, testing_rules::kDbcsWindowsRules, 1),
            2u);
}

}  // namespace
