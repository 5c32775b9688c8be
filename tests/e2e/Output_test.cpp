// How database.js is put in place: whole or not at all, through links to
// their target, keeping the file's permission bits and owner, and rewritten
// in place where it cannot be replaced.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "Harness.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kPage = "<p>Fresh entry</p>\n";
const std::string kNewOutput = DefaultOutput(Entry(0, "Fresh entry", "p.htm"), 1);
// Longer than what replaces it, so that a file rewritten in place shows
// whether it was emptied first.
const std::string kOldOutput = "// from an earlier run\n" + std::string(5000, 'o') + "\n";

struct stat StatOf(const fs::path& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st;
}

class OutputFile : public testing::Test {
 protected:
  void SetUp() override {
    if (CurrentTarget().windows) GTEST_SKIP() << "links, owners and permission bits of Linux";
    box_.Write("p.htm", kPage);
  }
  RunResult RunPage(const RunOptions& options = {}) { return box_.Run({"p.htm"}, options); }
  void NeedUser() {
    if (!CanSwitchUser()) GTEST_SKIP() << "needs root to run as another user";
    box_.OpenToAll();
  }
  Sandbox box_;
};

TEST_F(OutputFile, NewFileGetsTheUsualMode) {
  const mode_t old = ::umask(027);
  const RunResult run = RunPage();
  ::umask(old);
  EXPECT_EQ(run.out, PageLine("p.htm", 1) + TotalLine(1));
  EXPECT_EQ(box_.Read("database.js"), kNewOutput);
  EXPECT_EQ(StatOf(box_.At("database.js")).st_mode & 07777, 0640u);
  EXPECT_EQ(box_.List(), (std::vector<std::string>{"database.js", "p.htm"}));
}

TEST_F(OutputFile, ExistingFileKeepsItsModeAndOwner) {
  box_.Write("database.js", kOldOutput);
  ASSERT_EQ(::chmod(box_.At("database.js").c_str(), 0604), 0);
  if (CanSwitchUser()) {
    ASSERT_EQ(::chown(box_.At("database.js").c_str(), 65534, 65534), 0);
  }

  const RunResult run = RunPage();

  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(box_.Read("database.js"), kNewOutput);
  const struct stat st = StatOf(box_.At("database.js"));
  EXPECT_EQ(st.st_mode & 07777, 0604u);
  if (CanSwitchUser()) {
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
  }
  EXPECT_EQ(box_.List(), (std::vector<std::string>{"database.js", "p.htm"}));
}

// A link, or a chain of them, has its final target replaced; the links
// stay as they were, and no temporary is left beside either.
struct LinkCase {
  const char* name;
  // Failures name the case rather than dump its bytes.
  friend void PrintTo(const LinkCase& c, std::ostream* os) { *os << c.name; }
  std::vector<std::pair<std::string, std::string>> links;  // path, target
  std::string target;                                      // the file written
  bool targetExists;
};

class OutputThroughLinks : public testing::TestWithParam<LinkCase> {};

