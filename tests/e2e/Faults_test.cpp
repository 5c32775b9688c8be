// Faults from outside the program: standard output that cannot take the
// text, an output file that stops growing part way, trees that are deep,
// wide or loop back, file names that no Windows site would have, and pages
// that are not text at all. Each run must end as told: the exact report and
// status, an earlier database.js left byte for byte as it was, and an
// output that node loads whenever one is written.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "Harness.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

// --- node --------------------------------------------------------------

// What node makes of a database.js: the count and every entry's text and
// link, byte for byte (the file is read as Latin-1, so every byte is one
// character and comes back as it was).
struct Loaded {
  bool ok = false;
  std::string error;
  long recordCount = -1;
  std::vector<std::pair<std::string, std::string>> entries;  // text, link
};

constexpr std::string_view kLoadScript = R"(
const fs = require('fs'), vm = require('vm');
const context = {};
vm.runInNewContext(fs.readFileSync(process.argv[2], 'latin1'), context, { filename: 'database.js' });
const hex = (s) => Buffer.from(s, 'latin1').toString('hex');
const { KeyString, KeyLink, RecordCount } = context;
if (!Array.isArray(KeyString) || !Array.isArray(KeyLink)) throw new Error('the arrays are missing');
if (KeyString.length !== KeyLink.length) throw new Error('the arrays differ in length');
const lines = [String(RecordCount)];
for (let i = 0; i < KeyString.length; i++) {
  if (typeof KeyString[i] !== 'string' || typeof KeyLink[i] !== 'string') throw new Error('a gap at ' + i);
  lines.push(hex(KeyString[i]) + ' ' + hex(KeyLink[i]));
}
fs.writeFileSync(process.argv[3], lines.join('\n') + '\n');
)";

std::string FromHex(std::string_view hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
  }
  return bytes;
}

Loaded LoadInNode(const Sandbox& box) {
  Loaded loaded;
  const fs::path script = box.Root() / "load.js";
  const fs::path result = box.Root() / "loaded.txt";
  const fs::path errors = box.Root() / "node-errors.txt";
  WriteFile(script, kLoadScript);
  const std::string command = "node '" + script.string() + "' '" + (box.Work() / "database.js").string() + "' '" +
                              result.string() + "' 2>'" + errors.string() + "'";
  if (std::system(command.c_str()) != 0) {
    loaded.error = "node failed: " + ReadFile(errors);
    return loaded;
  }
  std::istringstream lines(ReadFile(result));
  std::string line;
  std::getline(lines, line);
  loaded.recordCount = std::stol(line);
  while (std::getline(lines, line)) {
    const std::size_t space = line.find(' ');
    loaded.entries.emplace_back(FromHex(line.substr(0, space)), FromHex(line.substr(space + 1)));
  }
  loaded.ok = true;
  return loaded;
}

// The name a link stands for: only the escapes that the link rule makes
// (%22, %5C, %01 to %1F, %7F) are decoded; any other "%" is the name's own.
std::string DecodeLink(std::string_view link) {
  std::string name;
  for (std::size_t i = 0; i < link.size(); ++i) {
    if (link[i] == '%' && i + 2 < link.size()) {
      const std::string digits(link.substr(i + 1, 2));
      if (digits.find_first_not_of("0123456789ABCDEF") == std::string::npos) {
        const int value = std::stoi(digits, nullptr, 16);
        if (value == 0x22 || value == 0x5C || (value >= 1 && value <= 0x1F) || value == 0x7F) {
          name += static_cast<char>(value);
          i += 2;
          continue;
        }
      }
    }
    name += link[i];
  }
  return name;
}

// The count that the total line reports, or -1 when it is missing.
long ReportedTotal(const std::string& out) {
  const std::string head = "Completed, ";
  const std::size_t at = out.rfind(head);
  if (at == std::string::npos) return -1;
  return std::strtol(out.c_str() + at + head.size(), nullptr, 10);
}

// --- standard output that fails ---------------------------------------

// Standard output on a full device: the first console write fails, the run
// ends with status 1, and no database.js is written or changed.
struct FullOutputCase {
  const char* name;
  std::vector<std::string> arguments;
  const char* earlier;  // an earlier database.js, or null for none
};

class FullOutput : public testing::TestWithParam<FullOutputCase> {};

