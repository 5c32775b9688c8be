// zanthor-gensite: writes a synthetic web site for the benchmark.
//
//   zanthor-gensite SHAPE FOLDER [--scale X] [--seed N]
//
// SHAPE is one of
//   typical  ~200 MB of pages in ~16,000 pages, sections a few folders deep
//   large    the same mix, five times as much (~1 GB in ~80,000 pages)
//   tiny     200,000 pages of about 1 KB, 400 per folder
//   huge     one page of 300 MB
//   deep     a chain of 200 nested folders, a few pages on every level
// --scale multiplies the number of pages (the huge page: its size); the deep
// tree keeps its 200 levels. FOLDER must not exist yet, or be empty.
//
// Every page is made from its own random stream, seeded from the seed, the
// shape and the page's number, so the same arguments give the same bytes on
// every run and every machine. Besides the pages, the site holds files that
// are not pages (images, style sheets, scripts, text) and page extensions in
// both letter cases. At the end one line tells what was written:
//   pages N page_bytes N other_files N other_bytes N folders N
#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

// --- Random stream ---------------------------------------------------------

class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    // splitmix64: small, fast, and the same on every platform.
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // 0 .. n-1
  std::size_t Below(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(Next() % n); }
  // lo .. hi
  std::size_t Between(std::size_t lo, std::size_t hi) { return lo + Below(hi - lo + 1); }
  // True with probability percent/100.
  bool Percent(unsigned percent) { return Below(100) < percent; }
  template <typename T, std::size_t N>
  const T& Pick(const T (&items)[N]) {
    return items[Below(N)];
  }

 private:
  std::uint64_t state_;
};

std::uint64_t Mix(std::uint64_t a, std::uint64_t b) {
  Random r(a ^ (b * 0xD6E8FEB86659FD93ull));
  return r.Next();
}

std::uint64_t HashName(std::string_view name) {
  std::uint64_t h = 1469598103934665603ull;
  for (char c : name) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return h;
}

// --- Words -----------------------------------------------------------------

// Plain words, and words with bytes above 127 in the Western single-byte
// code page (e9 é, fc ü, df ß, e8 è, f1 ñ, e7 ç, f6 ö, e4 ä, e0 à).
constexpr const char* kWords[] = {
    "the",      "of",        "and",      "to",        "in",       "a",         "is",        "that",
    "for",      "it",        "as",       "with",      "was",      "on",        "be",        "by",
    "this",     "are",       "from",     "at",        "or",       "an",        "which",     "have",
    "site",     "page",      "search",   "index",     "garden",   "river",     "mountain",  "library",
    "history",  "travel",    "kitchen",  "recipe",    "weather",  "season",    "harbour",   "village",
    "station",  "timetable", "museum",   "archive",   "letter",   "journal",   "chapter",   "section",
    "summary",  "details",   "project",  "member",    "meeting",  "report",    "annual",    "council",
    "school",   "teacher",   "student",  "lesson",    "course",   "module",    "exercise",  "answer",
    "question", "problem",   "method",   "result",    "figure",   "table",     "measure",   "sample",
    "water",    "stone",     "bridge",   "castle",    "forest",   "meadow",    "island",    "coast",
    "northern", "southern",  "eastern",  "western",   "old",      "new",       "small",     "large",
    "early",    "late",      "open",     "closed",    "public",   "private",   "local",     "general",
    "building", "street",    "market",   "square",    "church",   "tower",     "wall",      "gate",
    "winter",   "summer",    "autumn",   "spring",    "morning",  "evening",   "night",     "day",
    "written",  "printed",   "shown",    "found",     "built",    "opened",    "restored",  "visited",
    "caf\xe9",  "na\xefve",  "Gr\xf6\xdf" "e", "r\xe9sum\xe9", "\xfc" "ber", "d\xe9j\xe0", "fa\xe7" "ade", "se\xf1or",
    "M\xfcller", "Stra\xdf" "e", "K\xf6ln",  "\xe9t\xe9", "pi\xe8" "ce", "cr\xe8me", "M\xe4rz",  "Z\xfcrich",
    "1848",     "2024",      "12",       "7",         "300",      "1,200",     "no.",       "p.",
};

