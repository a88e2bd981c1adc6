#include "output/campaign/campaign_track.h"

#include "output/shared/number_text.h"
#include "output/shared/text_escape.h"
#include "time/civil_date.h"

namespace vulconv {

namespace {

// Ten colours that stay apart from each other on a light map.
constexpr std::string_view kPalette[] = {"#1f77b4", "#ff7f0e", "#2ca02c", "#d62728",
                                         "#9467bd", "#8c564b", "#e377c2", "#7f7f7f",
                                         "#bcbd22", "#17becf"};
constexpr int kColours = sizeof kPalette / sizeof kPalette[0];

bool AllDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// "YYYY-MM-DDThh:mm:ssZ" from the table's ISO date and time text, with a
// leap second as second 59, which the formats' time type lacks; false
// when either is not a date or time.
bool AppendWhen(std::string& out, std::string_view date, std::string_view time) {
  ClockTime clock;
  std::size_t n = date.size();
  bool iso = n >= 10 && date[n - 3] == '-' && date[n - 6] == '-' &&
             AllDigits(date.substr(0, n - 6)) && AllDigits(date.substr(n - 5, 2)) &&
             AllDigits(date.substr(n - 2));
  if (!iso || !ParseTimeText(time, clock)) return false;
  out += date;
  out += 'T';
  AppendPadded(out, clock.hour, 2);
  out += ':';
  AppendPadded(out, clock.minute, 2);
  out += ':';
  AppendPadded(out, clock.second < 59 ? clock.second : 59, 2);
  out += 'Z';
  return true;
}

// A value of the row that may stand as a number in a file: finite and in
// the table's own decimal form.
bool NumberField(const TableRow& row, int column, std::string_view& text) {
  double value = 0;
  text = Field(row, column);
  return ParseNumber(text, value);
}

void AppendPosition(std::string& out, const TableRow& row, const TableColumns& columns) {
  out.append(Field(row, columns.longitude)).append(",");
  out.append(Field(row, columns.latitude)).append(",");
  out.append(Field(row, columns.altitude));
}

void AppendJsonMember(std::string& out, std::string_view name, std::string_view number) {
  out.append(",\"").append(name).append("\":").append(number);
}

void AppendKmlStyleId(std::string& out, int colour) {
  out += "scan";
  AppendInteger(out, colour % kColours);
}

}  // namespace

std::string_view TrackColour(int index) { return kPalette[index % kColours]; }

void AppendKmlHead(std::string& out) {
  out +=
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n<Document>\n"
      "<name>Campaign</name>\n";
  // KML colours are alpha, blue, green, red.
  for (int i = 0; i < kColours; ++i) {
    std::string_view rgb = kPalette[i];
    std::string abgr = "ff";
    abgr.append(rgb.substr(5, 2)).append(rgb.substr(3, 2)).append(rgb.substr(1, 2));
    out += "<Style id=\"";
    AppendKmlStyleId(out, i);
    out += "\"><IconStyle><color>" + abgr + "</color><scale>0.7</scale></IconStyle>";
    out += "<LineStyle><color>" + abgr + "</color><width>3</width></LineStyle></Style>\n";
  }
}

void AppendKmlFolderHead(std::string& out, std::string_view scan_name) {
  out += "<Folder>\n<name>";
  AppendXmlText(out, scan_name);
  out += "</name>\n";
}

void AppendKmlPoint(std::string& out, const TableRow& row, const TableColumns& columns,
                    int colour) {
  out += "<Placemark>\n<name>";
  AppendXmlText(out, Field(row, columns.file));
  out += "</name>\n";
  std::string when;
  bool timed = AppendWhen(when, Field(row, columns.date), Field(row, columns.time));
  if (timed) out.append("<TimeStamp><when>").append(when).append("</when></TimeStamp>\n");
  out += "<styleUrl>#";
  AppendKmlStyleId(out, colour);
  out += "</styleUrl>\n<ExtendedData>\n";
  std::string_view text;
  if (NumberField(row, columns.record, text)) AppendKmlData(out, "record", text);
  if (timed) AppendKmlData(out, "time", when);
  AppendKmlData(out, "altitude", Field(row, columns.altitude));
  if (NumberField(row, columns.elevation, text)) AppendKmlData(out, "elevation", text);
  if (NumberField(row, columns.pixel_max, text)) AppendKmlData(out, "max_intensity", text);
  out += "</ExtendedData>\n<Point><altitudeMode>absolute</altitudeMode><coordinates>";
  AppendPosition(out, row, columns);
  out += "</coordinates></Point>\n</Placemark>\n";
}

void AppendKmlLineHead(std::string& out, int colour) {
  out += "<Placemark>\n<name>GPS track</name>\n<styleUrl>#";
  AppendKmlStyleId(out, colour);
  out += "</styleUrl>\n<LineString>\n<tessellate>1</tessellate>\n<coordinates>\n";
}

void AppendKmlCoordinate(std::string& out, const TableRow& row, const TableColumns& columns) {
  AppendPosition(out, row, columns);
  out += '\n';
}

void AppendKmlLineTail(std::string& out) { out += "</coordinates>\n</LineString>\n</Placemark>\n"; }

void AppendKmlFolderTail(std::string& out) { out += "</Folder>\n"; }

void AppendKmlTail(std::string& out) { out += "</Document>\n</kml>\n"; }

void AppendGeoJsonHead(std::string& out) {
  out += "{\"type\":\"FeatureCollection\",\"name\":\"campaign\",\"features\":[";
}

void AppendGeoJsonPoint(std::string& out, const TableRow& row, const TableColumns& columns,
                        std::string_view scan_name, bool first) {
  out += first ? "\n" : ",\n";
  out += "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Point\",\"coordinates\":[";
  AppendPosition(out, row, columns);
  out += "]},\"properties\":{\"scan\":";
  AppendJsonString(out, scan_name);
  out += ",\"file\":";
  AppendJsonString(out, Field(row, columns.file));
  std::string_view text;
  if (NumberField(row, columns.record, text)) AppendJsonMember(out, "record", text);
  std::string when = "\"";
  if (AppendWhen(when, Field(row, columns.date), Field(row, columns.time)))
    AppendJsonMember(out, "time", when + '"');
  AppendJsonMember(out, "altitude", Field(row, columns.altitude));
  if (NumberField(row, columns.elevation, text)) AppendJsonMember(out, "elevation", text);
  if (NumberField(row, columns.pixel_max, text)) AppendJsonMember(out, "max_intensity", text);
  out += "}}";
}

void AppendGeoJsonLineHead(std::string& out, std::string_view scan_name, int colour) {
  out += ",\n{\"type\":\"Feature\",\"properties\":{\"scan\":";
  AppendJsonString(out, scan_name);
  out.append(",\"name\":\"GPS track\",\"stroke\":\"").append(TrackColour(colour));
  out += "\"},\"geometry\":{\"type\":\"LineString\",\"coordinates\":[\n";
}

void AppendGeoJsonCoordinate(std::string& out, const TableRow& row, const TableColumns& columns,
                             bool first) {
  out += first ? "[" : ",\n[";
  AppendPosition(out, row, columns);
  out += ']';
}

void AppendGeoJsonLineTail(std::string& out) { out += "]}}"; }

void AppendGeoJsonTail(std::string& out) { out += "\n]}\n"; }

}  // namespace vulconv
