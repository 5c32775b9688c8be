#include "rtl/PathRules.h"

#include <algorithm>

namespace rtl {

namespace {

constexpr char UpperByte(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsSeparator(const SystemRules& rules, char c) {
  return rules.directorySeparators.find(c) != std::string_view::npos;
}

// Position just after the last directory separator, stepping by characters
// so that the second byte of a double-byte character never counts.
std::size_t DirectoryEnd(std::string_view path, const SystemRules& rules) {
  std::size_t end = 0;
  for (std::size_t i = 0; i < path.size();) {
    std::size_t n = CharLength(rules, path, i);
    if (n == 1 && IsSeparator(rules, path[i])) end = i + 1;
    i += n;
  }
  return end;
}

}  // namespace

std::string_view DirectoryPart(std::string_view path, const SystemRules& rules) {
  return path.substr(0, DirectoryEnd(path, rules));
}

std::string_view LastComponent(std::string_view path, const SystemRules& rules) {
  return path.substr(DirectoryEnd(path, rules));
}

std::string_view ExtractExtension(std::string_view name, const SystemRules& rules) {
  std::size_t dot = std::string_view::npos;
  for (std::size_t i = 0; i < name.size();) {
    std::size_t n = CharLength(rules, name, i);
    if (n == 1) {
      if (name[i] == '.') {
        dot = i;
      } else if (IsSeparator(rules, name[i])) {
        // A separator after the last full stop leaves no extension. On Linux
        // the backslash and the colon are name bytes and do not count.
        dot = std::string_view::npos;
      }
    }
    i += n;
  }
  return dot == std::string_view::npos ? std::string_view{} : name.substr(dot);
}

std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = UpperByte(c);
  return out;
}

bool IsPageName(std::string_view name, const SystemRules& rules) {
  const std::string ext = UpperAscii(ExtractExtension(name, rules));
  return ext.starts_with(".HTM") || ext.starts_with(".PHP");
}

bool HasWildCards(std::string_view component) { return component.find_first_of("*?") != std::string_view::npos; }

namespace {

// Iterative match with one backtracking point per "*", linear in practice
// and never worse than |pattern| * |name|.
bool MatchCore(std::string_view p, std::string_view s) {
  std::size_t pi = 0, si = 0;
  std::size_t starP = std::string_view::npos, starS = 0;
  while (si < s.size()) {
    if (pi < p.size() && p[pi] == '*') {
      starP = pi++;
      starS = si;
    } else if (pi < p.size() && (p[pi] == '?' || UpperByte(p[pi]) == UpperByte(s[si]))) {
      ++pi;
      ++si;
    } else if (starP != std::string_view::npos) {
      pi = starP + 1;
      si = ++starS;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}

}  // namespace

bool WildMatch(std::string_view pattern, std::string_view name) {
  if (MatchCore(pattern, name)) return true;
  return pattern.size() >= 2 && pattern.ends_with(".*") && MatchCore(pattern.substr(0, pattern.size() - 2), name);
}

bool NameLess(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto ua = static_cast<unsigned char>(UpperByte(a[i]));
    const auto ub = static_cast<unsigned char>(UpperByte(b[i]));
    if (ua != ub) return ua < ub;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

}  // namespace rtl
