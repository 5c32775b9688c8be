// Standard output, the program's only message channel.
//
// A character device (a console, /dev/null) gets every write at once, so a
// text without a line end shows before the work it announces. A file or pipe
// gets the text in 128-byte pieces, before a failure report and at the end
// of the run. When standard output cannot be examined, the first write is
// the failure 105, whose report cannot be shown.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string_view>

#include "platform/platform.h"

namespace rtl {

class Console {
 public:
  static constexpr std::size_t kBufferSize = 128;

  // Writes the pieces as one text: on a device they go out at its end.
  void Write(std::initializer_list<std::string_view> pieces);
  void Write(std::string_view text) { Write({text}); }
  // The pieces followed by CR LF.
  void WriteLine(std::initializer_list<std::string_view> pieces);
  void WriteLine(std::string_view text) { WriteLine({text}); }
  // Writes out what waits in the buffer.
  void Flush();

  // True when standard output could be examined; a report can be attempted.
  bool Usable();

 private:
  void Open();
  void Put(std::string_view text);
  void WriteOut(const char* data, std::size_t size);

  bool opened_ = false;
  platform::StdoutKind kind_ = platform::StdoutKind::Unknown;
  char buffer_[kBufferSize];
  std::size_t used_ = 0;
};

// The one console of the run.
Console& StdOut();

}  // namespace rtl
