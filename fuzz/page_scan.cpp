// The page scan with the text test and the escaping: a page read as the
// program reads it (every line trimmed, followed by one space), scanned
// into entries. The entry block must match the entry format line by line,
// number its entries from the first number without gaps, carry texts that
// a JavaScript string holds as they are, and equal what a step-by-step
// model of the scan gives. The link rule is checked on its own, for both
// platforms' rules.
#include <charconv>
#include <string>

#include "Check.h"
#include "UTypes.h"
#include "rtl/LineReader.h"
#include "rtl/SystemRules.h"

namespace {

bool IsSeparator(char c) { return c == 8 || c == 10 || c == 13 || c == 32; }

std::string ModelTrim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
  return std::string(s.substr(b, e - b));
}

bool ModelIndexable(const std::string& s) {
  if (s.size() < 3 || s[0] == '&') return false;
  std::size_t counted = 0;
  for (unsigned char c : s) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 192) ++counted;
  }
  return counted >= s.size() / 3;
}

std::string ModelEscape(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '"') {
      out += '\'';
    } else if (c == '\\') {
      out += "\\\\";
    } else {
      out += c;
    }
  }
  return out;
}

// The scan one position at a time, as its steps read. Only positions below
// `last` (the final space is never looked at) are examined.
std::string ModelScan(const std::string& text, std::int32_t first, const std::string& link, std::int32_t& count) {
  std::string entries;
  count = 0;
  const std::size_t last = text.empty() ? 0 : text.size() - 1;
  std::size_t p = 0;
  const auto at = [&](std::size_t i) { return i < last ? text[i] : '\0'; };
  while (p < last && text[p] != '<') ++p;
  if (p >= last) return entries;
  std::string tag;
  for (;;) {
    if (p < last && text[p] == '<') {
      tag.clear();
      ++p;
      while (p < last && IsSeparator(text[p])) ++p;
      while (p < last && !IsSeparator(text[p]) && text[p] != '>') {
        char c = text[p];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        tag += c;
        ++p;
      }
      while (p < last && text[p] != '>') ++p;
      ++p;
      while (p < last && IsSeparator(text[p])) ++p;
      continue;
    }
    const bool collected = tag != "SCRIPT" && tag != "STYLE";
    std::string segment;
    while (p < last && at(p) != '<') {
      if (collected) segment += text[p];
      ++p;
    }
    segment = ModelTrim(segment);
    if (collected && ModelIndexable(segment)) {
      const std::string n = std::to_string(first + count);
      entries += "KeyString[" + n + "]= \"" + ModelEscape(segment) + "\";\r\n";
      entries += "KeyLink[" + n + "]= \"" + link + "\";\r\n";
      ++count;
    }
    if (p >= last) return entries;
  }
}

std::string ModelLink(std::string_view path, bool backslashIsSeparator) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string link;
  for (unsigned char c : path) {
    if (c == '\\' && backslashIsSeparator) {
      link += '/';
    } else if (c == '"' || c == '\\' || c < 32 || c == 127) {
      link += '%';
      link += kHex[c >> 4];
      link += kHex[c & 15];
    } else {
      link += static_cast<char>(c);
    }
  }
  return link;
}

// The body of a JavaScript string: no line end, no double quotation mark,
// and every backslash one of an escaped pair.
void CheckStringBody(std::string_view body, const char* what) {
  for (std::size_t i = 0; i < body.size(); ++i) {
    const char c = body[i];
    fuzz::Expect(c != '\r' && c != '\n', what, body);
    fuzz::Expect(c != '"', what, body);
    if (c == '\\') {
      fuzz::Expect(i + 1 < body.size() && body[i + 1] == '\\', what, body);
      ++i;
    }
  }
}

// Parses one line "<name>[<n>]= \"<body>\";" CR LF at `p`; gives the body.
std::string_view ParseLine(std::string_view block, std::size_t& p, std::string_view name, std::int64_t number) {
  const std::size_t end = block.find("\r\n", p);
  fuzz::Expect(end != std::string_view::npos, "an entry line without CR LF", block.substr(p));
  const std::string_view line = block.substr(p, end - p);
  p = end + 2;
  fuzz::Expect(line.starts_with(name) && line.size() > name.size() + 1 && line[name.size()] == '[',
               "an entry line does not begin with its name", line);
  const std::string_view rest = line.substr(name.size() + 1);
  std::int64_t n = -1;
  const auto [after, error] = std::from_chars(rest.data(), rest.data() + rest.size(), n);
  fuzz::Expect(error == std::errc{} && n == number, "an entry number is out of sequence", line);
  fuzz::Expect(rest.size() > 1 && (rest[0] != '0' || rest[1] == ']'), "an entry number has a leading zero", line);
  const std::string_view tail(after, static_cast<std::size_t>(rest.data() + rest.size() - after));
  fuzz::Expect(tail.starts_with("]= \"") && tail.ends_with("\";") && tail.size() >= 6,
               "an entry line is not in the entry format", line);
  return tail.substr(4, tail.size() - 6);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const std::int32_t first = static_cast<std::int32_t>(in.Byte()) * 65536 + in.Byte() * 256 + in.Byte();
  const std::string_view path = in.Take(in.Byte() % 48);
  const std::string_view page = in.Rest();

  // The link rule, on Linux and on Windows.
  const std::string link = MakeLink(path, rtl::kPosixRules);
  fuzz::Expect(link == ModelLink(path, false), "the Linux link differs from the model", path);
  CheckStringBody(link, "a Linux link cannot stand in a JavaScript string");
  const std::string windowsLink = MakeLink(path, rtl::kWindowsRules);
  fuzz::Expect(windowsLink == ModelLink(path, true), "the Windows link differs from the model", path);
  CheckStringBody(windowsLink, "a Windows link cannot stand in a JavaScript string");

  // The page as the program reads it.
  rtl::MemorySource source(page);
  rtl::LineReader reader(source);
  rtl::TextBlock text;
  while (!reader.AtEnd()) {
    reader.AppendLine(text, true);
    text.Append(' ');
  }

  rtl::TextBlock entries;
  entries.Append("KeyString[0]= \"earlier\";\r\n");  // what is there stays
  const std::size_t before = entries.Size();
  const std::int32_t count = ScanPageText(text.View(), first, link, entries);
  fuzz::Expect(entries.View().starts_with("KeyString[0]= \"earlier\";\r\n"), "earlier entries were changed");
  const std::string_view block = entries.View().substr(before);

  std::size_t p = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    const std::string_view body = ParseLine(block, p, "KeyString", std::int64_t{first} + i);
    CheckStringBody(body, "an entry's text cannot stand in a JavaScript string");
    fuzz::Expect(!body.empty(), "an entry with an empty text", block);
    const std::string_view linkBody = ParseLine(block, p, "KeyLink", std::int64_t{first} + i);
    fuzz::Expect(linkBody == link, "an entry's link is not the page's link", linkBody);
  }
  fuzz::Expect(p == block.size(), "the entry block holds more than the counted entries", block.substr(p));

  std::int32_t modelCount = 0;
  const std::string model = ModelScan(text.Str(), first, link, modelCount);
  fuzz::Expect(count == modelCount, "the entry count differs from the model", text.View());
  fuzz::Expect(block == model, "the entries differ from the model", text.View());

  // The text test and the escaping on the raw page bytes as one segment.
  const std::string segment(page.substr(0, 256));
  fuzz::Expect(IsIndexableText(segment) == ModelIndexable(segment), "the text test differs from the model", segment);
  fuzz::Expect(EscapeText(segment) == ModelEscape(segment), "the escaping differs from the model", segment);
  return 0;
}
