// The page's map: every scan's track drawn in SVG in longitude and
// latitude (equirectangular, a degree of longitude as wide as it is on the
// ground at the tracks' mean latitude) over a graticule with degree labels.
// No tiles, nothing from outside the page.
//
// Built in two passes over the tracks: the extent of all their points, then
// each track's line, at most kMaxMapPoints points of it taken evenly.
#ifndef VULCONV_OUTPUT_CAMPAIGN_CAMPAIGN_MAP_H_
#define VULCONV_OUTPUT_CAMPAIGN_CAMPAIGN_MAP_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "output/campaign/campaign_table.h"

namespace vulconv {

inline constexpr std::int64_t kMaxMapPoints = 2000;

/// A track's longitudes made continuous across the date line: each point
/// is put within half a turn of the one before, the first within half a
/// turn of the reference, so that all tracks lie side by side.
struct LongitudeUnwrap {
  bool started = false;
  double last = 0;
};
double UnwrapLongitude(LongitudeUnwrap& unwrap, double reference, double longitude);

/// Where the points of all tracks lie, in unwrapped longitudes.
struct MapExtent {
  std::int64_t points = 0;
  double reference = 0;  // the longitude of the first point
  double west = 0, east = 0, south = 0, north = 0;
  double latitude_sum = 0;
};
void AddToExtent(MapExtent& extent, LongitudeUnwrap& unwrap, TrackPoint point);

/// The map's box: the extent with a margin, widened in one direction so
/// that it fills a plot of the map's width.
struct MapView {
  double reference = 0;
  int width = 0, height = 0;          // of the whole picture
  int left = 0, top = 0, plot_width = 0, plot_height = 0;
  double west = 0, east = 0, south = 0, north = 0;  // at the plot's edges
  double x_scale = 1, y_scale = 1;    // pixels per degree
  double longitude_step = 1, latitude_step = 1;  // of the graticule
};
MapView MakeMapView(const MapExtent& extent);

/// The smallest of 1, 2 and 5 times a power of ten that is at least least.
double GraticuleStep(double least);

/// A graticule label: the degrees with as many decimals as the step needs,
/// then the hemisphere; longitudes taken back into -180 to 180.
void AppendDegrees(std::string& out, double degrees, double step, bool longitude);

/// The svg element up to the tracks: background, graticule and labels.
void AppendMapHead(std::string& out, const MapView& view);

/// One track being drawn.
struct MapTrack {
  LongitudeUnwrap unwrap;
  std::int64_t stride = 1, seen = 0, points = 0;
  std::int64_t drawn = 0;
  bool gap = false;  // spectra without a position since the last point
  double x = 0, y = 0, first_x = 0, first_y = 0;  // the last and the first point drawn
};
/// Starts the line of a track of points points.
void StartMapTrack(std::string& out, MapTrack& track, std::int64_t points, std::string_view colour);
/// Adds the track's next point; only every stride-th point, the last and
/// the first after a gap are drawn, and none closer than half a pixel to
/// the one drawn before.
void AddMapPoint(std::string& out, MapTrack& track, const MapView& view, TrackPoint point);
/// A spectrum of the track without a position: the line breaks there, so
/// that the map shows where the GPS dropped out.
void AddMapGap(MapTrack& track);
/// Ends the line, named for a tooltip, and marks its start.
void EndMapTrack(std::string& out, const MapTrack& track, std::string_view colour,
                 std::string_view name);
void AppendMapTail(std::string& out);

}  // namespace vulconv

#endif  // VULCONV_OUTPUT_CAMPAIGN_CAMPAIGN_MAP_H_
