// What the program prints in each way a run can end, byte for byte, and the
// exit status that goes with it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "Harness.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kTemplateMissing = "ERROR: file \"_database.js\" not found in the program folder!\r\n";
constexpr std::string_view kUsageLine =
    "USAGE: ZANTHOR.EXE <file1.htm> | <folder> [<file2.htm> | <folder> [<file3.htm> | <folder> [...]]]\r\n";

// Without a usable template nothing else happens: the arguments are not
// even looked at, so a call without them prints no usage, and a page named
// on the command line is not announced.
struct MissingTemplateCase {
  const char* name;
  // Failures name the case rather than dump its bytes.
  friend void PrintTo(const MissingTemplateCase& c, std::ostream* os) { *os << c.name; }
  void (*arrange)(const Sandbox&);
  std::vector<std::string> arguments;
};

void NoTemplate(const Sandbox& box) { box.RemoveTemplate(); }
void FolderAsTemplate(const Sandbox& box) {
  box.RemoveTemplate();
  fs::create_directory(box.Bin() / "_database.js");
  WriteFile(box.Bin() / "_database.js" / "x.js", "$DataBase$\n");
}
void TemplateOnlyInWork(const Sandbox& box) {
  box.RemoveTemplate();
  box.Write("_database.js", kTestTemplate);
}
void LinkToFolderAsTemplate(const Sandbox& box) {
  box.RemoveTemplate();
  fs::create_directory(box.Bin() / "templates");
  fs::create_directory_symlink("templates", box.Bin() / "_database.js");
}

class MissingTemplate : public testing::TestWithParam<MissingTemplateCase> {};

TEST_P(MissingTemplate, PrintsOnlyTheErrorLine) {
  const MissingTemplateCase& c = GetParam();
  if (c.arrange == LinkToFolderAsTemplate && CurrentTarget().windows) GTEST_SKIP() << "symbolic links";
  Sandbox box;
  box.Write("a.htm", "<p>Some text here</p>\n");
  c.arrange(box);
  const auto before = box.List();

  const RunResult run = box.Run(c.arguments);

  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, kTemplateMissing);
  EXPECT_EQ(box.List(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MissingTemplate,
    testing::Values(MissingTemplateCase{"NoArguments", NoTemplate, {}},
                    MissingTemplateCase{"WithAPage", NoTemplate, {"a.htm"}},
                    MissingTemplateCase{"FolderOfThatName", FolderAsTemplate, {"a.htm"}},
                    MissingTemplateCase{"FolderOfThatNameNoArguments", FolderAsTemplate, {}},
                    MissingTemplateCase{"LinkToAFolder", LinkToFolderAsTemplate, {"a.htm"}},
                    MissingTemplateCase{"OnlyInTheCurrentFolder", TemplateOnlyInWork, {"a.htm"}}),
    [](const auto& c) { return std::string(c.param.name); });

TEST(Template, IsFoundInTheProgramFolderFromAnyCurrentFolder) {
  Sandbox box;
  box.Write("deep/er/a.htm", "<p>Found it</p>\n");

  const RunResult run = box.Run({"a.htm"}, InFolder("deep/er"));

  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, PageLine("a.htm", 1) + TotalLine(1));
  EXPECT_EQ(box.Read("deep/er/database.js"), DefaultOutput(Entry(0, "Found it", "a.htm"), 1));
  EXPECT_FALSE(box.Exists("database.js"));
}

// The program's folder is that of its file as the system knows it, not of
// the path it was started by; the failure report names that file too.
TEST(Template, IsLookedUpBesideTheProgramFileNotBesideALinkToIt) {
  if (CurrentTarget().windows || !CurrentTarget().launcher.empty()) GTEST_SKIP() << "symbolic links";
  Sandbox box;
  box.Write("a.htm", "<p>Found it</p>\n");
  box.Link("tools/indexer", (box.Bin() / ModuleName()).string());
  RunOptions options;
  options.program = "tools/indexer";

  const RunResult run = box.Run({"a.htm"}, options);

  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, PageLine("a.htm", 1) + TotalLine(1));
  EXPECT_EQ(box.Read("database.js"), DefaultOutput(Entry(0, "Found it", "a.htm"), 1));

  fs::remove(box.At("database.js"));
  box.MakeFolder("database.js");
  const RunResult failed = box.Run({"a.htm"}, options);
  EXPECT_EQ(failed.status, 1);
  EXPECT_TRUE(MatchesFailureReport(failed.out, PageLine("a.htm", 1), "EInOutError", "File access denied."))
      << testing::PrintToString(failed.out);
}

