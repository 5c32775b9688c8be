#include "UTypes.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/platform.h"
#include "rtl/Console.h"
#include "rtl/Format.h"
#include "rtl/LineReader.h"
#include "rtl/PathRules.h"
#include "rtl/TextFile.h"

namespace {

// ---------------------------------------------------------------------------
// The walk

// The folders whose entries are being listed at this moment, from the top of
// the walk down; a folder among them is not entered again (a link back up
// the tree would otherwise be walked until the path grew too long).
using Branch = std::vector<platform::FolderId>;

void Walk(const std::string& Pattern, std::int32_t& TotalCount, rtl::TextBlock& Entries, Branch& OpenFolders) {
  platform::DirSearch search;
  if (!search.Start(Pattern)) return;
  platform::FolderId listed;
  const bool onBranch = search.ListedFolderId(listed);
  if (onBranch) OpenFolders.push_back(listed);

  const rtl::SystemRules& rules = platform::NativeRules();
  const std::string_view directory = rtl::DirectoryPart(Pattern, rules);
  do {
    const std::string& name = search.Name();
    if (search.IsFolder()) {
      if (name == "." || name == "..") continue;
      platform::FolderId id;
      if (search.EntryId(id) && std::find(OpenFolders.begin(), OpenFolders.end(), id) != OpenFolders.end()) continue;
      std::string subPattern;
      subPattern.reserve(directory.size() + name.size() + 4);
      subPattern.append(directory).append(name).append(1, rules.pathSeparator).append("*.*");
      Walk(subPattern, TotalCount, Entries, OpenFolders);
    } else if (rtl::IsPageName(name, rules)) {
      std::string pagePath;
      pagePath.reserve(directory.size() + name.size());
      pagePath.append(directory).append(name);
      ProcessFile(pagePath, TotalCount, Entries);
    }
  } while (search.Next());

  if (onBranch) OpenFolders.pop_back();
}

// ---------------------------------------------------------------------------
// The page

constexpr bool IsTagSeparator(char c) { return c == 8 || c == 10 || c == 13 || c == 32; }

// Digits, ASCII letters and codes 192 to 255. Written with bitwise rather
// than logical operators so that it costs no branch: c | 0x20 is a small
// letter exactly when c is a letter of either case.
constexpr bool IsCounted(unsigned char c) {
  const bool digit = static_cast<unsigned char>(c - '0') < 10;
  const bool letter = static_cast<unsigned char>((c | 0x20) - 'a') < 26;
  const bool high = c >= 192;
  return digit | letter | high;
}

// Most segments hold neither a quotation mark nor a backslash: the next of
// each is found with memchr, and the runs between them are copied whole.
void AppendEscaped(rtl::TextBlock& out, std::string_view text) {
  const char* p = text.data();
  const char* const end = p + text.size();
  const auto next = [end](const char* from, char c) {
    const void* at = from < end ? std::memchr(from, c, static_cast<std::size_t>(end - from)) : nullptr;
    return at != nullptr ? static_cast<const char*>(at) : end;
  };
  const char* quote = next(p, '"');
  const char* backslash = next(p, '\\');
  while (quote != end || backslash != end) {
    const char* at = quote < backslash ? quote : backslash;
    out.Append(p, static_cast<std::size_t>(at - p));
    if (at == quote) {
      out.Append('\'');
      quote = next(at + 1, '"');
    } else {
      out.Append("\\\\");
      backslash = next(at + 1, '\\');
    }
    p = at + 1;
  }
  out.Append(p, static_cast<std::size_t>(end - p));
}

void AppendEntry(rtl::TextBlock& Entries, std::int32_t number, std::string_view segment, std::string_view link) {
  char digits[20];
  char* const end = digits + sizeof digits;
  const char* first = rtl::FormatDecimalInto(number, end);
  const std::string_view n(first, static_cast<std::size_t>(end - first));
  Entries.Append("KeyString[");
  Entries.Append(n);
  Entries.Append("]= \"");
  AppendEscaped(Entries, segment);
  Entries.Append("\";\r\nKeyLink[");
  Entries.Append(n);
  Entries.Append("]= \"");
  Entries.Append(link);
  Entries.Append("\";\r\n");
}

// The skip test of a tag name as it stands in the page: IsSkipTag of its
// upper-cased form, without making that form as a string for every tag.
bool IsSkipTagName(std::string_view name) {
  constexpr std::size_t kLongest = [] {
    std::size_t longest = 0;
    for (std::string_view tag : SkipTags) longest = std::max(longest, tag.size());
    return longest;
  }();
  if (name.size() > kLongest) return false;
  char upper[kLongest];
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    upper[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  }
  return IsSkipTag(std::string_view(upper, name.size()));
}

// The page as one line: every line trimmed and followed by one space.
void ReadPageText(rtl::ByteSource& page, rtl::TextBlock& PageText) {
  rtl::LineReader reader(page);
  while (!reader.AtEnd()) {
    reader.AppendLine(PageText, true);
    PageText.Append(' ');
  }
}

}  // namespace

void ScanPath(const std::string& Pattern, std::int32_t& TotalCount, rtl::TextBlock& Entries) {
  Branch openFolders;
  const rtl::SystemRules& rules = platform::NativeRules();
  const std::string_view last = rtl::LastComponent(Pattern, rules);
  // A pattern that ends in its separator ("docs/", as shell completion
  // writes it) or in "." or ".." stands for that folder, walked whole.
  if (!Pattern.empty() && (last.empty() || last == "." || last == "..")) {
    if (!platform::IsFolderPath(Pattern)) return;
    std::string folderPattern = Pattern;
    if (!last.empty()) folderPattern += rules.pathSeparator;
    folderPattern += "*.*";
    Walk(folderPattern, TotalCount, Entries, openFolders);
    return;
  }
  Walk(Pattern, TotalCount, Entries, openFolders);
}

