#include "rtl/CommandLine.h"

namespace rtl {

namespace {

class WordScanner {
 public:
  WordScanner(std::string_view raw, const SystemRules& rules) : text_(raw.substr(0, raw.find('\0'))), rules_(rules) {}

  // The next word; empty when the line holds no more.
  std::string Next() {
    for (;;) {
      while (p_ < text_.size() && static_cast<unsigned char>(text_[p_]) <= 32) ++p_;
      if (p_ + 1 < text_.size() && text_[p_] == '"' && text_[p_ + 1] == '"') {
        p_ += 2;
      } else {
        break;
      }
    }
    std::string word;
    while (p_ < text_.size() && static_cast<unsigned char>(text_[p_]) > 32) {
      if (text_[p_] == '"') {
        ++p_;
        while (p_ < text_.size() && text_[p_] != '"') Take(word);
        if (p_ < text_.size()) ++p_;
      } else {
        Take(word);
      }
    }
    return word;
  }

 private:
  void Take(std::string& word) {
    const std::size_t n = CharLength(rules_, text_, p_);
    word.append(text_.substr(p_, n));
    p_ += n;
  }

  std::string_view text_;
  const SystemRules& rules_;
  std::size_t p_ = 0;
};

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view raw, const SystemRules& rules) {
  WordScanner scanner(raw, rules);
  scanner.Next();  // the program's name
  std::vector<std::string> arguments;
  for (std::string word = scanner.Next(); !word.empty(); word = scanner.Next()) arguments.push_back(std::move(word));
  return arguments;
}

}  // namespace rtl