TEST(Template, ThroughALinkIsUsed) {
  if (CurrentTarget().windows) GTEST_SKIP() << "symbolic links";
  Sandbox box;
  box.RemoveTemplate();
  box.Write("templates/site.js", "// site\n$DataBase$\n");
  fs::create_symlink(box.At("templates/site.js"), box.Bin() / "_database.js");
  box.Write("a.htm", "<p>Found it</p>\n");

  const RunResult run = box.Run({"a.htm"});

  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(box.Read("database.js"), "// site\r\n" + Entry(0, "Found it", "a.htm") + "\r\n\r\n");
}

// The usage: an empty line, the usage line as it reads on every platform,
// and one line that credits the author.
void ExpectUsage(const std::string& out) {
  const std::string head = "\r\n" + std::string(kUsageLine);
  ASSERT_GT(out.size(), head.size() + 2) << testing::PrintToString(out);
  EXPECT_EQ(out.substr(0, head.size()), head);
  const std::string credit = out.substr(head.size());
  EXPECT_TRUE(credit.ends_with("\r\n")) << testing::PrintToString(credit);
  const std::string text = credit.substr(0, credit.size() - 2);
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << testing::PrintToString(credit);
}

TEST(Usage, NoArgumentsPrintsTheUsageAndWritesNothing) {
  Sandbox box;
  box.Write("database.js", "old\n");
  box.Write("a.htm", "<p>Some text here</p>\n");

  const RunResult run = box.Run({});

  EXPECT_EQ(run.status, 0);
  ExpectUsage(run.out);
  EXPECT_EQ(box.Read("database.js"), "old\n");
}

TEST(Usage, EmptyArgumentsAreNoArguments) {
  Sandbox box;
  const RunResult run = box.Run({"", ""});
  EXPECT_EQ(run.status, 0);
  ExpectUsage(run.out);
  EXPECT_EQ(box.List(), std::vector<std::string>{});
}

TEST(Usage, IsTheSameOnADevice) {
  Sandbox box;
  // Written at once on a character device; only the status can be seen.
  EXPECT_EQ(box.Run({}, StdoutTo(Stdout::DevNull)).status, 0);
  const RunResult piped = box.Run({}, StdoutTo(Stdout::Pipe));
  EXPECT_EQ(piped.status, 0);
  ExpectUsage(piped.out);
}

// Runs that find no entry: the page lines, the closing line, and no
// database.js created or changed.
struct NothingFoundCase {
  const char* name;
  friend void PrintTo(const NothingFoundCase& c, std::ostream* os) { *os << c.name; }
  std::vector<std::pair<std::string, std::string>> files;
  std::vector<std::string> arguments;
  std::string out;
};

class NothingFound : public testing::TestWithParam<NothingFoundCase> {};

