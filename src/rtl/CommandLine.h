// Splitting a raw command line into words, as the Windows program does with
// the line GetCommandLineA gives it.
//
// - Bytes of code 1 to 32 separate words; a zero byte or the end of the text
//   ends the line.
// - Where a word would begin, two double quotation marks in a row are
//   skipped like separators, so an empty quoted word is no argument.
// - Inside a word a double quotation mark opens a quoted stretch that runs
//   to the next one or to the end of the line; separators in it belong to
//   the word, and the quotation marks are dropped.
// - A backslash is an ordinary byte: it escapes nothing.
// - The line is stepped through by characters, so a double-byte character
//   of the ANSI code page is never split.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "rtl/SystemRules.h"

namespace rtl {

// The arguments: the words after the first (the program's name). The list
// ends before the first word that comes out empty.
std::vector<std::string> SplitCommandLine(std::string_view raw, const SystemRules& rules);

}  // namespace rtl
