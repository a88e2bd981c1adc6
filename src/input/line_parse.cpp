#include "input/line_parse.h"

namespace vulconv {

ParsedSpectrumLine ParseSpectrumLine(std::string_view, std::int64_t) { return {}; }  // stub
double DegreesFromText(std::string_view) { return 0; }  // stub

}  // namespace vulconv
