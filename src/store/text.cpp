#include "store/text.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <utility>

namespace velmoran {

namespace {
bool isBlank(char c) { return c == ' '; }

// a-z and the umlauts ä, ö, ü upper-cased; every other byte as it is.
constexpr std::array<unsigned char, 256> upperBytes = [] {
  std::array<unsigned char, 256> t{};
  for (unsigned i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i);
  for (unsigned c = 'a'; c <= 'z'; ++c) t[c] = static_cast<unsigned char>(c - 32);
  t[0xE4] = 0xC4;  // ä -> Ä
  t[0xF6] = 0xD6;  // ö -> Ö
  t[0xFC] = 0xDC;  // ü -> Ü
  return t;
}();
}  // namespace

std::string_view trimmedLeft(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && isBlank(s[i])) ++i;
  return s.substr(i);
}

std::string_view trimmedRight(std::string_view s) {
  // Fields are padded with many blanks: eight at a time first.
  std::size_t n = s.size();
  constexpr std::uint64_t blanks = 0x2020202020202020u;
  for (std::uint64_t word; n >= 8; n -= 8) {
    std::memcpy(&word, s.data() + n - 8, 8);
    if (word != blanks) break;
  }
  while (n > 0 && isBlank(s[n - 1])) --n;
  return s.substr(0, n);
}

std::string_view trimmedView(std::string_view s) { return trimmedLeft(trimmedRight(s)); }

Text trimLeft(std::string_view s) { return Text(trimmedLeft(s)); }
Text trimRight(std::string_view s) { return Text(trimmedRight(s)); }
Text trim(std::string_view s) { return Text(trimmedView(s)); }

Text upper(std::string_view s) {
  Text out(s);
  makeUpper(out);
  return out;
}

void makeUpper(Text& out) {
  for (char& c : out) c = static_cast<char>(upperBytes[static_cast<unsigned char>(c)]);
}

Text padRight(std::string_view s, std::size_t n) {
  Text out(s.substr(0, std::min(n, s.size())));
  out.resize(n, ' ');
  return out;
}

Text padLeft(std::string_view s, std::size_t n) {
  if (s.size() >= n) return Text(s);
  return Text(n - s.size(), ' ') + Text(s);
}

Text left(std::string_view s, std::size_t n) { return Text(s.substr(0, std::min(n, s.size()))); }

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (up(a[i]) != up(b[i])) return false;
  return true;
}

Text removeBlanks(std::string_view s) {
  Text out;
  out.reserve(s.size());
  for (char c : s)
    if (c != ' ') out += c;
  return out;
}

}  // namespace velmoran
