#include "output/overview/overview_picture.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <functional>

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

// Puts value among the kExtremes kept at pixel i of planes, ordered by
// before (the highest first, or the lowest).
template <typename Before>
void KeepExtreme(float* planes, int i, float value, Before before) {
  int j = kExtremes - 1;
  for (; j > 0 && before(value, planes[(j - 1) * kPixelCount + i]); --j) {
    planes[j * kPixelCount + i] = planes[(j - 1) * kPixelCount + i];
  }
  planes[j * kPixelCount + i] = value;
}

// The fence around the spectra: values beyond it are wild, not spectra.
// Why it is robust: the median at each pixel does not move with records
// that are not most of those at that pixel, so one wild record or a few do
// not move it; its lowest and highest values, without its 16 most extreme
// pixels at each end (a wild pixel in a scan of one spectrum), tell the
// spectra's level and spread. The fence lies beyond them by ten times the
// larger of their spread and their size, so that no spectrum that differs
// from the others as real light does (a brighter sky) falls outside, and
// never inside a 16-bit detector's full scale: a value the instrument can
// give, saturated or not, is never wild. What falls outside is a corrupt
// value orders of magnitude away, such as 3e38 or 1e12.
void SetFence(PictureRange& range, const double* median) {
  std::vector<double> values;
  for (int i = 0; i < kPixelCount; ++i) {
    if (std::isfinite(median[i])) values.push_back(median[i]);
  }
  if (values.empty()) return;
  std::sort(values.begin(), values.end());
  std::size_t trim = values.size() / 128;
  double low = values[trim], high = values[values.size() - 1 - trim];
  double spread = std::max({high - low, std::fabs(low), std::fabs(high)});
  constexpr double kFullScale = 65535, kReach = 10;
  range.fence_low = std::min(low - kReach * spread, -kFullScale);
  range.fence_high = std::max(high + kReach * spread, kFullScale);
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
  p.highs.assign(static_cast<std::size_t>(kExtremes) * kPixelCount, -INFINITY);
  p.lows.assign(static_cast<std::size_t>(kExtremes) * kPixelCount, INFINITY);
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
  // many pixels at once; the values that join the extremes kept at their
  // pixel, few once the first spectra came, are marked and kept after.
  const float* last_high = p.highs.data() + (kExtremes - 1) * kPixelCount;
  const float* last_low = p.lows.data() + (kExtremes - 1) * kPixelCount;
  std::int64_t nonfinite = 0;
  alignas(8) unsigned char extreme[kPixelCount];
  for (int i = 0; i < kPixelCount; ++i) {
    float value = pixels[i];
    bool finite = std::fabs(value) <= FLT_MAX;  // false for NaN and infinities
    nonfinite += !finite;
    extreme[i] = finite & ((value > last_high[i]) | (value < last_low[i]));
  }
  p.nonfinite += nonfinite;
  for (int at = 0; at < kPixelCount; at += 8) {
    std::uint64_t eight;
    std::memcpy(&eight, extreme + at, sizeof eight);
    for (int i = at; eight != 0 && i < at + 8; ++i) {
      if (!extreme[i]) continue;
      if (pixels[i] > last_high[i]) KeepExtreme(p.highs.data(), i, pixels[i], std::greater<float>());
      if (pixels[i] < last_low[i]) KeepExtreme(p.lows.data(), i, pixels[i], std::less<float>());
    }
  }
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
  // The kept spectra one after the other, or the sampled ones pixel by pixel.
  bool kept = p.sampled.empty();
  std::int64_t count = kept ? static_cast<std::int64_t>(p.kept_records.size()) : p.sampled_count;
  std::int64_t pixel_step = kept ? 1 : kMedianSpectra, spectrum_step = kept ? kPixelCount : 1;
  const float* spectra = kept ? p.kept.data() : p.sampled.data();
  std::vector<float> column;
  column.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < kPixelCount; ++i) {
    column.clear();
    for (std::int64_t k = 0; k < count; ++k) {
      float value = spectra[i * pixel_step + k * spectrum_step];
      if (std::isfinite(value)) column.push_back(value);
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

PictureRange ScanRange(const PictureState& p, const double* median) {
  PictureRange range;
  SetFence(range, median);
  auto inside = [&](double v) { return v >= range.fence_low && v <= range.fence_high; };
  auto widen = [&](double v) {
    range.low = std::min(range.low, v);
    range.high = std::max(range.high, v);
  };
  std::size_t kept = p.kept_records.size() * kPixelCount;
  if (p.scan_count == static_cast<std::int64_t>(p.kept_records.size())) {
    for (std::size_t at = 0; at < kept; ++at) {  // every value is at hand
      float v = p.kept[at];
      if (!std::isfinite(v)) continue;
      if (inside(v)) widen(v);
      else ++range.outside;
    }
    return range;
  }
  // Beyond each side's fence, the kept extremes of a pixel in turn until
  // one lies inside: it is the pixel's highest (lowest) inside the fence.
  for (int i = 0; i < kPixelCount; ++i) {
    for (const std::vector<float>* planes : {&p.highs, &p.lows}) {
      bool highs = planes == &p.highs;
      int j = 0;
      for (; j < kExtremes; ++j) {
        double v = (*planes)[static_cast<std::size_t>(j) * kPixelCount + i];
        if (!std::isfinite(v) || !(highs ? v > range.fence_high : v < range.fence_low)) break;
        ++range.outside;
      }
      double v = j < kExtremes ? (*planes)[static_cast<std::size_t>(j) * kPixelCount + i] : NAN;
      if (std::isfinite(v) && inside(v)) widen(v);
      range.at_least |= j == kExtremes;
    }
  }
  return range;
}

}  // namespace vulconv