TEST_P(NothingFound, LeavesNoOutput) {
  const NothingFoundCase& c = GetParam();
  for (const bool existing : {false, true}) {
    SCOPED_TRACE(existing ? "database.js exists" : "no database.js");
    Sandbox box;
    for (const auto& [name, bytes] : c.files) box.Write(name, bytes);
    if (existing) box.Write("database.js", "left by an earlier run\n");
    const auto before = box.List();

    const RunResult run = box.Run(c.arguments);

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, c.out + std::string(kNothingFound));
    EXPECT_EQ(box.List(), before);
    if (existing) {
      EXPECT_EQ(box.Read("database.js"), "left by an earlier run\n");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NothingFound,
    testing::Values(
        NothingFoundCase{"NameThatMatchesNothing", {}, {"missing.htm"}, ""},
        NothingFoundCase{"WildCardThatMatchesNothing", {{"a.txt", "<p>Not a page</p>"}}, {"*.htm"}, ""},
        NothingFoundCase{"FileThatIsNoPage", {{"notes.txt", "<p>Not a page</p>"}}, {"notes.txt"}, ""},
        NothingFoundCase{"FolderWithoutPages", {{"site/sub/x.txt", "<p>Not a page</p>"}}, {"site"}, ""},
        NothingFoundCase{"EmptyPage", {{"a.htm", ""}}, {"a.htm"}, PageLine("a.htm", 0)},
        NothingFoundCase{"PagesWithoutEntries",
                         {{"a.htm", "text without tags"}, {"b.htm", "<p>ab</p><script>var x = 1;</script>"}},
                         {"a.htm", "b.htm", "c.htm"},
                         PageLine("a.htm", 0) + PageLine("b.htm", 0)}),
    [](const auto& c) { return std::string(c.param.name); });

// When nothing is found the template is never opened, so a template that
// cannot be read goes unnoticed.
TEST(NothingFound, DoesNotReadTheTemplate) {
  if (CurrentTarget().windows) GTEST_SKIP() << "symbolic links and permissions";
  {
    SCOPED_TRACE("a link that leads nowhere");
    Sandbox box;
    box.RemoveTemplate();
    fs::create_symlink("gone.js", box.Bin() / "_database.js");
    box.Write("a.htm", "nothing to index\n");
    const RunResult run = box.Run({"a.htm"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, PageLine("a.htm", 0) + std::string(kNothingFound));
  }
  if (!CanSwitchUser()) GTEST_SKIP() << "needs root to run as another user";
  {
    SCOPED_TRACE("a template the user may not read");
    Sandbox box;
    box.OpenToAll();
    fs::permissions(box.Bin() / "_database.js", fs::perms::none);
    box.Write("a.htm", "nothing to index\n");
    const RunResult run = box.Run({"a.htm"}, AsUser(kNobody));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, PageLine("a.htm", 0) + std::string(kNothingFound));
  }
}

// ... while with entries found, the same template ends the run with the
// failure report after the page lines, and nothing is written.
TEST(FoundEntries, TemplateThatCannotBeReadEndsTheRun) {
  if (CurrentTarget().windows) GTEST_SKIP() << "symbolic links and permissions";
  {
    SCOPED_TRACE("a link that leads nowhere");
    Sandbox box;
    box.RemoveTemplate();
    fs::create_symlink("gone.js", box.Bin() / "_database.js");
    box.Write("a.htm", "<p>Some text here</p>\n");
    const RunResult run = box.Run({"a.htm"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(MatchesFailureReport(run.out, PageLine("a.htm", 1), "EInOutError", "File not found."))
        << testing::PrintToString(run.out);
    EXPECT_FALSE(box.Exists("database.js"));
  }
  if (!CanSwitchUser()) GTEST_SKIP() << "needs root to run as another user";
  {
    SCOPED_TRACE("a template the user may not read");
    Sandbox box;
    box.OpenToAll();
    fs::permissions(box.Work(), fs::perms::all);
    fs::permissions(box.Bin() / "_database.js", fs::perms::none);
    box.Write("a.htm", "<p>Some text here</p>\n");
    const RunResult run = box.Run({"a.htm"}, AsUser(kNobody));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(MatchesFailureReport(run.out, PageLine("a.htm", 1), "EInOutError", "File access denied."))
        << testing::PrintToString(run.out);
    EXPECT_FALSE(box.Exists("database.js"));
  }
}

// A page that cannot be opened ends its line with "open error!", adds
// nothing, and the run goes on with the next page.
struct OpenErrorCase {
  const char* name;
  friend void PrintTo(const OpenErrorCase& c, std::ostream* os) { *os << c.name; }
  void (*arrange)(const Sandbox&, std::string& page);
  bool needsUser;
};

void DanglingLink(const Sandbox& box, std::string& page) {
  page = "gone.htm";
  box.Link(page, "nowhere.htm");
}
void Unreadable(const Sandbox& box, std::string& page) {
  page = "secret.htm";
  box.Write(page, "<p>Secret words</p>\n");
  fs::permissions(box.At(page), fs::perms::none);
}
// Writes a file under work/ by a path of any length: the folders are made
// and entered one by one, each step short enough on its own.
void WriteDeep(const Sandbox& box, const std::string& relative, std::string_view bytes) {
  const fs::path here = fs::current_path();
  fs::current_path(box.Work());
  std::size_t start = 0;
  for (std::size_t slash; (slash = relative.find('/', start)) != std::string::npos; start = slash + 1) {
    const std::string component = relative.substr(start, slash - start);
    fs::create_directory(component);
    fs::current_path(component);
  }
  WriteFile(relative.substr(start), bytes);
  fs::current_path(here);
}

// The folder of a page whose path is one byte longer than the system takes
// (PATH_MAX less its terminating zero), while the folder itself can still
// be listed, so that only the walk finds the page.
constexpr std::size_t kPathLimit = 4095;

std::string DeepFolder() {
  const std::size_t folderLength = 3890;
  std::string folder;
  while (folder.size() < folderLength) {
    const std::size_t n = std::min<std::size_t>(200, folderLength - folder.size() - 1);
    folder += std::string(n, 'd') + "/";
  }
  return folder;
}

std::string PageNameOfLength(std::size_t length) { return std::string(length - 4, 'n') + ".htm"; }

class OpenError : public testing::TestWithParam<OpenErrorCase> {};

TEST_P(OpenError, IsReportedAndTheRunGoesOn) {
  const OpenErrorCase& c = GetParam();
  if (CurrentTarget().windows) GTEST_SKIP() << "links, permissions and path limits of Linux";
  if (c.needsUser && !CanSwitchUser()) GTEST_SKIP() << "needs root to run as another user";
  Sandbox box;
  if (c.needsUser) box.OpenToAll();
  box.Write("a.htm", "<p>First page</p>\n");
  box.Write("z.htm", "<p>Last page</p>\n");
  std::string page;
  c.arrange(box, page);

  RunOptions options;
  if (c.needsUser) options.user = kNobody;
  fs::permissions(box.Work(), fs::perms::all);
  const RunResult run = box.Run({"a.htm", page, "z.htm"}, options);

  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, PageLine("a.htm", 1) + OpenErrorLine(page) + PageLine("z.htm", 1) + TotalLine(2));
  EXPECT_EQ(box.Read("database.js"), DefaultOutput(Entry(0, "First page", "a.htm") + Entry(1, "Last page", "z.htm"), 2));
}

INSTANTIATE_TEST_SUITE_P(Cases, OpenError,
                         testing::Values(OpenErrorCase{"DanglingLink", DanglingLink, false},
                                         OpenErrorCase{"NotReadable", Unreadable, true}),
                         [](const auto& c) { return std::string(c.param.name); });

// A page whose path is longer than the system takes is found by the walk,
// cannot be opened, and is printed whole; one byte shorter, it is read.
TEST(OpenError, PathTooLong) {
  if (CurrentTarget().windows) GTEST_SKIP() << "path limits of Linux";
  Sandbox box;
  const std::string folder = DeepFolder();
  const std::string tooLong = folder + PageNameOfLength(kPathLimit + 1 - folder.size());
  const std::string longest = folder + PageNameOfLength(kPathLimit - folder.size());
  WriteDeep(box, tooLong, "<p>Never read</p>\n");
  WriteDeep(box, longest, "<p>Read this</p>\n");

  const RunResult run = box.Run({folder + "*.htm"});

  EXPECT_EQ(run.status, 0);
  // The shorter name sorts first: "." comes before "n".
  EXPECT_EQ(run.out, PageLine(longest, 1) + OpenErrorLine(tooLong) + TotalLine(1));
  EXPECT_EQ(box.Read("database.js"), DefaultOutput(Entry(0, "Read this", longest), 1));
}

// Standard output as a pipe or a file gets the same bytes, whatever pieces
// they were written in.
TEST(Console, PipeAndFileGetTheSameBytes) {
  Sandbox box;
  std::string expected;
  for (int i = 0; i < 20; ++i) {
    const std::string name = "page" + std::to_string(10 + i) + ".htm";
    box.Write(name, "<p>Entry number " + std::to_string(i) + "</p>\n");
    expected += PageLine(name, 1);
  }
  expected += TotalLine(20);

  const RunResult file = box.Run({"*.htm"});
  const RunResult pipe = box.Run({"*.htm"}, StdoutTo(Stdout::Pipe));
  const RunResult device = box.Run({"*.htm"}, StdoutTo(Stdout::DevNull));

  EXPECT_EQ(file.status, 0);
  EXPECT_EQ(file.out, expected);
  EXPECT_EQ(pipe.status, 0);
  EXPECT_EQ(pipe.out, expected);
  EXPECT_EQ(device.status, 0);
}

}  // namespace
}  // namespace e2e

