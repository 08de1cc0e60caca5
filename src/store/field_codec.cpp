#include "store/field_codec.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>

#include "store/code_page.h"

namespace velmoran::store {

namespace {
constexpr double powersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                  1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

std::optional<double> parseStrict(std::string_view s) {
  s = trimmedView(s);
  if (s.empty()) return 0.0;
  {
    std::string_view v = s;
    const bool negative = v.front() == '-';
    if (negative || v.front() == '+') v.remove_prefix(1);
    if (auto d = simpleDecimal(v)) return negative ? -*d : *d;
  }
  std::string t(s);
  for (char& c : t)
    if (c == ',') c = '.';
  std::string_view v = t;
  bool negative = false;
  if (v.front() == '+' || v.front() == '-') {
    negative = v.front() == '-';
    v.remove_prefix(1);
  }
  if (v.empty() || v.front() == '+' || v.front() == '-') return std::nullopt;
  double d = 0;
  auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), d, std::chars_format::fixed);
  if (ec != std::errc() || end != v.data() + v.size() || !std::isfinite(d)) return std::nullopt;
  return negative ? -d : d;
}

}  // namespace

// The digits as an integer divided by a power of ten: integer and power are exact doubles, so
// the quotient is the correctly rounded value, the same that from_chars gives.
std::optional<double> simpleDecimal(std::string_view v) {
  if (v.empty() || v.size() > 16) return std::nullopt;  // 15 digits and a point at most
  std::uint64_t digits = 0;
  std::size_t point = std::string_view::npos;
  for (std::size_t i = 0; i < v.size(); ++i) {
    const unsigned d = static_cast<unsigned char>(v[i]) - unsigned{'0'};
    if (d < 10)
      digits = digits * 10 + d;
    else if ((v[i] == '.' || v[i] == ',') && point == std::string_view::npos)
      point = i;
    else
      return std::nullopt;
  }
  const bool hasPoint = point != std::string_view::npos;
  const std::size_t count = v.size() - (hasPoint ? 1 : 0);
  if (count == 0 || count > 15) return std::nullopt;
  const std::size_t decimals = hasPoint ? v.size() - point - 1 : 0;
  if (decimals == 0) return static_cast<double>(digits);
  return static_cast<double>(digits) / powersOfTen[decimals];
}

bool formatNumberInto(double value, int width, int decimals, char* out) {
  if (!std::isfinite(value) || width <= 0 || decimals < 0) return false;
  const auto w = static_cast<std::size_t>(width);
  // Decimal values such as 1.005 are slightly below themselves in binary; a nudge of a few
  // units in the last place lets them round half away from zero as Clipper rounds them.
  double nudged = value + std::copysign(std::fabs(value) * 4 * DBL_EPSILON, value);
  double scaled = decimals <= 15 ? std::round(nudged * powersOfTen[decimals]) : HUGE_VAL;
  if (std::fabs(scaled) < 9007199254740992.0) {  // 2^53: every integer below is exact
    // The common case without printf: the rounded value's digits from the right, the point
    // put in, zeros up to the one before the point, the sign; then the blanks in front. A
    // number that does not fit leaves out half written (the caller writes stars instead).
    char* p = out + w;
    auto v = static_cast<unsigned long long>(std::fabs(scaled));
    const int d = decimals;
    for (int i = 0; v > 0 || i <= d; ++i) {
      if (i == d && d > 0) {
        if (p == out) return false;
        *--p = '.';
      }
      if (p == out) return false;
      *--p = static_cast<char>('0' + v % 10);
      v /= 10;
    }
    // scaled is below zero only when it is at least one unit, never all zeros.
    if (scaled < 0) {
      if (p == out) return false;
      *--p = '-';
    }
    while (p != out) *--p = ' ';
    return true;
  }
  char buf[400];
  int n = std::snprintf(buf, sizeof buf, "%.*f", decimals, nudged);
  if (n <= 0 || n >= static_cast<int>(sizeof buf)) return false;
  std::string_view s(buf, static_cast<std::size_t>(n));
  if (s.front() == '-' && s.find_first_not_of("0.", 1) == std::string_view::npos)
    s.remove_prefix(1);
  if (s.size() > w) return false;
  std::memset(out, ' ', w - s.size());
  std::memcpy(out + w - s.size(), s.data(), s.size());
  return true;
}

std::optional<std::string> formatNumber(double value, int width, int decimals) {
  if (width <= 0) return std::nullopt;
  std::string out(static_cast<std::size_t>(width), ' ');
  if (!formatNumberInto(value, width, decimals, out.data())) return std::nullopt;
  return out;
}

std::string numberField(double value, int width, int decimals) {
  auto s = formatNumber(value, width, decimals);
  return s ? std::move(*s) : std::string(static_cast<std::size_t>(std::max(width, 0)), '*');
}

double parseNumber(std::string_view content) { return parseStrict(content).value_or(0.0); }

std::optional<double> readNumber(std::string_view text) { return parseStrict(text); }