constexpr const char* kTitles[] = {
    "Welcome",       "About us",      "Opening hours", "Timetable",    "Annual report", "Contact",
    "Our history",   "The collection", "Events",       "News archive", "Recipes",       "Members",
    "Visiting",      "Guided walks",  "Publications",  "Downloads",    "Frequently asked questions",
    "Caf\xe9 & shop", "F\xfchrungen", "L'\xe9t\xe9 au village",
};

constexpr const char* kEntities[] = {"&amp;", "&nbsp;", "&eacute;", "&#8212;", "&lt;", "&gt;",
                                     "&quot;", "&copy;", "&#233;",  "&hellip;"};

// Line ends of one page.
enum class Ends { Lf, CrLf, Mixed };

class Page {
 public:
  Page(Random& r, Ends ends, std::size_t wrap) : r_(r), ends_(ends), wrap_(wrap) {}

  std::string& Text() { return text_; }
  std::size_t Size() const { return text_.size(); }

  void Put(std::string_view s) {
    text_.append(s);
    column_ += s.size();
  }
  void Line(std::string_view s) {
    Indent();
    Put(s);
    End();
  }
  void End() {
    switch (ends_) {
      case Ends::Lf: text_ += '\n'; break;
      case Ends::CrLf: text_ += "\r\n"; break;
      case Ends::Mixed:
        // Mostly CR LF, some LF, and now and then a CR on its own.
        if (r_.Percent(3)) {
          text_ += '\r';
        } else if (r_.Percent(30)) {
          text_ += '\n';
        } else {
          text_ += "\r\n";
        }
        break;
    }
    column_ = 0;
  }
  void Indent() {
    for (int i = 0; i < depth_; ++i) Put(tabs_ ? "\t" : "  ");
  }
  void In() { ++depth_; }
  void Out() {
    if (depth_ > 0) --depth_;
  }
  void UseTabs(bool tabs) { tabs_ = tabs; }

  // Running text of about `words` words, wrapped at the page's width, with
  // inline markup, entities and now and then a stray "<" or ">".
  void Prose(std::size_t words) {
    bool capital = true;
    for (std::size_t i = 0; i < words; ++i) {
      std::string word = r_.Pick(kWords);
      if (capital && word[0] >= 'a' && word[0] <= 'z') word[0] = static_cast<char>(word[0] - 32);
      capital = false;
      const std::size_t roll = r_.Below(1000);
      if (roll < 6) {
        word = "<a href=\"" + std::string(r_.Pick(kWords)) + ".htm\">" + word + "</a>";
      } else if (roll < 10) {
        word = "<a href='../" + std::string(r_.Pick(kWords)) + "/index.html' title='" + word + "'>" + word + "</a>";
      } else if (roll < 12) {
        word = "<a href=" + std::string(r_.Pick(kWords)) + ".php?id=" + std::to_string(r_.Below(900)) + ">" + word +
               "</a>";
      } else if (roll < 20) {
        word = (r_.Percent(50) ? "<em>" : "<b>") + word + (r_.Percent(50) ? "</em>" : "</b>");
      } else if (roll < 25) {
        word = r_.Pick(kEntities);
      } else if (roll < 27) {
        word = r_.Percent(50) ? "x < y" : "a > b";
      } else if (roll < 32) {
        word = "\"" + word + "\"";
      } else if (roll < 34) {
        word = "C:\\" + word;
      }
      if (column_ + word.size() + 1 > wrap_ && column_ > 0) {
        End();
        Indent();
      } else if (i > 0) {
        Put(" ");
      }
      Put(word);
      if (r_.Percent(9)) {
        Put(r_.Percent(80) ? "." : (r_.Percent(50) ? "?" : "!"));
        capital = true;
      } else if (r_.Percent(6)) {
        Put(",");
      }
    }
    Put(".");
  }

  void Paragraph(std::size_t words) {
    Indent();
    const std::size_t kind = r_.Below(10);
    Put(kind < 6 ? "<p>" : kind < 8 ? "<p class=\"note\">" : "<p id='p" + std::to_string(r_.Below(99)) + "'>");
    if (r_.Percent(50)) {
      End();
      In();
      Indent();
      Prose(words);
      End();
      Out();
      Line("</p>");
    } else {
      Prose(words);
      Put("</p>");
      End();
    }
    if (r_.Percent(15)) End();  // a blank line between paragraphs
  }

