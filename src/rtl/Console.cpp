#include "rtl/Console.h"

#include <algorithm>
#include <cstring>

#include "rtl/Failure.h"

namespace rtl {

namespace {
constexpr FailureCode kFileNotOpenForOutput = 105;
}

Console& StdOut() {
  static Console console;
  return console;
}

void Console::Open() {
  if (opened_) return;
  opened_ = true;
  kind_ = platform::QueryStdout();
}

bool Console::Usable() {
  Open();
  return kind_ != platform::StdoutKind::Unknown;
}

void Console::WriteOut(const char* data, std::size_t size) {
  if (size == 0) return;
  if (FailureCode code = platform::WriteStdout(data, size)) RaiseInOutError(code);
}

void Console::Put(std::string_view text) {
  while (!text.empty()) {
    const std::size_t n = std::min(text.size(), kBufferSize - used_);
    std::memcpy(buffer_ + used_, text.data(), n);
    used_ += n;
    text.remove_prefix(n);
    if (used_ == kBufferSize) Flush();
  }
}

void Console::Flush() {
  const std::size_t n = used_;
  used_ = 0;
  WriteOut(buffer_, n);
}

void Console::Write(std::initializer_list<std::string_view> pieces) {
  Open();
  if (kind_ == platform::StdoutKind::Unknown) RaiseInOutError(kFileNotOpenForOutput);
  for (std::string_view piece : pieces) Put(piece);
  if (kind_ == platform::StdoutKind::Device) Flush();
}

void Console::WriteLine(std::initializer_list<std::string_view> pieces) {
  Open();
  if (kind_ == platform::StdoutKind::Unknown) RaiseInOutError(kFileNotOpenForOutput);
  for (std::string_view piece : pieces) Put(piece);
  Put("\r\n");
  if (kind_ == platform::StdoutKind::Device) Flush();
}

}  // namespace rtl
