#include "input/text_numbers.h"

#include <charconv>
#include <cstdint>
#include <limits>

namespace vulconv {

namespace {

// White space as isspace takes it in the C locale, whatever the locale is.
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t SkipSpace(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  return i;
}

std::size_t SkipDigits(std::string_view text, std::size_t i) {
  while (i < text.size() && IsDigit(text[i])) ++i;
  return i;
}

// The extent of a decimal number that starts at text[begin] (after its
// sign), as strtod would take it; 0 when none starts there.
struct NumberExtent {
  std::size_t end = 0;             // one past the last character taken
  std::size_t exponent_digits = 0;  // where the exponent's digits start; 0 without exponent
};

NumberExtent ScanNumber(std::string_view text, std::size_t begin) {
  std::size_t int_end = SkipDigits(text, begin);
  std::size_t end = int_end;
  std::size_t digits = int_end - begin;
  if (end < text.size() && text[end] == '.') {
    std::size_t frac_end = SkipDigits(text, end + 1);
    digits += frac_end - (end + 1);
    if (digits > 0) end = frac_end;  // "5." takes the point, a lone "." is none
  }
  if (digits == 0) return {};
  NumberExtent extent{end, 0};
  // An exponent counts only with at least one digit: "1e" is 1.
  if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
    std::size_t at = end + 1;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    std::size_t exp_end = SkipDigits(text, at);
    if (exp_end > at) extent = {exp_end, at};
  }
  return extent;
}

// Whether a number that from_chars found out of range is too large (rather
// than too small): its power of ten, of the first non-zero digit, is not
// negative. Out of range only ever means beyond 1e308 or below 1e-323, so
// this rough measure cannot mistake one for the other.
bool IsOverflow(std::string_view number, std::size_t exponent_digits) {
  std::size_t mantissa_end = exponent_digits ? number.find_first_of("eE") : number.size();
  std::int64_t exponent = 0;
  if (exponent_digits) {
    for (std::size_t i = exponent_digits; i < number.size(); ++i) {
      if (exponent < 100000000) exponent = exponent * 10 + (number[i] - '0');
    }
    if (number[exponent_digits - 1] == '-') exponent = -exponent;
  }
  std::int64_t place = 0;  // power of ten of the digit at hand
  std::size_t point = number.substr(0, mantissa_end).find('.');
  if (point == std::string_view::npos) point = mantissa_end;
  for (std::size_t i = 0; i < mantissa_end; ++i) {
    if (i == point) continue;
    place = i < point ? static_cast<std::int64_t>(point - i) - 1
                      : -static_cast<std::int64_t>(i - point);
    if (number[i] != '0') break;
  }
  return place + exponent >= 0;
}

}  // namespace

double LeadingDecimal(std::string_view text) {
  std::size_t start = SkipSpace(text);
  bool negative = false;
  std::size_t begin = start;
  if (begin < text.size() && (text[begin] == '+' || text[begin] == '-')) {
    negative = text[begin] == '-';
    ++begin;
  }
  NumberExtent extent = ScanNumber(text, begin);
  if (extent.end == 0) return 0;
  // from_chars takes no sign: the digits are converted and the sign put on
  // after, which keeps "-0" a negative zero as strtod gives it.
  std::string_view number = text.substr(begin, extent.end - begin);
  std::size_t exponent_digits = extent.exponent_digits ? extent.exponent_digits - begin : 0;
  double value = 0;
  auto result = std::from_chars(number.data(), number.data() + number.size(), value,
                                std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    value = IsOverflow(number, exponent_digits) ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (result.ec != std::errc()) {
    value = 0;
  }
  return negative ? -value : value;
}

std::int32_t LeadingInteger(std::string_view text) {
  std::size_t i = SkipSpace(text);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // The magnitude stops growing once it is past every 32-bit value.
  constexpr std::int64_t kCap = std::int64_t{1} << 32;
  std::int64_t magnitude = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    if (magnitude < kCap) magnitude = magnitude * 10 + (text[i] - '0');
  }
  std::int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

}  // namespace vulconv
