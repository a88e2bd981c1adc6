#include "output/shared/text_escape.h"

#include <cstdint>

#include "system/platform.h"

namespace vulconv {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// The length of the well-formed UTF-8 sequence at text[at] (1 to 4, per
// RFC 3629: no overlong forms, no surrogates, nothing above U+10FFFF) and its
// code point; 0 when the byte there starts none.
int Utf8Sequence(std::string_view text, std::size_t at, char32_t& code) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(at);
  if (lead < 0x80) {
    code = lead;
    return 1;
  }
  int length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
             : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
  if (length == 0 || at + length > text.size()) return 0;
  code = lead & (0x7F >> length);
  for (int i = 1; i < length; ++i) {
    unsigned char next = byte(at + i);
    if ((next & 0xC0) != 0x80) return 0;
    code = code << 6 | (next & 0x3F);
  }
  bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
  if (overlong || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return 0;
  return length;
}

bool XmlAllows(char32_t code) {
  return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
         (code >= 0xE000 && code <= 0xFFFD) || code >= 0x10000;
}

}  // namespace

void AppendCsvField(std::string& out, std::string_view text) {
  bool quoted = text.find_first_of(",\"\r\n") != std::string_view::npos;
  if (quoted) out += '"';
  std::size_t from = 0;  // bytes from here on are appended as they are
  for (std::size_t at = 0; at < text.size();) {
    auto byte = static_cast<unsigned char>(text[at]);
    char32_t code = 0;
    int length = byte < 0x80 ? 1 : Utf8Sequence(text, at, code);
    if (length > 1 || (length == 1 && byte != '"')) {
      at += length;
      continue;
    }
    out.append(text.substr(from, at - from));
    // Readers that decode the table stop at a byte that is not UTF-8.
    out += length == 0 ? kReplacement : "\"\"";
    from = ++at;
  }
  out.append(text.substr(from));
  if (quoted) out += '"';
}

void AppendXmlText(std::string& out, std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    char32_t code = 0;
    int length = Utf8Sequence(text, at, code);
    if (length == 0 || !XmlAllows(code)) {
      out += kReplacement;
      at += length == 0 ? 1 : length;
      continue;
    }
    switch (code) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      case '\t': out += "&#9;"; break;
      case '\n': out += "&#10;"; break;
      case '\r': out += "&#13;"; break;
      default: out += text.substr(at, length);
    }
    at += length;
  }
}

void AppendJsonString(std::string& out, std::string_view text) {
  static const char kHex[] = "0123456789abcdef";
  out += '"';
  for (std::size_t at = 0; at < text.size();) {
    char32_t code = 0;
    int length = Utf8Sequence(text, at, code);
    if (length == 0) {
      out += kReplacement;
      ++at;
      continue;
    }
    if (code == '"' || code == '\\') {
      out += '\\';
      out += static_cast<char>(code);
    } else if (code < 0x20) {
      out += "\\u00";
      out += kHex[code >> 4];
      out += kHex[code & 0xF];
    } else {
      out += text.substr(at, length);
    }
    at += length;
  }
  out += '"';
}

void AppendValidUtf8(std::string& out, std::string_view text) {
  // Runs of valid text are appended whole: tables are nearly all ASCII.
  std::size_t from = 0, at = 0;
  while (at < text.size()) {
    if (static_cast<unsigned char>(text[at]) < 0x80) {
      ++at;
      continue;
    }
    char32_t code = 0;
    int length = Utf8Sequence(text, at, code);
    if (length > 0) {
      at += static_cast<std::size_t>(length);
      continue;
    }
    out.append(text.substr(from, at - from));
    out += kReplacement;
    from = ++at;
  }
  out.append(text.substr(from));
}

void AppendKmlData(std::string& out, std::string_view name, std::string_view value) {
  out.append("<Data name=\"").append(name).append("\"><value>");
  AppendXmlText(out, value);
  out += "</value></Data>\n";
}

void AppendUrlPath(std::string& out, std::string_view name) {
  static const char kHex[] = "0123456789ABCDEF";
  for (char c : name) {
    auto byte = static_cast<unsigned char>(c);
    // A backslash on POSIX is a character of the name, not a separator.
    bool separator = c == '/' || (kWindowsNames && c == '\\');
    if (separator) {
      out += '/';
    } else if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
               (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' || c == '~') {
      out += c;
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    }
  }
}

}  // namespace vulconv
