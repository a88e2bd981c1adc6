// The tracks of all scans as KML 2.2 (a folder per scan) and as GeoJSON
// (RFC 7946, every feature with its scan's name), built from the rows of
// the scans' tables, and the palette that tells the tracks apart there and
// on the page's map.
//
// KML:     head, [folder head, point..., [line head, coordinate..., line tail],
//          folder tail]..., tail
// GeoJSON: head, [point..., [line head, coordinate..., line tail]]..., tail
#ifndef VULCONV_OUTPUT_CAMPAIGN_CAMPAIGN_TRACK_H_
#define VULCONV_OUTPUT_CAMPAIGN_CAMPAIGN_TRACK_H_

#include <string>
#include <string_view>

#include "output/campaign/campaign_table.h"

namespace vulconv {

/// The colour of the track at place index of the palette (cycled), "#rrggbb".
std::string_view TrackColour(int index);

void AppendKmlHead(std::string& out);
void AppendKmlFolderHead(std::string& out, std::string_view scan_name);
/// A Placemark as the scan's own KML has it, in the scan's colour; the row
/// must be a track point.
void AppendKmlPoint(std::string& out, const TableRow& row, const TableColumns& columns,
                    int colour);
void AppendKmlLineHead(std::string& out, int colour);
/// "lon,lat,alt" and a line end; the row must be a track point.
void AppendKmlCoordinate(std::string& out, const TableRow& row, const TableColumns& columns);
void AppendKmlLineTail(std::string& out);
void AppendKmlFolderTail(std::string& out);
void AppendKmlTail(std::string& out);

void AppendGeoJsonHead(std::string& out);
/// A Point Feature; first: no feature before it in the collection.
void AppendGeoJsonPoint(std::string& out, const TableRow& row, const TableColumns& columns,
                        std::string_view scan_name, bool first);
/// The LineString Feature up to its coordinates, after the scan's points.
void AppendGeoJsonLineHead(std::string& out, std::string_view scan_name, int colour);
/// "[lon,lat,alt]"; first: the line's first position.
void AppendGeoJsonCoordinate(std::string& out, const TableRow& row, const TableColumns& columns,
                             bool first);
void AppendGeoJsonLineTail(std::string& out);
void AppendGeoJsonTail(std::string& out);

}  // namespace vulconv

#endif  // VULCONV_OUTPUT_CAMPAIGN_CAMPAIGN_TRACK_H_
