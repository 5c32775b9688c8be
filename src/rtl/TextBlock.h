// A growable block of bytes for the run's large texts (the entry block, a
// page's text). It grows by realloc, geometrically, so appends are amortised
// and a large block is moved by the system's page remapping rather than by a
// copy that would hold both the old and the new block in memory at once.
// Running out of memory throws std::bad_alloc.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace rtl {

class TextBlock {
 public:
  TextBlock() = default;
  explicit TextBlock(std::string_view text) { Append(text); }
  TextBlock(const TextBlock&) = delete;
  TextBlock& operator=(const TextBlock&) = delete;
  TextBlock(TextBlock&& other) noexcept;
  TextBlock& operator=(TextBlock&& other) noexcept;
  ~TextBlock();

  std::size_t Size() const { return size_; }
  bool Empty() const { return size_ == 0; }
  const char* Data() const { return data_; }
  std::string_view View() const { return {data_, size_}; }
  std::string Str() const { return std::string(View()); }

  void Append(const char* text, std::size_t length) {
    if (length == 0) return;
    if (capacity_ - size_ < length) Grow(length);
    std::memcpy(data_ + size_, text, length);
    size_ += length;
  }
  void Append(std::string_view text) { Append(text.data(), text.size()); }
  void Append(char c) {
    if (size_ == capacity_) Grow(1);
    data_[size_++] = c;
  }
  // Makes room for `length` more bytes and returns where they go; Commit
  // then counts the bytes actually written there.
  char* Reserve(std::size_t length) {
    if (capacity_ - size_ < length) Grow(length);
    return data_ + size_;
  }
  void Commit(std::size_t length) { size_ += length; }
  // Drops bytes from the end; `size` must not exceed Size().
  void Truncate(std::size_t size) { size_ = size; }
  void Clear() { size_ = 0; }

 private:
  void Grow(std::size_t extra);

  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace rtl
