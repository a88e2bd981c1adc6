#include "driver/command_line.h"

#include <string_view>

namespace vulconv {

const char* const kOptionHelp =
    "--qdoas     also write each binary file's spectra as one QDOAS file (.asc)\n"
    "--overview  also write a table (.csv), the GPS track (.kml, .geojson) and a picture (.svg)\n"
    "--version   print the version\n"
    "--help      print this text\n";

CommandLine ParseCommandLine(int count, const char* const* args) {
  CommandLine line;
  if (count == 1 && std::string_view(args[0]) == "-h") {
    line.kind = CommandKind::Help;
    return line;
  }
  bool help = false, version = false, unknown = false, options_end = false;
  int names = 0;
  for (int i = 0; i < count; ++i) {
    std::string_view arg = args[i];
    if (options_end || !arg.starts_with("--")) {
      line.scan_file_name = arg;
      ++names;
    } else if (arg == "--") {
      options_end = true;
    } else if (arg == "--qdoas") {
      line.choice.qdoas = true;
    } else if (arg == "--overview") {
      line.choice.overview = true;
    } else if (arg == "--help") {
      help = true;
    } else if (arg == "--version") {
      version = true;
    } else {
      unknown = true;
    }
  }
  line.kind = unknown       ? CommandKind::Usage
              : help        ? CommandKind::Help
              : version     ? CommandKind::Version
              : names != 1  ? CommandKind::Usage
                            : CommandKind::Convert;
  return line;
}

}  // namespace vulconv
