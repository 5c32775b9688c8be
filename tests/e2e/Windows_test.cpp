// The Windows program, run under wine: the paths it builds (backslashes,
// "/" and the drive-relative colon form), hidden and system entries,
// folders reached through links, names at the length limit, the raw
// command line as the system hands it over, and a database.js that is the
// Linux program's byte for byte.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>

#include "Harness.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

bool UnderWine() {
  for (const std::string& word : CurrentTarget().launcher) {
    if (fs::path(word).filename().string().find("wine") != std::string::npos) return true;
  }
  return false;
}

// Every test here is about the Windows program.
class WindowsTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!CurrentTarget().windows) GTEST_SKIP() << "the Windows program";
  }
};

template <typename Case>
class WindowsCases : public testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    if (!CurrentTarget().windows) GTEST_SKIP() << "the Windows program";
  }
};

std::string Quote(const std::string& word) {
  std::string quoted = "'";
  for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The launcher of the target (wine), as words of a shell command.
std::string LauncherWords() {
  std::string words;
  for (const std::string& word : CurrentTarget().launcher) words += Quote(word) + " ";
  return words;
}

// Runs a shell command in work/ (or a folder below it), standard output to
// a file: for what Sandbox::Run does not start (the raw command-line
// launcher, wine's own tools, the Linux program).
RunResult Shell(const Sandbox& box, const std::string& command, const std::string& cwd = "") {
  const fs::path out = box.Root() / "shell-stdout";
  const std::string line =
      "cd " + Quote((box.Work() / cwd).string()) + " && " + command + " >" + Quote(out.string()) + " </dev/null";
  const int status = std::system(line.c_str());
  RunResult result;
  if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  result.out = ReadFile(out);
  fs::remove(out);
  return result;
}

// A page whose one entry is its own name, so that the entries show which
// pages were reached, in which order.
void Page(const Sandbox& box, const std::string& path) { box.Write(path, "<p>Page " + path + "</p>\n"); }

std::string LinkOf(std::string printed) {
  std::replace(printed.begin(), printed.end(), '\\', '/');
  return printed;
}

// The pages made by Page (by their portable paths) reached by these
// printed paths, in this order: the console and database.js of the run.
void ExpectReached(const Sandbox& box, const RunResult& run,
                   const std::vector<std::pair<std::string, std::string>>& reached, const std::string& cwd = "") {
  std::string out, entries;
  int n = 0;
  for (const auto& [made, printed] : reached) {
    out += "Processing file \"" + printed + "\"...success, 1 index items added for this file.\r\n";
    entries += Entry(n++, "Page " + made, LinkOf(printed));
  }
  out += n > 0 ? TotalLine(n) : std::string(kNothingFound);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, out);
  const std::string output = (cwd.empty() ? "" : cwd + "/") + "database.js";
  if (n == 0) {
    EXPECT_FALSE(box.Exists(output));
  } else {
    EXPECT_EQ(box.Read(output), DefaultOutput(entries, n));
  }
}

// --- paths -----------------------------------------------------------------

struct PathCase {
  const char* name;
  std::string argument;
  std::string cwd;
  std::vector<std::pair<std::string, std::string>> reached;  // made, printed
  bool driveRelative = false;                                // needs wine's Z: for "/"
};

using WindowsPaths = WindowsCases<PathCase>;