std::string numberText(double value) {
  if (!std::isfinite(value)) return "0";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", value);
  std::string s = buf;
  if (s == "-0") s = "0";
  return s;
}

namespace {

// A formatted number (blanks in front) turned into its key in place.
void toNumericKey(char* key, std::size_t n) {
  bool negative = false;
  for (std::size_t i = 0; i < n; ++i) {
    if (key[i] == ' ') {
      key[i] = '0';
    } else if (key[i] == '-') {
      key[i] = '0';
      negative = true;
    }
  }
  if (negative)
    for (std::size_t i = 0; i < n; ++i)
      if (key[i] >= '0' && key[i] <= '9') key[i] = static_cast<char>(44 - (key[i] - '0'));
}

}  // namespace

std::string numericKey(double value, int width, int decimals) {
  auto formatted = formatNumber(value, width, decimals);
  std::size_t w = static_cast<std::size_t>(std::max(width, 0));
  if (!formatted) return std::string(w, value < 0 ? '\x00' : '\xFF');
  std::string key = std::move(*formatted);
  toNumericKey(key.data(), key.size());
  return key;
}

void numericKeyOfContent(std::string_view content, int width, int decimals, char* out) {
  const double value = parseNumber(content);
  const auto w = static_cast<std::size_t>(std::max(width, 0));
  if (formatNumberInto(value, width, decimals, out))
    toNumericKey(out, w);
  else
    std::memset(out, value < 0 ? 0x00 : 0xFF, w);
}

bool parseLogical(char content) {
  return content == 'T' || content == 't' || content == 'Y' || content == 'y';
}

Text contentToText(const Field& field, std::string_view content) {
  switch (field.type) {
    case 'N':
      return Text(trimmedView(content));
    case 'D':
      return Date::fromDbf(content).format();
    case 'L':
      if (content.empty() || content[0] == ' ' || content[0] == '?') return {};
      return parseLogical(content[0]) ? "T" : "F";
    default: {
      return fromCp850(trimmedRight(content));
    }
  }
}

double contentToNumber(const Field& field, std::string_view content) {
  if (field.type == 'N') return parseNumber(content);
  if (field.type == 'C') return readNumber(contentToText(field, content)).value_or(0.0);
  return 0.0;
}

std::string textToContent(const Field& field, std::string_view text) {
  const auto width = static_cast<std::size_t>(field.length);
  switch (field.type) {
    case 'N': {
      auto v = trimmedView(text).empty() ? std::nullopt : readNumber(text);
      return v ? numberField(*v, field.length, field.decimals) : std::string(width, ' ');
    }
    case 'D': {
      Date d = Date::parse(text);
      if (d.isEmpty()) d = Date::fromDbf(trimmedView(text));
      std::string s = d.toDbf();
      s.resize(width, ' ');
      return s;
    }
    case 'L': {
      std::string_view t = trimmedView(text);
      char c = t.empty() ? ' ' : t[0];
      bool yes = c == 'T' || c == 't' || c == 'Y' || c == 'y' || c == 'J' || c == 'j';
      return std::string(width, t.empty() ? ' ' : (yes ? 'T' : 'F'));
    }
    default: {
      std::string s = toCp850(text.substr(0, std::min(text.size(), width)));
      s.resize(width, ' ');
      return s;
    }
  }
}

void encodeText(const Field& f, std::string_view text, char* out) {
  if (f.type != 'C') {
    const std::string content = textToContent(f, text);
    std::copy(content.begin(), content.end(), out);
    return;
  }
  const auto width = static_cast<std::size_t>(f.length);
  const std::size_t n = std::min(text.size(), width);
  toCp850(text.substr(0, n), out);
  std::fill(out + n, out + width, ' ');
}

void encodeNumber(const Field& f, double number, char* out) {
  if (f.type != 'N') return encodeText(f, numberText(number), out);
  if (!formatNumberInto(number, f.length, f.decimals, out))
    std::memset(out, '*', static_cast<std::size_t>(std::max(f.length, 0)));
}

void encodeDate(const Field& f, const Date& date, char* out) {
  if (f.type != 'D') return encodeText(f, date.format(), out);
  const std::string content = date.toDbf();
  std::copy(content.begin(), content.end(), out);
}

std::string carryOver(const Field& from, std::string_view content, const Field& to) {
  if (from.type == to.type) {
    switch (to.type) {
      case 'C': {
        std::string s(content.substr(0, static_cast<std::size_t>(to.length)));
        s.resize(static_cast<std::size_t>(to.length), ' ');
        return s;
      }
      case 'N':
        if (from.length == to.length && from.decimals == to.decimals) return std::string(content);
        if (content.find_first_not_of(' ') == std::string_view::npos)
          return std::string(static_cast<std::size_t>(to.length), ' ');
        return numberField(parseNumber(content), to.length, to.decimals);
      default:
        if (from.length == to.length) return std::string(content);
    }
  }
  return textToContent(to, contentToText(from, content));
}

}  // namespace velmoran::store
