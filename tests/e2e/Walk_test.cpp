// From the command-line arguments to the pages: which files are pages, in
// which order they are reached, and the paths they are reached by.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "Harness.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

// A page with one entry whose text is its own name, so that the order of
// the entries shows the order of the walk.
void Page(const Sandbox& box, const std::string& path) { box.Write(path, "<p>Page " + path + "</p>\n"); }

// The console and database.js that a run gives when it reaches the pages,
// each made by Page(), in this order by these paths.
struct Reached {
  std::string out;
  std::string entries;
};
Reached Expect(const std::vector<std::pair<std::string, std::string>>& pages) {
  Reached r;
  int n = 0;
  for (const auto& [made, path] : pages) {
    r.out += PageLine(path, 1);
    // On Windows every backslash of the path is a "/" in the link.
    std::string link = path;
    if (CurrentTarget().windows) std::replace(link.begin(), link.end(), '\\', '/');
    r.entries += Entry(n++, "Page " + made, link);
  }
  r.out += n > 0 ? TotalLine(n) : std::string(kNothingFound);
  return r;
}

void ExpectRun(const Sandbox& box, const std::vector<std::string>& arguments,
               const std::vector<std::pair<std::string, std::string>>& pages, const RunOptions& options = {}) {
  const Reached expected = Expect(pages);
  const RunResult run = box.Run(arguments, options);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, expected.out);
  const std::string output = (options.cwd.empty() ? "" : options.cwd + "/") + "database.js";
  if (pages.empty()) {
    EXPECT_FALSE(box.Exists(output));
  } else {
    EXPECT_EQ(box.Read(output), DefaultOutput(expected.entries, static_cast<int>(pages.size())));
  }
}

// Which names are pages: the extension, from the last full stop, begins
// with ".HTM" or ".PHP" in any letter case.
struct ExtensionCase {
  const char* name;
  // Failures name the case rather than dump its bytes.
  friend void PrintTo(const ExtensionCase& c, std::ostream* os) { *os << c.name; }
  bool page;
  bool linuxOnly = false;
};

class Extension : public testing::TestWithParam<ExtensionCase> {};