TEST_P(WindowsPaths, AreBuiltWithBackslashesAndLinkedWithSlashes) {
  const PathCase& c = GetParam();
  if (c.driveRelative && !UnderWine()) GTEST_SKIP() << "the drive of the current folder is known under wine only";
  Sandbox box;
  Page(box, "docs/a.htm");
  Page(box, "docs/sub/b.htm");
  Page(box, "top.htm");
  ExpectReached(box, box.Run({c.argument}, InFolder(c.cwd)), c.reached, c.cwd);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WindowsPaths,
    testing::Values(
        PathCase{"Folder", "docs", "", {{"docs/a.htm", "docs\\a.htm"}, {"docs/sub/b.htm", "docs\\sub\\b.htm"}}},
        PathCase{"PageInAFolder", "docs\\sub\\b.htm", "", {{"docs/sub/b.htm", "docs\\sub\\b.htm"}}},
        PathCase{"PageInOtherLetterCase", "DOCS\\SUB\\B.HTM", "", {{"docs/sub/b.htm", "DOCS\\SUB\\b.htm"}}},
        // "/" ends the directory part as "\" does: docs/sub walks docs\sub.
        PathCase{"SlashEndsTheDirectoryPart", "docs/sub", "", {{"docs/sub/b.htm", "docs/sub\\b.htm"}}},
        PathCase{"WildCardAfterABackslash", "docs\\*.htm", "", {{"docs/a.htm", "docs\\a.htm"}}},
        PathCase{"TrailingBackslash", "docs\\sub\\", "", {{"docs/sub/b.htm", "docs\\sub\\b.htm"}}},
        PathCase{"TrailingSlashAfterABackslash", "docs\\sub/", "", {{"docs/sub/b.htm", "docs\\sub/b.htm"}}},
        PathCase{"Parent", "..\\..\\top.htm", "docs/sub", {{"top.htm", "..\\..\\top.htm"}}},
        // A colon ends the directory part too: Z:top.htm is top.htm in the
        // current folder of drive Z:, which is the current folder.
        PathCase{"DriveRelativePage", "Z:top.htm", "", {{"top.htm", "Z:top.htm"}}, true},
        PathCase{"DriveRelativeFolder",
                 "Z:docs",
                 "",
                 {{"docs/a.htm", "Z:docs\\a.htm"}, {"docs/sub/b.htm", "Z:docs\\sub\\b.htm"}},
                 true},
        PathCase{"DriveRelativeWildCard", "Z:*.htm", "docs/sub", {{"docs/sub/b.htm", "Z:b.htm"}}, true}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(WindowsTest, AbsolutePathKeepsItsDrive) {
  if (!UnderWine()) GTEST_SKIP() << "wine's drive Z: is the root of the Linux file system";
  Sandbox box;
  Page(box, "docs/sub/b.htm");
  std::string folder = "Z:" + box.At("docs").string();
  std::replace(folder.begin(), folder.end(), '/', '\\');
  ExpectReached(box, box.Run({folder}), {{"docs/sub/b.htm", folder + "\\sub\\b.htm"}});
}

// --- names at the limit ----------------------------------------------------

// A name of up to 259 bytes opens; a longer one is an open error, never cut
// short; a folder whose pattern would be longer lists nothing.
TEST_F(WindowsTest, NamesLongerThan259BytesFailToOpen) {
  Sandbox box;
  const std::string folder = std::string(100, 'd') + "/" + std::string(100, 'e') + "/" + std::string(51, 'f');
  ASSERT_EQ(folder.size(), 253U);
  box.Write(folder + "/a.htm", "<p>Fits in 259</p>\n");    // 259 bytes
  box.Write(folder + "/ab.htm", "<p>One byte over</p>\n");  // 260 bytes
  box.Write(folder + "/gg/c.htm", "<p>In a folder beyond the limit</p>\n");  // its pattern: 260 bytes
  const std::string printed = Native(folder);
  const RunResult run = box.Run({Native(folder.substr(0, 100))});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "Processing file \"" + printed + "\\a.htm\"...success, 1 index items added for this file.\r\n" +
                         "Processing file \"" + printed + "\\ab.htm\"...open error!\r\n" + TotalLine(1));
  EXPECT_EQ(box.Read("database.js"), DefaultOutput(Entry(0, "Fits in 259", LinkOf(printed) + "/a.htm"), 1));
}

// --- attributes ------------------------------------------------------------

// The attribute letters that wine's attrib shows for a file (it prints them
// before the file's full name, which begins with a drive).
std::string ShownAttributes(const Sandbox& box, const std::string& relative) {
  const RunResult shown = Shell(box, LauncherWords() + "attrib " + Quote(Native(relative)));
  const std::size_t drive = shown.out.find(":\\");
  return drive == std::string::npos || drive == 0 ? std::string() : shown.out.substr(0, drive - 1);
}

// Sets a file's attributes with wine's attrib, one letter at a time.
void SetAttributes(const Sandbox& box, const std::string& relative, const std::string& flags) {
  for (const char flag : flags) {
    const RunResult set = Shell(box, LauncherWords() + "attrib +" + std::string(1, flag) + " " + Quote(Native(relative)));
    ASSERT_EQ(set.status, 0) << set.out;
  }
}

TEST_F(WindowsTest, HiddenAndSystemEntriesAreWalkedAndTheOutputKeepsItsAttributes) {
  if (!UnderWine()) GTEST_SKIP() << "attributes are set with wine's attrib";
  Sandbox box;
  for (const char* path : {"site/hidden.htm", "site/system.htm", "site/hid/a.htm", "site/sys/b.htm", "site/z.htm"}) {
    Page(box, path);
  }
  box.Write("database.js", "left by an earlier run\n");
  SetAttributes(box, "site/hidden.htm", "h");
  SetAttributes(box, "site/system.htm", "s");
  SetAttributes(box, "site/hid", "h");
  SetAttributes(box, "site/sys", "s");
  SetAttributes(box, "database.js", "hs");
  if (ShownAttributes(box, "database.js").find_first_of("HS") == std::string::npos) {
    GTEST_SKIP() << "this file system does not keep wine's attributes";
  }

  ExpectReached(box, box.Run({"site"}),
                {{"site/hid/a.htm", "site\\hid\\a.htm"},
                 {"site/hidden.htm", "site\\hidden.htm"},
                 {"site/sys/b.htm", "site\\sys\\b.htm"},
                 {"site/system.htm", "site\\system.htm"},
                 {"site/z.htm", "site\\z.htm"}});
  // The new database.js took the old one's place and its attributes.
  const std::string shown = ShownAttributes(box, "database.js");
  EXPECT_NE(shown.find('H'), std::string::npos) << shown;
  EXPECT_NE(shown.find('S'), std::string::npos) << shown;
  EXPECT_EQ(box.List(), (std::vector<std::string>{"database.js", "site"}));
}

// --- a database.js that cannot be replaced ---------------------------------

// A read-only file (a Linux file without write bits is one under wine) and
// a folder of that name are refused as "File access denied"; what was there
// stays, and no temporary is left beside it.
struct RefusedCase {
  const char* name;
  bool folder;
};

using WindowsRefusedOutput = WindowsCases<RefusedCase>;

TEST_P(WindowsRefusedOutput, EndsTheRunAndKeepsWhatWasThere) {
  const RefusedCase& c = GetParam();
  Sandbox box;
  box.Write("a.htm", "<p>Some text here</p>\n");
  const std::string kept = c.folder ? "database.js/inside.txt" : "database.js";
  box.Write(kept, "left by an earlier run\n");
  if (!c.folder) fs::permissions(box.At("database.js"), fs::perms::owner_read | fs::perms::group_read);

  const RunResult run = box.Run({"a.htm"});

  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(MatchesFailureReport(run.out, PageLine("a.htm", 1), "EInOutError", "File access denied."))
      << testing::PrintToString(run.out);
  EXPECT_EQ(box.Read(kept), "left by an earlier run\n");
  EXPECT_EQ(box.List(), (std::vector<std::string>{"a.htm", "database.js"}));
}

INSTANTIATE_TEST_SUITE_P(Cases, WindowsRefusedOutput,
                         testing::Values(RefusedCase{"ReadOnlyFile", false}, RefusedCase{"FolderOfThatName", true}),
                         [](const auto& p) { return std::string(p.param.name); });

// --- links -----------------------------------------------------------------

// Folders reached through symbolic links, which wine shows as folders with
// a reparse point, as Windows shows junctions and folder links.
struct LinkCase {
  const char* name;
  std::vector<std::pair<std::string, std::string>> links;    // where, target
  std::vector<std::pair<std::string, std::string>> reached;  // made, printed
};

using WindowsLinks = WindowsCases<LinkCase>;

TEST_P(WindowsLinks, AreFollowedUnlessTheyLeadBackUpTheBranch) {
  if (!UnderWine()) GTEST_SKIP() << "links are made as wine shows them";
  const LinkCase& c = GetParam();
  Sandbox box;
  Page(box, "top.htm");
  Page(box, "site/a.htm");
  Page(box, "site/b/page.htm");
  for (const auto& [where, target] : c.links) {
    box.Link(where, target.starts_with("/") ? box.At(target.substr(1)).string() : target);
  }
  ExpectReached(box, box.Run({"site"}), c.reached);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WindowsLinks,
    testing::Values(
        // One cycle at a time: should the guard fail, each leads on only until
        // the path grows too long.
        LinkCase{"ToTheParent",
                 {{"site/b/loop", ".."}},
                 {{"site/a.htm", "site\\a.htm"}, {"site/b/page.htm", "site\\b\\page.htm"}}},
        LinkCase{"ToItself",
                 {{"site/b/self", "."}},
                 {{"site/a.htm", "site\\a.htm"}, {"site/b/page.htm", "site\\b\\page.htm"}}},
        LinkCase{"ToTheTopByItsFullPath",
                 {{"site/top", "/site"}},
                 {{"site/a.htm", "site\\a.htm"}, {"site/b/page.htm", "site\\b\\page.htm"}}},
        // Not a cycle: the folder is walked once by each of its names.
        LinkCase{"ToASibling",
                 {{"site/ab", "b"}},
                 {{"site/a.htm", "site\\a.htm"},
                  {"site/b/page.htm", "site\\ab\\page.htm"},
                  {"site/b/page.htm", "site\\b\\page.htm"}}},
        // Above the top of the walk: followed, and there site itself is on
        // the branch.
        LinkCase{"AboveTheTop",
                 {{"site/up", ".."}},
                 {{"site/a.htm", "site\\a.htm"},
                  {"site/b/page.htm", "site\\b\\page.htm"},
                  {"top.htm", "site\\up\\top.htm"}}}),
    [](const auto& p) { return std::string(p.param.name); });

// --- the raw command line --------------------------------------------------

struct RawLineCase {
  const char* name;
  std::string line;  // the whole command line, program name included
  std::vector<std::pair<std::string, std::string>> reached;  // made, printed
  bool usage = false;
};

using WindowsRawCommandLine = WindowsCases<RawLineCase>;

TEST_P(WindowsRawCommandLine, IsSplitIntoTheArguments) {
  const RawLineCase& c = GetParam();
  const char* launcher = std::getenv("ZANTHOR_E2E_RAW_LAUNCHER");
  if (launcher == nullptr || *launcher == '\0') GTEST_SKIP() << "ZANTHOR_E2E_RAW_LAUNCHER names no launcher";
  Sandbox box;
  Page(box, "a.htm");
  Page(box, "b.htm");
  Page(box, "my docs/c.htm");
  Page(box, "my docs/sub/d.htm");
  const fs::path lineFile = box.Root() / "command-line";
  WriteFile(lineFile, c.line);
  const fs::path program = box.Bin() / fs::path(CurrentTarget().program).filename();

  const RunResult run =
      Shell(box, LauncherWords() + Quote(launcher) + " " + Quote(program.string()) + " " + Quote(lineFile.string()));

  if (c.usage) {
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.starts_with("\r\nUSAGE: ZANTHOR.EXE <file1.htm> | <folder> [")) << run.out;
    EXPECT_FALSE(box.Exists("database.js"));
  } else {
    ExpectReached(box, run, c.reached);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WindowsRawCommandLine,
    testing::Values(
        RawLineCase{"Plain", "zanthor.exe a.htm b.htm", {{"a.htm", "a.htm"}, {"b.htm", "b.htm"}}},
        RawLineCase{"NoArgument", "zanthor.exe", {}, true},
        RawLineCase{"NothingAtAll", "", {}, true},
        RawLineCase{"EmptyQuotedWordAlone", "zanthor.exe \"\"", {}, true},
        RawLineCase{"EmptyQuotedWordsAndSeparators", "zanthor.exe  \"\"\t\"\" ", {}, true},
        // The program's name may be quoted, with spaces in it.
        RawLineCase{"QuotedProgramName", "\"C:\\Program Files\\zanthor.exe\" a.htm", {{"a.htm", "a.htm"}}},
        RawLineCase{"QuotedWordWithSpaces",
                    "zanthor.exe \"my docs\\c.htm\" b.htm",
                    {{"my docs/c.htm", "my docs\\c.htm"}, {"b.htm", "b.htm"}}},
        RawLineCase{"QuotedStretchInsideAWord", "zanthor.exe my\" \"docs\\c.htm", {{"my docs/c.htm", "my docs\\c.htm"}}},
        RawLineCase{"QuotedStretchToTheEnd", "zanthor.exe \"my docs\\c.htm", {{"my docs/c.htm", "my docs\\c.htm"}}},
        // The backslash escapes nothing: the quotation mark after it ends
        // the stretch, and the folder is walked as "my docs\".
        RawLineCase{"QuotedFolderEndingInABackslash",
                    "zanthor.exe \"my docs\\\" a.htm",
                    {{"my docs/c.htm", "my docs\\c.htm"}, {"my docs/sub/d.htm", "my docs\\sub\\d.htm"}, {"a.htm", "a.htm"}}},
        RawLineCase{"BackslashEscapesNoQuotationMark",
                    "zanthor.exe \"my docs\\\"c.htm",
                    {{"my docs/c.htm", "my docs\\c.htm"}}},
        // Two quotation marks where a word begins are skipped; inside a word
        // they are an empty stretch.
        RawLineCase{"DoubledQuotationMarksBeforeAWord", "zanthor.exe \"\"a.htm", {{"a.htm", "a.htm"}}},
        RawLineCase{"DoubledQuotationMarksInsideAWord", "zanthor.exe a\"\".htm b\"\"\"\".htm",
                    {{"a.htm", "a.htm"}, {"b.htm", "b.htm"}}},
        RawLineCase{"QuotedPiecesJoined", "zanthor.exe \"a\"\".htm\"", {{"a.htm", "a.htm"}}},
        // Codes 1 to 32 all separate words.
        RawLineCase{"TabsAndControlCharactersSeparate",
                    "zanthor.exe\ta.htm\x01\x1f"
                    "b.htm\r\n",
                    {{"a.htm", "a.htm"}, {"b.htm", "b.htm"}}}),
    [](const auto& p) { return std::string(p.param.name); });

// --- the same database.js as the Linux program -----------------------------

// A site with what tells the two programs apart if anything does: the
// listing order (letter case, digits, "_", names without a full stop),
// every extension rule, script and style, escapes, bytes above 127, odd
// line ends, Ctrl-Z, a placeholder inside a page, empty and tagless pages.
void WriteMixedSite(const Sandbox& box) {
  box.Write("site/index.htm",
            "<html><head><title>Home page</title><style>p { color: red }</style></head>\n"
            "<body><h1>Welcome</h1><p>Text with \"quotes\" and a back\\slash</p>\n"
            "<script>if (a < b) document.write('<b>x</b>');</script><p>After the script</p>\n"
            "<!-- a comment --><p>&nbsp;dropped</p><p>caf\xe9 cr\xe8me br\xfbl\xe9\x65</p></body></html>\n");
  box.Write("site/About.HTML", "<p>About   us</p>\r\n<p>Line one\r\nline two</p>\r\n");
  box.Write("site/_under.php", "<?php echo 'x'; ?><p>Under score</p>\n");
  box.Write("site/z10.htm", "<p>Ten</p>");
  box.Write("site/z9.htm", "<p>Nine</p>");
  box.Write("site/notes.txt", "<p>Not a page</p>\n");
  box.Write("site/page.htm.bak", "<p>Not a page</p>\n");
  box.Write("site/empty.htm", "");
  box.Write("site/tagless.htm", "no tags here at all\n");
  box.Write("site/ctrlz.htm", "<p>Before the end</p>\n\x1a<p>After the end</p>\n");
  box.Write("site/lonecr.htm", "<p>Lone\rCR joins</p>\n\n<p>Blank\n\nline</p>\n");
  box.Write("site/count.htm", "<p>Count $RecordCount$ here</p>\n");
  box.Write("site/docs/guide.php3", "<div>Guide text</div><div>More guide text</div>\n");
  box.Write("site/docs/deep/er/page.htmx", "<p>Deep down</p>\n");
  box.Write("site/docs/Readme", "<p>No full stop</p>\n");
  box.Write("site/docs/x.htm/inner.htm", "<p>Inside a folder named like a page</p>\n");
  box.Write("site/with space.htm", "<p>A name with a space</p>\n");
  box.Write("site/.hidden.htm", "<p>Hidden by its name</p>\n");
}

// Runs both programs on the argument in work/ and compares what they give.
void ExpectTheSameAsLinux(const Sandbox& box, const std::string& argument, const std::string& linuxProgram) {
  const fs::path linuxCopy = box.Bin() / "zanthor-linux";
  fs::copy_file(linuxProgram, linuxCopy);

  const RunResult windows = box.Run({Native(argument)});
  ASSERT_EQ(windows.status, 0) << windows.out;
  const std::string windowsOutput = box.Read("database.js");
  fs::remove(box.At("database.js"));

  const RunResult linux = Shell(box, Quote(linuxCopy.string()) + " " + Quote(argument));
  ASSERT_EQ(linux.status, 0) << linux.out;
  const std::string linuxOutput = box.Read("database.js");

  ASSERT_FALSE(linuxOutput.empty());
  EXPECT_EQ(windowsOutput, linuxOutput);
  // The console lines agree but for the separator of the paths.
  EXPECT_EQ(LinkOf(windows.out), linux.out);
}

std::string LinuxProgram() {
  const char* program = std::getenv("ZANTHOR_E2E_LINUX_PROGRAM");
  return program != nullptr && fs::exists(program) ? program : "";
}

TEST_F(WindowsTest, MixedSiteGivesTheLinuxProgramsDatabase) {
  const std::string linuxProgram = LinuxProgram();
  if (linuxProgram.empty()) GTEST_SKIP() << "ZANTHOR_E2E_LINUX_PROGRAM names no Linux program";
  Sandbox box;
  WriteMixedSite(box);
  ExpectTheSameAsLinux(box, "site", linuxProgram);
}

TEST_F(WindowsTest, ExampleSiteGivesTheLinuxProgramsDatabase) {
  const std::string linuxProgram = LinuxProgram();
  const char* site = std::getenv("ZANTHOR_E2E_EXAMPLE_SITE");
  if (linuxProgram.empty()) GTEST_SKIP() << "ZANTHOR_E2E_LINUX_PROGRAM names no Linux program";
  if (site == nullptr || !fs::is_directory(site)) GTEST_SKIP() << "ZANTHOR_E2E_EXAMPLE_SITE names no site";
  Sandbox box;
  fs::copy(site, box.At("site"), fs::copy_options::recursive);
  fs::remove(box.At("site/database.js"));
  ExpectTheSameAsLinux(box, "site", linuxProgram);
}

}  // namespace
}  // namespace e2e
