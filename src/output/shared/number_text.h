// printf's "%f" (six decimals), locale-free, with exact halves rounded away
// from zero, as the STD spectrum file needs.
#ifndef VULCONV_OUTPUT_SHARED_NUMBER_TEXT_H_
#define VULCONV_OUTPUT_SHARED_NUMBER_TEXT_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace vulconv {

/// Longest text WriteFloatText writes: sign, 39 integer digits, ".", six.
inline constexpr int kMaxFloatText = 47;
/// Longest text WriteDoubleText writes: sign, 309 integer digits, ".", six.
inline constexpr int kMaxDoubleText = 317;

/// Writes the float value (widened exactly to double) and returns the end.
/// Non-finite values give inf, -inf, nan and -nan. No terminator is written.
char* WriteFloatText(float value, char* out);

/// Writes each value as WriteFloatText does, followed by CR LF, and returns
/// the end. Writes nothing beyond the text.
char* WriteFloatLines(const float* values, std::size_t count, char* out);

/// The same for any double, exactly.
char* WriteDoubleText(double value, char* out);

/// WriteDoubleText as a string.
std::string DoubleText(double value);

/// The texts above appended to out; integers in decimal, width digits at
/// least with zeros in front for AppendPadded.
void AppendDoubleText(std::string& out, double value);
void AppendFloatText(std::string& out, float value);
void AppendInteger(std::string& out, std::int64_t value);
void AppendPadded(std::string& out, std::int64_t value, int width);

/// value with the given number of decimals (0 to 9), rounded; values too
/// large for that as WriteDoubleText writes them.
void AppendFixed(std::string& out, double value, int decimals);

/// An angle from 0 to 360 to a ten-thousandth of a degree, well below the
/// error of any angle the program computes.
std::string AngleText(double degrees);

}  // namespace vulconv

#endif  // VULCONV_OUTPUT_SHARED_NUMBER_TEXT_H_
