// Rule sets for the tests beside rtl::kPosixRules and rtl::kWindowsRules: a
// Windows system whose ANSI code page has double-byte characters, with the
// lead bytes of Shift-JIS (0x81-0x9F and 0xE0-0xFC). Its trail bytes include
// 0x5C, the backslash, which must never be taken for a separator.
#pragma once

#include "rtl/SystemRules.h"

namespace testing_rules {

inline bool IsShiftJisLead(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

inline constexpr rtl::SystemRules kDbcsWindowsRules{"\\/:", '\\', false, IsShiftJisLead, nullptr};

}  // namespace testing_rules
