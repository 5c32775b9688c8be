#include "rtl/LineReader.h"

#include <algorithm>
#include <cstring>

namespace rtl {

FailureCode MemorySource::Read(char* buffer, std::size_t size, std::size_t& got) {
  got = std::min({size, chunk_, bytes_.size()});
  if (got == 0) return 0;  // an empty view may carry a null pointer
  std::memcpy(buffer, bytes_.data(), got);
  bytes_.remove_prefix(got);
  return 0;
}

LineReader::LineReader(ByteSource& source, std::size_t bufferSize)
    : source_(source),
      buffer_(new char[bufferSize == 0 ? 1 : bufferSize]),
      capacity_(bufferSize == 0 ? 1 : bufferSize) {}

bool LineReader::Fill() {
  if (position_ < length_) return true;
  if (ended_) return false;
  std::size_t got = 0;
  if (FailureCode code = source_.Read(buffer_.get(), capacity_, got)) RaiseInOutError(code);
  position_ = 0;
  length_ = got;
  if (got == 0) ended_ = true;
  return got != 0;
}

bool LineReader::AtEnd() { return !Fill() || buffer_[position_] == '\x1a'; }

void LineReader::AppendLine(TextBlock& out, bool trim) {
  const std::size_t lineStart = out.Size();
  bool leading = trim;
  while (Fill()) {
    const char* begin = buffer_.get() + position_;
    const char* end = buffer_.get() + length_;
    const char* lf = static_cast<const char*>(std::memchr(begin, '\n', static_cast<std::size_t>(end - begin)));
    const char* stop = lf != nullptr ? lf : end;
    if (leading) {
      while (begin < stop && static_cast<unsigned char>(*begin) <= 32) ++begin;
      leading = begin == stop;
    }
    // Copy the piece without its CRs.
    while (begin < stop) {
      const char* cr = static_cast<const char*>(std::memchr(begin, '\r', static_cast<std::size_t>(stop - begin)));
      const char* pieceEnd = cr != nullptr ? cr : stop;
      out.Append(begin, static_cast<std::size_t>(pieceEnd - begin));
      begin = cr != nullptr ? cr + 1 : stop;
    }
    position_ = static_cast<std::size_t>(stop - buffer_.get());
    if (lf != nullptr) {
      ++position_;
      break;
    }
  }
  if (trim) {
    std::size_t size = out.Size();
    while (size > lineStart && static_cast<unsigned char>(out.Data()[size - 1]) <= 32) --size;
    out.Truncate(size);
  }
}

std::string LineReader::ReadLine() {
  TextBlock line;
  AppendLine(line, false);
  return line.Str();
}

}  // namespace rtl
