// The pieces of a plot of values against pixel number in SVG: a value axis
// with round ticks, and curves as compact relative path data (whole user
// units, x one unit per pixel), broken where a value is not finite.
#ifndef VULCONV_OUTPUT_OVERVIEW_SVG_PLOT_H_
#define VULCONV_OUTPUT_OVERVIEW_SVG_PLOT_H_

#include <string>
#include <string_view>

namespace vulconv {

/// A value axis: ticks at (first + k) * step for k in 0..count.
struct ValueAxis {
  double low = 0, high = 1;  // the values at the bottom and top of the plot
  double first = 0, step = 1;
  int count = 1;
  int precision = 6;  // significant digits enough to tell the ticks apart
};

/// An axis holding low..high (finite, low <= high), widened to whole steps;
/// a single value gets room on both sides.
ValueAxis MakeValueAxis(double low, double high);

/// A tick value in the shortest of fixed or exponent form, locale-free.
void AppendTickLabel(std::string& out, double value, int precision);

/// Where the plot is: pixel i at x = left + i, the axis from y = top + height
/// (low) up to y = top (high).
struct PlotArea {
  int left = 0, top = 0, height = 1;
  ValueAxis axis;
};

/// The y of a finite value, rounded, within the plot.
int PlotY(const PlotArea& area, double value);

/// <path d="..." attributes/> through values[0..count), one piece per run of
/// two or more finite values; nothing when there is none.
void AppendCurvePath(std::string& out, const PlotArea& area, const double* values, int count,
                     std::string_view attributes);

/// The area between low[i] and high[i] as closed paths, one per run of two or
/// more pixels where both are finite.
void AppendBandPath(std::string& out, const PlotArea& area, const double* low, const double* high,
                    int count, std::string_view attributes);

/// The stroke of a curve: no fill, colour and width, round joins.
std::string StrokeAttributes(std::string_view colour, std::string_view width);

/// <text> at x, y with further attributes; the text escaped.
void AppendText(std::string& out, int x, int y, std::string_view attributes,
                std::string_view text);

/// A straight <path> from x1, y1 to x2, y2.
void AppendLine(std::string& out, int x1, int y1, int x2, int y2);

/// Grid lines, ticks and labels of the value axis, pixel ticks every 250,
/// the frame and the axis titles of a plot of pixels values.
void AppendAxes(std::string& out, const PlotArea& area, int pixels);

}  // namespace vulconv

#endif  // VULCONV_OUTPUT_OVERVIEW_SVG_PLOT_H_
