// The input walk and the page indexing.
//
// ScanPath turns one command-line argument (a page, a folder or a wild-card
// pattern) into the pages it stands for, walking folders depth first, and
// hands every page to ProcessFile, which indexes the text between its tags
// into the run's entry block.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "rtl/SystemRules.h"
#include "rtl/TextBlock.h"

// The tags whose following text is never indexed, upper-case.
inline constexpr std::array<std::string_view, 2> SkipTags = {"SCRIPT", "STYLE"};

// Walks one pattern: every page it stands for goes to ProcessFile, every
// folder is walked with all of its sub-folders, depth first.
void ScanPath(const std::string& Pattern, std::int32_t& TotalCount, rtl::TextBlock& Entries);

// Indexes one page: announces it on the console, reads it, appends its
// entries to Entries (numbered from TotalCount) and adds their number to
// TotalCount. A page that cannot be opened ends its line with "open error!".
void ProcessFile(const std::string& PagePath, std::int32_t& TotalCount, rtl::TextBlock& Entries);

// The scan of a page's text, with the entries appended to Entries numbered
// from FirstNumber; returns how many it added. Link is the text every entry
// links to.
std::int32_t ScanPageText(std::string_view PageText, std::int32_t FirstNumber, std::string_view Link,
                          rtl::TextBlock& Entries);

bool IsSkipTag(std::string_view TagName);

// The text test of a trimmed segment: at least three characters, not
// beginning with "&", and at least a third of them digits, letters or
// codes 192 to 255.
bool IsIndexableText(std::string_view Text);

// The body of a JavaScript string for a segment: a double quotation mark
// becomes an apostrophe, a backslash two backslashes.
std::string EscapeText(std::string_view Text);

// The link of a page: its path with every path separator as "/". The bytes
// that a JavaScript string or a Windows file name cannot hold as they are
// (the double quotation mark, a backslash that is a name byte, control
// bytes) are percent-encoded.
std::string MakeLink(std::string_view PagePath, const rtl::SystemRules& Rules);
std::string MakeLink(std::string_view PagePath);

// Removes the bytes of code 0 to 32 from both ends.
std::string_view Trim(std::string_view Text);
