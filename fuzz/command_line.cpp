// The splitting of a raw command line, under the Linux and Windows rules
// and under a double-byte code page, against a model that walks the line
// one character at a time. No argument may come out empty, none holds a
// zero byte, and under a single-byte code page none holds a quotation mark.
#include <string>
#include <vector>

#include "Check.h"
#include "rtl/CommandLine.h"
#include "rtl/SystemRules.h"

namespace {

// Lead bytes as in the common Japanese code page.
bool DoubleByteLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

constexpr rtl::SystemRules kDoubleByteRules{"\\/:", '\\', false, DoubleByteLead, nullptr};

std::vector<std::string> ModelSplit(std::string_view raw, bool (*lead)(unsigned char)) {
  raw = raw.substr(0, raw.find('\0'));
  const auto length = [&](std::size_t i) -> std::size_t {
    return lead != nullptr && i + 1 < raw.size() && lead(static_cast<unsigned char>(raw[i])) ? 2 : 1;
  };
  std::vector<std::string> words;
  std::size_t p = 0;
  for (;;) {
    for (;;) {
      while (p < raw.size() && static_cast<unsigned char>(raw[p]) <= 32) ++p;
      if (p + 1 < raw.size() && raw[p] == '"' && raw[p + 1] == '"') {
        p += 2;
        continue;
      }
      break;
    }
    if (p >= raw.size()) break;
    std::string word;
    bool quoted = false;
    while (p < raw.size() && (quoted || static_cast<unsigned char>(raw[p]) > 32)) {
      if (raw[p] == '"') {
        quoted = !quoted;
        ++p;
        continue;
      }
      const std::size_t n = length(p);
      word.append(raw.substr(p, n));
      p += n;
    }
    words.push_back(std::move(word));
  }
  // The first word is the program's name; an empty word is no argument.
  std::vector<std::string> arguments;
  for (std::size_t i = 1; i < words.size(); ++i) {
    if (!words[i].empty()) arguments.push_back(words[i]);
  }
  if (!words.empty() && words[0].empty()) return {};
  return arguments;
}

void Check(std::string_view raw, const rtl::SystemRules& rules, bool singleByte) {
  const std::vector<std::string> arguments = rtl::SplitCommandLine(raw, rules);
  for (const std::string& argument : arguments) {
    fuzz::Expect(!argument.empty(), "an empty argument", raw);
    fuzz::Expect(argument.find('\0') == std::string::npos, "an argument holds a zero byte", argument);
    if (singleByte) fuzz::Expect(argument.find('"') == std::string::npos, "an argument holds a quotation mark", argument);
  }
  const std::vector<std::string> model = ModelSplit(raw, rules.isLeadByte);
  fuzz::Expect(arguments.size() == model.size(), "the argument count differs from the model", raw);
  for (std::size_t i = 0; i < model.size(); ++i) {
    fuzz::Expect(arguments[i] == model[i], "an argument differs from the model", arguments[i]);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view raw(reinterpret_cast<const char*>(data), size);
  Check(raw, rtl::kPosixRules, true);
  Check(raw, rtl::kWindowsRules, true);
  Check(raw, kDoubleByteRules, false);
  return 0;
}