  void Head(std::string_view title, bool php) {
    Line("<!DOCTYPE html>");
    Line(r_.Percent(50) ? "<html lang=\"en\">" : "<HTML LANG=en>");
    Line("<head>");
    In();
    Line("<meta charset=\"windows-1252\">");
    Line("<meta name=viewport content='width=device-width, initial-scale=1'>");
    Line("<title>" + std::string(title) + " - Harbour Museum</title>");
    Line("<link rel=\"stylesheet\" href=\"/css/site.css\" type=text/css>");
    Line("<link rel=\"preload\" href=\"/fonts/serif-regular.woff2\" as=\"font\" type=\"font/woff2\" crossorigin>");
    Line("<link rel='icon' href='/favicon.ico' sizes='32x32'><link rel=canonical href=\"https://example.org/\">");
    Line("<meta name=\"description\" content=\"" + std::string(r_.Pick(kTitles)) + " at the harbour museum\">");
    Line("<meta property=\"og:type\" content=\"website\"><meta property='og:site_name' content='Harbour Museum'>");
    if (php) Line("<?php include 'header.php'; if ($page < 3) { echo \"<b>new</b>\"; } ?>");
    Line(r_.Percent(70) ? "<style type=\"text/css\">" : "<STYLE>");
    In();
    Line("/* layout: nav > ul, content < 60em */");
    Line("body > nav ul { margin: 0; padding: 0 1em; }");
    Line("p.note:before { content: \"<b>Note</b>\"; color: #a30; }");
    Line("table td > a[href$=\".pdf\"] { font-weight: bold; }");
    Out();
    Line(r_.Percent(70) ? "</style>" : "</STYLE>");
    Line(r_.Percent(60) ? "<script type=\"text/javascript\">" : "<script>");
    In();
    Line("var config = {\"lang\": \"en\", \"menu\": [\"home\", \"visit\", \"learn\"], \"break\": 720};");
    Line("window.dataLayer = window.dataLayer || []; function track() { dataLayer.push(arguments); }");
    Line("var shown = 0, limit = " + std::to_string(r_.Between(3, 40)) + ";");
    Line("function more(list) {");
    In();
    Line("for (var i = 0; i < list.length && shown<limit; i++) {");
    In();
    Line("document.write('<li class=\"item\">' + list[i] + '</li>');");
    Line("if (list[i].length > 20 && i <= 3) shown++;");
    Out();
    Line("}");
    Out();
    Line("}");
    Out();
    Line("</script>");
    Out();
    Line("</head>");
  }

  void Nav(std::size_t links) {
    Line(r_.Percent(50) ? "<body>" : "<body class=page onload=\"more([])\">");
    Line("<nav id=\"top\">");
    In();
    Line("<ul>");
    In();
    for (std::size_t i = 0; i < links; ++i) {
      const std::string target = r_.Pick(kWords);
      switch (r_.Below(3)) {
        case 0: Line("<li><a href=\"../" + target + "/index.htm\">" + std::string(r_.Pick(kTitles)) + "</a></li>"); break;
        case 1: Line("<li><a href='" + target + ".html'>" + std::string(r_.Pick(kTitles)) + "</a></li>"); break;
        default: Line("<li><a href=" + target + ".php class=nav>" + std::string(r_.Pick(kTitles)) + "</a></li>"); break;
      }
    }
    Out();
    Line("</ul>");
    Out();
    Line("</nav>");
  }

  void Table(std::size_t rows, std::size_t columns) {
    Line(r_.Percent(50) ? "<table class=\"data\" border=1>" : "<TABLE cellpadding='2'>");
    In();
    Indent();
    Put("<tr>");
    for (std::size_t c = 0; c < columns; ++c) Put("<th>" + std::string(r_.Pick(kWords)) + "</th>");
    Put("</tr>");
    End();
    for (std::size_t row = 0; row < rows; ++row) {
      Indent();
      Put("<tr>");
      for (std::size_t c = 0; c < columns; ++c) {
        Put(r_.Percent(20) ? "<td align=right>" : "<td>");
        if (r_.Percent(40)) {
          Put(std::to_string(r_.Below(100000)));
        } else {
          Put(std::string(r_.Pick(kWords)) + " " + r_.Pick(kWords));
        }
        Put("</td>");
      }
      Put("</tr>");
      End();
    }
    Out();
    Line(r_.Percent(50) ? "</table>" : "</TABLE>");
  }

