#include "output/median_estimate.h"

#include <algorithm>
#include <utility>
#include <cmath>

namespace vulconv {

namespace {

// Where marker i should be after count values, for the median.
double DesiredPosition(int i, std::int64_t count) {
  static const double kIncrement[5] = {0, 0.25, 0.5, 0.75, 1};
  return 1 + static_cast<double>(count - 1) * kIncrement[i];
}

// Moves marker i one step (d is 1 or -1), by the parabola through it and its
// neighbours, or linearly where the parabola would leave their order.
void MoveMarker(MedianEstimate& m, int i, int d) {
  const double* q = m.height;
  const auto n = [&](int k) { return static_cast<double>(m.position[k]); };
  double parabolic =
      q[i] + d / (n(i + 1) - n(i - 1)) *
                 ((n(i) - n(i - 1) + d) * (q[i + 1] - q[i]) / (n(i + 1) - n(i)) +
                  (n(i + 1) - n(i) - d) * (q[i] - q[i - 1]) / (n(i) - n(i - 1)));
  if (q[i - 1] < parabolic && parabolic < q[i + 1]) {
    m.height[i] = parabolic;
  } else {
    m.height[i] = q[i] + d * (q[i + d] - q[i]) / (n(i + d) - n(i));
  }
  m.position[i] += d;
}

// Insertion sort: std::sort on five values trips GCC 12's -Warray-bounds.
void SortFew(double* values, int count) {
  for (int i = 1; i < count; ++i) {
    for (int k = i; k > 0 && values[k] < values[k - 1]; --k) std::swap(values[k], values[k - 1]);
  }
}

}  // namespace

void AddToMedian(MedianEstimate& m, double value) {
  if (m.count < 5) {
    m.height[m.count++] = value;
    if (m.count == 5) {
      SortFew(m.height, 5);
      for (int i = 0; i < 5; ++i) m.position[i] = i + 1;
    }
    return;
  }
  int cell = 0;  // the markers from cell + 1 on lie above the value
  if (value < m.height[0]) {
    m.height[0] = value;
  } else if (value >= m.height[4]) {
    m.height[4] = value;
    cell = 3;
  } else {
    while (value >= m.height[cell + 1]) ++cell;
  }
  for (int i = cell + 1; i < 5; ++i) ++m.position[i];
  ++m.count;
  for (int i = 1; i <= 3; ++i) {
    double off = DesiredPosition(i, m.count) - static_cast<double>(m.position[i]);
    if ((off >= 1 && m.position[i + 1] - m.position[i] > 1) ||
        (off <= -1 && m.position[i - 1] - m.position[i] < -1)) {
      MoveMarker(m, i, off > 0 ? 1 : -1);
    }
  }
}

double MedianOf(const MedianEstimate& m) {
  if (m.count == 0) return NAN;
  if (m.count >= 5) return m.height[2];
  double sorted[5];
  std::copy(m.height, m.height + m.count, sorted);
  SortFew(sorted, static_cast<int>(m.count));
  auto half = m.count / 2;
  return m.count % 2 ? sorted[half] : sorted[half - 1] / 2 + sorted[half] / 2;
}

}  // namespace vulconv
