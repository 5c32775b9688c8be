// Failures that end the run: exit status 1, the failure report where it can
// be shown, and no database.js written or changed.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include "Harness.h"

namespace e2e {
namespace {

// Without a standard output that takes bytes, the first console write ends
// the run, and its report cannot be shown either; whatever the run would
// have printed, nothing is written.
struct NoConsoleCase {
  const char* name;
  // Failures name the case rather than dump its bytes.
  friend void PrintTo(const NoConsoleCase& c, std::ostream* os) { *os << c.name; }
  bool withTemplate;
  std::vector<std::string> arguments;
};

class NoConsole : public testing::TestWithParam<std::tuple<NoConsoleCase, Stdout>> {};

TEST_P(NoConsole, EndsTheRunWithStatusOne) {
  const auto& [c, mode] = GetParam();
  Sandbox box;
  if (!c.withTemplate) box.RemoveTemplate();
  box.Write("a.htm", "<p>Some text here</p>\n");
  box.Write("old/database.js", "left by an earlier run\n");
  box.Write("new/.keep", "");

  for (const char* folder : {"old", "new"}) {
    SCOPED_TRACE(folder);
    RunOptions options = InFolder(folder);
    options.stdoutMode = mode;
    std::vector<std::string> arguments;
    for (const std::string& a : c.arguments) arguments.push_back(Native("../") + a);
    const RunResult run = box.Run(arguments, options);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.signal, 0);
  }
  EXPECT_EQ(box.Read("old/database.js"), "left by an earlier run\n");
  EXPECT_EQ(box.List("old"), std::vector<std::string>{"database.js"});
  EXPECT_EQ(box.List("new"), std::vector<std::string>{".keep"});
  EXPECT_EQ(box.Read("a.htm"), "<p>Some text here</p>\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NoConsole,
    testing::Combine(testing::Values(NoConsoleCase{"TemplateMissing", false, {"a.htm"}},
                                     NoConsoleCase{"Usage", true, {}},
                                     NoConsoleCase{"PageFound", true, {"a.htm"}},
                                     NoConsoleCase{"NothingFound", true, {"missing.htm"}}),
                     testing::Values(Stdout::Closed, Stdout::DevFull)),
    [](const auto& p) {
      return std::string(std::get<0>(p.param).name) +
             (std::get<1>(p.param) == Stdout::Closed ? "_Closed" : "_FullDevice");
    });

// The report comes after what waits in the console's buffer, the same on a
// pipe as in a file; the unfinished page line stays unfinished.
TEST(FailureReport, FollowsTheBufferedLinesOnAPipe) {
  if (CurrentTarget().windows) GTEST_SKIP() << "folder named like the output";
  Sandbox box;
  std::string lines;
  for (int i = 0; i < 5; ++i) {
    const std::string name = "page" + std::to_string(i) + ".htm";
    box.Write(name, "<p>Some text here</p>\n");
    lines += PageLine(name, 1);
  }
  box.MakeFolder("database.js");

  for (const Stdout mode : {Stdout::File, Stdout::Pipe}) {
    const RunResult run = box.Run({"*.htm"}, StdoutTo(mode));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(MatchesFailureReport(run.out, lines, "EInOutError", "File access denied."))
        << testing::PrintToString(run.out);
  }
}

// True when the program under test was built with a sanitizer that
// reserves more address space than any small limit allows; its start-up
// routine is named in the file, linked in or imported.
bool IsSanitized() {
  const std::string program = ReadFile(CurrentTarget().program);
  for (const char* name : {"__asan_init", "__tsan_init", "__msan_init"}) {
    if (program.find(name) != std::string::npos) return true;
  }
  return false;
}

// A page larger than the memory the run may take ends it with the report of
// exhausted memory, right after the page's announcement.
TEST(OutOfMemory, EndsTheRunWithItsReport) {
  if (!CurrentTarget().launcher.empty() || CurrentTarget().windows) {
    GTEST_SKIP() << "an address-space limit would hold the launcher too";
  }
  if (IsSanitized()) GTEST_SKIP() << "a sanitized program needs more address space than the limit";
  constexpr rlim_t kLimit = rlim_t{16} << 20;
  Sandbox box;
  box.Write("a.htm", "<p>Small page</p>\n");
  box.Write("big.htm", "<p>" + std::string(24u << 20, 'x') + "</p>\n");
  box.Write("database.js", "left by an earlier run\n");
  RunOptions options;
  options.limits.emplace_back(RLIMIT_AS, kLimit);

  const RunResult run = box.Run({"a.htm", "big.htm", "a.htm"}, options);

  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(MatchesFailureReport(run.out, PageLine("a.htm", 1) + "Processing file \"big.htm\"...", "EOutOfMemory",
                                   "Out of memory."))
      << testing::PrintToString(run.out.substr(0, 300));
  EXPECT_EQ(box.Read("database.js"), "left by an earlier run\n");
  EXPECT_EQ(box.List(), (std::vector<std::string>{"a.htm", "big.htm", "database.js"}));
}

}  // namespace
}  // namespace e2e