  void List(std::size_t items) {
    Line(r_.Percent(70) ? "<ul>" : "<ol type=\"a\">");
    In();
    for (std::size_t i = 0; i < items; ++i) {
      Indent();
      Put("<li>");
      Prose(r_.Between(3, 14));
      Put("</li>");
      End();
    }
    Out();
    Line("</ul>");
  }

  void Comment() {
    switch (r_.Below(4)) {
      case 0: Line("<!-- section " + std::to_string(r_.Below(50)) + " -->"); break;
      case 1: Line("<!--hidden: <b>draft</b> text that follows the inner tag -->"); break;
      case 2:
        Line("<!--");
        Line("  old menu: <a href=\"old.htm\">Old page</a> kept for reference");
        Line("-->");
        break;
      default: Line("<!-- a > b, see \"notes\" -->"); break;
    }
  }

  void InlineScript() {
    Line("<script>");
    In();
    Line("if (window.innerWidth < 600) { document.write('<p>Small screen</p>'); }");
    Out();
    Line("</script>");
  }

  void Footer() {
    Line("</main>");
    Line("<footer class=\"site-footer site-footer--dark\" role=\"contentinfo\">");
    In();
    Line("<p>&copy; 2026 Harbour Museum &middot; <a href=\"/contact.htm\">Contact</a> &middot; "
         "Stra\xdf" "e 7, K\xf6ln</p>");
    Out();
    Line("</footer>");
    Line("</body>");
    Line("</html>");
  }

  // Body sections until the page holds about `target` bytes.
  void Body(std::size_t target) {
    Line("<main id=\"content\" class=\"main-content container container--wide layout-grid\" role=\"main\">");
    Line("<h1>" + std::string(r_.Pick(kTitles)) + "</h1>");
    while (Size() < target) {
      if (r_.Percent(25)) {
        Line("</div>");
        Line(r_.Percent(50) ? "<div class=\"section section--text col-12 col-md-8 offset-md-2 mb-4\" data-id=\"" +
                                  std::to_string(r_.Below(100000)) + "\">"
                            : "<div class='row gutter-2 align-items-start'><div class=col-12>");
      }
      const std::size_t roll = r_.Below(100);
      if (roll < 62) {
        Paragraph(r_.Between(20, 140));
      } else if (roll < 69) {
        Line("<h2 id=\"s" + std::to_string(r_.Below(1000)) + "\">" + std::string(r_.Pick(kTitles)) + "</h2>");
      } else if (roll < 77) {
        List(r_.Between(2, 8));
      } else if (roll < 80) {
        Table(r_.Between(2, 8), r_.Between(2, 4));
      } else if (roll < 88) {
        Comment();
      } else if (roll < 94) {
        InlineScript();
      } else {
        Line("<img src=\"img/" + std::string(r_.Pick(kWords)) + ".png\" alt='picture' width=200>");
      }
    }
  }

 private:
  Random& r_;
  Ends ends_;
  std::size_t wrap_;
  std::string text_;
  std::size_t column_ = 0;
  int depth_ = 0;
  bool tabs_ = false;
};

Ends PickEnds(Random& r) {
  const std::size_t roll = r.Below(100);
  return roll < 55 ? Ends::Lf : roll < 93 ? Ends::CrLf : Ends::Mixed;
}

// A full page of about `target` bytes.
std::string MakePage(Random& r, std::size_t target, bool php) {
  Page page(r, PickEnds(r), r.Between(68, 80));
  page.UseTabs(r.Percent(30));
  page.Head(r.Pick(kTitles), php);
  page.Nav(r.Between(4, 12));
  page.Body(target > 1200 ? target - 600 : 0);
  page.Footer();
  return std::move(page.Text());
}

// A page of about 1 KB: a small head, a short navigation, a paragraph.
std::string MakeTinyPage(Random& r, bool php) {
  Page page(r, PickEnds(r), r.Between(68, 80));
  page.Line("<html><head><title>" + std::string(r.Pick(kTitles)) + "</title>");
  page.Line("<style>p > a { color: #333 }</style>");
  page.Line("<script>if (a < b) document.write('<i>x</i>');</script>");
  if (php) page.Line("<?php echo $title ?>");
  page.Line("</head><body>");
  page.Line("<nav><a href=\"index.htm\">Home</a> | <a href='up.html'>Up</a> | <a href=next.php>Next</a></nav>");
  page.Line("<h1>" + std::string(r.Pick(kTitles)) + "</h1>");
  page.Paragraph(r.Between(60, 110));
  page.Line("<!-- end -->");
  page.Line("</body></html>");
  return std::move(page.Text());
}

