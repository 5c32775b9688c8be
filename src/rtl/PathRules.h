// Pure path and name rules: the directory part of a pattern, the extension
// of a name, wild-card matching and the listing order of the directory
// search. The platform's separators come in as a parameter.
#pragma once

#include <string>
#include <string_view>

#include "rtl/SystemRules.h"

namespace rtl {

// Everything up to and including the last directory separator; empty when
// there is none.
std::string_view DirectoryPart(std::string_view path, const SystemRules& rules);

// What follows the directory part: the last component.
std::string_view LastComponent(std::string_view path, const SystemRules& rules);

// From the last full stop to the end, the full stop included; empty when the
// name holds no full stop or a separator follows the last one.
std::string_view ExtractExtension(std::string_view name, const SystemRules& rules);

// The bytes a-z become A-Z; every other byte stays, whatever the locale.
std::string UpperAscii(std::string_view text);

// True when the extension of the file name makes it a page: it begins with
// ".HTM" or ".PHP" in any letter case.
bool IsPageName(std::string_view name, const SystemRules& rules);

// True when the last component holds a wild card ("*" or "?").
bool HasWildCards(std::string_view component);

// Wild-card match of one name: "*" is any run of bytes (empty included), "?"
// exactly one byte, ASCII letters match in any case, every other byte only
// itself; a pattern that ends in ".*" also matches the names that the
// pattern without it matches, so "*.*" matches every name.
bool WildMatch(std::string_view pattern, std::string_view name);

// The listing order of the directory search: by the bytes with a-z
// upper-cased, ties by the raw bytes.
bool NameLess(std::string_view a, std::string_view b);

}  // namespace rtl