TEST_P(OutputThroughLinks, ReplaceTheTarget) {
  const LinkCase& c = GetParam();
  if (CurrentTarget().windows) GTEST_SKIP() << "symbolic links";
  Sandbox box;
  box.Write("p.htm", kPage);
  box.MakeFolder("out");
  if (c.targetExists) box.Write(c.target, kOldOutput);
  for (const auto& [path, target] : c.links) box.Link(path, target);
  const auto work = box.List();
  const auto out = box.List("out");

  const RunResult run = box.Run({"p.htm"});

  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, PageLine("p.htm", 1) + TotalLine(1));
  EXPECT_EQ(box.Read(c.target), kNewOutput);
  for (const auto& [path, target] : c.links) {
    EXPECT_TRUE(fs::is_symlink(box.At(path))) << path;
    EXPECT_EQ(fs::read_symlink(box.At(path)).string(), target) << path;
  }
  EXPECT_EQ(box.List(), work);
  auto expectedOut = out;
  if (!c.targetExists) {
    expectedOut.push_back(fs::path(c.target).filename().string());
    std::sort(expectedOut.begin(), expectedOut.end());
  }
  EXPECT_EQ(box.List("out"), expectedOut);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutputThroughLinks,
    testing::Values(LinkCase{"ToAFile", {{"database.js", "out/real.js"}}, "out/real.js", true},
                    LinkCase{"Chain", {{"database.js", "out/step.js"}, {"out/step.js", "real.js"}}, "out/real.js", true},
                    LinkCase{"ToNothingYet", {{"database.js", "out/new.js"}}, "out/new.js", false}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(OutputFile, LinkToAFolderIsAFolder) {
  box_.MakeFolder("out");
  box_.Link("database.js", "out");
  const RunResult run = RunPage();
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(MatchesFailureReport(run.out, PageLine("p.htm", 1), "EInOutError", "File access denied."))
      << testing::PrintToString(run.out);
  EXPECT_EQ(box_.List("out"), std::vector<std::string>{});
}

// A file with other hard links is rewritten in place, so that every name of
// it shows the new text.
TEST_F(OutputFile, FileWithOtherHardLinksIsRewrittenInPlace) {
  box_.Write("database.js", kOldOutput);
  fs::create_hard_link(box_.At("database.js"), box_.At("partner.js"));
  const ino_t inode = StatOf(box_.At("database.js")).st_ino;

  const RunResult run = RunPage();

  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(box_.Read("database.js"), kNewOutput);
  EXPECT_EQ(box_.Read("partner.js"), kNewOutput);
  EXPECT_EQ(StatOf(box_.At("database.js")).st_ino, inode);
  EXPECT_EQ(box_.List(), (std::vector<std::string>{"database.js", "p.htm", "partner.js"}));
}

// Where the user may write the file but not the folder, no temporary can be
// made, and the file is rewritten in place as before.
TEST_F(OutputFile, FolderWithoutWriteRightIsRewrittenInPlace) {
  NeedUser();
  box_.Write("database.js", kOldOutput);
  ASSERT_EQ(::chown(box_.At("database.js").c_str(), 65534, 65534), 0);
  fs::permissions(box_.Work(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                   fs::perms::others_read | fs::perms::others_exec);

  const RunResult run = RunPage(AsUser(kNobody));

  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, PageLine("p.htm", 1) + TotalLine(1));
  EXPECT_EQ(box_.Read("database.js"), kNewOutput);
  EXPECT_EQ(box_.List(), (std::vector<std::string>{"database.js", "p.htm"}));
}

// A database.js that cannot be replaced ends the run with the failure
// report; the old file stays byte for byte, and no temporary is left.
struct RefusedCase {
  const char* name;
  friend void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }
  void (*arrange)(const Sandbox&);
  bool asNobody;
};

void ReadOnlyForOthers(const Sandbox& box) {
  // The folder is open to all; the file belongs to root.
  box.Write("database.js", kOldOutput);
  fs::permissions(box.Work(), fs::perms::all);
}
void ReadOnlyForItsOwner(const Sandbox& box) {
  box.Write("database.js", kOldOutput);
  ASSERT_EQ(::chown(box.At("database.js").c_str(), 65534, 65534), 0);
  ASSERT_EQ(::chmod(box.At("database.js").c_str(), 0444), 0);
  fs::permissions(box.Work(), fs::perms::all);
}
void ReadOnlyInAClosedFolder(const Sandbox& box) {
  box.Write("database.js", kOldOutput);
  ASSERT_EQ(::chmod(box.At("database.js").c_str(), 0644), 0);
}
void FolderOfThatName(const Sandbox& box) { box.Write("database.js/inside.txt", kOldOutput); }

class RefusedOutput : public testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedOutput, EndsTheRunAndKeepsTheOldFile) {
  const RefusedCase& c = GetParam();
  if (CurrentTarget().windows) GTEST_SKIP() << "owners and permission bits of Linux";
  if (c.asNobody && !CanSwitchUser()) GTEST_SKIP() << "needs root to run as another user";
  Sandbox box;
  box.OpenToAll();
  box.Write("p.htm", kPage);
  c.arrange(box);
  const auto before = box.List();
  const std::string old = fs::is_directory(box.At("database.js")) ? box.Read("database.js/inside.txt")
                                                                  : box.Read("database.js");
  RunOptions options;
  if (c.asNobody) options.user = kNobody;

