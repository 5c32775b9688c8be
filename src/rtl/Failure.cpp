#include "rtl/Failure.h"

#include "rtl/Format.h"

namespace rtl {

__attribute__((noinline)) void RaiseInOutError(FailureCode code) {
  throw Failure(FailureKind::InOutError, code, reinterpret_cast<std::uintptr_t>(__builtin_return_address(0)));
}

std::string InOutMessage(FailureCode code) {
  switch (code) {
    case 2: return "File not found";
    case 3: return "Invalid filename";
    case 4: return "Too many open files";
    case 5: return "File access denied";
    case 100: return "Read beyond end of file";
    case 101: return "Disk full";
    case 106: return "Invalid numeric input";
    default: return "I/O error " + FormatDecimal(static_cast<std::int64_t>(code));
  }
}

std::string FormatFailureReport(FailureKind kind, FailureCode code, std::string_view module, std::uint32_t offset) {
  const bool memory = kind == FailureKind::OutOfMemory;
  std::string message = memory ? std::string("Out of memory") : InOutMessage(code);
  if (!message.ends_with('.')) message += '.';
  std::string report = "Exception ";
  report += memory ? "EOutOfMemory" : "EInOutError";
  report += " in module ";
  report += module;
  report += " at ";
  report += FormatHex8(offset);
  report += ".\n";
  report += message;
  report += "\r\n";
  return report;
}

}  // namespace rtl