// --- Files -----------------------------------------------------------------

struct Totals {
  std::uint64_t pages = 0, pageBytes = 0, others = 0, otherBytes = 0, folders = 0;
};

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "zanthor-gensite: %s: %s\n", what.c_str(), std::strerror(errno));
  std::exit(1);
}

void MakeFolder(const std::string& path, Totals& totals) {
  if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) Fail("cannot make " + path);
  ++totals.folders;
}

void WriteFile(const std::string& path, std::string_view bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) Fail("cannot write " + path);
  if (std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0) {
    Fail("cannot write " + path);
  }
}

// Page extensions, lower case mostly, some upper case or mixed.
constexpr const char* kPageExtensions[] = {".htm", ".htm", ".html", ".html", ".html", ".php",
                                           ".HTM", ".HTML", ".Html", ".PHP", ".php3"};

void WritePage(const std::string& folder, std::string_view stem, Random& r, std::size_t target, bool tiny,
               Totals& totals) {
  const std::string extension = r.Pick(kPageExtensions);
  const bool php = extension[1] == 'p' || extension[1] == 'P';
  const std::string text = tiny ? MakeTinyPage(r, php) : MakePage(r, target, php);
  WriteFile(folder + "/" + std::string(stem) + extension, text);
  ++totals.pages;
  totals.pageBytes += text.size();
}

// Files that are not pages, which the walk lists and passes over.
void WriteOthers(const std::string& folder, Random& r, std::size_t count, Totals& totals) {
  static constexpr const char* kNames[] = {"photo.png", "logo.JPG", "site.css", "menu.js", "readme.txt",
                                           "page.htm.bak", "notes.phtml", "data.json"};
  for (std::size_t i = 0; i < count; ++i) {
    const std::string name = std::to_string(i) + "-" + r.Pick(kNames);
    std::string bytes;
    const std::size_t size = r.Between(200, 6000);
    bytes.reserve(size);
    if (name.ends_with(".png") || name.ends_with(".JPG")) {
      bytes = "\x89PNG\r\n\x1a\n";
      while (bytes.size() < size) bytes += static_cast<char>(r.Next() & 0xFF);
    } else {
      while (bytes.size() < size) bytes += "body > p { margin: 0 } <p>not a page</p>\n";
    }
    WriteFile(folder + "/" + name, bytes);
    ++totals.others;
    totals.otherBytes += bytes.size();
  }
}

// Page sizes of a typical site: mostly 3 to 20 KB, a tail up to 60 KB;
// 12.5 KB on average.
std::size_t TypicalPageSize(Random& r) {
  const std::size_t roll = r.Below(100);
  if (roll < 60) return r.Between(2700, 11800);
  if (roll < 92) return r.Between(9600, 20400);
  return r.Between(21500, 62000);
}

std::string Stem(const char* prefix, std::size_t n) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%s%05zu", prefix, n);
  return buffer;
}

// Sections of folders two or three levels deep, 20 to 120 pages in each.
void MakeSectionedSite(const std::string& root, std::uint64_t seed, std::size_t pages, Totals& totals) {
  Random layout(Mix(seed, 1));
  std::size_t made = 0;
  for (std::size_t section = 0; made < pages; ++section) {
    const std::string sectionFolder = root + "/" + Stem(section % 3 == 0 ? "Section" : "section", section);
    MakeFolder(sectionFolder, totals);
    const std::size_t subs = layout.Between(2, 6);
    for (std::size_t sub = 0; sub < subs && made < pages; ++sub) {
      std::string folder = sectionFolder + "/" + Stem("part", sub);
      MakeFolder(folder, totals);
      if (layout.Percent(40)) {
        folder += "/" + Stem("more", sub);
        MakeFolder(folder, totals);
      }
      const std::size_t inFolder = layout.Between(20, 120);
      for (std::size_t i = 0; i < inFolder && made < pages; ++i, ++made) {
        Random r(Mix(seed, 1000 + made));
        WritePage(folder, Stem("page", i), r, TypicalPageSize(r), false, totals);
      }
      WriteOthers(folder, layout, layout.Between(1, 8), totals);
    }
  }
  Random r(Mix(seed, 2));
  WritePage(root, "index", r, 9000, false, totals);
  WriteOthers(root, r, 4, totals);
}

