#include "output/overview/pixel_stats.h"

#include <cfloat>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vulconv {

namespace {

// Pixel i goes to lane i % 4 of the sums, lowest and highest values, which
// meet at the end in lane order. Four lanes keep the rounding of the mean
// and the sign of a zero minimum the same whether the loop runs on SSE2 or
// plainly: one lowest value for all pixels would wait on itself at every
// pixel, and a run's table takes this for every record.
//
// Each lane's sum is compensated: what a step rounds away is found exactly
// (Knuth's two-sum, without a branch or a comparison) and added up beside
// it, so that +FLT_MAX and -FLT_MAX cancel without taking the other values
// with them, and the mean is that of the exact sum as near as a double
// holds it.
struct Lanes {
  double sum[4] = {};   // 2048 floats of any size add up within a double's range
  double lost[4] = {};  // what each lane's additions rounded away
  float low[4] = {INFINITY, INFINITY, INFINITY, INFINITY};
  float high[4] = {-INFINITY, -INFINITY, -INFINITY, -INFINITY};
  std::int64_t finite = 0;
};

// sum += value, with what the addition rounds away added to lost.
inline void AddCompensated(double& sum, double& lost, double value) {
  double total = sum + value;
  double part = total - sum;
  lost += (sum - (total - part)) + (value - part);
  sum = total;
}

inline void AddToLane(Lanes& lanes, int k, float value) {
  bool finite = std::fabs(value) <= FLT_MAX;  // false for NaN and infinities
  float low = finite ? value : INFINITY, high = finite ? value : -INFINITY;
  AddCompensated(lanes.sum[k], lanes.lost[k], finite ? value : 0.0f);
  lanes.low[k] = low < lanes.low[k] ? low : lanes.low[k];
  lanes.high[k] = high > lanes.high[k] ? high : lanes.high[k];
  lanes.finite += finite;
}

#if defined(__SSE2__)
// AddCompensated on two lanes at once.
inline void AddCompensated(__m128d& sum, __m128d& lost, __m128d value) {
  __m128d total = _mm_add_pd(sum, value);
  __m128d part = _mm_sub_pd(total, sum);
  __m128d away = _mm_add_pd(_mm_sub_pd(sum, _mm_sub_pd(total, part)), _mm_sub_pd(value, part));
  lost = _mm_add_pd(lost, away);
  sum = total;
}

// The same four lanes as AddToLane, four pixels at a time; returns where
// it stopped.
std::size_t AddFours(Lanes& lanes, const float* pixels, std::size_t count) {
  const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
  const __m128 largest = _mm_set1_ps(FLT_MAX), inf = _mm_set1_ps(INFINITY);
  __m128d sum01 = _mm_setzero_pd(), sum23 = _mm_setzero_pd();
  __m128d lost01 = _mm_setzero_pd(), lost23 = _mm_setzero_pd();
  __m128 low = inf, high = _mm_set1_ps(-INFINITY);
  __m128i finite = _mm_setzero_si128();
  std::size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    __m128 value = _mm_loadu_ps(pixels + i);
    __m128 is_finite = _mm_cmple_ps(_mm_and_ps(value, magnitude), largest);  // false for NaN
    __m128 kept = _mm_and_ps(is_finite, value);  // +0 where not finite
    AddCompensated(sum01, lost01, _mm_cvtps_pd(kept));
    AddCompensated(sum23, lost23, _mm_cvtps_pd(_mm_movehl_ps(kept, kept)));
    // minps(a, b) is a < b ? a : b, as AddToLane compares.
    low = _mm_min_ps(_mm_or_ps(kept, _mm_andnot_ps(is_finite, inf)), low);
    high = _mm_max_ps(_mm_or_ps(kept, _mm_andnot_ps(is_finite, _mm_set1_ps(-INFINITY))), high);
    finite = _mm_sub_epi32(finite, _mm_castps_si128(is_finite));
  }
  _mm_storeu_pd(lanes.sum, sum01);
  _mm_storeu_pd(lanes.sum + 2, sum23);
  _mm_storeu_pd(lanes.lost, lost01);
  _mm_storeu_pd(lanes.lost + 2, lost23);
  _mm_storeu_ps(lanes.low, low);
  _mm_storeu_ps(lanes.high, high);
  alignas(16) std::int32_t counts[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(counts), finite);
  lanes.finite = std::int64_t{counts[0]} + counts[1] + counts[2] + counts[3];
  return i;
}
#else
std::size_t AddFours(Lanes& lanes, const float* pixels, std::size_t count) {
  std::size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    for (int k = 0; k < 4; ++k) AddToLane(lanes, k, pixels[i + k]);
  }
  return i;
}
#endif

}  // namespace

PixelStats ComputePixelStats(const float* pixels, std::size_t count) {
  Lanes lanes;
  for (std::size_t i = AddFours(lanes, pixels, count); i < count; ++i) {
    AddToLane(lanes, 0, pixels[i]);
  }
  float lowest = lanes.low[0], highest = lanes.high[0];
  for (int k = 1; k < 4; ++k) {
    lowest = lanes.low[k] < lowest ? lanes.low[k] : lowest;
    highest = lanes.high[k] > highest ? lanes.high[k] : highest;
  }
  PixelStats stats;
  stats.nonfinite = static_cast<std::int64_t>(count) - lanes.finite;
  stats.any_finite = lanes.finite > 0;
  if (lanes.finite > 0) {
    stats.minimum = lowest;
    stats.maximum = highest;
    double sum = 0, lost = 0;
    for (int k = 0; k < 4; ++k) AddCompensated(sum, lost, lanes.sum[k]);
    for (int k = 0; k < 4; ++k) lost += lanes.lost[k];
    stats.mean = (sum + lost) / static_cast<double>(lanes.finite);
  }
  return stats;
}

}  // namespace vulconv