TEST_P(FullOutput, EndsTheRunAndWritesNothing) {
  if (CurrentTarget().windows) GTEST_SKIP() << "/dev/full";
  const FullOutputCase& c = GetParam();
  Sandbox box;
  box.Write("a.htm", "<p>Some text here</p>\n");
  if (c.earlier != nullptr) box.Write("database.js", c.earlier);
  const auto before = box.List();

  const RunResult run = box.Run(c.arguments, StdoutTo(Stdout::DevFull));

  EXPECT_EQ(run.signal, 0);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(box.List(), before);
  if (c.earlier != nullptr) {
    EXPECT_EQ(box.Read("database.js"), c.earlier);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, FullOutput,
                         testing::Values(FullOutputCase{"Usage", {}, nullptr},
                                         FullOutputCase{"PageWithoutEarlierOutput", {"a.htm"}, nullptr},
                                         FullOutputCase{"PageWithEarlierOutput", {"a.htm"}, "var old = 1;\r\n"},
                                         FullOutputCase{"NothingFound", {"none.htm"}, "var old = 2;\r\n"}),
                         [](const auto& c) { return std::string(c.param.name); });

// A reader that has gone away: a write fails with a broken pipe, which is
// a failure of the run like any other, not a killed process. A pipe gets
// the text in 128-byte pieces: a short run fails only at its end, after
// database.js is written; a longer one fails during the walk, before it.
struct BrokenPipeCase {
  const char* name;
  int pages;
  bool written;
};

class BrokenPipe : public testing::TestWithParam<BrokenPipeCase> {};

TEST_P(BrokenPipe, EndsTheRunWithStatusOne) {
  if (CurrentTarget().windows) GTEST_SKIP() << "pipes of Linux";
  const BrokenPipeCase& c = GetParam();
  Sandbox box;
  std::string entries;
  for (int i = 0; i < c.pages; ++i) {
    const std::string name = "page" + std::to_string(i) + ".htm";
    box.Write(name, "<p>Some text here</p>\n");
    entries += Entry(i, "Some text here", name);
  }
  box.Write("database.js", "var old = 3;\r\n");
  const auto before = box.List();

  const RunResult run = box.Run({"*.htm"}, StdoutTo(Stdout::BrokenPipe));

  EXPECT_EQ(run.signal, 0);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(box.Read("database.js"), c.written ? DefaultOutput(entries, c.pages) : "var old = 3;\r\n");
  EXPECT_EQ(box.List(), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, BrokenPipe,
                         testing::Values(BrokenPipeCase{"FailsAtTheEnd", 1, true},
                                         BrokenPipeCase{"FailsDuringTheWalk", 5, false}),
                         [](const auto& c) { return std::string(c.param.name); });

// --- database.js that stops growing part way ---------------------------

// A page that gives `count` entries of about 40 bytes each.
std::string ManyEntriesPage(int count, std::string& entries) {
  std::string page;
  for (int i = 0; i < count; ++i) {
    const std::string text = "Entry number " + std::to_string(i);
    page += "<p>" + text + "</p>\n";
    entries += Entry(i, text, "big.htm");
  }
  return page;
}

constexpr rlim_t kFileSizeLimit = 16384;

struct CutShortCase {
  const char* name;
  const char* earlier;  // an earlier database.js, or null for none
  bool hardLinked;      // the earlier one has a second name, so it is rewritten in place
};

class CutShort : public testing::TestWithParam<CutShortCase> {};

// The output is four times the limit, the console's text far below it. The
// failed write is the report "I/O error 112." (a full disk) and status 1.
// Written through a temporary, the earlier file stays as it was and the
// temporary goes; rewritten in place, it holds the start of the new text.
TEST_P(CutShort, ReportsTheFailureAndKeepsTheEarlierFile) {
  if (CurrentTarget().windows) GTEST_SKIP() << "file-size limit of Linux";
  const CutShortCase& c = GetParam();
  Sandbox box;
  std::string entries;
  box.Write("big.htm", ManyEntriesPage(1500, entries));
  const std::string full = DefaultOutput(entries, 1500);
  ASSERT_GT(full.size(), 4 * kFileSizeLimit);
  if (c.earlier != nullptr) box.Write("database.js", c.earlier);
  if (c.hardLinked) fs::create_hard_link(box.At("database.js"), box.At("second-name.js"));
  const auto before = box.List();

  RunOptions options;
  options.limits = {{RLIMIT_FSIZE, kFileSizeLimit}};
  const RunResult run = box.Run({"big.htm"}, options);

  EXPECT_EQ(run.signal, 0);
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(MatchesFailureReport(run.out, PageLine("big.htm", 1500), "EInOutError", "I/O error 112."))
      << testing::PrintToString(run.out);
  if (c.hardLinked) {
    const std::string cut = box.Read("database.js");
    EXPECT_LE(cut.size(), kFileSizeLimit);
    EXPECT_EQ(cut, full.substr(0, cut.size()));
    EXPECT_TRUE(fs::equivalent(box.At("database.js"), box.At("second-name.js")));
  } else if (c.earlier != nullptr) {
    EXPECT_EQ(box.Read("database.js"), c.earlier);
  }
  EXPECT_EQ(box.List(), before) << "a temporary file was left behind, or database.js appeared";
}

INSTANTIATE_TEST_SUITE_P(Cases, CutShort,
                         testing::Values(CutShortCase{"NoEarlierFile", nullptr, false},
                                         CutShortCase{"EarlierFile", "var earlier = \"kept\";\r\n", false},
                                         CutShortCase{"EarlierFileWithASecondName", "var earlier = 0;\r\n", true}),
                         [](const auto& c) { return std::string(c.param.name); });

// --- deep, wide and looping trees --------------------------------------

// 300 folders deep, with pages on the way down and, at the bottom, links
// back to the top and to the middle of the branch, which are passed over.
TEST(Tree, ThreeHundredFoldersDeepWithLinksBackUp) {
  if (CurrentTarget().windows) GTEST_SKIP() << "symbolic links";
  Sandbox box;
  std::string path = "deep";
  std::string middle;
  std::string expectedOut, expectedEntries;
  int count = 0;
  for (int depth = 1; depth <= 300; ++depth) {
    path += "/d";
    if (depth == 150) middle = path;
    if (depth == 1 || depth % 100 == 0 || depth == 150) {
      const std::string text = "At depth " + std::to_string(depth);
      box.Write(path + "/a.htm", "<p>" + text + "</p>\n");
      expectedOut += PageLine(path + "/a.htm", 1);
      expectedEntries += Entry(count++, text, path + "/a.htm");
    }
  }
  box.MakeFolder(path);
  box.Link(path + "/top", box.At("deep").string());
  box.Link(path + "/mid", box.At(middle).string());

  const RunResult run = box.Run({"deep"});

  EXPECT_EQ(run.signal, 0);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, expectedOut + TotalLine(count));
  EXPECT_EQ(box.Read("database.js"), DefaultOutput(expectedEntries, count));
}

// A folder of 100,000 entries: every page among them is found, in the
// listing order, and nothing else is touched.
TEST(Tree, FolderWithAHundredThousandEntries) {
  Sandbox box;
  box.MakeFolder("many");
  const fs::path folder = box.At("many");
  std::string expectedOut, expectedEntries;
  int pages = 0;
  // The files that are no pages are further names of a few files (a new
  // name costs less than a new file, and it is the number of entries that
  // counts); a file system takes some tens of thousands of names per file.
  std::string other;
  for (int i = 0; i < 100000; ++i) {
    if (i % 10000 == 0) {
      other = box.At("other" + std::to_string(i) + ".txt").string();
      WriteFile(other, "<p>Not a page</p>\n");
    }
    char name[32];
    const bool page = i % 10000 == 4321;
    std::snprintf(name, sizeof name, page ? "p%06d.htm" : "f%06d.txt", i);
    const std::string path = (folder / name).string();
    if (page) {
      const std::string text = "Page " + std::to_string(i);
      WriteFile(path, "<p>" + text + "</p>\n");
      expectedOut += PageLine(std::string("many/") + name, 1);
      expectedEntries += Entry(pages++, text, std::string("many/") + name);
    } else {
      ASSERT_EQ(::link(other.c_str(), path.c_str()), 0) << name;
    }
  }

  const RunResult run = box.Run({"many"});

  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, expectedOut + TotalLine(pages));
  EXPECT_EQ(box.Read("database.js"), DefaultOutput(expectedEntries, pages));
}

