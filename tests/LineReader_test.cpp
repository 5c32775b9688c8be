#include "rtl/LineReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "rtl/Failure.h"
#include "rtl/TextBlock.h"

namespace {

using namespace std::string_literals;
using Lines = std::vector<std::string>;

struct Case {
  std::string input;
  Lines lines;
};

// Every case runs with sources that deliver these many bytes per read, and
// readers with these buffer sizes, so that every byte falls on a block
// boundary in some run.
constexpr std::size_t kWhole = static_cast<std::size_t>(-1);
const std::size_t kChunks[] = {1, 2, 3, 7, 128, kWhole};
const std::size_t kBuffers[] = {1, 2, 3, 5, rtl::LineReader::kDefaultBufferSize};

Lines ReadAll(const std::string& input, std::size_t chunk, std::size_t buffer, bool trim) {
  rtl::MemorySource source(input, chunk);
  rtl::LineReader reader(source, buffer);
  Lines lines;
  while (!reader.AtEnd()) {
    rtl::TextBlock line;
    reader.AppendLine(line, trim);
    lines.push_back(line.Str());
  }
  return lines;
}

void ExpectLines(const Case& c, bool trim) {
  for (const std::size_t chunk : kChunks) {
    for (const std::size_t buffer : kBuffers) {
      EXPECT_EQ(ReadAll(c.input, chunk, buffer, trim), c.lines)
          << "input " << ::testing::PrintToString(c.input) << ", chunk " << chunk << ", buffer " << buffer;
    }
  }
}

TEST(LineReader, Lines) {
  const Case cases[] = {
      {"", {}},
      {"\n", {""}},
      {"\r\n", {""}},
      {"a", {"a"}},
      {"a\nb", {"a", "b"}},
      {"a\nb\n", {"a", "b"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\n\nb\n", {"a", "", "b"}},
      {"a\r\n\r\n", {"a", ""}},
      // A CR that no LF follows is dropped: it neither ends the line nor stays.
      {"a\rb\n", {"ab"}},
      {"ab\rcd\r\nef", {"abcd", "ef"}},
      {"a\r", {"a"}},
      {"\r", {""}},
      {"a\r\r\nb", {"a", "b"}},
      {"a\r\r\r", {"a"}},
      {"\r\r\n\r", {"", ""}},
      // Ctrl-Z at the start of the input or of a line ends the input.
      {"\x1a", {}},
      {"\x1axyz\n", {}},
      {"a\n\x1azz\nc", {"a"}},
      {"a\r\n\x1a", {"a"}},
      {"\n\x1a", {""}},
      // Elsewhere it is an ordinary byte, also after a dropped CR.
      {"x\x1ay\n", {"x\x1ay"}},
      {"a\x1a", {"a\x1a"}},
      {"a\n\r\x1az", {"a", "\x1az"}},
      {" \x1a\n", {" \x1a"}},
      // NUL bytes are data.
      {"a\0b\n\0"s, {"a\0b"s, "\0"s}},
      {"\0\0\n"s, {"\0\0"s}},
  };
  for (const Case& c : cases) ExpectLines(c, false);
}

// The rules in their plainest form, to check the reader against on many
// inputs: lines up to each LF, CRs removed, a Ctrl-Z at a line start ends it.
Lines ModelLines(const std::string& input, bool trim) {
  Lines lines;
  std::size_t i = 0;
  while (i < input.size() && input[i] != '\x1a') {
    std::size_t lf = input.find('\n', i);
    if (lf == std::string::npos) lf = input.size();
    std::string line;
    for (std::size_t k = i; k < lf; ++k) {
      if (input[k] != '\r') line += input[k];
    }
    if (trim) {
      const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
      while (!line.empty() && blank(line.back())) line.pop_back();
      std::size_t first = 0;
      while (first < line.size() && blank(line[first])) ++first;
      line.erase(0, first);
    }
    lines.push_back(line);
    i = lf + 1;
  }
  return lines;
}

TEST(LineReader, AgreesWithTheRulesOnRandomInputs) {
  const char alphabet[] = {'a', 'b', ' ', '\t', '\r', '\n', '\x1a', '\0', '\xA0'};
  std::mt19937 random(20261211);
  std::uniform_int_distribution<std::size_t> length(0, 24);
  std::uniform_int_distribution<std::size_t> pick(0, sizeof alphabet - 1);
  for (int round = 0; round < 300; ++round) {
    std::string input;
    for (std::size_t n = length(random); n > 0; --n) input += alphabet[pick(random)];
    for (const bool trim : {false, true}) ExpectLines({input, ModelLines(input, trim)}, trim);
  }
}

TEST(LineReader, LongLineAcrossBlocks) {
  std::string line;
  for (int i = 0; i < 1000; ++i) line += static_cast<char>('a' + i % 26);
  ExpectLines({line + "\r\n" + line + "\r" + line, {line, line + line}}, false);
}

TEST(LineReader, TrimmedLines) {
  // clang-format off
  const Case cases[] = {
      {"  a b  \n", {"a b"}},
      {"\t\x01x\x1f \r\n", {"x"}},
      {"   \n\tx\n", {"", "x"}},
      {"  \r  ab c \r\n", {"ab c"}},
      {"  a\rb  ", {"ab"}},
      {" \x1a a\n", {"a"}},  // a Ctrl-Z after the line start is trimmed like any control byte
      {"\0 x \0"s, {"x"}},
      {"\xA0x\xA0", {"\xA0x\xA0"}},  // bytes above 127 are not trimmed
      {"a \x7f", {"a \x7f"}},
  };
  // clang-format on
  for (const Case& c : cases) ExpectLines(c, true);
}

TEST(LineReader, TrimLeavesTextBeforeTheLineAlone) {
  // The page reader appends line after line to one block, each followed by
  // a space; trimming a blank line must not eat into what came before.
  for (const std::size_t chunk : kChunks) {
    rtl::MemorySource source(" \t \nsecond  \n", chunk);
    rtl::LineReader reader(source, 2);
    rtl::TextBlock text("first ");
    reader.AppendLine(text, true);
    text.Append(' ');
    reader.AppendLine(text, true);
    text.Append(' ');
    EXPECT_EQ(text.Str(), "first  second ") << chunk;
    EXPECT_TRUE(reader.AtEnd());
  }
}

TEST(LineReader, ReadLine) {
  rtl::MemorySource source("one\r\ntwo");
  rtl::LineReader reader(source);
  EXPECT_EQ(reader.ReadLine(), "one");
  EXPECT_EQ(reader.ReadLine(), "two");
  EXPECT_TRUE(reader.AtEnd());
}

// Delivers its bytes, then fails every read with its code.
class FailingSource final : public rtl::ByteSource {
 public:
  FailingSource(std::string bytes, rtl::FailureCode code) : bytes_(std::move(bytes)), code_(code) {}
  rtl::FailureCode Read(char* buffer, std::size_t size, std::size_t& got) override {
    got = 0;
    if (bytes_.empty()) return code_;
    got = std::min(size, bytes_.size());
    std::memcpy(buffer, bytes_.data(), got);
    bytes_.erase(0, got);
    return 0;
  }

 private:
  std::string bytes_;
  rtl::FailureCode code_;
};

TEST(LineReader, FailingSourceRaisesItsCode) {
  const rtl::FailureCode codes[] = {5, 23, 1005};
  for (const rtl::FailureCode code : codes) {
    {
      FailingSource source("", code);
      rtl::LineReader reader(source);
      try {
        reader.AtEnd();
        ADD_FAILURE() << "no failure at the first read, code " << code;
      } catch (const rtl::Failure& failure) {
        EXPECT_EQ(failure.Kind(), rtl::FailureKind::InOutError);
        EXPECT_EQ(failure.Code(), code);
      }
    }
    {
      // The failure comes in the middle of a line.
      FailingSource source("abc", code);
      rtl::LineReader reader(source, 2);
      ASSERT_FALSE(reader.AtEnd());
      rtl::TextBlock line;
      try {
        reader.AppendLine(line, false);
        ADD_FAILURE() << "no failure inside the line, code " << code;
      } catch (const rtl::Failure& failure) {
        EXPECT_EQ(failure.Code(), code);
      }
    }
  }
}

}  // namespace