TEST_P(Extension, DecidesWhetherAFileIsAPage) {
  const ExtensionCase& c = GetParam();
  if (c.linuxOnly && CurrentTarget().windows) GTEST_SKIP() << "not a Windows file name";
  for (const bool byWalk : {false, true}) {
    SCOPED_TRACE(byWalk ? "found by the walk" : "named as an argument");
    Sandbox box;
    const std::string path = byWalk ? std::string("site/") + c.name : std::string(c.name);
    box.Write(path, "<p>Text of the page</p>\n");
    const RunResult run = box.Run({byWalk ? "site" : c.name});
    EXPECT_EQ(run.status, 0);
    if (c.page) {
      EXPECT_EQ(run.out, PageLine(path, 1) + TotalLine(1));
    } else {
      EXPECT_EQ(run.out, kNothingFound);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Names, Extension,
                         testing::Values(ExtensionCase{"a.htm", true}, ExtensionCase{"a.Html", true},
                                         ExtensionCase{"A.HTM", true}, ExtensionCase{"a.php", true},
                                         ExtensionCase{"a.php3", true}, ExtensionCase{"a.PhP5", true},
                                         ExtensionCase{"a.htmx", true}, ExtensionCase{".htm", true},
                                         ExtensionCase{"a.b.c.htm", true}, ExtensionCase{"a.phtml", false},
                                         ExtensionCase{"a.xhtml", false}, ExtensionCase{"a.htm.bak", false},
                                         ExtensionCase{"a.asp", false}, ExtensionCase{"README", false},
                                         ExtensionCase{"htm", false}, ExtensionCase{"a.ht", false},
                                         ExtensionCase{"a.htm ", true, true},
                                         // Colon and backslash are name bytes on Linux, so they
                                         // neither end the directory part nor the extension.
                                         ExtensionCase{"q.htm:x", true, true},
                                         ExtensionCase{"x.txt\\y.htm", true, true},
                                         ExtensionCase{"x.htm\\y", true, true}),
                         [](const auto& p) {
                           std::string name;
                           for (const char ch : std::string(p.param.name)) {
                             name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                           }
                           return name + "_" + std::to_string(p.index);
                         });

TEST(Walk, IsDepthFirstWithEachFolderInItsPlace) {
  Sandbox box;
  for (const char* path : {"site/a.htm", "site/B.htm", "site/sub/b.htm", "site/sub/c/x.htm", "site/sub/d.htm",
                           "site/z.htm", "site/Zz/y.htm"}) {
    Page(box, path);
  }
  box.Write("site/sub/c/notes.txt", "<p>Not a page</p>");

  // Names sort by their bytes with the letters a to z taken as capitals.
  ExpectRun(box, {"site"},
            {{"site/a.htm", Native("site/a.htm")},
             {"site/B.htm", Native("site/B.htm")},
             {"site/sub/b.htm", Native("site/sub/b.htm")},
             {"site/sub/c/x.htm", Native("site/sub/c/x.htm")},
             {"site/sub/d.htm", Native("site/sub/d.htm")},
             {"site/z.htm", Native("site/z.htm")},
             {"site/Zz/y.htm", Native("site/Zz/y.htm")}});
}

TEST(Walk, NumbersEntriesAcrossPagesAndArgumentsInOrder) {
  Sandbox box;
  box.Write("one.htm", "<p>First entry</p><p>Second entry</p><p>Third entry</p>\n");
  box.Write("none.htm", "no tags at all\n");
  box.Write("two.htm", "<p>Fourth entry</p><p>Fifth entry</p>\n");
  box.Write("docs/a.htm", "<p>In the docs</p>\n");

  const RunResult run = box.Run({"one.htm", "missing.htm", "none.htm", "docs", "two.htm", Native("docs/a.htm")});

  EXPECT_EQ(run.status, 0);
  // A page reached twice is indexed twice.
  EXPECT_EQ(run.out, PageLine("one.htm", 3) + PageLine("none.htm", 0) + PageLine("docs/a.htm", 1) +
                         PageLine("two.htm", 2) + PageLine("docs/a.htm", 1) + TotalLine(7));
  const std::string link = "docs/a.htm";
  EXPECT_EQ(box.Read("database.js"),
            DefaultOutput(Entry(0, "First entry", "one.htm") + Entry(1, "Second entry", "one.htm") +
                              Entry(2, "Third entry", "one.htm") + Entry(3, "In the docs", link) +
                              Entry(4, "Fourth entry", "two.htm") + Entry(5, "Fifth entry", "two.htm") +
                              Entry(6, "In the docs", link),
                          7));
}

TEST(Walk, WildCardsSelectOnlyInTheArgumentsFolder) {
  Sandbox box;
  for (const char* path : {"a.htm", "B.HTM", "x.htm/inner.php", "x.htm/notes/readme.htm"}) Page(box, path);
  // (Windows matches "*.htm" against the short names too, in which c.html
  // ends in ".HTM".)
  if (!CurrentTarget().windows) box.Write("c.html", "<p>Not matched by *.htm</p>");
  box.Write("sub/d.htm", "<p>Sub-folders do not match</p>");
  box.Write("x.htm/inner.txt", "<p>Not a page</p>");

  // A folder that the wild card matches is walked whole, whatever its
  // pages are named.
  ExpectRun(box, {"*.htm"},
            {{"a.htm", "a.htm"},
             {"B.HTM", "B.HTM"},
             {"x.htm/inner.php", Native("x.htm/inner.php")},
             {"x.htm/notes/readme.htm", Native("x.htm/notes/readme.htm")}});
}

struct WildCardCase {
  const char* name;
  friend void PrintTo(const WildCardCase& c, std::ostream* os) { *os << c.name; }
  std::vector<std::string> files;
  std::string pattern;
  std::vector<std::string> reached;  // portable paths
};

class WildCard : public testing::TestWithParam<WildCardCase> {};

TEST_P(WildCard, MatchesNames) {
  const WildCardCase& c = GetParam();
  Sandbox box;
  for (const std::string& f : c.files) Page(box, f);
  std::vector<std::pair<std::string, std::string>> pages;
  for (const std::string& r : c.reached) pages.emplace_back(r, Native(r));
  ExpectRun(box, {Native(c.pattern)}, pages);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WildCard,
    testing::Values(
        WildCardCase{"QuestionMarkIsOneCharacter", {"a.htm", "ab.htm", "b.htm"}, "?.htm", {"a.htm", "b.htm"}},
        WildCardCase{"StarInTheMiddle", {"page1.htm", "page22.htm", "pages.php", "other.htm"}, "page*.htm",
                     {"page1.htm", "page22.htm"}},
        WildCardCase{"LettersInAnyCase", {"INDEX.HTM", "index2.htm"}, "Index*.Htm", {"INDEX.HTM", "index2.htm"}},
        // "*.*" lists every name, those without a full stop too, so that a
        // folder named without one is walked.
        WildCardCase{"StarDotStarTakesNamesWithoutAFullStop", {"a.htm", "noext/b.htm"}, "*.*",
                     {"a.htm", "noext/b.htm"}},
        WildCardCase{"InAFolder", {"d/a.htm", "d/b.php", "d/sub/c.htm", "e.htm"}, "d/*.htm", {"d/a.htm"}},
        WildCardCase{"InEveryFolderBelow", {"d/a.htm", "d/sub/c.htm"}, "d/*", {"d/a.htm", "d/sub/c.htm"}},
        WildCardCase{"MatchesNothing", {"a.htm"}, "*.php", {}},
        WildCardCase{"WildCardInAFolderNameIsNoWildCard", {"d1/a.htm"}, "d?/a.htm", {}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(WildCard, SquareBracketIsAnOrdinaryByte) {
  if (CurrentTarget().windows) GTEST_SKIP() << "file names of Linux";
  Sandbox box;
  Page(box, "[a].htm");
  Page(box, "a.htm");
  ExpectRun(box, {"[a]*"}, {{"[a].htm", "[a].htm"}});
}

TEST(Walk, HiddenNamesAreWalkedAndProcessed) {
  Sandbox box;
  for (const char* path : {"site/.htm", "site/.git/config.htm", "site/.hidden.php", "site/.svn/.x/entries.htm"}) {
    Page(box, path);
  }
  ExpectRun(box, {"site"},
            {{"site/.git/config.htm", Native("site/.git/config.htm")},
             {"site/.hidden.php", Native("site/.hidden.php")},
             {"site/.htm", Native("site/.htm")},
             {"site/.svn/.x/entries.htm", Native("site/.svn/.x/entries.htm")}});
}

TEST(Walk, FolderNamedLikeAPageIsWalkedNotProcessed) {
  Sandbox box;
  Page(box, "x.htm/page.htm");
  box.Write("x.htm/data.txt", "<p>Not a page</p>");
  ExpectRun(box, {"x.htm"}, {{"x.htm/page.htm", Native("x.htm/page.htm")}});
}

TEST(Walk, AbsoluteArgumentKeepsItsPath) {
  if (CurrentTarget().windows) GTEST_SKIP() << "paths of Linux";
  Sandbox box;
  Page(box, "site/a.htm");
  const std::string site = box.At("site").string();
  ExpectRun(box, {site}, {{"site/a.htm", site + "/a.htm"}});
}

TEST(Walk, ArgumentWithSpacesIsOneArgument) {
  Sandbox box;
  Page(box, "my site/a page.htm");
  ExpectRun(box, {"my site"}, {{"my site/a page.htm", Native("my site/a page.htm")}});
}

TEST(Walk, FolderWithoutPagesAddsNothing) {
  Sandbox box;
  box.MakeFolder("site/empty/deeper");
  box.Write("site/other/x.txt", "<p>Not a page</p>");
  Page(box, "site/z.htm");
  ExpectRun(box, {"site"}, {{"site/z.htm", Native("site/z.htm")}});
}

TEST(Walk, ArgumentInOtherLetterCaseIsHandedOnAsStored) {
  if (!CurrentTarget().windows) GTEST_SKIP() << "Linux file names are case-sensitive";
  Sandbox box;
  Page(box, "index.htm");
  ExpectRun(box, {"INDEX.HTM"}, {{"index.htm", "index.htm"}});
}

// A pattern that ends in its separator walks that folder; doubled, the
// separator stays in every path; after a file name it stands for nothing.
struct TrailingSeparatorCase {
  const char* name;
  friend void PrintTo(const TrailingSeparatorCase& c, std::ostream* os) { *os << c.name; }
  std::string argument;
  std::vector<std::string> reached;  // paths as printed, portable
};

class TrailingSeparator : public testing::TestWithParam<TrailingSeparatorCase> {};

TEST_P(TrailingSeparator, WalksTheFolder) {
  const TrailingSeparatorCase& c = GetParam();
  Sandbox box;
  Page(box, "docs/a.htm");
  Page(box, "docs/sub/b.htm");
  Page(box, "a.htm");
  std::vector<std::pair<std::string, std::string>> pages;
  for (const std::string& r : c.reached) {
    // The text of a page is its path as made; strip the doubled separators.
    std::string made = r;
    for (std::size_t at; (at = made.find("//")) != std::string::npos;) made.erase(at, 1);
    pages.emplace_back(made, Native(r));
  }
  ExpectRun(box, {Native(c.argument)}, pages);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrailingSeparator,
    testing::Values(TrailingSeparatorCase{"Folder", "docs/", {"docs/a.htm", "docs/sub/b.htm"}},
                    TrailingSeparatorCase{"SubFolder", "docs/sub/", {"docs/sub/b.htm"}},
                    TrailingSeparatorCase{"Doubled", "docs//", {"docs//a.htm", "docs//sub/b.htm"}},
                    TrailingSeparatorCase{"AfterAFile", "a.htm/", {}},
                    TrailingSeparatorCase{"MissingFolder", "nothing/", {}}),
    [](const auto& p) { return std::string(p.param.name); });

// A last component of "." or ".." stands for that folder, walked whole.
struct DotFolderCase {
  const char* name;
  friend void PrintTo(const DotFolderCase& c, std::ostream* os) { *os << c.name; }
  std::string argument;
  std::string cwd;
  std::vector<std::pair<std::string, std::string>> reached;  // made, printed (portable)
};

class DotFolder : public testing::TestWithParam<DotFolderCase> {};

TEST_P(DotFolder, WalksThatFolder) {
  const DotFolderCase& c = GetParam();
  Sandbox box;
  Page(box, "d/a.htm");
  Page(box, "d/sub/b.htm");
  std::vector<std::pair<std::string, std::string>> pages;
  for (const auto& [made, printed] : c.reached) pages.emplace_back(made, Native(printed));
  ExpectRun(box, {Native(c.argument)}, pages, InFolder(c.cwd));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DotFolder,
    testing::Values(DotFolderCase{"Here", ".", "d", {{"d/a.htm", "./a.htm"}, {"d/sub/b.htm", "./sub/b.htm"}}},
                    DotFolderCase{"HereWithSeparator", "./", "d", {{"d/a.htm", "./a.htm"}, {"d/sub/b.htm", "./sub/b.htm"}}},
                    DotFolderCase{"Parent", "..", "d/sub", {{"d/a.htm", "../a.htm"}, {"d/sub/b.htm", "../sub/b.htm"}}},
                    DotFolderCase{"UpAndBack", "d/sub/..", "", {{"d/a.htm", "d/sub/../a.htm"},
                                                               {"d/sub/b.htm", "d/sub/../sub/b.htm"}}},
                    DotFolderCase{"DotInAFolder", "d/.", "", {{"d/a.htm", "d/./a.htm"},
                                                             {"d/sub/b.htm", "d/./sub/b.htm"}}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(DotFolder, DotInTheMiddleIsAPlainPath) {
  Sandbox box;
  Page(box, "d/a.htm");
  ExpectRun(box, {Native("d/./a.htm")}, {{"d/a.htm", Native("d/./a.htm")}});
}

// Links between folders: a link back up the branch is passed over without
// a word, a folder reached twice without a cycle is walked twice, and a link
// above the top of the walk is followed.
//
// A walk that entered a cycle would go on until its paths grew too long,
// printing ever more; these limits end such a run soon, as a failed one.
RunOptions Bounded(RunOptions options = {}) {
  options.limits.emplace_back(RLIMIT_CPU, 20);
  options.limits.emplace_back(RLIMIT_FSIZE, 1 << 20);
  return options;
}

TEST(Links, LinkToAnAncestorIsPassedOver) {
  if (CurrentTarget().windows) GTEST_SKIP() << "symbolic links";
  Sandbox box;
  Page(box, "site/a.htm");
  Page(box, "site/sub/b.htm");
  box.Link("site/sub/loop", "..");
  box.Link("site/sub/self", ".");
  box.Link("site/top", box.At("site").string());
  ExpectRun(box, {"site"}, {{"site/a.htm", "site/a.htm"}, {"site/sub/b.htm", "site/sub/b.htm"}}, Bounded());
}

TEST(Links, FolderReachedTwiceWithoutACycleIsWalkedTwice) {
  if (CurrentTarget().windows) GTEST_SKIP() << "symbolic links";
  Sandbox box;
  Page(box, "site/b/page.htm");
  box.Link("site/a", "b");
  ExpectRun(box, {"site"}, {{"site/b/page.htm", "site/a/page.htm"}, {"site/b/page.htm", "site/b/page.htm"}},
            Bounded());
}

TEST(Links, LinkAboveTheTopOfTheWalkIsFollowed) {
  if (CurrentTarget().windows) GTEST_SKIP() << "symbolic links";
  Sandbox box;
  Page(box, "top.htm");
  Page(box, "site/a.htm");
  box.Link("site/up", "..");
  // site/up is work/, not on the branch, so it is walked; in it site is on
  // the branch and is passed over.
  ExpectRun(box, {"site"}, {{"site/a.htm", "site/a.htm"}, {"top.htm", "site/up/top.htm"}}, Bounded());
}

TEST(Links, TheFolderOfAPlainNameIsNotOnTheBranch) {
  if (CurrentTarget().windows) GTEST_SKIP() << "symbolic links";
  Sandbox box;
  Page(box, "top.htm");
  Page(box, "site/a.htm");
  box.Link("site/up", "..");
  // From site, "up" is looked up in site, which is not being listed: the
  // walk of up (work/) enters site and passes over up in it.
  ExpectRun(box, {"up"}, {{"site/a.htm", "up/site/a.htm"}, {"top.htm", "up/top.htm"}}, Bounded(InFolder("site")));
}

TEST(Links, LinkToAPageIsAPageAndADanglingLinkIsAFile) {
  if (CurrentTarget().windows) GTEST_SKIP() << "symbolic links";
  Sandbox box;
  Page(box, "real/a.htm");
  box.Link("site/alias.htm", "../real/a.htm");
  box.Link("site/gone.htm", "nowhere");
  box.Link("site/real", "../real");
  const RunResult run = box.Run({"site"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, PageLine("site/alias.htm", 1) + OpenErrorLine("site/gone.htm") + PageLine("site/real/a.htm", 1) +
                         TotalLine(2));
}

TEST(Walk, FolderThatCannotBeListedIsPassedOver) {
  if (CurrentTarget().windows) GTEST_SKIP() << "permissions";
  if (!CanSwitchUser()) GTEST_SKIP() << "needs root to run as another user";
  Sandbox box;
  box.OpenToAll();
  fs::permissions(box.Work(), fs::perms::all);
  Page(box, "site/a.htm");
  Page(box, "site/closed/b.htm");
  Page(box, "site/z.htm");
  fs::permissions(box.At("site/closed"), fs::perms::none);
  ExpectRun(box, {"site"}, {{"site/a.htm", "site/a.htm"}, {"site/z.htm", "site/z.htm"}}, AsUser(kNobody));
}

// A FIFO named like a page holds the run up for nobody: with no writer it
// reads as an empty page.
TEST(Walk, FifoNamedLikeAPageReadsAsEmpty) {
  if (CurrentTarget().windows) GTEST_SKIP() << "FIFOs";
  Sandbox box;
  Page(box, "a.htm");
  ASSERT_EQ(::mkfifo(box.At("pipe.htm").c_str(), 0644), 0);
  const RunResult run = box.Run({"*.htm"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, PageLine("a.htm", 1) + PageLine("pipe.htm", 0) + TotalLine(1));
}

// Links are the page's path with "/", and the bytes that a JavaScript
// string or a Windows file name cannot hold percent-encoded; the console
// line shows the name as it is.
struct LinkCase {
  const char* name;
  friend void PrintTo(const LinkCase& c, std::ostream* os) { *os << c.name; }
  std::string page;
  std::string link;
};

class LinkBytes : public testing::TestWithParam<LinkCase> {};

TEST_P(LinkBytes, AreEncodedInTheLinkOnly) {
  const LinkCase& c = GetParam();
  if (CurrentTarget().windows) GTEST_SKIP() << "not a Windows file name";
  Sandbox box;
  box.Write("site/" + c.page, "<p>Some text</p>\n");

  const RunResult run = box.Run({"site"});

  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, PageLine("site/" + c.page, 1) + TotalLine(1));
  EXPECT_EQ(box.Read("database.js"), DefaultOutput(Entry(0, "Some text", "site/" + c.link), 1));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LinkBytes,
    testing::Values(LinkCase{"Quote", "say \"hi\".htm", "say %22hi%22.htm"},
                    LinkCase{"Backslash", "a\\b.htm", "a%5Cb.htm"},
                    LinkCase{"ControlBytes", std::string("x\x01\t\n\r\x1f.htm"), "x%01%09%0A%0D%1F.htm"},
                    LinkCase{"Delete", "x\x7f.htm", "x%7F.htm"},
                    LinkCase{"Unchanged", "50% off & 'more' \xe9\x80\xff.htm", "50% off & 'more' \xe9\x80\xff.htm"}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace e2e
