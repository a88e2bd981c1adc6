#include "output/overview/overview_picture.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "input/binary_file.h"

namespace vulconv {

namespace {

void AddToMean(SpectrumMean& mean, const float* pixels) {
  ++mean.spectra;
  for (int i = 0; i < kPixelCount; ++i) {
    if (!std::isfinite(pixels[i])) continue;
    mean.sum[i] += pixels[i];
    ++mean.count[i];
  }
}


}  // namespace

void StartPicture(PictureState& p, std::int64_t announced_scan_count) {
  p = PictureState{};
  p.announced = std::max<std::int64_t>(announced_scan_count, 0);
  // Spectra drawn one by one are kept only when few are to come: a long
  // scan would keep them for nothing.
  if (p.announced <= kMaxSpectraDrawn) {
    p.kept.assign(static_cast<std::size_t>(p.announced) * kPixelCount, 0.0f);
    p.kept_records.reserve(static_cast<std::size_t>(p.announced));
  } else {
    p.sampled.assign(static_cast<std::size_t>(kMedianSpectra) * kPixelCount, 0.0f);
    p.sample_step = (p.announced + kMedianSpectra - 1) / kMedianSpectra;
  }
  p.lowest.assign(kPixelCount, NAN);
  p.highest.assign(kPixelCount, NAN);
  std::int64_t last = std::max<std::int64_t>(p.announced - 1, 0);
  for (int j = 0; j < kChosenSpectra; ++j) p.chosen_ordinal[j] = last * j / (kChosenSpectra - 1);
  p.chosen.assign(static_cast<std::size_t>(kChosenSpectra) * kPixelCount, 0.0f);
  p.latest.assign(kPixelCount, 0.0f);
  for (SpectrumMean* mean : {&p.ref, &p.dark}) {
    mean->sum.assign(kPixelCount, 0.0);
    mean->count.assign(kPixelCount, 0);
  }
}

void AddPictureSpectrum(PictureState& p, StdKind kind, std::int64_t record, const float* pixels) {
  if (kind == StdKind::Ref) AddToMean(p.ref, pixels);
  if (kind == StdKind::Dark) AddToMean(p.dark, pixels);
  if (kind != StdKind::Scan) return;
  std::int64_t ordinal = p.scan_count++;
  // Without branches in the loop over every record, so that it runs on
  // many pixels at once; a pixel without a finite value yet holds NaN,
  // which compares false.
  float* lowest = p.lowest.data();
  float* highest = p.highest.data();
  std::int64_t nonfinite = 0;
  for (int i = 0; i < kPixelCount; ++i) {
    float value = pixels[i];
    bool finite = std::fabs(value) <= FLT_MAX;  // false for NaN and infinities
    nonfinite += !finite;
    float low = lowest[i], high = highest[i];
    lowest[i] = (finite & !(value >= low)) ? value : low;
    highest[i] = (finite & !(value <= high)) ? value : high;
  }
  p.nonfinite += nonfinite;
  constexpr std::size_t kBytes = sizeof(float) * kPixelCount;
  if (ordinal % p.sample_step == 0 && p.sampled_count < kMedianSpectra && !p.sampled.empty()) {
    float* column = p.sampled.data() + p.sampled_count++;
    for (int i = 0; i < kPixelCount; ++i) column[i * kMedianSpectra] = pixels[i];
  }
  if (p.kept_records.size() < p.kept.size() / kPixelCount) {
    std::memcpy(p.kept.data() + p.kept_records.size() * kPixelCount, pixels, kBytes);
    p.kept_records.push_back(record);
  }
  while (p.chosen_count < kChosenSpectra && p.chosen_ordinal[p.chosen_count] == ordinal) {
    std::memcpy(p.chosen.data() + static_cast<std::size_t>(p.chosen_count) * kPixelCount, pixels,
                kBytes);
    p.chosen_record[p.chosen_count++] = record;
  }
  std::memcpy(p.latest.data(), pixels, kBytes);
  p.latest_record = record;
}

void PictureMedian(const PictureState& p, double* values) {
  std::vector<float> column;
  column.reserve(static_cast<std::size_t>(p.sampled_count));
  for (int i = 0; i < kPixelCount; ++i) {
    column.clear();
    const float* values_at_i = p.sampled.data() + i * kMedianSpectra;
    for (std::int64_t k = 0; k < p.sampled_count; ++k) {
      if (std::isfinite(values_at_i[k])) column.push_back(values_at_i[k]);
    }
    if (column.empty()) {
      values[i] = NAN;
      continue;
    }
    auto half = column.begin() + static_cast<std::ptrdiff_t>(column.size() / 2);
    std::nth_element(column.begin(), half, column.end());
    double upper = *half;
    if (column.size() % 2) {
      values[i] = upper;
    } else {
      double lower = *std::max_element(column.begin(), half);
      values[i] = lower / 2 + upper / 2;
    }
  }
}

}  // namespace vulconv
