#include "rtl/TextBlock.h"

#include <gtest/gtest.h>

#include <limits>
#include <new>
#include <string>
#include <utility>

namespace {

TEST(TextBlock, GrowthKeepsContent) {
  rtl::TextBlock block;
  std::string expected;
  EXPECT_TRUE(block.Empty());
  EXPECT_EQ(block.View(), "");
  // Single bytes and runs of every length, across many regrowths.
  for (int i = 0; i < 3000; ++i) {
    const char c = static_cast<char>(i % 251);
    block.Append(c);
    expected += c;
    const std::string run(static_cast<std::size_t>(i % 37), static_cast<char>('a' + i % 26));
    block.Append(run);
    expected += run;
  }
  EXPECT_EQ(block.Size(), expected.size());
  EXPECT_EQ(block.Str(), expected);

  // One append far larger than the block.
  const std::string big(100000, 'z');
  block.Append(big);
  expected += big;
  EXPECT_EQ(block.Str(), expected);
}

TEST(TextBlock, ReserveAndCommit) {
  rtl::TextBlock block("ab");
  char* room = block.Reserve(1000);
  room[0] = 'c';
  room[1] = 'd';
  block.Commit(2);
  EXPECT_EQ(block.Str(), "abcd");
}

TEST(TextBlock, Move) {
  rtl::TextBlock source("entries");
  rtl::TextBlock moved(std::move(source));
  EXPECT_EQ(moved.Str(), "entries");
  EXPECT_TRUE(source.Empty());  // NOLINT(bugprone-use-after-move): a moved-from block is empty
  source.Append("again");       // and still usable
  EXPECT_EQ(source.Str(), "again");

  rtl::TextBlock target("old text");
  target = std::move(moved);
  EXPECT_EQ(target.Str(), "entries");
  EXPECT_TRUE(moved.Empty());  // NOLINT(bugprone-use-after-move)
  target.Append('!');
  EXPECT_EQ(target.Str(), "entries!");
}

TEST(TextBlock, TruncateAndClear) {
  rtl::TextBlock block("first second");
  block.Truncate(5);
  EXPECT_EQ(block.Str(), "first");
  block.Append(" third");
  EXPECT_EQ(block.Str(), "first third");
  block.Truncate(0);
  EXPECT_TRUE(block.Empty());
  block.Append("x");
  block.Clear();
  EXPECT_EQ(block.Size(), 0u);
  block.Append(std::string_view("a\0b", 3));
  EXPECT_EQ(block.Str(), std::string("a\0b", 3));
}

TEST(TextBlock, ImpossibleSizeIsOutOfMemory) {
  // A request whose size cannot be represented must not wrap around into a
  // small allocation; the block stays as it was.
  rtl::TextBlock block("keep");
  EXPECT_THROW(block.Reserve(std::numeric_limits<std::size_t>::max()), std::bad_alloc);
  EXPECT_THROW(block.Reserve(std::numeric_limits<std::size_t>::max() - 2), std::bad_alloc);
  EXPECT_EQ(block.Str(), "keep");
}

}  // namespace