void MakeTinySite(const std::string& root, std::uint64_t seed, std::size_t pages, Totals& totals) {
  Random layout(Mix(seed, 1));
  for (std::size_t made = 0, folderNumber = 0; made < pages; ++folderNumber) {
    const std::string folder = root + "/" + Stem("f", folderNumber);
    MakeFolder(folder, totals);
    for (std::size_t i = 0; i < 500 && made < pages; ++i, ++made) {
      Random r(Mix(seed, 1000 + made));
      WritePage(folder, Stem("p", i), r, 0, true, totals);
    }
    WriteOthers(folder, layout, 2, totals);
  }
}

void MakeHugeSite(const std::string& root, std::uint64_t seed, std::size_t bytes, Totals& totals) {
  Random r(Mix(seed, 1000));
  Page page(r, Ends::CrLf, 76);
  page.Head("The whole archive", false);
  page.Nav(10);
  page.Body(bytes > 600 ? bytes - 600 : 0);
  page.Footer();
  WriteFile(root + "/archive.htm", page.Text());
  ++totals.pages;
  totals.pageBytes += page.Size();
  WriteOthers(root, r, 3, totals);
}

// A chain of `levels` folders, each holding a few pages and the next level;
// every tenth level also holds a side folder.
void MakeDeepSite(const std::string& root, std::uint64_t seed, std::size_t levels, std::size_t perLevel,
                  Totals& totals) {
  std::string folder = root;
  std::size_t made = 0;
  for (std::size_t level = 0; level < levels; ++level) {
    folder += "/d";
    MakeFolder(folder, totals);
    for (std::size_t i = 0; i < perLevel; ++i, ++made) {
      Random r(Mix(seed, 1000 + made));
      WritePage(folder, Stem("p", i), r, r.Between(2000, 10000), false, totals);
    }
    if (level % 10 == 0) {
      const std::string side = folder + "/side";
      MakeFolder(side, totals);
      Random r(Mix(seed, 500000 + level));
      WritePage(side, "note", r, 4000, false, totals);
      WriteOthers(side, r, 1, totals);
    }
  }
}

[[noreturn]] void Usage() {
  std::fprintf(stderr, "usage: zanthor-gensite typical|large|tiny|huge|deep FOLDER [--scale X] [--seed N]\n");
  std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) Usage();
  const std::string shape = argv[1];
  const std::string root = argv[2];
  double scale = 1.0;
  std::uint64_t seed = 1;
  for (int i = 3; i < argc; ++i) {
    const std::string option = argv[i];
    if (i + 1 >= argc) Usage();
    if (option == "--scale") {
      scale = std::strtod(argv[++i], nullptr);
    } else if (option == "--seed") {
      seed = std::strtoull(argv[++i], nullptr, 10);
    } else {
      Usage();
    }
  }
  if (!(scale > 0)) Usage();
  const auto scaled = [scale](double n) {
    const double v = n * scale;
    return static_cast<std::size_t>(v < 1 ? 1 : v);
  };
  const std::uint64_t shapeSeed = Mix(seed, HashName(shape));

  Totals totals;
  if (::mkdir(root.c_str(), 0777) != 0 && errno != EEXIST) Fail("cannot make " + root);
  if (shape == "typical") {
    MakeSectionedSite(root, shapeSeed, scaled(16000), totals);
  } else if (shape == "large") {
    MakeSectionedSite(root, shapeSeed, scaled(80000), totals);
  } else if (shape == "tiny") {
    MakeTinySite(root, shapeSeed, scaled(200000), totals);
  } else if (shape == "huge") {
    MakeHugeSite(root, shapeSeed, scaled(300.0 * 1024 * 1024), totals);
  } else if (shape == "deep") {
    MakeDeepSite(root, shapeSeed, 200, scaled(10), totals);
  } else {
    Usage();
  }
  std::printf("pages %llu page_bytes %llu other_files %llu other_bytes %llu folders %llu\n",
              static_cast<unsigned long long>(totals.pages), static_cast<unsigned long long>(totals.pageBytes),
              static_cast<unsigned long long>(totals.others), static_cast<unsigned long long>(totals.otherBytes),
              static_cast<unsigned long long>(totals.folders));
  return 0;
}
