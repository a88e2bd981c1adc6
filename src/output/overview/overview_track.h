// The GPS track of a scan as KML 2.2 and as GeoJSON (RFC 7946), written in
// pieces so that a file can be streamed: the head, one point per scan
// spectrum with a position as it comes, then (with two points or more) one
// line through all of them in record order, then the tail.
//
// KML:     head, point..., [line head, coordinate...], tail
// GeoJSON: head, point..., [line head, coordinate...], tail
#ifndef VULCONV_OUTPUT_OVERVIEW_OVERVIEW_TRACK_H_
#define VULCONV_OUTPUT_OVERVIEW_OVERVIEW_TRACK_H_

#include <string>
#include <string_view>

#include "output/overview/overview_table.h"

namespace vulconv {

/// Whether the row is a point of the track: a scan spectrum whose latitude,
/// longitude and altitude are known and finite (no file format has a NaN).
bool IsTrackPoint(const OverviewRow& row);

void AppendKmlHead(std::string& out, std::string_view scan_name);
/// A Placemark named after the STD file, with a TimeStamp when the date and
/// time parse, and the known values as ExtendedData.
void AppendKmlPoint(std::string& out, const OverviewRow& row);
void AppendKmlLineHead(std::string& out);
/// "lon,lat,alt" and a line end: one tuple of the line's coordinates.
void AppendKmlCoordinate(std::string& out, const OverviewRow& row);
/// Closes the line when there is one, then the document.
void AppendKmlTail(std::string& out, bool with_line);

void AppendGeoJsonHead(std::string& out, std::string_view scan_name);
/// A Point Feature; first: no feature before it in the collection.
void AppendGeoJsonPoint(std::string& out, const OverviewRow& row, bool first);
/// The LineString Feature up to its coordinates, after the points.
void AppendGeoJsonLineHead(std::string& out);
/// "[lon,lat,alt]"; first: the line's first position.
void AppendGeoJsonCoordinate(std::string& out, const OverviewRow& row, bool first);
void AppendGeoJsonTail(std::string& out, bool with_line);

}  // namespace vulconv

#endif  // VULCONV_OUTPUT_OVERVIEW_OVERVIEW_TRACK_H_
