#include "input/text_numbers.h"

namespace vulconv {

double LeadingDecimal(std::string_view) { return 0; }  // stub
std::int32_t LeadingInteger(std::string_view) { return 0; }  // stub

}  // namespace vulconv
