#include "store/date.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <system_error>

namespace velmoran {

namespace {
constexpr int epoch = 1933;

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
  static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && isLeap(y) ? 29 : days[m - 1];
}

std::optional<int> number(std::string_view s) {
  if (s.empty() || s.size() > 4) return std::nullopt;
  int v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
  }
  return v;
}
}  // namespace

int expandTwoDigitYear(int yy) {
  int y = 1900 + yy;
  return y < epoch ? y + 100 : y;
}

std::optional<Date> Date::make(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > daysInMonth(year, month))
    return std::nullopt;
  Date d;
  d.m_year = year;
  d.m_month = month;
  d.m_day = day;
  return d;
}

Date Date::parse(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  auto p1 = text.find('.');
  if (p1 == std::string_view::npos) return {};
  auto p2 = text.find('.', p1 + 1);
  if (p2 == std::string_view::npos) return {};
  auto d = number(text.substr(0, p1));
  auto m = number(text.substr(p1 + 1, p2 - p1 - 1));
  auto yText = text.substr(p2 + 1);
  auto y = number(yText);
  if (!d || !m || !y || *d > 99 || *m > 99) return {};
  int year = *y;
  if (yText.size() <= 2)
    year = expandTwoDigitYear(year);
  else if (yText.size() != 4)
    return {};
  return make(year, *m, *d).value_or(Date{});
}

Date Date::fromDbf(std::string_view s) {
  if (s.size() != 8) return {};
  auto y = number(s.substr(0, 4));
  auto m = number(s.substr(4, 2));
  auto d = number(s.substr(6, 2));
  if (!y || !m || !d) return {};
  return make(*y, *m, *d).value_or(Date{});
}

std::tm localTime(std::time_t t) {
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &t);
#else
  localtime_r(&t, &tm);
#endif
  return tm;
}

std::string localTimeText(std::time_t t, const char* format) {
  const std::tm tm = localTime(t);
  char buf[64];
  return std::string(buf, std::strftime(buf, sizeof buf, format, &tm));
}

std::string fileTimeText(const std::filesystem::path& file, const char* format) {
  std::error_code ec;
  const auto written = std::filesystem::last_write_time(file, ec);
  if (ec) return {};
  // The file clock has no portable conversion yet: the same distance from now on the system
  // clock.
  const auto system = std::chrono::time_point_cast<std::chrono::system_clock::duration>(
      written - std::filesystem::file_time_type::clock::now() + std::chrono::system_clock::now());
  return localTimeText(std::chrono::system_clock::to_time_t(system), format);
}

Date Date::today() {
  const std::tm tm = localTime(std::time(nullptr));
  return make(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday).value_or(Date{});
}

namespace {

// n as `width` digits with leading zeros (n fits them).
void putDigits(char* out, int n, int width) {
  for (int i = width - 1; i >= 0; --i, n /= 10) out[i] = static_cast<char>('0' + n % 10);
}

bool fitsFourDigits(int year) { return year >= 0 && year <= 9999; }

}  // namespace

std::string Date::format() const {
  if (isEmpty()) return {};
  if (!fitsFourDigits(m_year)) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", m_day, m_month, m_year);
    return buf;
  }
  std::string out = "00.00.0000";
  putDigits(&out[0], m_day, 2);
  putDigits(&out[3], m_month, 2);
  putDigits(&out[6], m_year, 4);
  return out;
}

std::string Date::toDbf() const {
  if (isEmpty()) return std::string(8, ' ');
  if (!fitsFourDigits(m_year)) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", m_year, m_month, m_day);
    return buf;
  }
  std::string out(8, '0');
  putDigits(&out[0], m_year, 4);
  putDigits(&out[4], m_month, 2);
  putDigits(&out[6], m_day, 2);
  return out;
}

}  // namespace velmoran
