// The command line: one scan file name, or with --batch many names; long
// options, the help and version.
#ifndef VULCONV_DRIVER_COMMAND_LINE_H_
#define VULCONV_DRIVER_COMMAND_LINE_H_

#include <string>
#include <vector>

#include "convert/run_outputs.h"

namespace vulconv {

enum class CommandKind { Convert, Batch, Help, Version, Usage };

struct CommandLine {
  CommandKind kind = CommandKind::Usage;
  std::string scan_file_name;
  std::vector<std::string> names;  // --batch: scan files and folders of scans
  int jobs = 0;                    // --jobs N; 0: one per processor
  OutputChoice choice;             // what the options add to the STD files
};

/// Reads the arguments after the program name. An argument that starts with
/// "--" is an option until a lone "--"; every other one is a name: exactly
/// one scan file name, or with --batch one or more. "--jobs" takes the next
/// argument, a positive integer, and needs --batch. A lone "-h" is the help.
CommandLine ParseCommandLine(int count, const char* const* args);

/// One line per option, for the help after the usage text.
extern const char* const kOptionHelp;

}  // namespace vulconv

#endif  // VULCONV_DRIVER_COMMAND_LINE_H_
