// The median of a stream of values in fixed memory: the P-square algorithm
// of Jain and Chlamtac (1985), five markers moved with a piecewise-parabolic
// prediction. Exact up to five values.
#ifndef VULCONV_OUTPUT_MEDIAN_ESTIMATE_H_
#define VULCONV_OUTPUT_MEDIAN_ESTIMATE_H_

#include <cstdint>

namespace vulconv {

struct MedianEstimate {
  double height[5] = {};        // marker heights; the first values while count < 5
  std::int64_t position[5] = {};  // marker positions, 1-based
  std::int64_t count = 0;
};

void AddToMedian(MedianEstimate& m, double value);

/// The estimate (NaN while no value was added).
double MedianOf(const MedianEstimate& m);

}  // namespace vulconv

#endif  // VULCONV_OUTPUT_MEDIAN_ESTIMATE_H_
