#include "output/campaign/campaign_map.h"

#include <algorithm>
#include <cmath>

#include "output/shared/number_text.h"
#include "output/shared/text_escape.h"

namespace vulconv {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kWidth = 1000, kLeft = 72, kRight = 16, kTop = 16, kBottom = 32;
constexpr int kMinPlotHeight = 340, kMaxPlotHeight = 640;
// A lone point, or a track that stood still, gets about 100 m around it.
constexpr double kMinSpan = 0.001;
// Graticule lines at least this many pixels apart: room for a longitude's
// label between two of them.
constexpr double kLongitudeSpacing = 110, kLatitudeSpacing = 60;

void AppendPoint(std::string& out, double x, double y) {
  AppendFixed(out, x, 1);
  out += ',';
  AppendFixed(out, y, 1);
}

void AppendAttribute(std::string& out, std::string_view name, double value) {
  out.append(" ").append(name).append("=\"");
  AppendFixed(out, value, 1);
  out += '"';
}

}  // namespace

double UnwrapLongitude(LongitudeUnwrap& unwrap, double reference, double longitude) {
  double near = unwrap.started ? unwrap.last : reference;
  unwrap.last = longitude - 360 * std::round((longitude - near) / 360);
  unwrap.started = true;
  return unwrap.last;
}

void AddToExtent(MapExtent& extent, LongitudeUnwrap& unwrap, TrackPoint point) {
  if (extent.points == 0) extent.reference = point.longitude;
  double longitude = UnwrapLongitude(unwrap, extent.reference, point.longitude);
  bool first = extent.points++ == 0;
  extent.west = first ? longitude : std::min(extent.west, longitude);
  extent.east = first ? longitude : std::max(extent.east, longitude);
  extent.south = first ? point.latitude : std::min(extent.south, point.latitude);
  extent.north = first ? point.latitude : std::max(extent.north, point.latitude);
  extent.latitude_sum += point.latitude;
}

MapView MakeMapView(const MapExtent& extent) {
  MapView view;
  view.reference = extent.reference;
  double mean = extent.points > 0 ? extent.latitude_sum / static_cast<double>(extent.points) : 0;
  // How wide a degree of longitude is against one of latitude; kept above
  // nothing near the poles.
  double aspect = std::max(std::cos(mean * kPi / 180), 0.05);
  double span_x = std::max((extent.east - extent.west) * aspect, kMinSpan) * 1.12;
  double span_y = std::max(extent.north - extent.south, kMinSpan) * 1.12;
  view.left = kLeft;
  view.top = kTop;
  view.plot_width = kWidth - kLeft - kRight;
  view.plot_height = std::clamp(static_cast<int>(std::lround(view.plot_width * span_y / span_x)),
                                kMinPlotHeight, kMaxPlotHeight);
  view.width = kWidth;
  view.height = kTop + view.plot_height + kBottom;
  view.y_scale = std::min(view.plot_width / span_x, view.plot_height / span_y);
  view.x_scale = view.y_scale * aspect;
  double middle_x = (extent.west + extent.east) / 2, middle_y = (extent.south + extent.north) / 2;
  view.west = middle_x - view.plot_width / 2.0 / view.x_scale;
  view.east = middle_x + view.plot_width / 2.0 / view.x_scale;
  view.south = middle_y - view.plot_height / 2.0 / view.y_scale;
  view.north = middle_y + view.plot_height / 2.0 / view.y_scale;
  view.longitude_step = GraticuleStep(kLongitudeSpacing / view.x_scale);
  view.latitude_step = GraticuleStep(kLatitudeSpacing / view.y_scale);
  return view;
}

double GraticuleStep(double least) {
  double power = std::pow(10.0, std::floor(std::log10(least)));
  for (double factor : {1.0, 2.0, 5.0}) {
    if (factor * power >= least * (1 - 1e-9)) return factor * power;
  }
  return 10 * power;
}

void AppendDegrees(std::string& out, double degrees, double step, bool longitude) {
  if (longitude) degrees -= 360 * std::round(degrees / 360);
  int decimals = step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
  double scale = std::pow(10.0, decimals);
  double rounded = std::round(std::fabs(degrees) * scale) / scale;
  AppendFixed(out, rounded, decimals);
  out += "\xC2\xB0";  // the degree sign in UTF-8
  if (rounded == 0 || (longitude && rounded == 180)) return;
  out += longitude ? (degrees < 0 ? 'W' : 'E') : (degrees < 0 ? 'S' : 'N');
}