// --- hostile names -------------------------------------------------------

// Names that no Windows site holds: quotation marks, backslashes, line
// ends and other control bytes, "</script>" across two folders, percent
// signs of the name's own, and bytes 128 to 255. The output still loads in
// node, and every link, with the link rule's escapes decoded, names the
// page whose text it carries.
TEST(HostileNames, LinksNameTheIndexedFilesAndTheOutputLoads) {
  if (CurrentTarget().windows) GTEST_SKIP() << "file names of Linux";
  const std::vector<std::string> pages = {
      "q\"uote.htm",
      "back\\slash.htm",
      "new\nline.htm",
      "tab\tand\rcr.htm",
      "ctl\x01\x1f\x7f.htm",
      "100%.htm",
      "%41%zz%2.htm",
      "\xe9t\xe9.htm",
      "\x80\xff\xa0.htm",
      "x</script>/p.htm",
      "dir\"q\n\\/\xc0\\.php",
      "'; alert(1); '.htm",
      "end\\/z.htm",
  };
  Sandbox box;
  std::map<std::string, std::string> pageOfText;
  int n = 0;
  for (const std::string& path : pages) {
    const std::string text = "Page number " + std::to_string(n++) + " says \"hi\" to C:\\dir\\";
    box.Write("site/" + path, "<p>" + text + "</p>\n");
    std::string shown = text;
    for (char& c : shown) {
      if (c == '"') c = '\'';
    }
    pageOfText[shown] = "site/" + path;
  }

  const RunResult run = box.Run({"site"});

  ASSERT_EQ(run.signal, 0);
  ASSERT_EQ(run.status, 0);
  EXPECT_EQ(ReportedTotal(run.out), static_cast<long>(pages.size()));
  const Loaded loaded = LoadInNode(box);
  ASSERT_TRUE(loaded.ok) << loaded.error;
  EXPECT_EQ(loaded.recordCount, static_cast<long>(pages.size()));
  ASSERT_EQ(loaded.entries.size(), pages.size());
  std::set<std::string> named;
  for (const auto& [text, link] : loaded.entries) {
    const auto page = pageOfText.find(text);
    ASSERT_NE(page, pageOfText.end()) << "an entry's text came back changed: " << testing::PrintToString(text);
    EXPECT_EQ(DecodeLink(link), page->second) << testing::PrintToString(link);
    EXPECT_TRUE(fs::is_regular_file(box.At(DecodeLink(link)))) << testing::PrintToString(link);
    named.insert(page->second);
  }
  EXPECT_EQ(named.size(), pages.size());
}