void ProcessFile(const std::string& PagePath, std::int32_t& TotalCount, rtl::TextBlock& Entries) {
  rtl::Console& console = rtl::StdOut();
  console.Write({"Processing file \"", PagePath, "\"..."});

  rtl::TextBlock PageText;
  {
    rtl::TextInput page;
    if (page.Open(PagePath) != 0) {
      console.WriteLine("open error!");
      return;
    }
    ReadPageText(page, PageText);
    page.Close();
  }

  const std::string link = MakeLink(PagePath);
  const std::int32_t PageEntryCount = ScanPageText(PageText.View(), TotalCount, link, Entries);

  char digits[20];
  char* end = digits + sizeof digits;
  const char* first = rtl::FormatDecimalInto(PageEntryCount, end);
  console.WriteLine({"success, ", std::string_view(first, static_cast<std::size_t>(end - first)),
                     " index items added for this file."});
  TotalCount = static_cast<std::int32_t>(static_cast<std::uint32_t>(TotalCount) +
                                         static_cast<std::uint32_t>(PageEntryCount));
}

std::int32_t ScanPageText(std::string_view PageText, std::int32_t FirstNumber, std::string_view Link,
                          rtl::TextBlock& Entries) {
  const char* text = PageText.data();
  // The final character (the space after the last line) is never examined.
  const std::size_t last = PageText.empty() ? 0 : PageText.size() - 1;
  // Nothing to examine; an empty page's text may have no storage at all, and
  // memchr must not be handed a null pointer even for zero bytes.
  if (last == 0) return 0;
  std::size_t p = 0;
  const auto skipSeparators = [&] {
    while (p < last && IsTagSeparator(text[p])) ++p;
  };
  // Position of the next `c` at or after p, or `last`; p must not pass last.
  const auto find = [&](char c) -> std::size_t {
    const void* at = std::memchr(text + p, c, last - p);
    return at != nullptr ? static_cast<std::size_t>(static_cast<const char*>(at) - text) : last;
  };

  // Whether the last tag's name (empty before the first tag) is a skip tag;
  // the name itself is needed for nothing else.
  bool skipText = false;
  std::int32_t count = 0;
  p = find('<');
  if (p >= last) return 0;
  for (;;) {
    if (p < last && text[p] == '<') {
      // Tag step: the name is the first word, upper-cased; the tag ends at
      // the first ">" after it, quotation marks or not.
      ++p;
      skipSeparators();
      const std::size_t nameStart = p;
      while (p < last && !IsTagSeparator(text[p]) && text[p] != '>') ++p;
      skipText = IsSkipTagName(std::string_view(text + nameStart, p - nameStart));
      p = find('>');
      if (p < last) ++p;
      skipSeparators();
      continue;
    }
    // Text step: everything up to the next "<" is one segment.
    const std::size_t start = p;
    p = find('<');
    if (!skipText) {
      const std::string_view segment = Trim(std::string_view(text + start, p - start));
      if (IsIndexableText(segment)) {
        const auto number = static_cast<std::int32_t>(static_cast<std::uint32_t>(FirstNumber) +
                                                      static_cast<std::uint32_t>(count));
        AppendEntry(Entries, number, segment, Link);
        ++count;
      }
    }
    if (p >= last) return count;
  }
}

bool IsSkipTag(std::string_view TagName) {
  return std::find(SkipTags.begin(), SkipTags.end(), TagName) != SkipTags.end();
}

bool IsIndexableText(std::string_view Text) {
  const std::size_t n = Text.size();
  if (n < 3 || Text[0] == '&') return false;
  // Every segment passes through here: a count without branches, which the
  // compiler turns into vector code.
  std::size_t counted = 0;
  for (const char c : Text) counted += IsCounted(static_cast<unsigned char>(c)) ? 1u : 0u;
  return counted >= n / 3;
}

std::string EscapeText(std::string_view Text) {
  rtl::TextBlock out;
  AppendEscaped(out, Text);
  return out.Str();
}

std::string MakeLink(std::string_view PagePath, const rtl::SystemRules& Rules) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string link;
  link.reserve(PagePath.size());
  for (std::size_t i = 0; i < PagePath.size();) {
    const std::size_t n = rtl::CharLength(Rules, PagePath, i);
    const auto c = static_cast<unsigned char>(PagePath[i]);
    if (n == 2) {
      link.append(PagePath.substr(i, 2));
    } else if (c == '\\' && !Rules.backslashInNames) {
      link += '/';
    } else if (c == '"' || c == '\\' || c < 32 || c == 127) {
      link += '%';
      link += kHex[c >> 4];
      link += kHex[c & 15];
    } else {
      link += static_cast<char>(c);
    }
    i += n;
  }
  return link;
}

std::string MakeLink(std::string_view PagePath) { return MakeLink(PagePath, platform::NativeRules()); }

std::string_view Trim(std::string_view Text) {
  std::size_t begin = 0, end = Text.size();
  while (begin < end && static_cast<unsigned char>(Text[begin]) <= 32) ++begin;
  while (end > begin && static_cast<unsigned char>(Text[end - 1]) <= 32) --end;
  return Text.substr(begin, end - begin);
}
