#include "time/civil_date.h"

namespace vulconv {

namespace {

// The number a text of digits only (at most nine) stands for; -1 otherwise.
int DigitsValue(std::string_view text) {
  if (text.empty() || text.size() > 9) return -1;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

// Splits "a<sep>b<sep>c" into its three parts; false for any other count.
bool SplitThree(std::string_view text, char sep, std::string_view part[3]) {
  std::size_t first = text.find(sep);
  if (first == std::string_view::npos) return false;
  std::size_t second = text.find(sep, first + 1);
  if (second == std::string_view::npos || text.find(sep, second + 1) != std::string_view::npos)
    return false;
  part[0] = text.substr(0, first);
  part[1] = text.substr(first + 1, second - first - 1);
  part[2] = text.substr(second + 1);
  return true;
}

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
  // Howard Hinnant's days_from_civil, in 64 bits so that no int year overflows.
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t year_of_era = year - era * 400;
  const std::int64_t day_of_year = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const std::int64_t day_of_era =
      year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

bool ParseDateText(std::string_view text, CalendarDate& date) {
  std::string_view part[3];
  if (!SplitThree(text, '/', part)) return false;
  int month = DigitsValue(part[0]), day = DigitsValue(part[1]), year = DigitsValue(part[2]);
  if (month < 1 || month > 12 || year < 1 || day < 1 || day > DaysInMonth(year, month))
    return false;
  date = {year, month, day};
  return true;
}

bool ParseTimeText(std::string_view text, ClockTime& time) {
  std::string_view part[3];
  if (!SplitThree(text, ':', part)) return false;
  int hour = DigitsValue(part[0]), minute = DigitsValue(part[1]), second = DigitsValue(part[2]);
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 60)
    return false;
  time = {hour, minute, second};
  return true;
}

}  // namespace vulconv
