#include "output/overview/svg_plot.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "output/shared/number_text.h"
#include "output/shared/text_escape.h"

namespace vulconv {

namespace {

// Relative steps from pixel from (already reached) to pixel to, dir = 1 or
// -1: "h" for runs of equal y, "l" otherwise. The y rounded first and the
// steps taken between the rounded values, so that no error adds up.
void AppendSteps(std::string& out, const PlotArea& area, const double* values, int from, int to,
                 int dir) {
  int previous = PlotY(area, values[from]);
  int flat = 0;
  for (int i = from + dir; i != to + dir; i += dir) {
    int y = PlotY(area, values[i]);
    if (y == previous) {
      ++flat;
      continue;
    }
    if (flat > 0) {
      out += 'h';
      AppendInteger(out, flat * dir);
      flat = 0;
    }
    out += dir > 0 ? "l1" : "l-1";
    if (y > previous) out += ' ';
    AppendInteger(out, y - previous);
    previous = y;
  }
  if (flat > 0) {
    out += 'h';
    AppendInteger(out, flat * dir);
  }
}

void AppendMove(std::string& out, const PlotArea& area, int pixel, double value) {
  out += 'M';
  AppendInteger(out, area.left + pixel);
  out += ' ';
  AppendInteger(out, PlotY(area, value));
}

// The next run of pixels [start, end) from at on where ok holds, of two or
// more; false when there is none.
template <typename Ok>
bool NextRun(int& at, int count, Ok ok, int& start, int& end) {
  while (at < count) {
    while (at < count && !ok(at)) ++at;
    start = at;
    while (at < count && ok(at)) ++at;
    end = at;
    if (end - start >= 2) return true;
  }
  return false;
}

void AppendPathElement(std::string& out, const std::string& data, std::string_view attributes) {
  if (data.empty()) return;
  out += "<path d=\"";
  out += data;
  out += "\" ";
  out += attributes;
  out += "/>\n";
}

}  // namespace

ValueAxis MakeValueAxis(double low, double high) {
  if (!(high > low)) {
    double room = std::max(std::fabs(low) * 0.05, 1.0);
    low -= room;
    high += room;
  }
  ValueAxis axis;
  double rough = (high - low) / 6;
  double power = std::pow(10.0, std::floor(std::log10(rough)));
  double fraction = rough / power;
  axis.step = (fraction <= 1 ? 1 : fraction <= 2 ? 2 : fraction <= 5 ? 5 : 10) * power;
  axis.first = std::floor(low / axis.step);
  double last = std::ceil(high / axis.step);
  axis.count = static_cast<int>(last - axis.first);
  axis.low = axis.first * axis.step;
  axis.high = last * axis.step;
  double largest = std::max(std::fabs(axis.low), std::fabs(axis.high));
  double digits = std::floor(std::log10(largest)) - std::floor(std::log10(axis.step)) + 1;
  axis.precision = std::clamp(static_cast<int>(digits), 6, 17);
  return axis;
}

void AppendTickLabel(std::string& out, double value, int precision) {
  char text[64];
  out.append(text, std::to_chars(text, text + sizeof text, value, std::chars_format::general,
                                 precision).ptr);
}

int PlotY(const PlotArea& area, double value) {
  double share = (area.axis.high - value) / (area.axis.high - area.axis.low);
  double y = std::round(std::clamp(share, 0.0, 1.0) * area.height);
  return area.top + static_cast<int>(y);
}

void AppendCurvePath(std::string& out, const PlotArea& area, const double* values, int count,
                     std::string_view attributes) {
  std::string data;
  auto finite = [&](int i) { return std::isfinite(values[i]); };
  for (int at = 0, start, end; NextRun(at, count, finite, start, end);) {
    AppendMove(data, area, start, values[start]);
    AppendSteps(data, area, values, start, end - 1, 1);
  }
  AppendPathElement(out, data, attributes);
}

void AppendBandPath(std::string& out, const PlotArea& area, const double* low, const double* high,
                    int count, std::string_view attributes) {
  std::string data;
  auto finite = [&](int i) { return std::isfinite(low[i]) && std::isfinite(high[i]); };
  for (int at = 0, start, end; NextRun(at, count, finite, start, end);) {
    AppendMove(data, area, start, high[start]);
    AppendSteps(data, area, high, start, end - 1, 1);
    data += 'v';
    AppendInteger(data, PlotY(area, low[end - 1]) - PlotY(area, high[end - 1]));
    AppendSteps(data, area, low, end - 1, start, -1);
    data += 'z';
  }
  AppendPathElement(out, data, attributes);
}

std::string StrokeAttributes(std::string_view colour, std::string_view width) {
  return "fill=\"none\" stroke=\"" + std::string(colour) + "\" stroke-width=\"" +
         std::string(width) + "\" stroke-linejoin=\"round\"";
}

void AppendText(std::string& out, int x, int y, std::string_view attributes,
                std::string_view text) {
  out += "<text x=\"";
  AppendInteger(out, x);
  out += "\" y=\"";
  AppendInteger(out, y);
  out += "\" ";
  out += attributes;
  out += '>';
  AppendXmlText(out, text);
  out += "</text>\n";
}

void AppendLine(std::string& out, int x1, int y1, int x2, int y2) {
  out += "<path d=\"M";
  AppendInteger(out, x1);
  out += ' ';
  AppendInteger(out, y1);
  out += 'L';
  AppendInteger(out, x2);
  out += ' ';
  AppendInteger(out, y2);
  out += "\"/>\n";
}

void AppendAxes(std::string& out, const PlotArea& area, int pixels) {
  const ValueAxis& axis = area.axis;
  const int right = area.left + pixels - 1, bottom = area.top + area.height;
  out += "<g stroke=\"#dddddd\" stroke-width=\"1\">\n";
  for (int k = 0; k <= axis.count; ++k) {
    int y = PlotY(area, (axis.first + k) * axis.step);
    AppendLine(out, area.left, y, right, y);
  }
  out += "</g>\n<g stroke=\"black\" stroke-width=\"2\">\n";
  for (int k = 0; k <= axis.count; ++k) {
    int y = PlotY(area, (axis.first + k) * axis.step);
    AppendLine(out, area.left - 10, y, area.left, y);
  }
  for (int pixel = 0; pixel < pixels; pixel += 250) {
    AppendLine(out, area.left + pixel, bottom, area.left + pixel, bottom + 10);
  }
  out += "</g>\n<rect x=\"";
  AppendInteger(out, area.left);
  out += "\" y=\"";
  AppendInteger(out, area.top);
  out += "\" width=\"";
  AppendInteger(out, pixels - 1);
  out += "\" height=\"";
  AppendInteger(out, area.height);
  out += "\" fill=\"none\" stroke=\"black\" stroke-width=\"2\"/>\n";
  for (int k = 0; k <= axis.count; ++k) {
    std::string label;
    AppendTickLabel(label, (axis.first + k) * axis.step, axis.precision);
    int y = PlotY(area, (axis.first + k) * axis.step);
    AppendText(out, area.left - 16, y + 8, "text-anchor=\"end\"", label);
  }
  for (int pixel = 0; pixel < pixels; pixel += 250) {
    std::string label;
    AppendInteger(label, pixel);
    AppendText(out, area.left + pixel, bottom + 38, "text-anchor=\"middle\"", label);
  }
  AppendText(out, (area.left + right) / 2, bottom + 80, "text-anchor=\"middle\"", "pixel");
  out += "<text transform=\"translate(40 ";
  AppendInteger(out, area.top + area.height / 2);
  out += ") rotate(-90)\" text-anchor=\"middle\">intensity</text>\n";
}

}  // namespace vulconv
