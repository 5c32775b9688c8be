// Filling the template: the entry block goes in place of the first
// "$DataBase$", the count in place of the first "$RecordCount$". Letter case
// in the placeholders does not matter (the system's single-byte
// upper-casing decides).
//
// The count goes to the first "$RecordCount$" of the template's own text
// that lies wholly outside the replaced "$DataBase$"; the entry block, text
// that came from pages, is never searched. Zero bytes are ordinary bytes.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "rtl/SystemRules.h"

namespace rtl {

inline constexpr std::string_view kDataBasePlaceholder = "$DataBase$";
inline constexpr std::string_view kRecordCountPlaceholder = "$RecordCount$";

// First position at or after `from` where `placeholder` occurs in `text`,
// matching upper-cased bytes, and not beginning on the second byte of a
// double-byte character; npos when there is none.
std::size_t FindPlaceholder(std::string_view text, std::string_view placeholder, const SystemRules& rules,
                            std::size_t from = 0);

// The filled template as five pieces, to be written one after the other:
// the text never passes through a copy that joins the entry block to it.
using FilledTemplate = std::array<std::string_view, 5>;

FilledTemplate FillTemplate(std::string_view templateText, std::string_view entries, std::string_view count,
                            const SystemRules& rules);

}  // namespace rtl
