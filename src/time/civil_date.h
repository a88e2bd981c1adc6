// Dates of the Gregorian calendar and times of day: the date and time
// texts of a spectrum as numbers where they are numbers, leap years, and
// day counts.
#ifndef VULCONV_TIME_CIVIL_DATE_H_
#define VULCONV_TIME_CIVIL_DATE_H_

#include <cstdint>
#include <string_view>

namespace vulconv {

struct CalendarDate {
  int year = 0;
  int month = 0;
  int day = 0;
};

struct ClockTime {
  int hour = 0;
  int minute = 0;
  int second = 0;
};

/// The date of a date text "mm/dd/yyyy" (as the STD file has it): true when
/// month, day and year are all digits and name a day of the calendar.
bool ParseDateText(std::string_view text, CalendarDate& date);

/// The time of a time text "hh:mm:ss": true when the three are digits within
/// a day (a leap second 60 included).
bool ParseTimeText(std::string_view text, ClockTime& time);

/// The Gregorian calendar's leap years (proleptic before 1582).
bool IsLeapYear(int year);

/// Days in month (1 to 12) of year.
int DaysInMonth(int year, int month);

/// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t year, int month, int day);

}  // namespace vulconv

#endif  // VULCONV_TIME_CIVIL_DATE_H_
