// A text file opened for reading, as the source of a LineReader. Opening is
// the one file operation whose failure the caller handles itself (a page
// that cannot be opened); a failed read or close throws.
#pragma once

#include <string>

#include "platform/platform.h"
#include "rtl/LineReader.h"

namespace rtl {

class TextInput final : public ByteSource {
 public:
  // 0 or the failure code of the open.
  FailureCode Open(const std::string& path) { return file_.Open(path); }
  FailureCode Read(char* buffer, std::size_t size, std::size_t& got) override {
    return file_.Read(buffer, size, got);
  }
  // Closes the file; a failure throws.
  void Close() {
    if (FailureCode code = file_.Close()) RaiseInOutError(code);
  }

 private:
  platform::InputFile file_;
};

}  // namespace rtl
