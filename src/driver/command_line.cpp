#include "driver/command_line.h"

#include <string_view>

namespace vulconv {

namespace {

// A positive decimal integer that fits an int, or 0.
int PositiveCount(std::string_view text) {
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
    if (value > 1000000) return 0;
  }
  return static_cast<int>(value);
}

}  // namespace

const char* const kOptionHelp =
    "--qdoas     also write each binary file's spectra as one QDOAS file (.asc)\n"
    "--overview  also write a table (.csv), the GPS track (.kml, .geojson) and a picture (.svg)\n"
    "--batch     convert each name given, a scan file or a folder of SCAN_*.bin, several at once\n"
    "--jobs N    with --batch: at most N scans at once (default: one per processor)\n"
    "--version   print the version\n"
    "--help      print this text\n";

CommandLine ParseCommandLine(int count, const char* const* args) {
  CommandLine line;
  if (count == 1 && std::string_view(args[0]) == "-h") {
    line.kind = CommandKind::Help;
    return line;
  }
  bool help = false, version = false, unknown = false, options_end = false, batch = false;
  for (int i = 0; i < count; ++i) {
    std::string_view arg = args[i];
    if (options_end || !arg.starts_with("--")) {
      line.names.emplace_back(arg);
    } else if (arg == "--") {
      options_end = true;
    } else if (arg == "--qdoas") {
      line.choice.qdoas = true;
    } else if (arg == "--overview") {
      line.choice.overview = true;
    } else if (arg == "--batch") {
      batch = true;
    } else if (arg == "--jobs") {
      line.jobs = i + 1 < count ? PositiveCount(args[++i]) : 0;
      unknown = unknown || line.jobs == 0;
    } else if (arg == "--help") {
      help = true;
    } else if (arg == "--version") {
      version = true;
    } else {
      unknown = true;
    }
  }
  std::size_t names = line.names.size();
  bool batch_names = batch && names > 0, single_name = !batch && names == 1 && line.jobs == 0;
  line.kind = unknown       ? CommandKind::Usage
              : help        ? CommandKind::Help
              : version     ? CommandKind::Version
              : batch_names ? CommandKind::Batch
              : single_name ? CommandKind::Convert
                            : CommandKind::Usage;
  if (line.kind == CommandKind::Convert) line.scan_file_name = line.names[0];
  return line;
}

}  // namespace vulconv
