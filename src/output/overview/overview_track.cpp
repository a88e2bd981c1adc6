#include "output/overview/overview_track.h"

#include <cmath>
#include <cstdint>

#include "output/shared/text_escape.h"

namespace vulconv {

namespace {

// "lon,lat,alt", as the STD files write them.
void AppendPosition(std::string& out, const OverviewRow& row) {
  AppendDoubleText(out, row.longitude);
  out += ',';
  AppendDoubleText(out, row.latitude);
  out += ',';
  AppendDoubleText(out, row.altitude);
}

bool HasElevation(const OverviewRow& row) {
  return row.has_angles && std::isfinite(row.elevation);
}

// A JSON member: comma, "name": and the value to come.
void AppendJsonName(std::string& out, std::string_view name) {
  out += ",\"";
  out += name;
  out += "\":";
}

}  // namespace

bool IsTrackPoint(const OverviewRow& row) {
  return row.source == "scan" && row.has_position && std::isfinite(row.latitude) &&
         std::isfinite(row.longitude) && std::isfinite(row.altitude);
}

void AppendKmlHead(std::string& out, std::string_view scan_name) {
  out +=
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n<Document>\n<name>";
  AppendXmlText(out, scan_name);
  out +=
      "</name>\n"
      "<Style id=\"track\"><LineStyle><color>ff0000ff</color><width>2</width></LineStyle>"
      "</Style>\n";
}

void AppendKmlPoint(std::string& out, const OverviewRow& row) {
  out += "<Placemark>\n<name>";
  AppendXmlText(out, row.std_name);
  out += "</name>\n";
  std::string when, text;
  bool timed = AppendIsoDateTime(when, row.date, row.time);
  if (timed) out.append("<TimeStamp><when>").append(when).append("</when></TimeStamp>\n");
  out += "<ExtendedData>\n";
  AppendInteger(text, row.record);
  AppendKmlData(out, "record", text);
  if (timed) AppendKmlData(out, "time", when);
  text.clear();
  AppendDoubleText(text, row.altitude);
  AppendKmlData(out, "altitude", text);
  if (HasElevation(row)) {
    text.clear();
    AppendDoubleText(text, row.elevation);
    AppendKmlData(out, "elevation", text);
  }
  if (row.stats.any_finite) {
    text.clear();
    AppendFloatText(text, row.stats.maximum);
    AppendKmlData(out, "max_intensity", text);
  }
  // Without it a reader puts the point on the ground, whatever its altitude.
  out += "</ExtendedData>\n<Point><altitudeMode>absolute</altitudeMode><coordinates>";
  AppendPosition(out, row);
  out += "</coordinates></Point>\n</Placemark>\n";
}

void AppendKmlLineHead(std::string& out) {
  out +=
      "<Placemark>\n<name>GPS track</name>\n<styleUrl>#track</styleUrl>\n"
      "<LineString>\n<tessellate>1</tessellate>\n<altitudeMode>absolute</altitudeMode>\n"
      "<coordinates>\n";
}

void AppendKmlCoordinate(std::string& out, const OverviewRow& row) {
  AppendPosition(out, row);
  out += '\n';
}

void AppendKmlTail(std::string& out, bool with_line) {
  if (with_line) out += "</coordinates>\n</LineString>\n</Placemark>\n";
  out += "</Document>\n</kml>\n";
}

void AppendGeoJsonHead(std::string& out, std::string_view scan_name) {
  out += "{\"type\":\"FeatureCollection\",\"name\":";
  AppendJsonString(out, scan_name);
  out += ",\"features\":[";
}

void AppendGeoJsonPoint(std::string& out, const OverviewRow& row, bool first) {
  out += first ? "\n" : ",\n";
  out += "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Point\",\"coordinates\":[";
  AppendPosition(out, row);
  out += "]},\"properties\":{\"file\":";
  AppendJsonString(out, row.std_name);
  AppendJsonName(out, "record");
  AppendInteger(out, row.record);
  std::string time;
  if (AppendIsoDateTime(time, row.date, row.time)) {
    AppendJsonName(out, "time");
    out += '"' + time + '"';
  }
  AppendJsonName(out, "altitude");
  AppendDoubleText(out, row.altitude);
  if (HasElevation(row)) {
    AppendJsonName(out, "elevation");
    AppendDoubleText(out, row.elevation);
  }
  if (row.stats.any_finite) {
    AppendJsonName(out, "max_intensity");
    AppendFloatText(out, row.stats.maximum);
  }
  out += "}}";
}

void AppendGeoJsonLineHead(std::string& out) {
  out +=
      ",\n{\"type\":\"Feature\",\"properties\":{\"name\":\"GPS track\"},"
      "\"geometry\":{\"type\":\"LineString\",\"coordinates\":[\n";
}

void AppendGeoJsonCoordinate(std::string& out, const OverviewRow& row, bool first) {
  out += first ? "[" : ",\n[";
  AppendPosition(out, row);
  out += ']';
}

void AppendGeoJsonTail(std::string& out, bool with_line) {
  if (with_line) out += "]}}";
  out += "\n]}\n";
}

}  // namespace vulconv
