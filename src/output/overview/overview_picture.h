// The overview picture: the scan's spectra against pixel number, with the
// reference and dark spectra, as one SVG file. Its memory is fixed per pixel
// whatever the number of spectra: up to kMaxSpectraDrawn scan spectra are
// kept and drawn one by one; beyond that, the range from the lowest to the
// highest value at each pixel, the median at each pixel of up to
// kMedianSpectra spectra taken evenly, and a few spectra chosen evenly.
// The intensity axis holds the spectra, not a few wild values (see
// PictureRange).
#ifndef VULCONV_OUTPUT_OVERVIEW_OVERVIEW_PICTURE_H_
#define VULCONV_OUTPUT_OVERVIEW_OVERVIEW_PICTURE_H_

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "output/shared/output_record.h"

namespace vulconv {

inline constexpr std::int64_t kMaxSpectraDrawn = 50;
inline constexpr int kChosenSpectra = 5;
/// The median at each pixel is that of at most this many scan spectra
/// taken evenly, kept whole (512 KiB): exact for them, and cheaper than any
/// estimate over every spectrum.
inline constexpr std::int64_t kMedianSpectra = 64;
/// The highest and the lowest values kept at each pixel: a pixel's values
/// beyond the axis's range are told exactly up to this many on each side.
inline constexpr int kExtremes = 4;

/// The mean at each pixel of the spectra of one kind, over finite values.
struct SpectrumMean {
  std::vector<double> sum;
  std::vector<std::int64_t> count;
  std::int64_t spectra = 0;
};

struct PictureState {
  std::int64_t announced = 0;      // scan spectra the run expects
  std::int64_t scan_count = 0;     // scan spectra added
  std::int64_t nonfinite = 0;      // their values that are not finite
  std::vector<float> kept;         // each scan spectrum, when no more than kMaxSpectraDrawn are announced
  std::vector<std::int64_t> kept_records;
  // At each pixel the kExtremes highest and lowest finite values, highest
  // (lowest) first, in planes of kPixelCount: plane j holds the (j+1)-th.
  // -inf and +inf stand for no value.
  std::vector<float> highs, lows;
  std::vector<float> sampled;     // the spectra the median is taken of, pixel by pixel
  std::int64_t sample_step = 1;   // every sample_step-th scan spectrum is one
  std::int64_t sampled_count = 0;
  std::int64_t chosen_ordinal[kChosenSpectra] = {};  // which scan spectra to keep
  int chosen_count = 0;                              // kept so far
  std::vector<float> chosen;
  std::int64_t chosen_record[kChosenSpectra] = {};
  std::vector<float> latest;  // stands in for a chosen one when fewer come than announced
  std::int64_t latest_record = 0;
  SpectrumMean ref, dark;
};

/// Allocates everything the picture will need.
void StartPicture(PictureState& p, std::int64_t announced_scan_count);

/// Adds a spectrum of kPixelCount values; high and low spectra are not drawn.
void AddPictureSpectrum(PictureState& p, StdKind kind, std::int64_t record, const float* pixels);

/// The median at each pixel of the finite values of the sampled spectra
/// (of the kept ones when every spectrum is kept), NaN where there is none,
/// in values[kPixelCount].
void PictureMedian(const PictureState& p, double* values);

/// What the intensity axis must hold of the scan spectra, given their
/// median: the lowest and highest value inside the fence, and how many lie
/// beyond it.
struct PictureRange {
  double fence_low = -INFINITY, fence_high = INFINITY;
  double low = INFINITY, high = -INFINITY;  // low > high: no value inside
  std::int64_t outside = 0;
  bool at_least = false;  // more may lie outside than kExtremes at a pixel tell
};

PictureRange ScanRange(const PictureState& p, const double* median);

/// The SVG file; the title tells the scan's name and its date and time texts.
void AppendPictureSvg(std::string& out, const PictureState& p, std::string_view scan_name,
                      std::string_view date, std::string_view time);

}  // namespace vulconv

#endif  // VULCONV_OUTPUT_OVERVIEW_OVERVIEW_PICTURE_H_
