// The line reader of the text-file layer, over any source of bytes.
//
// - The end test is true when no byte is left or the next byte is Ctrl-Z
//   (26); it is made before every line, so a Ctrl-Z at the start of a line
//   ends the input. Anywhere else a Ctrl-Z is an ordinary byte.
// - A line is the bytes up to the next LF or the end of the input; the LF is
//   not part of it. Every CR is dropped: one before the LF ends the line with
//   it, any other neither ends the line nor stays in it.
// - No limit on a line's length; the last line counts with or without a line
//   end after it.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "rtl/Failure.h"
#include "rtl/TextBlock.h"

namespace rtl {

class ByteSource {
 public:
  // Reads up to `size` bytes into `buffer`; `got` 0 means the end. Returns 0
  // or a failure code.
  virtual FailureCode Read(char* buffer, std::size_t size, std::size_t& got) = 0;

 protected:
  ~ByteSource() = default;
};

// A source over bytes in memory, for tests and the fuzz targets.
class MemorySource final : public ByteSource {
 public:
  // `chunk` bounds the bytes that one Read delivers, to exercise the
  // reader's handling of block boundaries.
  explicit MemorySource(std::string_view bytes, std::size_t chunk = static_cast<std::size_t>(-1))
      : bytes_(bytes), chunk_(chunk == 0 ? 1 : chunk) {}
  FailureCode Read(char* buffer, std::size_t size, std::size_t& got) override;

 private:
  std::string_view bytes_;
  std::size_t chunk_;
};

class LineReader {
 public:
  static constexpr std::size_t kDefaultBufferSize = 64 * 1024;

  explicit LineReader(ByteSource& source, std::size_t bufferSize = kDefaultBufferSize);

  // The end test. A failed read throws the Failure of its code.
  bool AtEnd();

  // Appends the next line to `out`. With `trim`, the bytes of code 0 to 32
  // at both ends of the line are left out. Call only when AtEnd() is false.
  void AppendLine(TextBlock& out, bool trim);

  // The next line as a string (tests and the fuzz targets).
  std::string ReadLine();

 private:
  // Refills the buffer when it is used up; false at the end of the input.
  bool Fill();

  ByteSource& source_;
  // Left uninitialised: a reader is made for every page, and filling 64 KiB
  // with zeros first would cost more than reading a small page.
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_;
  std::size_t position_ = 0;
  std::size_t length_ = 0;
  bool ended_ = false;
};

}  // namespace rtl
