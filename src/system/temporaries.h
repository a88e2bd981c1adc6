// The names of a run's temporary files, and the removal of those that
// killed runs left behind.
//
// A temporary is named ".vulconv-<pid>-<n>.tmp" in the folder of the file
// it becomes: it starts with a dot and does not end in ".std", so no reader
// takes it for a spectrum; its length does not grow with the file's name;
// and the process id keeps two runs writing into one folder apart and tells
// a later run whether the run that made it is still going.
#ifndef VULCONV_SYSTEM_TEMPORARIES_H_
#define VULCONV_SYSTEM_TEMPORARIES_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace vulconv {

/// The temporary number n of this process in folder (which ends with a
/// separator, or is empty for the working folder).
std::string TemporaryName(std::string_view folder, std::uint64_t n);

/// The process id in a temporary's name, this one's or an earlier
/// version's (".vulconv-<pid>.tmp"); -1 for any other name, and for an id
/// no process can have.
std::int64_t TemporaryOwner(std::string_view name);

/// Removes from folder the temporaries whose process is gone; those of a
/// process that is still running stay. One with this process's own id was
/// left by an earlier process that had it.
void RemoveDeadRunsTemporaries(const std::string& folder);

}  // namespace vulconv

#endif  // VULCONV_SYSTEM_TEMPORARIES_H_
