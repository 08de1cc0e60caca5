#pragma once
// A calendar date or empty, as the tables and the settings file hold it. Text form
// "DD.MM.YYYY"; two-digit years are 1933 to 2032 (the date epoch of the program).

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace velmoran {

class Date {
public:
  Date() = default;  // empty
  // A valid calendar date, or nothing.
  static std::optional<Date> make(int year, int month, int day);
  // "DD.MM.YYYY" or "DD.MM.YY" (also with one-digit day and month); anything else is empty.
  static Date parse(std::string_view text);
  // The dBASE form YYYYMMDD; blanks or anything invalid give the empty date.
  static Date fromDbf(std::string_view yyyymmdd);
  static Date today();

  bool isEmpty() const { return m_year == 0; }
  int year() const { return m_year; }
  int month() const { return m_month; }
  int day() const { return m_day; }

  // "DD.MM.YYYY", or "" for the empty date.
  std::string format() const;
  // "YYYYMMDD", or eight blanks for the empty date.
  std::string toDbf() const;

  friend bool operator==(const Date&, const Date&) = default;
  friend auto operator<=>(const Date&, const Date&) = default;

private:
  int m_year = 0;
  int m_month = 0;
  int m_day = 0;
};

// Two-digit years are read into the hundred years starting at 1933.
int expandTwoDigitYear(int yy);

// The local calendar time of t (localtime_r here, localtime_s on Windows).
std::tm localTime(std::time_t t);
// The local time of t as strftime formats it ("%d.%m.%Y").
std::string localTimeText(std::time_t t, const char* format);
// When the file was last written, in local time as strftime formats it; empty when unknown.
std::string fileTimeText(const std::filesystem::path& file, const char* format);

}  // namespace velmoran
