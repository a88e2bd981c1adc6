// Texts of any bytes (file names above all) made safe inside a CSV field,
// XML character data (HTML too), a JSON string or a URL path: nothing in
// them can end the field or the string early or bring in markup of its own.
#ifndef VULCONV_OUTPUT_SHARED_TEXT_ESCAPE_H_
#define VULCONV_OUTPUT_SHARED_TEXT_ESCAPE_H_

#include <string>
#include <string_view>

namespace vulconv {

/// RFC 4180: quoted, with quotes doubled, when the text holds a comma, a
/// quote, CR or LF; U+FFFD for bytes that are not UTF-8.
void AppendCsvField(std::string& out, std::string_view text);

/// XML 1.0 text, good in content and in quoted attribute values: & < > " '
/// as entities, tab LF CR as numeric references (so that no reader folds
/// them), and U+FFFD for bytes that are not UTF-8 and characters XML forbids.
void AppendXmlText(std::string& out, std::string_view text);

/// A JSON string with its quotes: \" \\ and \u00XX for control characters;
/// U+FFFD for bytes that are not UTF-8.
void AppendJsonString(std::string& out, std::string_view text);

/// The text with U+FFFD for each byte that is not part of UTF-8.
void AppendValidUtf8(std::string& out, std::string_view text);

/// A relative file name as the path of a relative URL: the folder
/// separators of the build's file system as "/", letters, digits and
/// "-._~" as they are, every other byte as %XX.
void AppendUrlPath(std::string& out, std::string_view name);

/// A KML <Data> element of ExtendedData: its name as given (a fixed word),
/// its value as XML text.
void AppendKmlData(std::string& out, std::string_view name, std::string_view value);

}  // namespace vulconv

#endif  // VULCONV_OUTPUT_SHARED_TEXT_ESCAPE_H_
