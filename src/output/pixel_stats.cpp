#include "output/pixel_stats.h"

#include <cfloat>
#include <cmath>

namespace vulconv {

namespace {

// The value, or what leaves a sum, a lowest and a highest value as they are.
struct Share {
  float sum, low, high;
  int finite;
};

inline Share ShareOf(float value) {
  bool finite = std::fabs(value) <= FLT_MAX;  // false for NaN and infinities
  return {finite ? value : 0.0f, finite ? value : INFINITY, finite ? value : -INFINITY, finite};
}

}  // namespace

PixelStats ComputePixelStats(const float* pixels, std::size_t count) {
  // Four running sums and no branches: a run's table and picture take this
  // for every record.
  float lowest = INFINITY, highest = -INFINITY;
  double sum[4] = {};  // 2048 floats of any size add up within a double's range
  std::int64_t finite = 0;
  std::size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    for (int k = 0; k < 4; ++k) {
      Share s = ShareOf(pixels[i + k]);
      sum[k] += s.sum;
      lowest = s.low < lowest ? s.low : lowest;
      highest = s.high > highest ? s.high : highest;
      finite += s.finite;
    }
  }
  for (; i < count; ++i) {
    Share s = ShareOf(pixels[i]);
    sum[0] += s.sum;
    lowest = s.low < lowest ? s.low : lowest;
    highest = s.high > highest ? s.high : highest;
    finite += s.finite;
  }
  PixelStats stats;
  stats.nonfinite = static_cast<std::int64_t>(count) - finite;
  stats.any_finite = finite > 0;
  if (finite > 0) {
    stats.minimum = lowest;
    stats.maximum = highest;
    stats.mean = (sum[0] + sum[1] + sum[2] + sum[3]) / static_cast<double>(finite);
  }
  return stats;
}

}  // namespace vulconv
