// The overview picture drawn: layout, axes, curves, legend and title.
#include "output/overview/overview_picture.h"

#include <algorithm>
#include <cmath>

#include "input/binary_file.h"
#include "time/civil_date.h"
#include "output/overview/overview_table.h"
#include "output/overview/svg_plot.h"
#include "output/shared/text_escape.h"

namespace vulconv {

namespace {

// The picture in user units; it shows at half that size. x is one unit per
// pixel, y has kPlotHeight steps: whole units keep the path data short.
constexpr int kWidth = 2640, kHeight = 1240;
constexpr int kLeft = 170, kTop = 140, kPlotHeight = 1000;
constexpr int kRight = kLeft + kPixelCount - 1;
constexpr int kLegendX = 2260;

constexpr const char* kBandColour = "#c6dbef";
constexpr const char* kMedianColour = "#ae017e";  // apart from the chosen spectra's blues
constexpr const char* kRefColour = "#e6550d";
constexpr const char* kDarkColour = "#252525";

void MeanValues(const SpectrumMean& mean, double* values) {
  for (int i = 0; i < kPixelCount; ++i) {
    values[i] = mean.count[i] ? mean.sum[i] / static_cast<double>(mean.count[i]) : NAN;
  }
}

void FloatValues(const float* pixels, double* values) {
  std::copy(pixels, pixels + kPixelCount, values);
}

// The colour of scan spectrum k of count, light blue (first) to dark blue.
std::string RampColour(std::size_t k, std::size_t count) {
  static const int kFrom[3] = {158, 202, 225}, kTo[3] = {8, 48, 107};
  double t = count > 1 ? static_cast<double>(k) / static_cast<double>(count - 1) : 0.5;
  static const char kHex[] = "0123456789abcdef";
  std::string colour = "#";
  for (int c = 0; c < 3; ++c) {
    int level = static_cast<int>(std::lround(kFrom[c] + (kTo[c] - kFrom[c]) * t));
    colour += kHex[level >> 4];
    colour += kHex[level & 15];
  }
  return colour;
}

// The first plane of extremes: NaN where a pixel had no finite value.
void ExtremeValues(const std::vector<float>& planes, double* values) {
  for (int i = 0; i < kPixelCount; ++i) {
    values[i] = std::isfinite(planes[i]) ? planes[i] : NAN;
  }
}

// The range widened by the finite values of a curve inside the fence;
// those outside counted.
void WidenByCurve(PictureRange& range, const double* values) {
  for (int i = 0; i < kPixelCount; ++i) {
    double v = values[i];
    if (!std::isfinite(v)) continue;
    if (v < range.fence_low || v > range.fence_high) {
      ++range.outside;
      continue;
    }
    range.low = std::min(range.low, v);
    range.high = std::max(range.high, v);
  }
}

// One legend line: a swatch of the curve's colour (or of the band's) and
// its label, the line's number counted from 0.
void AppendLegend(std::string& out, int line, std::string_view colour, bool band,
                  std::string_view label) {
  int y = kTop + 30 + 40 * line;
  if (band) {
    out += "<rect x=\"";
    AppendInteger(out, kLegendX);
    out += "\" y=\"";
    AppendInteger(out, y - 12);
    out += "\" width=\"50\" height=\"24\" fill=\"" + std::string(colour) + "\"/>\n";
  } else {
    out += "<g " + StrokeAttributes(colour, "4") + ">\n";
    AppendLine(out, kLegendX, y, kLegendX + 50, y);
    out += "</g>\n";
  }
  AppendText(out, kLegendX + 62, y + 7, "font-size=\"22\"", label);
}

// The date and time as the title shows them: ISO 8601 where they parse.
std::string WhenText(std::string_view date, std::string_view time) {
  std::string when;
  if (date != "//" && !AppendIsoDate(when, date)) when += date;
  if (time != "::") {
    if (!when.empty()) when += ' ';
    when += time;
    ClockTime clock;
    if (ParseTimeText(time, clock)) when += " UTC";
  }
  return when;
}

// The spectra drawn in place of all of them, and their records: the chosen
// ones that came, and the last one that came when it was not chosen.
int DrawnChosen(const PictureState& p, const float* spectrum[], std::int64_t record[]) {
  int drawn = 0;
  for (int j = 0; j < p.chosen_count; ++j) {
    if (j > 0 && p.chosen_ordinal[j] == p.chosen_ordinal[j - 1]) continue;
    spectrum[drawn] = p.chosen.data() + static_cast<std::size_t>(j) * kPixelCount;
    record[drawn++] = p.chosen_record[j];
  }
  bool last_is_chosen =
      p.chosen_count > 0 && p.chosen_ordinal[p.chosen_count - 1] == p.scan_count - 1;
  if (p.scan_count > 0 && !last_is_chosen) {
    spectrum[drawn] = p.latest.data();
    record[drawn++] = p.latest_record;
  }
  return drawn;
}

void AppendSvgHead(std::string& out) {
  out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"";
  AppendInteger(out, kWidth / 2);
  out += "\" height=\"";
  AppendInteger(out, kHeight / 2);
  out += "\" viewBox=\"0 0 ";
  AppendInteger(out, kWidth);
  out += ' ';
  AppendInteger(out, kHeight);
  out += "\" font-family=\"sans-serif\" font-size=\"24\">\n<rect width=\"";
  AppendInteger(out, kWidth);
  out += "\" height=\"";
  AppendInteger(out, kHeight);
  out += "\" fill=\"white\"/>\n";
}

// Each kept scan spectrum, light blue (first) to dark blue (last); returns
// what the picture shows of them.
std::string DrawEach(std::string& out, const PictureState& p, const PlotArea& area, int& legend) {
  std::vector<double> values(kPixelCount);
  std::size_t kept = p.kept_records.size();
  for (std::size_t k = 0; k < kept; ++k) {
    FloatValues(p.kept.data() + k * kPixelCount, values.data());
    AppendCurvePath(out, area, values.data(), kPixelCount,
                    StrokeAttributes(RampColour(k, kept), "1.5"));
  }
  std::string first = "record " + std::to_string(p.kept_records.front());
  if (kept == 1) {
    AppendLegend(out, legend++, RampColour(0, 1), false, "scan, " + first);
    return "1 scan spectrum";
  }
  AppendLegend(out, legend++, RampColour(0, kept), false, "first scan, " + first);
  AppendLegend(out, legend++, RampColour(kept - 1, kept), false,
               "last scan, record " + std::to_string(p.kept_records.back()));
  return std::to_string(kept) + " scan spectra, light (first) to dark (last)";
}

// The shade of chosen spectrum k of count: the ramp without its lightest
// blue, which the band would hide.
std::string ChosenColour(std::size_t k, std::size_t count) { return RampColour(k + 1, count + 1); }

// The band from the lowest to the highest value, the chosen spectra, each
// in a shade of its own from light (first) to dark (last), and the median
// over them; returns what the picture shows of the scan spectra.
std::string DrawSummary(std::string& out, const PictureState& p, const PlotArea& area,
                        const double* low, const double* high, const double* median,
                        int& legend) {
  AppendBandPath(out, area, low, high, kPixelCount,
                 "fill=\"" + std::string(kBandColour) + "\" stroke=\"none\"");
  const float* chosen[kChosenSpectra + 1];
  std::int64_t record[kChosenSpectra + 1];
  auto drawn = static_cast<std::size_t>(DrawnChosen(p, chosen, record));
  std::string about = std::to_string(p.scan_count) + " scan spectra: their range and median";
  if (p.sampled_count < p.scan_count) {
    about += " (of " + std::to_string(p.sampled_count) + " taken evenly)";
  }
  about += " at each pixel, and records";
  std::vector<double> values(kPixelCount);
  for (std::size_t k = 0; k < drawn; ++k) {
    FloatValues(chosen[k], values.data());
    AppendCurvePath(out, area, values.data(), kPixelCount,
                    StrokeAttributes(ChosenColour(k, drawn), "1.5"));
    about += (k ? ", " : " ") + std::to_string(record[k]);
  }
  AppendCurvePath(out, area, median, kPixelCount, StrokeAttributes(kMedianColour, "3"));
  AppendLegend(out, legend++, kBandColour, true, "scan range");
  AppendLegend(out, legend++, kMedianColour, false, "scan median");
  for (std::size_t k = 0; k < drawn; ++k) {
    AppendLegend(out, legend++, ChosenColour(k, drawn), false,
                 "scan, record " + std::to_string(record[k]));
  }
  return about;
}

// The mean reference or dark spectrum, when there was one.
void DrawCalibration(std::string& out, const PlotArea& area, const SpectrumMean& mean,
                     const double* curve, bool is_ref, int& legend) {
  if (mean.spectra == 0) return;
  const char* colour = is_ref ? kRefColour : kDarkColour;
  AppendCurvePath(out, area, curve, kPixelCount, StrokeAttributes(colour, "2.5"));
  std::string label = is_ref ? "reference" : "dark";
  if (mean.spectra > 1) label += ", mean of " + std::to_string(mean.spectra);
  AppendLegend(out, legend++, colour, false, label);
}

}  // namespace


void AppendPictureSvg(std::string& out, const PictureState& p, std::string_view scan_name,
                      std::string_view date, std::string_view time) {
  std::vector<double> low(kPixelCount), high(kPixelCount), ref(kPixelCount), dark(kPixelCount);
  std::vector<double> median(kPixelCount);
  ExtremeValues(p.lows, low.data());
  ExtremeValues(p.highs, high.data());
  MeanValues(p.ref, ref.data());
  MeanValues(p.dark, dark.data());
  PictureMedian(p, median.data());
  // What lies outside the range is drawn at the plot's edge.
  PictureRange range = ScanRange(p, median.data());
  WidenByCurve(range, ref.data());
  WidenByCurve(range, dark.data());
  bool any_finite = range.low <= range.high;
  ValueAxis axis = any_finite ? MakeValueAxis(range.low, range.high) : MakeValueAxis(0, 1);
  PlotArea area{kLeft, kTop, kPlotHeight, axis};

  AppendSvgHead(out);
  AppendAxes(out, area, kPixelCount);
  int legend = 0;
  std::string about = "no scan spectra";  // what the picture shows of them
  if (p.scan_count > static_cast<std::int64_t>(p.kept_records.size())) {
    about = DrawSummary(out, p, area, low.data(), high.data(), median.data(), legend);
  } else if (p.scan_count > 0) {
    about = DrawEach(out, p, area, legend);
  }
  if (p.nonfinite > 0) about += "; " + std::to_string(p.nonfinite) + " values not finite, left out";
  if (range.outside > 0) {
    about += std::string("; ") + (range.at_least ? "at least " : "") +
             std::to_string(range.outside) + (range.outside == 1 ? " value" : " values") +
             " outside the range shown";
  }
  DrawCalibration(out, area, p.dark, dark.data(), false, legend);
  DrawCalibration(out, area, p.ref, ref.data(), true, legend);
  if (!any_finite) {
    AppendText(out, (kLeft + kRight) / 2, kTop + kPlotHeight / 2, "text-anchor=\"middle\"",
               "no finite values to draw");
  }
  AppendText(out, kLeft, 48, "font-size=\"34\" font-weight=\"bold\"", scan_name);
  AppendText(out, kLeft, 86, "", WhenText(date, time));
  AppendText(out, kLeft, 120, "font-size=\"22\"", about);
  out += "</svg>\n";
}

}  // namespace vulconv