// A device never ends: a page linked to one would hang the run, so it is
// refused as a page that cannot be opened, and a template linked to one ends
// the run with the failure report.
TEST(HostileNames, DeviceIsAnOpenError) {
  if (CurrentTarget().windows) GTEST_SKIP() << "devices of Linux";
  Sandbox box;
  box.Write("site/a.htm", "<p>Before the device</p>\n");
  box.Link("site/b-zero.htm", "/dev/zero");
  box.Write("site/c.htm", "<p>After the device</p>\n");

  RunOptions bounded;
  bounded.limits = {{RLIMIT_CPU, 10}};
  const RunResult run = box.Run({"site"}, bounded);

  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, PageLine("site/a.htm", 1) + OpenErrorLine("site/b-zero.htm") + PageLine("site/c.htm", 1) +
                         TotalLine(2));

  std::filesystem::remove(box.Bin() / "_database.js");
  std::filesystem::create_symlink("/dev/zero", box.Bin() / "_database.js");
  const RunResult withDeviceTemplate = box.Run({"site/a.htm"}, bounded);
  EXPECT_EQ(withDeviceTemplate.status, 1);
  EXPECT_TRUE(withDeviceTemplate.out.ends_with("\nFile access denied.\r\n")) << withDeviceTemplate.out;
}

// A link to itself cannot be followed: it is a file, and as a page it
// cannot be opened; the run goes on with the next page and its numbering.
TEST(HostileNames, LinkToItselfIsAnOpenError) {
  if (CurrentTarget().windows) GTEST_SKIP() << "symbolic links";
  Sandbox box;
  box.Link("site/b-loop.htm", "b-loop.htm");
  box.Link("site/c-loop", "c-loop");
  box.Write("site/a.htm", "<p>Before the loop</p>\n");
  box.Write("site/d.htm", "<p>After the loop</p>\n");

  const RunResult run = box.Run({"site"});

  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, PageLine("site/a.htm", 1) + OpenErrorLine("site/b-loop.htm") + PageLine("site/d.htm", 1) +
                         TotalLine(2));
  EXPECT_EQ(box.Read("database.js"),
            DefaultOutput(Entry(0, "Before the loop", "site/a.htm") + Entry(1, "After the loop", "site/d.htm"), 2));
}