namespace e2e {
namespace {

// Every message goes to standard output; standard error is never written,
// whichever way the run ends.
TEST(StandardError, IsNeverWritten) {
  struct Scenario {
    const char* name;
    void (*arrange)(const Sandbox&);
    std::vector<std::string> arguments;
    Stdout stdoutMode;
  };
  const Scenario scenarios[] = {
      {"template missing", [](const Sandbox& box) { box.RemoveTemplate(); }, {"a.htm"}, Stdout::File},
      {"usage", [](const Sandbox&) {}, {}, Stdout::File},
      {"nothing found", [](const Sandbox&) {}, {"missing.htm"}, Stdout::File},
      {"open error and output", [](const Sandbox&) {}, {"a.htm", "gone.htm"}, Stdout::File},
      {"failure report", [](const Sandbox& box) { box.MakeFolder("database.js"); }, {"a.htm"}, Stdout::File},
      {"no standard output", [](const Sandbox&) {}, {"a.htm"}, Stdout::Closed},
      {"full device", [](const Sandbox&) {}, {"a.htm"}, Stdout::DevFull},
  };
  for (const Scenario& s : scenarios) {
    SCOPED_TRACE(s.name);
    Sandbox box;
    box.Write("a.htm", "<p>Some text here</p>\n");
    if (!CurrentTarget().windows) box.Link("gone.htm", "nowhere.htm");
    s.arrange(box);
    RunOptions options = StdoutTo(s.stdoutMode);
    options.captureStderr = true;
    const RunResult run = box.Run(s.arguments, options);
    EXPECT_EQ(run.signal, 0);
    EXPECT_EQ(run.err, "");
  }
}

}  // namespace
}  // namespace e2e
