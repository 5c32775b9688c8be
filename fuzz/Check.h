// What the fuzz targets share: a check that stops the run with a message
// (libFuzzer then saves the input that broke it), and a reader of the
// fuzzer's bytes that hands out small parameters from the front.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fuzz {

[[noreturn]] inline void Fail(const char* what, std::string_view detail = {}) {
  std::fprintf(stderr, "property failed: %s\n", what);
  if (!detail.empty()) {
    std::fprintf(stderr, "  detail (%zu bytes): ", detail.size());
    for (unsigned char c : detail.substr(0, 400)) {
      if (c >= 32 && c < 127 && c != '\\') {
        std::fputc(c, stderr);
      } else {
        std::fprintf(stderr, "\\x%02X", c);
      }
    }
    std::fputc('\n', stderr);
  }
  std::abort();
}

inline void Expect(bool holds, const char* what, std::string_view detail = {}) {
  if (!holds) Fail(what, detail);
}

// Takes parameters from the front of the input; what is left is the data.
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}

  std::uint8_t Byte() {
    if (rest_.empty()) return 0;
    const auto b = static_cast<std::uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return b;
  }
  // Up to `n` bytes, or fewer when the input runs out.
  std::string_view Take(std::size_t n) {
    const std::string_view piece = rest_.substr(0, n);
    rest_.remove_prefix(piece.size());
    return piece;
  }
  // The bytes up to the next `separator` (dropped) or the end.
  std::string_view Until(char separator) {
    const std::size_t at = rest_.find(separator);
    const std::string_view piece = rest_.substr(0, at);
    rest_.remove_prefix(at == std::string_view::npos ? rest_.size() : at + 1);
    return piece;
  }
  std::string_view Rest() const { return rest_; }

 private:
  std::string_view rest_;
};

}  // namespace fuzz
