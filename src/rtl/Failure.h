// Fatal failures. A failed file or console operation throws one Failure,
// which passes out through every routine (each releases what it holds by
// RAII) and is caught once, in Main, which prints the report and ends the
// run with status 1. Running out of memory (std::bad_alloc) ends the run the
// same way with its own report.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rtl {

// Failure codes are the Windows system error codes, or the runtime's own
// (100 read beyond end of file, 101 disk full, 105 file not open for output,
// 106 invalid numeric input), on every platform.
using FailureCode = std::uint32_t;

enum class FailureKind { InOutError, OutOfMemory };

class Failure {
 public:
  Failure(FailureKind kind, FailureCode code, std::uintptr_t address) noexcept
      : kind_(kind), code_(code), address_(address) {}
  FailureKind Kind() const noexcept { return kind_; }
  FailureCode Code() const noexcept { return code_; }
  // The code address of the failing place (the return address of the call
  // that noticed the failure).
  std::uintptr_t Address() const noexcept { return address_; }

 private:
  FailureKind kind_;
  FailureCode code_;
  std::uintptr_t address_;
};

// Throws the failure of a file or console operation. Never inlined, so that
// the address it records is that of its caller.
[[noreturn]] void RaiseInOutError(FailureCode code);

// The message of a failed file or console operation, without a final stop.
std::string InOutMessage(FailureCode code);

// The two lines of the failure report: "Exception <kind> in module <module>
// at <8 hex digits>." and LF, then the message, "." unless it already ends
// with one, and CR LF.
std::string FormatFailureReport(FailureKind kind, FailureCode code, std::string_view module, std::uint32_t offset);

}  // namespace rtl
