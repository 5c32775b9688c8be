#include "rtl/TextBlock.h"

#include <cstdlib>
#include <limits>
#include <new>
#include <utility>

namespace rtl {

TextBlock::TextBlock(TextBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

TextBlock& TextBlock::operator=(TextBlock&& other) noexcept {
  if (this != &other) {
    std::free(data_);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
  }
  return *this;
}

TextBlock::~TextBlock() { std::free(data_); }

void TextBlock::Grow(std::size_t extra) {
  constexpr std::size_t kMax = std::numeric_limits<std::size_t>::max() / 2;
  if (extra > kMax - size_) throw std::bad_alloc();
  const std::size_t needed = size_ + extra;
  std::size_t capacity = capacity_ < 256 ? 256 : capacity_;
  while (capacity < needed) capacity *= 2;
  void* grown = std::realloc(data_, capacity);
  if (grown == nullptr) throw std::bad_alloc();
  data_ = static_cast<char*>(grown);
  capacity_ = capacity;
}

}  // namespace rtl
