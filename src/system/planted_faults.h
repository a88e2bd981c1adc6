// Faults planted into the file calls by the tests: a link-time seam. The
// program links planted_faults_none.cpp, which plants none; the tests'
// vulconv_faults links tests/planted_faults.cpp, which fails the calls the
// environment names, on Windows as on POSIX.
#ifndef VULCONV_SYSTEM_PLANTED_FAULTS_H_
#define VULCONV_SYSTEM_PLANTED_FAULTS_H_

namespace vulconv {

/// The file calls a fault can be planted in, named as the tests name them.
enum class FileCall { Create, Write, Read, Close, Rename, Remove, FlushFile, FlushFileSystem };

/// How a planted fault fails a call: for lack of room, as a device error,
/// or any other way.
enum class PlantedError { None, NoRoom, Device, Other };

/// The fault planted in this use of call, or None. May raise a signal
/// instead, as a signal that arrives during the call would.
PlantedError PlantedFault(FileCall call);

}  // namespace vulconv

#endif  // VULCONV_SYSTEM_PLANTED_FAULTS_H_
