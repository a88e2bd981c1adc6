// The date and time texts of a spectrum, as numbers where they are numbers.
#ifndef VULCONV_OUTPUT_DATE_TIME_H_
#define VULCONV_OUTPUT_DATE_TIME_H_

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

/// Days in month of year, by the Gregorian calendar.
int DaysInMonth(int year, int month);

}  // namespace vulconv

#endif  // VULCONV_OUTPUT_DATE_TIME_H_
