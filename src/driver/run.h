// The command line and the conversion run.
#ifndef VULCONV_DRIVER_RUN_H_
#define VULCONV_DRIVER_RUN_H_

namespace vulconv {

/// Writes the nine-line usage text to standard output.
void PrintUsage();

/// The whole program: checks the command line, converts the scan and its
/// calibration files, and returns the exit status.
int RunConversion(int argc, char** argv);

}  // namespace vulconv

#endif  // VULCONV_DRIVER_RUN_H_