void AppendMapHead(std::string& out, const MapView& view) {
  out += "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 ";
  AppendInteger(out, view.width);
  out += ' ';
  AppendInteger(out, view.height);
  out += "\" role=\"img\" aria-label=\"Map of the GPS tracks\">\n<rect";
  AppendAttribute(out, "x", view.left);
  AppendAttribute(out, "y", view.top);
  AppendAttribute(out, "width", view.plot_width);
  AppendAttribute(out, "height", view.plot_height);
  out += " fill=\"#f7f9fb\" stroke=\"#9aa5b1\"/>\n";
  std::string grid, labels;
  double right = view.left + view.plot_width, bottom = view.top + view.plot_height;
  double step = view.longitude_step;
  for (double k = std::ceil(view.west / step); k * step <= view.east; ++k) {
    double x = view.left + (k * step - view.west) * view.x_scale;
    grid += 'M';
    AppendPoint(grid, x, view.top);
    grid += 'V';
    AppendFixed(grid, bottom, 1);
    labels += "<text";
    AppendAttribute(labels, "x", x);
    AppendAttribute(labels, "y", bottom + 20);
    labels += " text-anchor=\"middle\">";
    AppendDegrees(labels, k * step, step, true);
    labels += "</text>\n";
  }
  step = view.latitude_step;
  for (double k = std::ceil(view.south / step); k * step <= view.north; ++k) {
    if (std::fabs(k * step) > 90) continue;
    double y = view.top + (view.north - k * step) * view.y_scale;
    grid += 'M';
    AppendPoint(grid, view.left, y);
    grid += 'H';
    AppendFixed(grid, right, 1);
    labels += "<text";
    AppendAttribute(labels, "x", view.left - 8);
    AppendAttribute(labels, "y", y + 4);
    labels += " text-anchor=\"end\">";
    AppendDegrees(labels, k * step, step, false);
    labels += "</text>\n";
  }
  out += "<path d=\"" + grid + "\" stroke=\"#dfe4ea\" fill=\"none\"/>\n";
  out += "<g font-size=\"13\" fill=\"#52606d\">\n" + labels + "</g>\n";
}

void StartMapTrack(std::string& out, MapTrack& track, std::int64_t points,
                   std::string_view colour) {
  track = MapTrack{};
  track.points = points;
  track.stride = std::max<std::int64_t>(1, (points + kMaxMapPoints - 1) / kMaxMapPoints);
  out.append("<path fill=\"none\" stroke=\"").append(colour);
  out += "\" stroke-width=\"2.5\" stroke-linejoin=\"round\" stroke-linecap=\"round\" d=\"";
}

void AddMapPoint(std::string& out, MapTrack& track, const MapView& view, TrackPoint point) {
  // Unwrapped at every point, drawn or not, so that the line stays whole.
  double longitude = UnwrapLongitude(track.unwrap, view.reference, point.longitude);
  std::int64_t index = track.seen++;
  bool gap = track.gap;
  track.gap = false;
  if (index % track.stride != 0 && index != track.points - 1 && !gap) return;
  double x = view.left + (longitude - view.west) * view.x_scale;
  double y = view.top + (view.north - point.latitude) * view.y_scale;
  bool near = std::fabs(x - track.x) < 0.5 && std::fabs(y - track.y) < 0.5;
  if (track.drawn > 0 && near && !gap) return;
  if (track.drawn++ == 0) {
    track.first_x = x;
    track.first_y = y;
  }
  // Each piece of the line a subpath of its own.
  if (track.drawn == 1) out += 'M';
  else out += gap ? " M" : " ";
  AppendPoint(out, x, y);
  track.x = x;
  track.y = y;
}

void AddMapGap(MapTrack& track) { track.gap = track.drawn > 0; }

void EndMapTrack(std::string& out, const MapTrack& track, std::string_view colour,
                 std::string_view name) {
  out += "\"><title>";
  AppendXmlText(out, name);
  out += "</title></path>\n";
  if (track.drawn == 0) return;
  out += "<circle";
  AppendAttribute(out, "cx", track.first_x);
  AppendAttribute(out, "cy", track.first_y);
  out.append(" r=\"5\" fill=\"").append(colour);
  out += "\" stroke=\"#ffffff\" stroke-width=\"1.5\"><title>";
  AppendXmlText(out, name);
  out += ": first spectrum</title></circle>\n";
}

void AppendMapTail(std::string& out) { out += "</svg>\n"; }

}  // namespace vulconv
