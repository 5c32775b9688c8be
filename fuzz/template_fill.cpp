// Filling the template, under plain ASCII upper-casing, a Latin-1 style
// upper-casing and a double-byte code page, against the result built the
// slow way: every position tried in turn, the count put at the first
// "$RecordCount$" of the template that lies wholly outside the replaced
// "$DataBase$", the entry block never searched.
#include <string>
#include <vector>

#include "Check.h"
#include "rtl/SystemRules.h"
#include "rtl/Template.h"

namespace {

bool DoubleByteLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

unsigned char Latin1Upper(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
  return c;
}

void Latin1UpperCase(char* text, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) text[i] = static_cast<char>(Latin1Upper(static_cast<unsigned char>(text[i])));
}

constexpr rtl::SystemRules kLatin1Rules{"\\/:", '\\', false, nullptr, Latin1UpperCase};
constexpr rtl::SystemRules kDoubleByteRules{"\\/:", '\\', false, DoubleByteLead, nullptr};

struct Model {
  const rtl::SystemRules& rules;
  std::string_view text;
  std::vector<bool> starts;  // where a character begins

  Model(const rtl::SystemRules& r, std::string_view t) : rules(r), text(t), starts(t.size() + 1, false) {
    for (std::size_t i = 0; i < t.size();) {
      starts[i] = true;
      const bool pair = r.isLeadByte != nullptr && i + 1 < t.size() && t[i + 1] != '\0' &&
                        r.isLeadByte(static_cast<unsigned char>(t[i]));
      i += pair ? 2 : 1;
    }
  }

  unsigned char Upper(char c) const {
    const auto b = static_cast<unsigned char>(c);
    if (rules.upperCase != nullptr) return Latin1Upper(b);
    return b >= 'a' && b <= 'z' ? static_cast<unsigned char>(b - 32) : b;
  }

  bool MatchesAt(std::size_t at, std::string_view placeholder) const {
    if (at + placeholder.size() > text.size() || !starts[at]) return false;
    for (std::size_t k = 0; k < placeholder.size(); ++k) {
      if (Upper(text[at + k]) != Upper(placeholder[k])) return false;
    }
    return true;
  }
};

std::string SlowFill(const rtl::SystemRules& rules, std::string_view text, std::string_view entries,
                     std::string_view count) {
  const Model model(rules, text);
  const std::string_view db = rtl::kDataBasePlaceholder, rc = rtl::kRecordCountPlaceholder;
  std::size_t dbAt = std::string_view::npos;
  for (std::size_t i = 0; i < text.size() && dbAt == std::string_view::npos; ++i) {
    if (model.MatchesAt(i, db)) dbAt = i;
  }
  std::size_t rcAt = std::string_view::npos;
  for (std::size_t i = 0; i < text.size() && rcAt == std::string_view::npos; ++i) {
    const bool outside = dbAt == std::string_view::npos || i + rc.size() <= dbAt || i >= dbAt + db.size();
    if (outside && model.MatchesAt(i, rc)) rcAt = i;
  }
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    if (i == dbAt) {
      out += entries;
      i += db.size();
    } else if (i == rcAt) {
      out += count;
      i += rc.size();
    } else {
      out += text[i++];
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const std::uint8_t choice = in.Byte();
  const std::string_view entries = in.Take(in.Byte());
  const std::string_view count = in.Take(in.Byte() % 12);
  const std::string_view text = in.Rest();
  const rtl::SystemRules& rules = choice % 3 == 0   ? rtl::kPosixRules
                                  : choice % 3 == 1 ? kLatin1Rules
                                                    : kDoubleByteRules;

  const rtl::FilledTemplate pieces = rtl::FillTemplate(text, entries, count, rules);
  std::string filled;
  for (std::string_view piece : pieces) filled += piece;
  fuzz::Expect(filled == SlowFill(rules, text, entries, count), "the filled template differs from the slow fill",
               text);
  return 0;
}
