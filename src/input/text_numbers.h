// Numbers read from the front of a text, without the C library's locale,
// hex or inf/nan spellings.
#ifndef VULCONV_INPUT_TEXT_NUMBERS_H_
#define VULCONV_INPUT_TEXT_NUMBERS_H_

#include <cstdint>
#include <string_view>

namespace vulconv {

/// The longest leading decimal number of text: white space skipped, then
/// [sign] digits [. digits] [exponent], correctly rounded; 0 when there is
/// none. "012.5x" gives 12.5, "0-12.3" gives 0.
double LeadingDecimal(std::string_view text);

/// atol's manner: white space skipped, an optional sign, decimal digits up
/// to the first other character; 0 without digits. A value outside the
/// signed 32-bit range saturates at its nearer end.
std::int32_t LeadingInteger(std::string_view text);

}  // namespace vulconv

#endif  // VULCONV_INPUT_TEXT_NUMBERS_H_
