#include "rtl/Template.h"

#include <string>

#include "rtl/PathRules.h"

namespace rtl {

namespace {

std::string UpperCased(std::string_view text, const SystemRules& rules) {
  if (rules.upperCase == nullptr) return UpperAscii(text);
  std::string upper(text);
  rules.upperCase(upper.data(), upper.size());
  return upper;
}

}  // namespace

std::size_t FindPlaceholder(std::string_view text, std::string_view placeholder, const SystemRules& rules,
                            std::size_t from) {
  if (placeholder.empty() || text.size() < placeholder.size()) return std::string_view::npos;
  const std::string upperText = UpperCased(text, rules);
  const std::string upperPlaceholder = UpperCased(placeholder, rules);
  // Character boundaries are walked forward once, in step with the search.
  std::size_t boundary = 0;
  for (std::size_t at = upperText.find(upperPlaceholder, from); at != std::string::npos;
       at = upperText.find(upperPlaceholder, at + 1)) {
    if (rules.isLeadByte == nullptr) return at;
    while (boundary < at) boundary += CharLength(rules, text, boundary);
    if (boundary == at) return at;
  }
  return std::string_view::npos;
}

FilledTemplate FillTemplate(std::string_view templateText, std::string_view entries, std::string_view count,
                            const SystemRules& rules) {
  const std::size_t npos = std::string_view::npos;
  const std::size_t db = FindPlaceholder(templateText, kDataBasePlaceholder, rules);
  const std::size_t rcLength = kRecordCountPlaceholder.size();
  if (db == npos) {
    const std::size_t rc = FindPlaceholder(templateText, kRecordCountPlaceholder, rules);
    if (rc == npos) return {templateText, {}, {}, {}, {}};
    return {templateText.substr(0, rc), count, templateText.substr(rc + rcLength), {}, {}};
  }
  const std::string_view before = templateText.substr(0, db);
  const std::string_view after = templateText.substr(db + kDataBasePlaceholder.size());
  // An occurrence before the stretch must end before it; the search in
  // `before` alone sees only such occurrences.
  if (const std::size_t rc = FindPlaceholder(before, kRecordCountPlaceholder, rules); rc != npos) {
    return {before.substr(0, rc), count, before.substr(rc + rcLength), entries, after};
  }
  if (const std::size_t rc = FindPlaceholder(after, kRecordCountPlaceholder, rules); rc != npos) {
    return {before, entries, after.substr(0, rc), count, after.substr(rc + rcLength)};
  }
  return {before, entries, after, {}, {}};
}

}  // namespace rtl