// --- hostile pages -------------------------------------------------------

struct HostilePageCase {
  const char* name;
  std::string (*make)(std::string& entries, int& count);  // count -1: not known in advance
};

std::string OneLongLine(std::string& entries, int& count) {
  std::string page;
  count = 100000;
  for (int i = 0; i < count; ++i) {
    const std::string text = "item " + std::to_string(i);
    page += "<li>" + text + "</li>";
    entries += Entry(i, text, "page.htm");
  }
  return page;
}

std::string OnlyLessThan(std::string&, int& count) {
  count = 0;
  return std::string(1 << 20, '<');
}

std::string ManyUnclosedTags(std::string&, int& count) {
  count = 0;
  std::string page = "<p";
  for (int i = 0; i < 50000; ++i) page += " <b attr=\"x";
  return page;
}

std::string ZeroBytes(std::string& entries, int& count) {
  using namespace std::string_literals;
  count = 2;
  entries += Entry(0, "a\0b\0c"s, "page.htm") + Entry(1, "ok\0text"s, "page.htm");
  return "\0\0<p>\0a\0b\0c\0</p>\0\0\n<p>\0\0\0</p>\0<p>\0ok\0text</p>\0"s;
}

std::string TwoBytesPerCharacter(std::string& entries, int& count) {
  using namespace std::string_literals;
  count = 1;
  entries += Entry(0, "H\0e\0l\0l\0o\0 \0w\0o\0r\0l\0d"s, "page.htm");
  std::string page = "\xff\xfe";
  for (char c : std::string("<p>Hello world</p>\r\n")) {
    page += c;
    page += '\0';
  }
  return page;
}

std::string RandomBytes(std::string&, int& count) {
  count = -1;
  std::mt19937 random(20261211);
  std::string page(1 << 20, '\0');
  for (char& c : page) c = static_cast<char>(random() & 255);
  return page;
}

class HostilePage : public testing::TestWithParam<HostilePageCase> {};

TEST_P(HostilePage, IsIndexedWithoutHarmAndTheOutputLoads) {
  std::string entries;
  int count = -1;
  Sandbox box;
  box.Write("page.htm", GetParam().make(entries, count));
  // One entry of another page, so that there is always an output to load.
  box.Write("z.htm", "<p>Last page</p>\n");

  const RunResult run = box.Run({"page.htm", "z.htm"});

  ASSERT_EQ(run.signal, 0);
  ASSERT_EQ(run.status, 0);
  const long total = ReportedTotal(run.out);
  if (count >= 0) {
    EXPECT_EQ(run.out, PageLine("page.htm", count) + PageLine("z.htm", 1) + TotalLine(count + 1));
    EXPECT_EQ(box.Read("database.js"), DefaultOutput(entries + Entry(count, "Last page", "z.htm"), count + 1));
  }
  const Loaded loaded = LoadInNode(box);
  ASSERT_TRUE(loaded.ok) << loaded.error;
  EXPECT_EQ(loaded.recordCount, total);
  EXPECT_EQ(static_cast<long>(loaded.entries.size()), total);
  ASSERT_FALSE(loaded.entries.empty());
  EXPECT_EQ(loaded.entries.back(), std::make_pair(std::string("Last page"), std::string("z.htm")));
}

INSTANTIATE_TEST_SUITE_P(Cases, HostilePage,
                         testing::Values(HostilePageCase{"OneLongLine", OneLongLine},
                                         HostilePageCase{"OnlyLessThan", OnlyLessThan},
                                         HostilePageCase{"ManyUnclosedTags", ManyUnclosedTags},
                                         HostilePageCase{"ZeroBytes", ZeroBytes},
                                         HostilePageCase{"TwoBytesPerCharacter", TwoBytesPerCharacter},
                                         HostilePageCase{"RandomBytes", RandomBytes}),
                         [](const auto& c) { return std::string(c.param.name); });

}  // namespace
}  // namespace e2e
