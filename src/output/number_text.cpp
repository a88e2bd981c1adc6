#include "output/number_text.h"

#include <cstdio>

namespace vulconv {

// stub
char* WriteDoubleText(double value, char* out) { return out + std::snprintf(out, kMaxDoubleText + 1, "%f", value); }
char* WriteFloatText(float value, char* out) { return WriteDoubleText(value, out); }
std::string DoubleText(double value) {
  char buf[kMaxDoubleText + 1];
  return std::string(buf, WriteDoubleText(value, buf));
}

}  // namespace vulconv
