// The lowest, highest and mean pixel value of a spectrum, over its finite
// values, and how many are not finite.
#ifndef VULCONV_OUTPUT_OVERVIEW_PIXEL_STATS_H_
#define VULCONV_OUTPUT_OVERVIEW_PIXEL_STATS_H_

#include <cstddef>
#include <cstdint>

namespace vulconv {

struct PixelStats {
  bool any_finite = false;  // minimum, maximum and mean hold only when true
  float minimum = 0;
  float maximum = 0;
  double mean = 0;
  std::int64_t nonfinite = 0;  // NaN and infinite values
};

PixelStats ComputePixelStats(const float* pixels, std::size_t count);

}  // namespace vulconv

#endif  // VULCONV_OUTPUT_OVERVIEW_PIXEL_STATS_H_
