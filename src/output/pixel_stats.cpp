#include "output/pixel_stats.h"

#include <cmath>

namespace vulconv {

PixelStats ComputePixelStats(const float* pixels, std::size_t count) {
  PixelStats stats;
  double sum = 0;  // 2048 floats of any size add up within a double's range
  std::int64_t finite = 0;
  for (std::size_t i = 0; i < count; ++i) {
    float value = pixels[i];
    if (!std::isfinite(value)) {
      ++stats.nonfinite;
      continue;
    }
    if (finite == 0 || value < stats.minimum) stats.minimum = value;
    if (finite == 0 || value > stats.maximum) stats.maximum = value;
    sum += value;
    ++finite;
  }
  stats.any_finite = finite > 0;
  if (finite > 0) stats.mean = sum / static_cast<double>(finite);
  return stats;
}

}  // namespace vulconv
