// The rules of text and paths that differ between the platforms.
//
// Every routine that needs one of them takes a SystemRules, so the Windows
// rules are exercised by the unit tests on Linux too. The running program
// uses platform::NativeRules().
#pragma once

#include <cstddef>
#include <string_view>

namespace rtl {

struct SystemRules {
  // Bytes that end the directory part of a path: "/" on Linux; "\", "/"
  // and ":" on Windows.
  std::string_view directorySeparators;
  // The separator the walk puts between a folder and what lies in it.
  char pathSeparator;
  // True where a backslash is an ordinary byte of a file name (Linux); a
  // link then carries it percent-encoded. Where it is a separator
  // (Windows) a link carries a slash for it.
  bool backslashInNames;
  // Lead byte of a double-byte character in the system's ANSI code page;
  // null for a single-byte code page. The byte after a lead byte is never
  // taken for a separator, a full stop or a quotation mark.
  bool (*isLeadByte)(unsigned char byte);
  // The system's single-byte upper-casing, in place; null for A-Z only.
  void (*upperCase)(char* text, std::size_t length);
};

inline constexpr SystemRules kPosixRules{"/", '/', true, nullptr, nullptr};
inline constexpr SystemRules kWindowsRules{"\\/:", '\\', false, nullptr, nullptr};

// Length in bytes of the character that begins at text[i] (1 or 2).
inline std::size_t CharLength(const SystemRules& rules, std::string_view text, std::size_t i) {
  if (rules.isLeadByte != nullptr && i + 1 < text.size() && text[i + 1] != '\0' &&
      rules.isLeadByte(static_cast<unsigned char>(text[i]))) {
    return 2;
  }
  return 1;
}

}  // namespace rtl
