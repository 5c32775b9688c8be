// The line reader over bytes in memory, with the source's chunk size and
// the reader's buffer size taken from the input, against a plain model of
// the line rules: the input ends at its end or at a Ctrl-Z that begins a
// line; a line runs to the next LF; every CR is dropped.
#include <string>
#include <vector>

#include "Check.h"
#include "UTypes.h"
#include "rtl/LineReader.h"

namespace {

std::vector<std::string> ModelLines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::size_t p = 0;
  while (p < bytes.size() && bytes[p] != '\x1a') {
    std::string line;
    while (p < bytes.size() && bytes[p] != '\n') {
      if (bytes[p] != '\r') line += bytes[p];
      ++p;
    }
    if (p < bytes.size()) ++p;  // the LF
    lines.push_back(std::move(line));
  }
  return lines;
}

// 0 stands for "no limit" (a source that hands over everything at once, a
// reader with its default buffer); small sizes put block edges everywhere.
std::size_t SizeFrom(std::uint8_t b, std::size_t unlimited) { return b == 0 ? unlimited : (b % 64) + 1; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const std::size_t chunk = SizeFrom(in.Byte(), static_cast<std::size_t>(-1));
  const std::size_t buffer = SizeFrom(in.Byte(), rtl::LineReader::kDefaultBufferSize);
  const std::uint8_t mode = in.Byte();
  const bool trim = (mode & 1) != 0;
  const std::string_view bytes = in.Rest();

  const std::vector<std::string> expected = ModelLines(bytes);
  rtl::MemorySource source(bytes, chunk);
  rtl::LineReader reader(source, buffer);
  std::size_t count = 0;
  rtl::TextBlock joined;
  while (!reader.AtEnd()) {
    fuzz::Expect(count < expected.size(), "more lines than the model", bytes);
    std::string line;
    if ((mode & 2) != 0) {
      // Lines appended one after another to one block, as a page is read.
      const std::size_t start = joined.Size();
      reader.AppendLine(joined, trim);
      line = std::string(joined.View().substr(start));
    } else if (trim) {
      rtl::TextBlock block;
      reader.AppendLine(block, true);
      line = block.Str();
    } else {
      line = reader.ReadLine();
    }
    fuzz::Expect(line.find_first_of("\r\n") == std::string::npos, "a line holds CR or LF", line);
    const std::string want = trim ? std::string(Trim(expected[count])) : expected[count];
    fuzz::Expect(line == want, "a line differs from the model", line);
    ++count;
  }
  fuzz::Expect(count == expected.size(), "fewer lines than the model", bytes);
  fuzz::Expect(reader.AtEnd(), "the end test does not stay true", bytes);
  return 0;
}