  const RunResult run = box.Run({"p.htm"}, options);

  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(MatchesFailureReport(run.out, PageLine("p.htm", 1), "EInOutError", "File access denied."))
      << testing::PrintToString(run.out);
  EXPECT_EQ(box.List(), before);
  if (fs::is_directory(box.At("database.js"))) {
    EXPECT_EQ(box.List("database.js"), std::vector<std::string>{"inside.txt"});
    EXPECT_EQ(box.Read("database.js/inside.txt"), old);
  } else {
    EXPECT_EQ(box.Read("database.js"), old);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, RefusedOutput,
                         testing::Values(RefusedCase{"ReadOnlyForOthers", ReadOnlyForOthers, true},
                                         RefusedCase{"ReadOnlyForItsOwner", ReadOnlyForItsOwner, true},
                                         RefusedCase{"ReadOnlyInAClosedFolder", ReadOnlyInAClosedFolder, true},
                                         RefusedCase{"FolderOfThatName", FolderOfThatName, false}),
                         [](const auto& p) { return std::string(p.param.name); });

// A folder the user may not write, with no database.js in it: nothing can
// be created there.
TEST_F(OutputFile, FolderWithoutWriteRightAndNoFile) {
  NeedUser();
  const RunResult run = RunPage(AsUser(kNobody));
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(MatchesFailureReport(run.out, PageLine("p.htm", 1), "EInOutError", "File access denied."))
      << testing::PrintToString(run.out);
  EXPECT_EQ(box_.List(), std::vector<std::string>{"p.htm"});
}

// A write that fails half-way (here at a file-size limit) leaves the old
// file whole and removes the temporary.
// A page of 300 entries, whose database.js is far above 4096 bytes.
std::string LargePage() {
  std::string page;
  for (int i = 0; i < 300; ++i) page += "<p>Entry number " + std::to_string(i) + "</p>";
  return page;
}
std::string LargeOutput() {
  std::string entries;
  for (int i = 0; i < 300; ++i) entries += Entry(i, "Entry number " + std::to_string(i), "p.htm");
  return DefaultOutput(entries, 300);
}

TEST_F(OutputFile, WriteThatFailsLeavesTheOldFileWhole) {
  box_.Write("p.htm", LargePage());
  box_.Write("database.js", kOldOutput.substr(0, 100));
  RunOptions options;
  options.limits.emplace_back(RLIMIT_FSIZE, 4096);

  const RunResult run = RunPage(options);

  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(MatchesFailureReport(run.out, PageLine("p.htm", 300), "EInOutError", "I/O error 112."))
      << testing::PrintToString(run.out);
  EXPECT_EQ(box_.Read("database.js"), kOldOutput.substr(0, 100));
  EXPECT_EQ(box_.List(), (std::vector<std::string>{"database.js", "p.htm"}));
}

TEST_F(OutputFile, WriteThatFailsInPlaceEndsTheRun) {
  box_.Write("p.htm", LargePage());
  box_.Write("database.js", kOldOutput.substr(0, 100));
  fs::create_hard_link(box_.At("database.js"), box_.At("partner.js"));
  RunOptions options;
  options.limits.emplace_back(RLIMIT_FSIZE, 4096);

  const RunResult run = RunPage(options);

  // Rewritten in place, the file holds what was written before the limit.
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(MatchesFailureReport(run.out, PageLine("p.htm", 300), "EInOutError", "I/O error 112."))
      << testing::PrintToString(run.out);
  EXPECT_EQ(box_.List(), (std::vector<std::string>{"database.js", "p.htm", "partner.js"}));
  EXPECT_EQ(box_.Read("database.js"), LargeOutput().substr(0, 4096));
  EXPECT_EQ(box_.Read("partner.js"), LargeOutput().substr(0, 4096));
}

}  // namespace
}  // namespace e2e
